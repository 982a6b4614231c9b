// The dockable control bar in a main frame: docking, the frame's layout, the hooks a derived
// bar overrides, the caption's close button and menu, floating, sizing, saved positions.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include "ed/winapp.h"
#include "ui/dialog.h"
#include "ui/dockbar.h"
#include "win/render.h"
#include "win/windowscript.h"

namespace {

constexpr int kPanelButton = 301, kPanelList = 302;

DialogTemplate panelTemplate() {
    DialogTemplate t;
    t.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
    t.cx = 100;
    t.cy = 120;
    t.items = {
        {"", DLGATOM_BUTTON, "Count", kPanelButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 4, 4, 50, 14},
        {"", DLGATOM_LISTBOX, "", kPanelList, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER, 0, 4, 22, 90, 90},
    };
    return t;
}

// The bar's panel: counts the presses of its button.
class Panel : public CDialog {
public:
    int clicks = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kPanelButton && HIWORD(wParam) == BN_CLICKED) {
            ++clicks;
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
};

// A bar with a panel, as modules write them; it logs its hooks.
class TestBar : public CAdUiDockControlBar {
public:
    explicit TestBar(int style = kSizable) : CAdUiDockControlBar(style) {}
    std::vector<std::string> log;
    CRect lastRect;
    BOOL lastFloating = FALSE;
    int lastFlags = -1;
    bool loadAllowed = true, closeAllowed = true, removeHide = false;
    std::vector<UINT> menuSeen;
    Panel panel;

protected:
    int OnCreate(LPCREATESTRUCT cs) {
        if (CAdUiDockControlBar::OnCreate(cs) == -1) return -1;
        panel.CreateIndirect(panelTemplate(), this);
        return 0;
    }
    BOOL CreateControlBar(LPCREATESTRUCT cs) override {
        log.push_back(std::string("create:") + (cs && cs->lpszName ? cs->lpszName : ""));
        return TRUE;
    }
    void SizeChanged(CRect* rect, BOOL floating, int flags) override {
        log.push_back("size");
        lastRect = *rect;
        lastFloating = floating;
        lastFlags = flags;
        if (panel.m_hWnd) panel.MoveWindow(rect->left + 2, rect->top + 1, rect->Width() - 4, rect->Height() - 3);
    }
    bool OnBeforeLoadPosition() override {
        log.push_back("load?");
        return loadAllowed;
    }
    bool OnClosing() override {
        log.push_back("closing");
        return closeAllowed;
    }
    void OnClosed() override { log.push_back("closed"); }
    bool OnCustomizeMenu(CAdUiDockBarMenu* menu) override {
        log.push_back("menu");
        menuSeen.clear();
        for (int i = 0; i < menu->GetMenuItemCount(); ++i) menuSeen.push_back(menu->GetMenuItemID(i));
        if (removeHide) menu->RemoveMenu(kHideCommand, CAdUiDockBarMenu::kByCommand);
        return true;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestBar, CAdUiDockControlBar)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class DockBarTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "DockTestFrame";
        RegisterClass(&wc);
        ASSERT_TRUE(frame.CreateEx(0, "DockTestFrame", "cadhost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                   nullptr, nullptr));
        acedHostSetAcadFrame(&frame);
        frame.GetClientRect(&client);
    }
    void TearDown() override {
        acedHostSetAcadFrame(nullptr);
        frame.DestroyWindow();
        WindowTestBase::TearDown();
    }
    // A bar made as modules make it: created, docking enabled, the layout hold cleared, restored.
    void make(TestBar& bar, const char* title, UINT site, int width = 150) {
        ASSERT_TRUE(bar.Create(nullptr, title, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, width, 500), &frame, 403));
        bar.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
        bar.m_bHoldContentLayout = false;
        bar.RestoreControlBar(site);
    }
    CRect inFrame(const CWnd& w) const {
        CRect r;
        w.GetWindowRect(&r);
        frame.ScreenToClient(&r);
        return r;
    }
    CPoint screenOf(const CWnd& w, int x, int y) const {
        CPoint p(x, y);
        w.ClientToScreen(&p);
        return p;
    }
    void mouse(WindowInputEvent::Kind kind, CPoint p, int button = 0) {
        cadhostQueueInput(WindowInputEvent{kind, button, p, 0, 0, 0});
    }
    void click(CPoint p, int button = 0) {
        mouse(WindowInputEvent::ButtonDown, p, button);
        mouse(WindowInputEvent::ButtonUp, p, button);
        cadhostPumpMessages(true);
    }
    CWnd frame;
    CRect client;
};

TEST_F(DockBarTest, BarsDockInColumnsThatFollowTheFrame) {
    TestBar left, right, second;
    make(left, "Left", AFX_IDW_DOCKBAR_LEFT);
    make(right, "Right", AFX_IDW_DOCKBAR_RIGHT, 200);
    EXPECT_EQ(left.GetDockSite(), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(right.GetDockSite(), AFX_IDW_DOCKBAR_RIGHT);
    EXPECT_EQ(inFrame(left), CRect(0, 0, 150, client.bottom));
    EXPECT_EQ(inFrame(right), CRect(client.right - 200, 0, client.right, client.bottom));
    EXPECT_EQ(CAdUiDockControlBar::GetFrameViewRect(&frame), CRect(150, 0, client.right - 200, client.bottom));

    // A second bar on the left shares the column, which takes the wider width.
    make(second, "Second", AFX_IDW_DOCKBAR_LEFT, 170);
    EXPECT_EQ(inFrame(left), CRect(0, 0, 170, client.bottom / 2));
    EXPECT_EQ(inFrame(second), CRect(0, client.bottom / 2, 170, client.bottom));

    // The frame's size changes re-lay the bars.
    frame.MoveWindow(0, 0, 1000, 700);
    CRect now;
    frame.GetClientRect(&now);
    EXPECT_EQ(inFrame(right), CRect(now.right - 200, 0, now.right, now.bottom));
    EXPECT_EQ(inFrame(second).bottom, now.bottom);
    EXPECT_EQ(CAdUiDockControlBar::GetFrameViewRect(&frame), CRect(170, 0, now.right - 200, now.bottom));

    // Hidden and destroyed bars leave the layout.
    second.ShowWindow(SW_HIDE);
    EXPECT_EQ(inFrame(left), CRect(0, 0, 150, now.bottom));
    right.DestroyWindow();
    EXPECT_EQ(CAdUiDockControlBar::GetFrameViewRect(&frame), CRect(150, 0, now.right, now.bottom));
    EXPECT_EQ(CAdUiDockControlBar::GetAllBars().size(), 2u);
    second.ShowWindow(SW_SHOW);
    EXPECT_EQ(inFrame(second).top, now.bottom / 2);
}

TEST_F(DockBarTest, HooksComeAtTheirMomentsWithTheContentRectangle) {
    TestBar bar;
    ASSERT_TRUE(bar.Create(nullptr, "Library", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 150, 500), &frame, 403));
    bar.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    EXPECT_EQ(bar.log, (std::vector<std::string>{"create:Library"}));
    EXPECT_EQ(bar.GetDlgCtrlID(), 403);
    // While the layout is held back, placing the bar does not reach SizeChanged.
    bar.RestoreControlBar();
    EXPECT_EQ(bar.log, (std::vector<std::string>{"create:Library", "load?"}));
    bar.m_bHoldContentLayout = false;
    bar.log.clear();
    bar.RestoreControlBar(AFX_IDW_DOCKBAR_RIGHT);
    ASSERT_GE(bar.log.size(), 2u);
    EXPECT_EQ(bar.log[0], "load?");
    EXPECT_EQ(bar.log.back(), "size");
    // Right-docked: the sizing edge is at the left, the caption strip on top.
    EXPECT_EQ(bar.lastRect, CRect(CAdUiDockControlBar::kSizingEdge, CAdUiDockControlBar::kCaptionHeight, 150, client.bottom));
    EXPECT_FALSE(bar.lastFloating);
    EXPECT_EQ(bar.lastFlags, static_cast<int>(CBRS_ALIGN_RIGHT));
    bar.RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(bar.lastRect, CRect(0, CAdUiDockControlBar::kCaptionHeight, 150 - CAdUiDockControlBar::kSizingEdge, client.bottom));
    EXPECT_EQ(bar.lastFlags, static_cast<int>(CBRS_ALIGN_LEFT));
    EXPECT_FALSE(bar.RestoreControlBar(0xE81B)) << "only the left and right sites";

    // The close button: OnClosing, hidden, OnClosed; a bar that refuses stays.
    bar.log.clear();
    bar.closeAllowed = false;
    CRect r;
    bar.GetClientRect(&r);
    const CPoint closeButton = screenOf(bar, r.right - CAdUiDockControlBar::kSizingEdge - 7, 7);
    click(closeButton);
    EXPECT_EQ(bar.log, (std::vector<std::string>{"closing"}));
    EXPECT_TRUE(bar.IsWindowVisible());
    bar.closeAllowed = true;
    bar.log.clear();
    click(closeButton);
    EXPECT_EQ(bar.log, (std::vector<std::string>{"closing", "closed"}));
    EXPECT_FALSE(bar.IsWindowVisible());
    EXPECT_EQ(CAdUiDockControlBar::GetFrameViewRect(&frame), client);
    // Restoring shows it again, docked where asked.
    bar.RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(inFrame(bar), CRect(0, 0, 150, client.bottom));
}

TEST_F(DockBarTest, CreationFailsWhenTheBarRefuses) {
    struct Refusing : TestBar {
        BOOL CreateControlBar(LPCREATESTRUCT) override { return FALSE; }
    } bar;
    EXPECT_FALSE(bar.Create(nullptr, "No", WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 500), &frame, 1));
    EXPECT_EQ(bar.m_hWnd, nullptr);
    EXPECT_TRUE(CAdUiDockControlBar::GetAllBars().empty());
    TestBar orphan;
    EXPECT_FALSE(orphan.Create(nullptr, "No parent", WS_CHILD, CRect(0, 0, 150, 500), nullptr, 1));
}

