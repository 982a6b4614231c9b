#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <string>
#include <utility>
#include <vector>
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kList = 500;
constexpr int kNameWidth = 80, kValueWidth = 60;

DialogTemplate listTemplate() {
    DialogTemplate t;
    t.x = 20;
    t.y = 20;
    t.cx = 220;
    t.cy = 130;
    t.style |= WS_VISIBLE;
    t.caption = "Blocks";
    t.items = {
        {"SysListView32", 0, "", kList,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
         7, 7, 150, 100},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 163, 7, 50, 14},
    };
    return t;
}

typedef std::pair<UINT, int> Event;  // notification code and item

// A list that sees its clicks and scroll requests before the control does.
class CBlockList : public CListCtrl {
public:
    int m_clicks = 0, m_scrolls = 0;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point) {
        ++m_clicks;
        CListCtrl::OnLButtonDown(flags, point);
    }
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* bar) {
        ++m_scrolls;
        CListCtrl::OnVScroll(code, position, bar);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBlockList, CListCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

class CListDialog : public CDialog {
public:
    CBlockList m_list;
    std::vector<Event> m_events;
    int m_rows = 3;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kList, m_list); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_list.InsertColumn(0, "Name", LVCFMT_LEFT, kNameWidth);
        m_list.InsertColumn(1, "Value", LVCFMT_RIGHT, kValueWidth, 1);
        m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        for (int i = 0; i < m_rows; ++i) {
            std::string name = "Block " + std::to_string(i);
            m_list.InsertItem(i, name.c_str());
            m_list.SetItemText(i, 1, std::to_string(i * 10).c_str());
            m_list.SetItemData(i, static_cast<DWORD_PTR>(100 + i));
        }
        return TRUE;
    }
    void record(NMHDR* h) {
        int item = h->code == NM_RETURN || h->code == LVN_KEYDOWN ? -1
            : h->code == NM_CLICK || h->code == NM_DBLCLK || h->code == NM_RCLICK
            ? reinterpret_cast<NMITEMACTIVATE*>(h)->iItem
            : reinterpret_cast<NMLISTVIEW*>(h)->iItem;
        m_events.emplace_back(h->code, item);
    }
    afx_msg void OnNotify(NMHDR* h, LRESULT*) { record(h); }
    afx_msg void OnKey(NMHDR* h, LRESULT*) {
        m_events.emplace_back(h->code, reinterpret_cast<NMLVKEYDOWN*>(h)->wVKey);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CListDialog, CDialog)
    ON_NOTIFY(NM_CLICK, kList, &CListDialog::OnNotify)
    ON_NOTIFY(NM_DBLCLK, kList, &CListDialog::OnNotify)
    ON_NOTIFY(NM_RCLICK, kList, &CListDialog::OnNotify)
    ON_NOTIFY(NM_RETURN, kList, &CListDialog::OnNotify)
    ON_NOTIFY(LVN_ITEMCHANGING, kList, &CListDialog::OnNotify)
    ON_NOTIFY(LVN_ITEMCHANGED, kList, &CListDialog::OnNotify)
    ON_NOTIFY(LVN_KEYDOWN, kList, &CListDialog::OnKey)
END_MESSAGE_MAP()

int fontHeight(HWND w) {
    HDC dc = GetDC(w);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    ReleaseDC(w, dc);
    return tm.tmHeight;
}

POINT screen(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    return p;
}

void press(WindowInputEvent::Kind kind, int button, POINT p) {
    cadhostQueueInput(WindowInputEvent{kind, button, p, 0, 0, 0});
    if (kind == WindowInputEvent::ButtonDown)
        cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, button, p, 0, 0, 0});
}

