// The module's owner-drawn button: flat hover, the classic and focused looks, the disabled look,
// the icon's place, the tooltip and the default-button handling. Built for both host releases.
#include <gtest/gtest.h>
#include <cairo.h>
#include <algorithm>
#include <string>
#include "../ui/window_input.h"
#include "module_resources.h"
#include "controls/ButtonST.h"
#include "res/resource.h"
#include "ui/dialog.h"
#include "win/rcscript.h"
#include "win/render.h"

namespace {

constexpr int kFlat = 600, kClassic = 601, kDisabled = 602, kIconOnly = 603;
HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(0x6100);

#ifdef CADHOST_R15
const std::string kVariant = "r15";
#else
const std::string kVariant = "r16";
#endif

DialogTemplate buttonsTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 40;
    t.y = 40;
    t.cx = 190;
    t.cy = 70;
    t.caption = "Buttons";
    const DWORD push = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    t.items = {
        {"", DLGATOM_BUTTON, "Select", kFlat, push | BS_PUSHBUTTON, 0, 5, 5, 60, 24},
        {"", DLGATOM_BUTTON, "Select", kClassic, push | BS_DEFPUSHBUTTON, 0, 70, 5, 60, 24},
        {"", DLGATOM_BUTTON, "Select", kDisabled, push | WS_DISABLED, 0, 5, 36, 60, 24},
        {"", DLGATOM_BUTTON, "", kIconOnly, push, 0, 70, 36, 30, 24},
        {"", DLGATOM_BUTTON, "Close", IDCANCEL, push, 0, 135, 50, 50, 14},
    };
    return t;
}

class CButtonsDialog : public CDialog {
public:
    CButtonsDialog() { InitModalIndirect(buttonsTemplate()); }
    CButtonST m_flat, m_classic, m_disabled, m_iconOnly;
    int m_clicks = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kFlat, m_flat);
        DDX_Control(dx, kClassic, m_classic);
        DDX_Control(dx, kDisabled, m_disabled);
        DDX_Control(dx, kIconOnly, m_iconOnly);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        for (CButtonST* b : {&m_flat, &m_classic, &m_disabled, &m_iconOnly}) EXPECT_EQ(b->setIconResource(IDI_SELECT_BLOCK, 0), 0u);
        m_classic.setFlat(FALSE);
        m_disabled.setFlat(FALSE);
        m_flat.setTooltipText("Select a block in the drawing");
        return TRUE;
    }
    afx_msg void OnFlat() { ++m_clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CButtonsDialog, CDialog)
    ON_BN_CLICKED(kFlat, &CButtonsDialog::OnFlat)
END_MESSAGE_MAP()

// A picture of one button, its pixels as 0xRRGGBB.
class Picture {
public:
    explicit Picture(HWND hwnd) : surface(cadhostRenderWindow(hwnd)) {
        cairo_surface_flush(surface);
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
    }
    ~Picture() { cairo_surface_destroy(surface); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    COLORREF at(int x, int y) const {
        const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                            y * cairo_image_surface_get_stride(surface));
        const uint32_t p = row[x];
        return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
    }
    // The box of the pixels inside the border whose colour is none of the given ones.
    RECT inkBox(std::initializer_list<COLORREF> background) const {
        RECT box{width, height, -1, -1};
        for (int y = 3; y < height - 3; ++y)
            for (int x = 3; x < width - 3; ++x) {
                const COLORREF c = at(x, y);
                if (std::find(background.begin(), background.end(), c) != background.end()) continue;
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
            }
        return box;
    }
    bool has(COLORREF colour, RECT area) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (at(x, y) == colour) return true;
        return false;
    }
    void save(const std::string& name) const {
        const std::string path = std::string(CADHOST_BINARY_DIR) + "/" + name;
        EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    }
    cairo_surface_t* surface;
    int width = 0, height = 0;
};

POINT screenPoint(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
}

void move(POINT p) { cadhostQueueInput(WindowInputEvent{WindowInputEvent::Move, 0, p, 0, 0, 0}); }

class ButtonSTTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        resources.use(kModule);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(dlg.CreateIndirect(buttonsTemplate()));
        cadhostPumpMessages();
    }
    void TearDown() override {
        dlg.DestroyWindow();
        resources.unuse();
        WindowTestBase::TearDown();
    }
    // The program's loop, with the framework's pre-translation.
    void run() {
        MSG msg;
        while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
            if (!cadhostFilterMessage(&msg) && !IsDialogMessage(dlg.m_hWnd, &msg)) DispatchMessage(&msg);
    }
    ModuleResources resources;
    CButtonsDialog dlg;
    const COLORREF face = GetSysColor(COLOR_BTNFACE), hilight = GetSysColor(COLOR_BTNHIGHLIGHT),
                   shadow = GetSysColor(COLOR_BTNSHADOW);
};