TEST_F(DockBarTest, CaptionMenuOffersHostItemsTheBarCanRemove) {
    TestBar bar;
    make(bar, "Library", AFX_IDW_DOCKBAR_LEFT);
    const CPoint caption = screenOf(bar, 60, 6);
    click(caption, 1);
    ASSERT_NE(bar.GetOpenMenu(), nullptr);
    EXPECT_EQ(bar.menuSeen, (std::vector<UINT>{0x1001, 0x1002}));
    EXPECT_EQ(bar.GetOpenMenu()->GetMenuItemCount(), 2);
    EXPECT_TRUE(bar.GetOpenMenu()->items()[0].checked) << "docking is allowed";
    key(VK_ESCAPE);
    cadhostPumpMessages(true);
    EXPECT_EQ(bar.GetOpenMenu(), nullptr);

    // A right click below the caption shows no menu.
    click(screenOf(bar, 60, 200), 1);
    EXPECT_EQ(bar.GetOpenMenu(), nullptr);

    bar.removeHide = true;
    click(caption, 1);
    ASSERT_NE(bar.GetOpenMenu(), nullptr);
    EXPECT_EQ(bar.GetOpenMenu()->GetMenuItemCount(), 1);
    EXPECT_EQ(bar.GetOpenMenu()->GetMenuItemID(0), 0x1001u);
    EXPECT_FALSE(CAdUiDockBarMenu(*bar.GetOpenMenu()).RemoveMenu(0x1002)) << "already gone";
    // Its one item, Allow Docking, unticked: the bar floats and cannot dock.
    click(caption + CSize(10, 9));
    EXPECT_EQ(bar.GetOpenMenu(), nullptr);
    EXPECT_FALSE(bar.IsDockingAllowed());
    EXPECT_TRUE(bar.IsFloating());
    EXPECT_FALSE(bar.DockAt(AFX_IDW_DOCKBAR_LEFT));

    // Hide from the menu goes through OnClosing.
    bar.removeHide = false;
    bar.log.clear();
    CRect r;
    bar.GetWindowRect(&r);
    click(CPoint(r.left + 40, r.top + 7), 1);
    ASSERT_NE(bar.GetOpenMenu(), nullptr);
    click(CPoint(r.left + 60, r.top + 7 + 18 + 9));
    EXPECT_EQ(bar.log, (std::vector<std::string>{"menu", "closing", "closed"}));
    EXPECT_FALSE(bar.IsWindowVisible());
}