class ListViewTest : public WindowTestBase {
protected:
    void open(int rows = 3) {
        dlg.m_rows = rows;
        ASSERT_TRUE(dlg.CreateIndirect(listTemplate()));
        list = dlg.m_list.m_hWnd;
        ASSERT_NE(list, nullptr);
        height = fontHeight(list);
        header = height + 7;
        row = height + 2;  // one pixel more for the grid lines
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    CListDialog dlg;
    HWND list = nullptr;
    int height = 0, header = 0, row = 0;
};

TEST_F(ListViewTest, TemplateControlHoldsColumnsItemsSubItemsAndData) {
    open();
    CBlockList& l = dlg.m_list;
    char name[32];
    GetClassName(list, name, sizeof name);
    EXPECT_STREQ(name, WC_LISTVIEW);
    EXPECT_EQ(l.GetItemCount(), 3);
    EXPECT_EQ(l.GetColumnWidth(0), kNameWidth);
    EXPECT_EQ(l.GetColumnWidth(1), kValueWidth);
    EXPECT_STREQ(l.GetItemText(1, 0), "Block 1");
    EXPECT_STREQ(l.GetItemText(2, 1), "20");
    EXPECT_STREQ(l.GetItemText(2, 5), "");
    EXPECT_EQ(l.GetItemData(2), 102u);
    EXPECT_EQ(l.GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // A short buffer gets what fits.
    char small[4];
    EXPECT_EQ(l.GetItemText(0, 0, small, sizeof small), 3);
    EXPECT_STREQ(small, "Blo");

    EXPECT_EQ(l.InsertItem(1, "Inserted"), 1);
    EXPECT_STREQ(l.GetItemText(2, 0), "Block 1");
    EXPECT_EQ(l.GetItemData(2), 101u);
    EXPECT_TRUE(l.SetColumnWidth(1, 90));
    EXPECT_EQ(l.GetColumnWidth(1), 90);
    LVCOLUMN c{};
    c.mask = LVCF_FMT | LVCF_SUBITEM;
    ASSERT_TRUE(l.SendMessage(LVM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&c)));
    EXPECT_EQ(c.fmt, LVCFMT_RIGHT);
    EXPECT_EQ(c.iSubItem, 1);

    EXPECT_TRUE(l.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    LVITEM item{};
    item.mask = LVIF_STATE | LVIF_PARAM;
    item.iItem = 3;
    item.stateMask = LVIS_SELECTED;
    ASSERT_TRUE(l.GetItem(&item));
    EXPECT_EQ(item.state, LVIS_SELECTED);
    EXPECT_EQ(item.lParam, 102);
    // Single selection: selecting another item takes the selection away from the first.
    l.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(l.GetItemState(3, LVIS_SELECTED), 0u);
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(l.GetNextItem(0, LVNI_SELECTED), -1);
    EXPECT_EQ(l.GetNextItem(-1, LVNI_FOCUSED), 3);

    EXPECT_TRUE(l.DeleteItem(0));
    EXPECT_FALSE(l.DeleteItem(7));
    EXPECT_EQ(l.GetItemCount(), 3);
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_TRUE(l.DeleteColumn(1));
    EXPECT_EQ(l.GetColumnWidth(1), 0);
    EXPECT_TRUE(l.DeleteAllItems());
    EXPECT_EQ(l.GetItemCount(), 0);
    EXPECT_EQ(l.GetItemText(0, 0), CString(""));
}

TEST_F(ListViewTest, RectanglesAndHitTestsFollowTheFontHeight) {
    open();
    CBlockList& l = dlg.m_list;
    ASSERT_GT(height, 0);
    CRect r;
    ASSERT_TRUE(l.GetItemRect(0, &r, LVIR_BOUNDS));
    EXPECT_EQ(r, CRect(0, header, kNameWidth + kValueWidth, header + row));
    ASSERT_TRUE(l.GetItemRect(1, &r, LVIR_LABEL));
    EXPECT_EQ(r, CRect(0, header + row, kNameWidth, header + 2 * row));
    ASSERT_TRUE(l.GetItemRect(1, &r, LVIR_ICON));
    EXPECT_EQ(r, CRect(0, header + row, 0, header + 2 * row));
    ASSERT_TRUE(l.GetSubItemRect(2, 1, LVIR_BOUNDS, r));
    EXPECT_EQ(r, CRect(kNameWidth, header + 2 * row, kNameWidth + kValueWidth, header + 3 * row));
    EXPECT_FALSE(l.GetItemRect(3, &r, LVIR_BOUNDS));
    EXPECT_FALSE(l.GetSubItemRect(0, 2, LVIR_BOUNDS, r));

    UINT flags = 0;
    EXPECT_EQ(l.HitTest(CPoint(kNameWidth + 5, header + row + 1), &flags), 1);
    EXPECT_TRUE(flags & LVHT_ONITEM);
    LVHITTESTINFO info{};
    info.pt = POINT{kNameWidth + 5, header + 2 * row + row - 1};
    EXPECT_EQ(l.SubItemHitTest(&info), 2);
    EXPECT_EQ(info.iSubItem, 1);
    EXPECT_EQ(info.flags, LVHT_ONITEMLABEL);
    EXPECT_EQ(l.HitTest(CPoint(10, header + 3 * row + 1), &flags), -1);
    EXPECT_EQ(flags, LVHT_NOWHERE);
    EXPECT_EQ(l.HitTest(CPoint(kNameWidth + kValueWidth + 3, header + 1), &flags), -1);
    EXPECT_EQ(flags, LVHT_NOWHERE);
    EXPECT_EQ(l.HitTest(CPoint(10, header - 1), &flags), -1);
    EXPECT_EQ(flags, LVHT_ABOVE);

    // A larger font makes taller rows.
    CFont big;
    big.CreatePointFont(160, "Sans");
    l.SetFont(&big);
    int bigHeight = fontHeight(list);
    EXPECT_GT(bigHeight, height);
    ASSERT_TRUE(l.GetItemRect(1, &r, LVIR_BOUNDS));
    EXPECT_EQ(r.top, bigHeight + 7 + bigHeight + 2);
    l.SetFont(dlg.GetFont());
}

TEST_F(ListViewTest, ClicksSelectTheRowAndNotifyInOrder) {
    open();
    cadhostPumpMessages();
    dlg.m_events.clear();
    press(WindowInputEvent::ButtonDown, 0, screen(list, 10, header + row + 2));
    cadhostPumpMessages(true);
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(dlg.m_list.m_clicks, 1);  // the derived class saw it, and passed it on
    std::vector<Event> expected{{LVN_ITEMCHANGING, 1}, {LVN_ITEMCHANGED, 1}, {NM_CLICK, 1}};
    EXPECT_EQ(dlg.m_events, expected);
    EXPECT_EQ(dlg.m_list.GetSelectionMark(), 1);
    EXPECT_EQ(dlg.m_list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);

    dlg.m_events.clear();
    press(WindowInputEvent::ButtonDown, 0, screen(list, kNameWidth + 10, header + 2 * row + 2));
    cadhostPumpMessages(true);
    expected = {{LVN_ITEMCHANGING, 1}, {LVN_ITEMCHANGED, 1}, {LVN_ITEMCHANGING, 2}, {LVN_ITEMCHANGED, 2}, {NM_CLICK, 2}};
    EXPECT_EQ(dlg.m_events, expected);
    EXPECT_EQ(dlg.m_list.GetItemState(1, LVIS_SELECTED), 0u);

    dlg.m_events.clear();
    press(WindowInputEvent::DoubleClick, 0, screen(list, 10, header + 2 * row + 2));
    press(WindowInputEvent::ButtonDown, 1, screen(list, 10, header + 2));
    cadhostPumpMessages(true);
    expected = {{NM_DBLCLK, 2}, {LVN_ITEMCHANGING, 2}, {LVN_ITEMCHANGED, 2}, {LVN_ITEMCHANGING, 0}, {LVN_ITEMCHANGED, 0},
                {NM_RCLICK, 0}};
    EXPECT_EQ(dlg.m_events, expected);

    // A click below the rows clears the selection.
    dlg.m_events.clear();
    press(WindowInputEvent::ButtonDown, 0, screen(list, 10, header + 3 * row + 4));
    cadhostPumpMessages(true);
    expected = {{LVN_ITEMCHANGING, 0}, {LVN_ITEMCHANGED, 0}, {NM_CLICK, -1}};
    EXPECT_EQ(dlg.m_events, expected);
    EXPECT_EQ(dlg.m_list.GetNextItem(-1, LVNI_SELECTED), -1);
}

TEST_F(ListViewTest, ArrowsMoveTheSelectionAndEnterReports) {
    open();
    dlg.m_list.SetFocus();
    dlg.m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    dlg.m_events.clear();
    key(VK_DOWN);
    cadhostPumpMessages(true);
    std::vector<Event> expected{{LVN_KEYDOWN, static_cast<int>(VK_DOWN)}, {LVN_ITEMCHANGING, 0}, {LVN_ITEMCHANGED, 0},
                                {LVN_ITEMCHANGING, 1}, {LVN_ITEMCHANGED, 1}};
    EXPECT_EQ(dlg.m_events, expected);
    EXPECT_EQ(dlg.m_list.GetNextItem(-1, LVNI_SELECTED), 1);
    key(VK_DOWN);
    key(VK_DOWN);  // stops at the last row
    key(VK_UP);
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_list.GetNextItem(-1, LVNI_SELECTED), 1);
    // Enter in a dialog goes to the default button; a key sent to the list itself reports it.
    dlg.m_events.clear();
    dlg.m_list.SendMessage(WM_KEYDOWN, VK_RETURN, 1);
    expected = {{LVN_KEYDOWN, static_cast<int>(VK_RETURN)}, {NM_RETURN, -1}};
    EXPECT_EQ(dlg.m_events, expected);
}

TEST_F(ListViewTest, ScrollingMovesTheTopIndex) {
    open(40);
    CBlockList& l = dlg.m_list;
    CRect client;
    l.GetClientRect(&client);
    int perPage = (client.bottom - header) / row;
    ASSERT_GT(perPage, 2);
    EXPECT_EQ(l.GetCountPerPage(), perPage);
    EXPECT_EQ(l.GetTopIndex(), 0);
    l.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(l.GetTopIndex(), 1);
    EXPECT_EQ(l.m_scrolls, 1);
    l.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(l.GetTopIndex(), 1 + perPage);
    CRect r;
    ASSERT_TRUE(l.GetItemRect(1 + perPage, &r, LVIR_BOUNDS));
    EXPECT_EQ(r.top, header);
    EXPECT_TRUE(l.EnsureVisible(39, FALSE));
    EXPECT_EQ(l.GetTopIndex(), 40 - perPage);
    l.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(l.GetTopIndex(), 40 - perPage);
    EXPECT_TRUE(l.Scroll(CSize(0, -3 * row)));
    EXPECT_EQ(l.GetTopIndex(), 37 - perPage);
    l.EnsureVisible(2, FALSE);
    EXPECT_EQ(l.GetTopIndex(), 2);
    // The scroll bar takes the right edge: a click on its lower arrow scrolls one row.
    int bar = GetSystemMetrics(SM_CXVSCROLL);
    press(WindowInputEvent::ButtonDown, 0, screen(list, client.right - bar / 2, client.bottom - 3));
    cadhostPumpMessages(true);
    EXPECT_EQ(l.GetTopIndex(), 3);
    EXPECT_EQ(l.HitTest(CPoint(client.right - bar / 2, header + 1)), -1);
    l.SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(l.GetTopIndex(), 0);
}

TEST_F(ListViewTest, WideColumnsScrollSideways) {
    open();
    CBlockList& l = dlg.m_list;
    CRect client;
    l.GetClientRect(&client);
    int before = l.GetCountPerPage();
    l.SetColumnWidth(1, client.Width());
    // The horizontal bar takes rows from the page.
    EXPECT_EQ(l.GetCountPerPage(), (client.bottom - GetSystemMetrics(SM_CYHSCROLL) - header) / row);
    EXPECT_LT(l.GetCountPerPage(), before);
    l.SendMessage(WM_HSCROLL, SB_LINERIGHT);
    CRect r;
    ASSERT_TRUE(l.GetSubItemRect(0, 1, LVIR_BOUNDS, r));
    EXPECT_EQ(r.left, kNameWidth - height / 2);
    l.SendMessage(WM_HSCROLL, SB_RIGHT);
    ASSERT_TRUE(l.GetItemRect(0, &r, LVIR_BOUNDS));
    EXPECT_EQ(r.right, client.right);
    EXPECT_TRUE(l.Scroll(CSize(-10000, 0)));
    ASSERT_TRUE(l.GetItemRect(0, &r, LVIR_BOUNDS));
    EXPECT_EQ(r.left, 0);
}

TEST_F(ListViewTest, PictureShowsHeaderGridAndSelection) {
    open();
    dlg.m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    std::string path = ::testing::TempDir() + "listview_dialog.png";
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, path.c_str()));
    cairo_surface_t* s = cadhostRenderWindow(dlg.m_hWnd);
    ASSERT_NE(s, nullptr);
    RECT lr, dr;
    GetWindowRect(list, &lr);
    GetWindowRect(dlg.m_hWnd, &dr);
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    int ox = origin.x - dr.left, oy = origin.y - dr.top;
    auto pixel = [&](int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(s);
        const auto* p = reinterpret_cast<const uint32_t*>(data + (oy + y) * cairo_image_surface_get_stride(s)) + ox + x;
        return *p & 0xFFFFFF;
    };
    auto rgb = [](COLORREF c) { return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); };
    // Header face, grid line, selected row (not focused: button face), plain background.
    EXPECT_EQ(pixel(kNameWidth - 5, 3), rgb(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(pixel(kNameWidth + kValueWidth + 20, header + row - 1), rgb(GetSysColor(COLOR_BTNFACE)));
    int lit = GetFocus() == list ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
    EXPECT_EQ(pixel(kNameWidth - 3, header + row + 2), rgb(GetSysColor(lit)));
    EXPECT_EQ(pixel(kNameWidth + kValueWidth + 20, header + 3), rgb(GetSysColor(COLOR_WINDOW)));
    cairo_surface_destroy(s);
}

}  // namespace

