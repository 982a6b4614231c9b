// The tab control, tooltips, mouse-leave tracking and owner-drawn button states.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <string>
#include <vector>
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kTab = 500, kOwner = 501, kPlain = 502, kLabel = 503;

DialogTemplate tabsTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 20;
    t.y = 20;
    t.cx = 220;
    t.cy = 130;
    t.caption = "Tabs";
    t.items = {
        {WC_TABCONTROL, 0, "", kTab, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 210, 80},
        {"", DLGATOM_STATIC, "Page one", kLabel, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 15, 30, 80, 10},
        {"", DLGATOM_BUTTON, "", kOwner, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 5, 95, 50, 20},
        {"", DLGATOM_BUTTON, "Plain", kPlain, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 60, 95, 50, 14},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 165, 110, 50, 14},
    };
    return t;
}

POINT screenPoint(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
}

POINT centre(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    return screenPoint(h, r.right / 2, r.bottom / 2);
}

void mouse(WindowInputEvent::Kind kind, POINT p) { cadhostQueueInput(WindowInputEvent{kind, 0, p, 0, 0, 0}); }
void wait(DWORD ms) { cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, ms}); }
void click(POINT p) {
    mouse(WindowInputEvent::ButtonDown, p);
    mouse(WindowInputEvent::ButtonUp, p);
}

std::string picturePath(const char* name) { return std::string(CADHOST_BINARY_DIR) + "/" + name; }

class CTabsDialog : public CDialog {
public:
    CTabsDialog() { InitModalIndirect(tabsTemplate()); }
    CTabCtrl m_tabs;
    std::vector<std::string> m_events;  // notifications in the order they came
    bool m_veto = false;

    class CStateButton : public CButton {
    public:
        std::vector<std::pair<UINT, UINT>> m_draws;  // itemAction, itemState
        void DrawItem(LPDRAWITEMSTRUCT dis) override {
            m_draws.emplace_back(dis->itemAction, dis->itemState);
            CDC::FromHandle(dis->hDC)->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(200, 0, 0) : RGB(0, 160, 0));
        }
    } m_owner;
    int m_buttonColours = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kTab, m_tabs);
        DDX_Control(dx, kOwner, m_owner);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_tabs.InsertItem(0, "Attributes");
        m_tabs.InsertItem(1, "Text Options");
        m_tabs.InsertItem(2, "Properties");
        return TRUE;
    }
    afx_msg void OnSelChanging(NMHDR* header, LRESULT* result) {
        m_events.push_back("changing " + std::to_string(m_tabs.GetCurSel()));
        EXPECT_EQ(header->hwndFrom, m_tabs.m_hWnd);
        *result = m_veto ? TRUE : FALSE;
    }
    afx_msg void OnSelChange(NMHDR*, LRESULT*) { m_events.push_back("change " + std::to_string(m_tabs.GetCurSel())); }
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) {
        if (kind == CTLCOLOR_BTN && wnd->m_hWnd == m_owner.m_hWnd) ++m_buttonColours;
        return CDialog::OnCtlColor(dc, wnd, kind);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTabsDialog, CDialog)
    ON_NOTIFY(TCN_SELCHANGING, kTab, &CTabsDialog::OnSelChanging)
    ON_NOTIFY(TCN_SELCHANGE, kTab, &CTabsDialog::OnSelChange)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

using TabsTest = WindowTestBase;