TEST_F(DockBarTest, DoubleClickOnTheCaptionFloatsAndDocksAgain) {
    TestBar bar;
    make(bar, "Library", AFX_IDW_DOCKBAR_RIGHT);
    const CPoint caption = screenOf(bar, 50, 6);
    mouse(WindowInputEvent::ButtonDown, caption);
    mouse(WindowInputEvent::ButtonUp, caption);
    mouse(WindowInputEvent::DoubleClick, caption);
    mouse(WindowInputEvent::ButtonUp, caption);
    cadhostPumpMessages(true);
    ASSERT_TRUE(bar.IsFloating());
    EXPECT_TRUE(bar.lastFloating);
    EXPECT_EQ(bar.lastFlags, 0);
    EXPECT_EQ(::GetParent(bar.m_hWnd), nullptr) << "a popup over the frame";
    EXPECT_TRUE(bar.GetStyle() & WS_POPUP);
    EXPECT_EQ(CAdUiDockControlBar::GetFrameViewRect(&frame), client);
    EXPECT_TRUE(bar.IsWindowVisible());
    // Floating, the sizing edge is at the right.
    CRect c;
    bar.GetClientRect(&c);
    EXPECT_EQ(bar.lastRect, CRect(0, CAdUiDockControlBar::kCaptionHeight, c.right - CAdUiDockControlBar::kSizingEdge, c.bottom));

    ASSERT_TRUE(bar.DockAt(AFX_IDW_DOCKBAR_RIGHT));
    EXPECT_EQ(::GetParent(bar.m_hWnd), frame.m_hWnd);
    EXPECT_EQ(inFrame(bar), CRect(client.right - 150, 0, client.right, client.bottom));
    bar.EnableDocking(CBRS_ALIGN_LEFT);
    EXPECT_FALSE(bar.DockAt(AFX_IDW_DOCKBAR_RIGHT)) << "a side not enabled";
}