TEST_F(ButtonSTTest, AttachingKeepsTheTypeInIsDefaultAndDrawsThroughTheOwner) {
    for (CButtonST* b : {&dlg.m_flat, &dlg.m_classic}) EXPECT_EQ(b->GetButtonStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(dlg.m_flat.isDefault, 0);
    EXPECT_EQ(dlg.m_classic.isDefault, 1);
    EXPECT_EQ(dlg.m_classic.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(dlg.m_flat.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    // A style change keeps the owner drawing and follows the default type.
    dlg.m_classic.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_EQ(dlg.m_classic.GetButtonStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(dlg.m_classic.isDefault, 0);
    dlg.m_classic.SetButtonStyle(BS_DEFPUSHBUTTON);
    EXPECT_EQ(dlg.m_classic.isDefault, 1);
    // The icon at its natural size; an id without an icon leaves none and still answers 0.
    EXPECT_NE(dlg.m_flat.icon.handle, nullptr);
    EXPECT_EQ(dlg.m_flat.icon.width, 32u);
    EXPECT_EQ(dlg.m_flat.icon.height, 32u);
    EXPECT_EQ(dlg.m_iconOnly.setIconResource(9999, 0), 0u);
    EXPECT_EQ(dlg.m_iconOnly.icon.handle, nullptr);
    // The control-colour request answers the null brush.
    HDC dc = GetDC(dlg.m_flat.m_hWnd);
    EXPECT_EQ(dlg.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dlg.m_flat.m_hWnd)),
              reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    ReleaseDC(dlg.m_flat.m_hWnd, dc);
}

TEST_F(ButtonSTTest, FlatButtonShowsItsBorderOnlyWhileHovered) {
    HWND flat = dlg.m_flat.m_hWnd;
    {
        Picture out(flat);
        EXPECT_EQ(out.at(0, 0), face);
        EXPECT_EQ(out.at(out.width - 1, out.height - 1), face);
        out.save("buttonst_flat_" + kVariant + ".png");
    }
    move(screenPoint(flat, 20, 12));
    run();
    EXPECT_EQ(dlg.m_flat.isHovering, 1);
#ifdef CADHOST_R15
    EXPECT_EQ(GetCapture(), flat);  // the older host follows the mouse by capturing it
    TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    EXPECT_EQ(query.hwndTrack, nullptr);
#else
    EXPECT_EQ(GetCapture(), nullptr);
#endif
    {
        Picture hovered(flat);
        EXPECT_EQ(hovered.at(0, 0), hilight);
        EXPECT_EQ(hovered.at(hovered.width - 1, hovered.height - 1), shadow);
        EXPECT_EQ(hovered.at(hovered.width - 4, 3), face);  // no focus rectangle on a flat button
        EXPECT_EQ(hovered.at(hovered.width - 4, hovered.height - 4), face);
        hovered.save("buttonst_flat_hover_" + kVariant + ".png");
    }
    move(screenPoint(dlg.m_hWnd, 250, 100));
    run();
    EXPECT_EQ(dlg.m_flat.isHovering, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    Picture left(flat);
    EXPECT_EQ(left.at(0, 0), face);

    // A window opening over the cursor deactivates the dialog and ends the hover.
    move(screenPoint(flat, 20, 12));
    run();
    ASSERT_EQ(dlg.m_flat.isHovering, 1);
    POINT cursor;
    GetCursorPos(&cursor);
    HWND other = CreateWindowEx(0, "BUTTON", "", WS_POPUP | WS_VISIBLE, cursor.x - 5, cursor.y - 5, 20, 20, nullptr,
                                nullptr, nullptr, nullptr);
    move(POINT{cursor.x + 1, cursor.y});
    run();
    EXPECT_NE(GetActiveWindow(), dlg.m_hWnd);
    EXPECT_EQ(dlg.m_flat.isHovering, 0);
    DestroyWindow(other);
    dlg.SetActiveWindow();
    // Cancel mode ends it too.
    move(screenPoint(flat, 20, 12));
    run();
    ASSERT_EQ(dlg.m_flat.isHovering, 1);
    dlg.m_flat.SendMessage(WM_CANCELMODE);
    EXPECT_EQ(dlg.m_flat.isHovering, 0);
}

TEST_F(ButtonSTTest, FocusedClassicButtonHasBlackFrameAndFocusRectangleThreePixelsIn) {
    dlg.m_classic.SetFocus();
    Picture p(dlg.m_classic.m_hWnd);
    EXPECT_EQ(p.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(p.at(p.width / 2, p.height - 1), RGB(0, 0, 0));
    EXPECT_EQ(p.at(1, 1), hilight);                            // the raised edge inside the frame
    EXPECT_EQ(p.at(p.width - 2, p.height - 2), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(p.at(3, 3), RGB(0, 0, 0));                       // the dotted focus rectangle
    EXPECT_EQ(p.at(3, p.height - 4), RGB(0, 0, 0));
    EXPECT_NE(p.at(2, 2), RGB(0, 0, 0));
    p.save("buttonst_classic_focused_" + kVariant + ".png");
    // A click gives the focus and the parent hears of it.
    HWND flat = dlg.m_flat.m_hWnd;
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, screenPoint(flat, 10, 10), 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, screenPoint(flat, 10, 10), 0, 0, 0});
    run();
    EXPECT_EQ(dlg.m_clicks, 1);
    EXPECT_EQ(GetFocus(), flat);
}

TEST_F(ButtonSTTest, DisabledButtonIsEmbossedAndNeverHovers) {
    dlg.m_disabled.setFlat(TRUE);
    HWND disabled = dlg.m_disabled.m_hWnd;
    move(screenPoint(disabled, 20, 12));
    run();
    EXPECT_EQ(dlg.m_disabled.isHovering, 0);
    Picture p(disabled);
    EXPECT_EQ(dlg.m_disabled.isDisabled, 1);
    // Icon and caption in the highlight and shadow colours (blended with the face at the text's
    // edges): none of the icon's blues.
    EXPECT_TRUE(p.has(hilight, RECT{3, 3, p.width - 3, p.height - 3}));
    EXPECT_TRUE(p.has(shadow, RECT{3, 3, p.width - 3, p.height - 3}));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const COLORREF c = p.at(x, y);
            ASSERT_LE(GetBValue(c), GetRValue(c) + 8)
                << "coloured pixel at " << x << "," << y;
        }
    p.save("buttonst_disabled_" + kVariant + ".png");
    // Disabling the focused button moves the focus on and ends its hover.
    dlg.m_flat.SetFocus();
    move(screenPoint(dlg.m_flat.m_hWnd, 20, 12));
    run();
    ASSERT_EQ(dlg.m_flat.isHovering, 1);
    dlg.m_flat.EnableWindow(FALSE);
    EXPECT_EQ(dlg.m_flat.isHovering, 0);
    EXPECT_NE(GetFocus(), dlg.m_flat.m_hWnd);
}

TEST_F(ButtonSTTest, IconWithoutCaptionIsCentredAndWithCaptionSitsAtTheGap) {
    Picture alone(dlg.m_iconOnly.m_hWnd);
    const RECT box = alone.inkBox({face});
    EXPECT_EQ(box.right - box.left <= 32, true);
    EXPECT_NEAR((box.left + box.right) / 2.0, alone.width / 2.0, 2.5);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, alone.height / 2.0, 2.5);
    Picture captioned(dlg.m_flat.m_hWnd);
    const RECT ink = captioned.inkBox({face});
    EXPECT_LE(ink.left, 3 + 6);  // the icon starts at the gap from the left edge
}

TEST_F(ButtonSTTest, TooltipIsCreatedInactiveAndShowsTheTextWhenActivated) {
    ASSERT_NE(dlg.m_flat.tooltip.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_flat.tooltip.GetToolCount(), 1);
    EXPECT_EQ(dlg.m_flat.tooltip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    move(screenPoint(dlg.m_flat.m_hWnd, 20, 12));
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, 600});
    run();
    EXPECT_TRUE(dlg.m_flat.tooltip.IsWindowVisible());
    // The second button's tooltip comes with the first message it pre-translates, inactive.
    EXPECT_NE(dlg.m_classic.tooltip.m_hWnd, nullptr);
    move(screenPoint(dlg.m_classic.m_hWnd, 20, 12));
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, 600});
    run();
    EXPECT_EQ(dlg.m_classic.tooltip.GetToolCount(), 0);
    EXPECT_FALSE(dlg.m_classic.tooltip.IsWindowVisible());
    dlg.m_flat.setTooltipText("Another text", FALSE);
    EXPECT_EQ(dlg.m_flat.tooltip.GetToolCount(), 1);
    EXPECT_FALSE(dlg.m_flat.tooltip.IsWindowVisible());
}

}  // namespace