TEST_F(TabsTest, TabsAreLaidOutInARowAsWideAsTheirTextsAndHitTested) {
    CTabsDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(tabsTemplate()));
    ASSERT_EQ(dlg.m_tabs.GetItemCount(), 3);
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 0);
    CRect first, second, third;
    ASSERT_TRUE(dlg.m_tabs.GetItemRect(0, &first));
    ASSERT_TRUE(dlg.m_tabs.GetItemRect(1, &second));
    ASSERT_TRUE(dlg.m_tabs.GetItemRect(2, &third));
    EXPECT_FALSE(dlg.m_tabs.GetItemRect(3, &third));
    EXPECT_EQ(first.right, second.left);
    EXPECT_EQ(second.right, third.left);
    EXPECT_EQ(first.top, second.top);
    EXPECT_EQ(first.bottom, third.bottom);
    EXPECT_GT(second.Width(), first.Width());  // "Text Options" is longer than "Attributes"
    CClientDC dc(&dlg.m_tabs);
    dc.SelectObject(dlg.m_tabs.GetFont());
    EXPECT_EQ(first.Width(), dc.GetTextExtent("Attributes").cx + 12);

    TCHITTESTINFO hit{{second.left + 3, second.top + 3}, 0};
    EXPECT_EQ(dlg.m_tabs.HitTest(&hit), 1);
    EXPECT_EQ(hit.flags, TCHT_ONITEMLABEL);
    hit.pt = CPoint(third.right + 5, third.top + 3);
    EXPECT_EQ(dlg.m_tabs.HitTest(&hit), -1);
    EXPECT_EQ(hit.flags, TCHT_NOWHERE);

    // The display area starts below the row; the larger rectangle gives the window back.
    CRect client;
    dlg.m_tabs.GetClientRect(&client);
    CRect page = client;
    dlg.m_tabs.AdjustRect(FALSE, &page);
    EXPECT_GT(page.top, first.bottom);
    EXPECT_GT(page.left, client.left);
    EXPECT_LT(page.bottom, client.bottom);
    dlg.m_tabs.AdjustRect(TRUE, &page);
    EXPECT_EQ(page, client);

    // Items keep their data; deleting keeps the selection on the same tab.
    TCITEM item{};
    item.mask = TCIF_PARAM | TCIF_IMAGE;
    item.lParam = 77;
    item.iImage = 2;
    EXPECT_TRUE(dlg.m_tabs.SetItem(2, &item));
    char text[32];
    TCITEM read{};
    read.mask = TCIF_TEXT | TCIF_PARAM | TCIF_IMAGE;
    read.pszText = text;
    read.cchTextMax = 5;
    ASSERT_TRUE(dlg.m_tabs.GetItem(2, &read));
    EXPECT_STREQ(text, "Prop");
    EXPECT_EQ(read.lParam, 77);
    EXPECT_EQ(read.iImage, 2);
    EXPECT_EQ(dlg.m_tabs.SetCurSel(2), 0);
    EXPECT_EQ(dlg.m_tabs.SetCurSel(9), -1);
    EXPECT_TRUE(dlg.m_tabs.DeleteItem(0));
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 1);
    EXPECT_TRUE(dlg.m_tabs.DeleteAllItems());
    EXPECT_EQ(dlg.m_tabs.GetItemCount(), 0);
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), -1);
    EXPECT_TRUE(dlg.m_events.empty());  // nothing done by the program is notified
    dlg.DestroyWindow();
}

TEST_F(TabsTest, ClicksAndKeysAskTheParentFirstAndAVetoKeepsTheTab) {
    CTabsDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(tabsTemplate()));
    CRect second, third;
    dlg.m_tabs.GetItemRect(1, &second);
    dlg.m_tabs.GetItemRect(2, &third);
    click(screenPoint(dlg.m_tabs.m_hWnd, second.CenterPoint().x, second.CenterPoint().y));
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"changing 0", "change 1"}));
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 1);

    dlg.m_events.clear();
    dlg.m_veto = true;
    click(screenPoint(dlg.m_tabs.m_hWnd, third.CenterPoint().x, third.CenterPoint().y));
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_events, std::vector<std::string>{"changing 1"});
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 1);

    // Arrow keys and ctrl+tab move the selection while the control has the focus.
    dlg.m_veto = false;
    dlg.m_events.clear();
    dlg.m_tabs.SetFocus();
    key(VK_RIGHT);
    key(VK_RIGHT);  // no tab after the last
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyDown, 0, {0, 0}, VK_CONTROL, 0, 0});
    key(VK_TAB);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyUp, 0, {0, 0}, VK_CONTROL, 0, 0});
    key(VK_LEFT);
    MSG msg;
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!cadhostFilterMessage(&msg)) DispatchMessage(&msg);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"changing 1", "change 2", "changing 2", "change 0"}));
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 0);
    EXPECT_EQ(GetFocus(), dlg.m_tabs.m_hWnd);

    std::string path = picturePath("ui_tab_control.png");
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, path.c_str()));
    dlg.DestroyWindow();
}

TEST_F(TabsTest, OwnerDrawnButtonsAreToldWhatChangedWithTheirState) {
    CTabsDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(tabsTemplate()));
    HWND owner = dlg.m_owner.m_hWnd;
    EXPECT_EQ(::SendMessage(owner, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
    cadhostPumpMessages();
    dlg.m_owner.m_draws.clear();
    dlg.m_buttonColours = 0;
    mouse(WindowInputEvent::ButtonDown, centre(owner));
    cadhostPumpMessages(true);
    using Draw = std::pair<UINT, UINT>;
    // The click gives the focus first, then the pressed state.
    EXPECT_EQ(dlg.m_owner.m_draws, (std::vector<Draw>{{ODA_FOCUS, ODS_FOCUS}, {ODA_SELECT, ODS_FOCUS | ODS_SELECTED}}));
    EXPECT_GE(dlg.m_buttonColours, 2);
    dlg.m_owner.m_draws.clear();
    mouse(WindowInputEvent::ButtonUp, centre(owner));
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_owner.m_draws, (std::vector<Draw>{{ODA_SELECT, ODS_FOCUS}}));
    dlg.m_owner.m_draws.clear();
    dlg.m_owner.EnableWindow(FALSE);
    cairo_surface_t* s = cadhostRenderWindow(owner);
    ASSERT_NE(s, nullptr);
    cairo_surface_destroy(s);
    ASSERT_FALSE(dlg.m_owner.m_draws.empty());
    EXPECT_EQ(dlg.m_owner.m_draws.back(), (Draw{ODA_DRAWENTIRE, ODS_DISABLED}));
    dlg.DestroyWindow();
}