TEST_F(DockBarTest, DraggingTheInnerEdgeSizesWithinLimits) {
    TestBar bar;
    make(bar, "Library", AFX_IDW_DOCKBAR_LEFT);
    const CPoint edge = screenOf(bar, 148, 300);
    mouse(WindowInputEvent::ButtonDown, edge);
    mouse(WindowInputEvent::Move, edge + CSize(50, 0));
    mouse(WindowInputEvent::ButtonUp, edge + CSize(50, 0));
    cadhostPumpMessages(true);
    EXPECT_EQ(bar.GetDockedWidth(), 200);
    EXPECT_EQ(inFrame(bar), CRect(0, 0, 200, client.bottom));
    EXPECT_EQ(bar.lastRect.right, 200 - CAdUiDockControlBar::kSizingEdge);

    // Docked, only the inner edge moves and never below the narrowest width.
    CRect r(-40, 10, 20, 30);
    bar.OnUserSizing(WMSZ_RIGHT, &r);
    CRect now;
    bar.GetWindowRect(&now);
    EXPECT_EQ(r, CRect(now.left, now.top, now.left + CAdUiDockControlBar::kMinWidth, now.bottom));

    TestBar fixed(0);
    make(fixed, "Fixed", AFX_IDW_DOCKBAR_RIGHT);
    CRect f;
    fixed.GetWindowRect(&f);
    CRect asked(f.left - 100, f.top, f.right, f.bottom);
    fixed.OnUserSizing(WMSZ_LEFT, &asked);
    EXPECT_EQ(asked, f) << "a bar that is not sizable keeps its size";
}

TEST_F(DockBarTest, PositionIsSavedUnderTheToolIdAndLoadedWhenAllowed) {
    const auto dir = std::filesystem::temp_directory_path() / ("dockbar_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const char* saved = std::getenv("CADHOST_PROFILE");
    const std::string savedProfile = saved ? saved : "";
    ::setenv("CADHOST_PROFILE", (dir / "profile.ini").c_str(), 1);
    const CLSID tool{0xE818D0AA, 0x0E31, 0x4789, {0xB8, 0xE2, 0x2C, 0x13, 0x04, 0x8B, 0x6E, 0x10}};
    {
        TestBar bar;
        make(bar, "Library", AFX_IDW_DOCKBAR_LEFT);
        EXPECT_FALSE(bar.SavePosition()) << "no tool id";
        bar.SetToolID(&tool);
        CRect size(0, 0, 180, 400);
        bar.RestoreControlBar(AFX_IDW_DOCKBAR_RIGHT, &size);
        EXPECT_EQ(bar.GetDockedWidth(), 180);
        bar.CloseBar();  // saves where it is
    }
    TestBar again;
    ASSERT_TRUE(again.Create(nullptr, "Library", WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 500), &frame, 403));
    again.SetToolID(&tool);
    again.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    again.RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(again.GetDockSite(), AFX_IDW_DOCKBAR_RIGHT) << "the saved side";
    again.loadAllowed = false;
    again.RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(again.GetDockSite(), AFX_IDW_DOCKBAR_LEFT) << "the hook keeps the asked side";
    again.DestroyWindow();
    if (saved) ::setenv("CADHOST_PROFILE", savedProfile.c_str(), 1);
    else ::unsetenv("CADHOST_PROFILE");
    std::filesystem::remove_all(dir);
}

