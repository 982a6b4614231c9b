// Resizable windows: sizing borders and a size grip, the sizing drag and its messages, cursors
// and the screen's metrics.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <string>
#include <vector>
#include "ed/sysvar.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kMinWidth = 350, kMinHeight = 100;

DialogTemplate resizableTemplate() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT | WS_VISIBLE;
    t.x = 30;
    t.y = 30;
    t.cx = 260;
    t.cy = 120;
    t.caption = "Preview";
    t.items = {{"", DLGATOM_BUTTON, "Close", IDCANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 200, 7, 50, 14}};
    return t;
}

// A dialog that draws a size grip in its bottom-right corner and keeps a least size while sized.
class CResizableDlg : public CDialog {
public:
    std::vector<UINT> m_messages;  // the sizing messages, in order
    bool m_clampInSizing = false;
    CRect Grip() const {
        CRect r;
        GetClientRect(&r);
        r.left = r.right - GetSystemMetrics(SM_CXVSCROLL);
        r.top = r.bottom - GetSystemMetrics(SM_CYHSCROLL);
        return r;
    }

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect grip = Grip();
        DrawFrameControl(dc.GetSafeHdc(), &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    afx_msg LRESULT OnNcHitTest(CPoint point) {
        ScreenToClient(&point);
        if (Grip().PtInRect(point)) return HTBOTTOMRIGHT;
        return CDialog::OnNcHitTest(point);
    }
    afx_msg void OnSizing(UINT edge, LPRECT rect) {
        m_messages.push_back(WM_SIZING);
        if (m_clampInSizing && rect->right - rect->left < kMinWidth) rect->right = rect->left + kMinWidth;
        CDialog::OnSizing(edge, rect);
    }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info) {
        m_messages.push_back(WM_GETMINMAXINFO);
        if (!m_clampInSizing) info->ptMinTrackSize = CPoint(kMinWidth, kMinHeight);
    }
    afx_msg void OnSize(UINT type, int cx, int cy) {
        m_messages.push_back(WM_SIZE);
        CDialog::OnSize(type, cx, cy);
    }
    afx_msg void OnEnterSizeMove() { m_messages.push_back(WM_ENTERSIZEMOVE); }
    afx_msg void OnExitSizeMove() { m_messages.push_back(WM_EXITSIZEMOVE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CResizableDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
    ON_WM_SIZING()
    ON_WM_GETMINMAXINFO()
    ON_WM_SIZE()
    ON_WM_ENTERSIZEMOVE()
    ON_WM_EXITSIZEMOVE()
END_MESSAGE_MAP()

void mouseAt(WindowInputEvent::Kind kind, POINT screen) { cadhostQueueInput(WindowInputEvent{kind, 0, screen, 0, 0, 0}); }

// Press at a screen point, move by (dx, dy) in two steps, release.
void drag(POINT from, int dx, int dy) {
    mouseAt(WindowInputEvent::ButtonDown, from);
    mouseAt(WindowInputEvent::Move, POINT{from.x + dx / 2, from.y + dy / 2});
    mouseAt(WindowInputEvent::Move, POINT{from.x + dx, from.y + dy});
    mouseAt(WindowInputEvent::ButtonUp, POINT{from.x + dx, from.y + dy});
    cadhostPumpMessages(true);
}

class SizingTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        ASSERT_TRUE(dlg.CreateIndirect(resizableTemplate()));
        dlg.GetWindowRect(&start);
        dlg.m_messages.clear();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    CRect now() {
        CRect r;
        dlg.GetWindowRect(&r);
        return r;
    }
    CResizableDlg dlg;
    CRect start;
};

TEST_F(SizingTest, FrameBordersAnswerTheirSizingCodes) {
    const int f = GetSystemMetrics(SM_CXFRAME);
    auto hit = [&](int x, int y) { return dlg.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    const int midX = start.CenterPoint().x, midY = start.CenterPoint().y;
    EXPECT_EQ(hit(start.left + 1, midY), HTLEFT);
    EXPECT_EQ(hit(start.right - 1, midY), HTRIGHT);
    EXPECT_EQ(hit(midX, start.top + 1), HTTOP);
    EXPECT_EQ(hit(midX, start.bottom - f), HTBOTTOM);
    EXPECT_EQ(hit(start.left, start.top), HTTOPLEFT);
    EXPECT_EQ(hit(start.right - 1, start.top + 5), HTTOPRIGHT);
    EXPECT_EQ(hit(start.left + 5, start.bottom - 1), HTBOTTOMLEFT);
    EXPECT_EQ(hit(start.right - 1, start.bottom - 1), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(midX, start.top + f + 3), HTCAPTION);
    EXPECT_EQ(hit(start.right + 5, midY), HTNOWHERE);
    // Without a sizing frame the border sizes nothing.
    dlg.ModifyStyle(WS_THICKFRAME, WS_BORDER);
    EXPECT_EQ(hit(start.left, midY), HTNOWHERE);
}

TEST_F(SizingTest, DraggingABorderResizesWithTheMessagesInOrder) {
    const int f = GetSystemMetrics(SM_CXFRAME);
    drag(POINT{start.right - f / 2, start.CenterPoint().y}, 60, 0);
    EXPECT_EQ(now(), CRect(start.left, start.top, start.right + 60, start.bottom));
    EXPECT_EQ(dlg.m_messages, (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_GETMINMAXINFO, WM_SIZING, WM_SIZE, WM_SIZING,
                                                 WM_SIZE, WM_SIZING, WM_EXITSIZEMOVE}));
    EXPECT_EQ(GetCapture(), nullptr);

    // The top-left corner: both edges move; the least tracking size holds the left edge back.
    CRect before = now();
    drag(POINT{before.left + 1, before.top + 1}, before.Width() - 100, 10);
    EXPECT_EQ(now(), CRect(before.right - kMinWidth, before.top + 10, before.right, before.bottom));
    EXPECT_GE(now().Height(), kMinHeight);
}

TEST_F(SizingTest, TheSizingHandlerMayChangeTheRectangle) {
    dlg.m_clampInSizing = true;
    const CRect before = now();
    // Dragged to 200 wide from the left: the handler keeps the left edge and moves the right one.
    drag(POINT{before.left + 1, before.CenterPoint().y}, before.Width() - 200, 0);
    EXPECT_EQ(now().left, before.right - 200);
    EXPECT_EQ(now().right, now().left + kMinWidth);
}

TEST_F(SizingTest, TheSizeGripStartsABottomRightResizeAndEscapeCancels) {
    CRect grip = dlg.Grip();
    CPoint inGrip = grip.CenterPoint();
    dlg.ClientToScreen(&inGrip);
    drag(inGrip, 40, 30);
    EXPECT_EQ(now(), CRect(start.left, start.top, start.right + 40, start.bottom + 30));
    // Escape during the drag puts the window back.
    const CRect before = now();
    grip = dlg.Grip();
    inGrip = grip.CenterPoint();
    dlg.ClientToScreen(&inGrip);
    mouseAt(WindowInputEvent::ButtonDown, inGrip);
    mouseAt(WindowInputEvent::Move, POINT{inGrip.x + 50, inGrip.y + 50});
    key(VK_ESCAPE);
    cadhostPumpMessages(true);
    EXPECT_EQ(now(), before);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd)) << "the escape ended the drag, not the dialog";
}