namespace {

// A parent that refuses selection changes, or destroys the list when it hears of a click.
bool gRefuse = false, gDestroyOnClick = false;
int gClicks = 0;

INT_PTR CALLBACK GuardingProc(HWND dlg, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_NOTIFY) return FALSE;
    auto* h = reinterpret_cast<NMHDR*>(lParam);
    if (h->code == LVN_ITEMCHANGING && gRefuse) {
        SetWindowLongPtr(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (h->code == LVN_ITEMCHANGED && gDestroyOnClick) DestroyWindow(h->hwndFrom);
    if (h->code == NM_CLICK) ++gClicks;
    return FALSE;
}

TEST_F(ListViewTest, ParentsMayRefuseChangesAndDestroyTheListMidway) {
    HWND d = CreateDialogIndirectParam(nullptr, listTemplate(), nullptr, GuardingProc, 0);
    ASSERT_NE(d, nullptr);
    HWND l = GetDlgItem(d, kList);
    LVCOLUMN c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = 100;
    c.pszText = const_cast<char*>("Name");
    SendMessage(l, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&c));
    for (int i = 0; i < 3; ++i) {
        LVITEM item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>("row");
        SendMessage(l, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    int h = fontHeight(l);
    gRefuse = true;
    SendMessage(l, WM_LBUTTONDOWN, 0, MAKELPARAM(5, h + 7 + 2));
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    EXPECT_EQ(gClicks, 1);  // the click is still reported
    gRefuse = false;
    LVITEM state{};
    state.state = state.stateMask = LVIS_SELECTED;
    SendMessage(l, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    // The parent destroys the list when it hears that row 2 lost the selection.
    gDestroyOnClick = true;
    SendMessage(l, WM_LBUTTONDOWN, 0, MAKELPARAM(5, h + 7 + 2));
    EXPECT_FALSE(IsWindow(l));
    EXPECT_EQ(gClicks, 1);  // a list destroyed on the way reports nothing more
    gDestroyOnClick = false;
    DestroyWindow(d);
}

}  // namespace