// A window that counts the WM_MOUSELEAVE it is sent.
struct LeaveCounter {
    static int& count() {
        static int n = 0;
        return n;
    }
    static LRESULT CALLBACK proc(HWND h, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_MOUSELEAVE) ++count();
        return DefWindowProc(h, message, w, l);
    }
};

TEST_F(TabsTest, MouseLeaveIsPostedOnceWhenTheCursorLeavesTheTrackedWindow) {
    WNDCLASS wc{};
    wc.lpfnWndProc = &LeaveCounter::proc;
    wc.lpszClassName = "LeaveCounter";
    RegisterClass(&wc);
    HWND top = CreateWindowEx(0, "LeaveCounter", "top", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowEx(0, "LeaveCounter", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top, nullptr, nullptr, nullptr);
    LeaveCounter::count() = 0;
    mouse(WindowInputEvent::Move, screenPoint(child, 5, 5));
    cadhostPumpMessages(true);
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, child, 0};
    ASSERT_TRUE(TrackMouseEvent(&track));
    TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, nullptr, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, child);
    mouse(WindowInputEvent::Move, screenPoint(child, 20, 20));
    cadhostPumpMessages(true);
    EXPECT_EQ(LeaveCounter::count(), 0);
    mouse(WindowInputEvent::Move, screenPoint(top, 150, 150));  // onto the parent
    mouse(WindowInputEvent::Move, screenPoint(child, 5, 5));
    mouse(WindowInputEvent::Move, screenPoint(top, 150, 150));  // no longer tracked
    cadhostPumpMessages(true);
    EXPECT_EQ(LeaveCounter::count(), 1);
    // Tracking a window the cursor is not over tells it at once; cancelling stops tracking.
    ASSERT_TRUE(TrackMouseEvent(&track));
    cadhostPumpMessages();
    EXPECT_EQ(LeaveCounter::count(), 2);
    mouse(WindowInputEvent::Move, screenPoint(child, 5, 5));
    cadhostPumpMessages(true);
    ASSERT_TRUE(TrackMouseEvent(&track));
    TRACKMOUSEEVENT cancel{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_CANCEL, child, 0};
    ASSERT_TRUE(TrackMouseEvent(&cancel));
    mouse(WindowInputEvent::Move, screenPoint(top, 150, 150));
    cadhostPumpMessages(true);
    EXPECT_EQ(LeaveCounter::count(), 2);
    TRACKMOUSEEVENT bad{sizeof(TRACKMOUSEEVENT), 0x1, child, 0};
    EXPECT_FALSE(TrackMouseEvent(&bad));
    // Disabling a window cancels its modes: it loses the capture.
    SetCapture(child);
    EnableWindow(child, FALSE);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(top);
    UnregisterClass("LeaveCounter", nullptr);
}

class TooltipTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        ASSERT_TRUE(dlg.CreateIndirect(tabsTemplate()));
        ASSERT_TRUE(tip.Create(&dlg));
        plain = dlg.GetDlgItem(kPlain);
        ASSERT_TRUE(tip.AddTool(plain, "Runs the plain command", nullptr, 0));
        cadhostPumpMessages();
    }
    void TearDown() override {
        tip.DestroyWindow();
        dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    // The program's loop: the framework relays what the tool sees to the tooltip.
    void hover(POINT p, DWORD ms) {
        mouse(WindowInputEvent::Move, p);
        wait(ms);
        MSG msg;
        while (cadhostFetchMessage(&msg, true) == FetchResult::Message) {
            if (msg.hwnd == plain->m_hWnd && msg.message >= WM_MOUSEMOVE && msg.message <= WM_RBUTTONDBLCLK)
                tip.RelayEvent(&msg);
            if (!cadhostFilterMessage(&msg)) DispatchMessage(&msg);
        }
    }
    CTabsDialog dlg;
    CToolTipCtrl tip;
    CWnd* plain = nullptr;
};