TEST_F(DockBarTest, ScriptEventsReachADockedBarAndPictureIt) {
    TestBar bar;
    make(bar, "Library", AFX_IDW_DOCKBAR_LEFT, 180);
    // Another window is active: the control is found in the docked bar.
    CDialog other;
    DialogTemplate t;
    t.cx = 60;
    t.cy = 30;
    t.caption = "Other";
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    t.x = 300;
    t.y = 300;
    ASSERT_TRUE(other.CreateIndirect(t, &frame));
    std::string error;
    ASSERT_TRUE(cadhostQueueWindowEventLine("click #301", error)) << error;
    cadhostPumpMessages(true);
    EXPECT_EQ(bar.panel.clicks, 1);
    bar.ShowWindow(SW_HIDE);
    other.SetActiveWindow();
    EXPECT_FALSE(cadhostQueueWindowEventLine("click #302", error)) << "a hidden bar is not searched";
    bar.ShowWindow(SW_SHOW);
    other.DestroyWindow();

    ::SendDlgItemMessage(bar.panel.m_hWnd, kPanelList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("door.dwg"));
    ::SendDlgItemMessage(bar.panel.m_hWnd, kPanelList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("window.dwg"));
    const std::string frameFile = std::string(CADHOST_BINARY_DIR) + "/dockbar_frame.png";
    const std::string barFile = std::string(CADHOST_BINARY_DIR) + "/dockbar_bar.png";
    std::filesystem::remove(frameFile);
    std::filesystem::remove(barFile);
    ASSERT_TRUE(cadhostQueueWindowEventLine("picture frame \"" + frameFile + "\"", error)) << error;
    ASSERT_TRUE(cadhostQueueWindowEventLine("picture bar \"Library\" \"" + barFile + "\"", error)) << error;
    EXPECT_FALSE(cadhostQueueWindowEventLine("picture bar \"Nothing\" \"x.png\"", error));
    EXPECT_NE(error.find("Nothing"), std::string::npos) << error;
    ASSERT_TRUE(std::filesystem::exists(frameFile));
    ASSERT_TRUE(std::filesystem::exists(barFile));
    cairo_surface_t* s = cairo_image_surface_create_from_png(barFile.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(s), 180);
    cairo_surface_destroy(s);
}

TEST(DockBarScript, PictureTargetsParse) {
    WindowEventCommand c;
    std::string error;
    ASSERT_TRUE(cadhostParseWindowEvent("picture bar \"Quillmark\" \"a b.png\"", c, error)) << error;
    EXPECT_EQ(c.target.kind, WindowEventTarget::Bar);
    EXPECT_EQ(c.target.title, "Quillmark");
    EXPECT_EQ(c.text, "a b.png");
    ASSERT_TRUE(cadhostParseWindowEvent("picture window \"cadhost\" \"w.png\"", c, error)) << error;
    EXPECT_EQ(c.target.kind, WindowEventTarget::Titled);
    ASSERT_TRUE(cadhostParseWindowEvent("picture frame \"f.png\"", c, error)) << error;
    EXPECT_EQ(c.target.kind, WindowEventTarget::Frame);
    for (const char* wrong : {"picture bar \"t\"", "picture bar t \"p.png\"", "picture window \"t\" p.png",
                              "picture frame", "picture frame \"\"", "picture \"active\" \"p.png\""})
        EXPECT_FALSE(cadhostParseWindowEvent(wrong, c, error)) << wrong;
}

}  // namespace