TEST_F(SizingTest, PictureShowsTheGripInTheCorner) {
    std::string path = ::testing::TempDir() + "resizable_dialog.png";
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, path.c_str()));
    cairo_surface_t* s = cadhostRenderWindow(dlg.m_hWnd);
    ASSERT_NE(s, nullptr);
    CPoint corner(dlg.Grip().right - 2, dlg.Grip().bottom - 1);
    dlg.ClientToScreen(&corner);
    corner.x -= start.left;
    corner.y -= start.top;
    const unsigned char* data = cairo_image_surface_get_data(s);
    auto pixel = [&](int x, int y) {
        return *(reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s)) + x) & 0xFFFFFF;
    };
    auto rgb = [](COLORREF c) { return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); };
    // The ridge nearest the corner: a highlight pixel, then shadow.
    EXPECT_EQ(pixel(corner.x, corner.y), rgb(GetSysColor(COLOR_3DHILIGHT)));
    EXPECT_EQ(pixel(corner.x - 1, corner.y), rgb(GetSysColor(COLOR_3DSHADOW)));
    EXPECT_EQ(pixel(corner.x + 1, corner.y), rgb(GetSysColor(COLOR_3DFACE)));
    cairo_surface_destroy(s);
}

TEST_F(SizingTest, CursorsFollowTheBordersAndTheClassCursor) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), arrow) << "standard cursors are shared";
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(5)), nullptr);
    EXPECT_TRUE(DestroyCursor(arrow));
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), arrow) << "and never destroyed";

    mouseAt(WindowInputEvent::Move, POINT{start.right - 1, start.CenterPoint().y});
    cadhostPumpMessages(true);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZEWE));
    mouseAt(WindowInputEvent::Move, POINT{start.right - 1, start.bottom - 1});
    cadhostPumpMessages(true);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZENWSE));
    HCURSOR previous = SetCursor(arrow);
    EXPECT_EQ(previous, LoadCursor(nullptr, IDC_SIZENWSE));
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(ScreenMetrics, TheScreenIsTheSizeOfScreensize) {
    resbuf saved;
    ASSERT_EQ(acedGetVar("SCREENSIZE", &saved), RTNORM);
    resbuf rb{};
    rb.restype = RTPOINT;
    rb.resval.rpoint[0] = 1024;
    rb.resval.rpoint[1] = 700;
    ASSERT_EQ(acedHostSetVar("SCREENSIZE", &rb), RTNORM);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 700);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 700 - GetSystemMetrics(SM_CYCAPTION));
    RECT work{};
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right, 1024);
    EXPECT_EQ(work.bottom, 700);
    EXPECT_FALSE(SystemParametersInfo(0x1234, 0, &work, 0));
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
    acedHostSetVar("SCREENSIZE", &saved);
}

}  // namespace