TEST_F(TooltipTest, TipShowsAfterTheInitialDelayAndHidesOnLeavingOrClicking) {
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_TRUE(tip.GetStyle() & WS_POPUP);
    EXPECT_TRUE(tip.GetExStyle() & WS_EX_TOPMOST);
    hover(centre(plain->m_hWnd), 300);
    EXPECT_FALSE(tip.IsWindowVisible());
    hover(centre(plain->m_hWnd), 300);
    ASSERT_TRUE(tip.IsWindowVisible());
    CRect tipRect, plainRect;
    tip.GetWindowRect(&tipRect);
    plain->GetWindowRect(&plainRect);
    EXPECT_GT(tipRect.top, centre(plain->m_hWnd).y);  // under the cursor
    EXPECT_EQ(::GetWindow(tip.m_hWnd, GW_OWNER), dlg.m_hWnd);

    // The picture: the dialog with the tip over it.
    cairo_surface_t* whole = cadhostRenderWindow(dlg.m_hWnd);
    cairo_surface_t* part = cadhostRenderWindow(tip.m_hWnd);
    ASSERT_TRUE(whole && part);
    CRect dlgRect;
    dlg.GetWindowRect(&dlgRect);
    cairo_t* cr = cairo_create(whole);
    cairo_set_source_surface(cr, part, tipRect.left - dlgRect.left, tipRect.top - dlgRect.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    // The info colours: yellow inside, framed.
    cairo_surface_flush(part);
    const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(part));
    const int stride = cairo_image_surface_get_stride(part) / 4;
    const COLORREF bk = GetSysColor(COLOR_INFOBK);
    EXPECT_EQ(px[stride * 2 + 2] & 0xFFFFFF, (GetRValue(bk) << 16u) | (GetGValue(bk) << 8u) | GetBValue(bk));
    EXPECT_EQ(px[0] & 0xFFFFFF, 0u);
    std::string path = picturePath("ui_tooltip.png");
    EXPECT_EQ(cairo_surface_write_to_png(whole, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(part);
    cairo_surface_destroy(whole);

    // Leaving the tool hides the tip, on the next check of the cursor.
    hover(screenPoint(dlg.m_hWnd, 5, 200), 150);
    EXPECT_FALSE(tip.IsWindowVisible());
    // A click hides it and it stays hidden while the mouse rests there.
    hover(centre(plain->m_hWnd), 600);
    ASSERT_TRUE(tip.IsWindowVisible());
    click(centre(plain->m_hWnd));
    hover(centre(plain->m_hWnd), 600);
    EXPECT_FALSE(tip.IsWindowVisible());
    // After the pop-up delay the tip goes by itself.
    hover(screenPoint(dlg.m_hWnd, 5, 200), 150);
    hover(centre(plain->m_hWnd), 600);
    ASSERT_TRUE(tip.IsWindowVisible());
    wait(5000);
    cadhostPumpMessages(true);
    EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(TooltipTest, DeactivatedTipsStayHiddenAndTextsUpdate) {
    hover(centre(plain->m_hWnd), 600);
    ASSERT_TRUE(tip.IsWindowVisible());
    tip.Activate(FALSE);
    EXPECT_FALSE(tip.IsWindowVisible());
    hover(centre(plain->m_hWnd), 600);
    EXPECT_FALSE(tip.IsWindowVisible());
    tip.Activate(TRUE);
    tip.UpdateTipText("A much longer text that wraps at the maximum width", plain);
    EXPECT_EQ(tip.SetMaxTipWidth(80), -1);
    hover(screenPoint(dlg.m_hWnd, 5, 200), 150);
    hover(centre(plain->m_hWnd), 600);
    ASSERT_TRUE(tip.IsWindowVisible());
    CRect r;
    tip.GetWindowRect(&r);
    EXPECT_LE(r.Width(), 80 + 10);
    EXPECT_GT(r.Height(), 30);  // more than one line
    tip.Pop();
    EXPECT_FALSE(tip.IsWindowVisible());
    tip.DelTool(plain);
    EXPECT_EQ(tip.GetToolCount(), 0);
}

TEST_F(TooltipTest, SubclassedToolsNeedNoRelay) {
    CWnd* label = dlg.GetDlgItem(kOwner);
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = dlg.m_hWnd;
    ti.uId = reinterpret_cast<UINT_PTR>(label->m_hWnd);
    ti.lpszText = const_cast<char*>("Owner drawn");
    ASSERT_TRUE(tip.SendMessage(TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    mouse(WindowInputEvent::Move, centre(label->m_hWnd));
    wait(600);
    cadhostPumpMessages(true);
    ASSERT_TRUE(tip.IsWindowVisible());
    char text[80] = {};
    ti.lpszText = text;
    tip.SendMessage(TTM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, "Owner drawn");
}

}  // namespace
