#include <gtest/gtest.h>
#include "window_input.h"
#include <string>
#include <vector>
#include "ui/dialog.h"
#include "ui/treectrl.h"

namespace {

constexpr int kTree = 600;

DialogTemplate treeTemplate(DWORD treeStyle) {
    DialogTemplate t;
    t.x = 20;
    t.y = 20;
    t.cx = 200;
    t.cy = 160;
    t.style |= WS_VISIBLE;
    t.caption = "Folders";
    t.items = {{"SysTreeView32", 0, "", kTree, WS_CHILD | WS_VISIBLE | WS_TABSTOP | treeStyle, WS_EX_CLIENTEDGE, 7, 7,
                150, 140}};
    return t;
}

struct Event {
    UINT code;
    HTREEITEM item;  // the new item (selection, expansion) or the deleted one
    UINT action;
    bool operator==(const Event& o) const { return code == o.code && item == o.item && action == o.action; }
};

class CTreeDialog : public CDialog {
public:
    CTreeCtrl m_tree;
    std::vector<Event> m_events;
    HTREEITEM m_vetoExpand = nullptr, m_vetoSelect = nullptr, m_fillOnExpand = nullptr;
    int m_callbackChildren = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kTree, m_tree); }
    afx_msg void OnTreeView(NMHDR* h, LRESULT* result) {
        auto* nm = reinterpret_cast<NMTREEVIEW*>(h);
        HTREEITEM item = h->code == TVN_DELETEITEM ? nm->itemOld.hItem : nm->itemNew.hItem;
        m_events.push_back(Event{h->code, item, nm->action});
        if (h->code == TVN_ITEMEXPANDING && item == m_fillOnExpand && !m_tree.GetChildItem(item))
            m_tree.InsertItem("filled", item);
        *result = (h->code == TVN_ITEMEXPANDING && item == m_vetoExpand) ||
                  (h->code == TVN_SELCHANGING && item == m_vetoSelect);
    }
    afx_msg void OnPlain(NMHDR* h, LRESULT*) { m_events.push_back(Event{h->code, nullptr, 0}); }
    afx_msg void OnDeleted(NMHDR* h, LRESULT* result) {
        OnTreeView(h, result);
        if (m_destroyOnDelete) m_tree.DestroyWindow();
    }
public:
    bool m_destroyOnDelete = false;
protected:
    afx_msg void OnKey(NMHDR* h, LRESULT*) {
        m_events.push_back(Event{h->code, nullptr, reinterpret_cast<NMTVKEYDOWN*>(h)->wVKey});
    }
    afx_msg void OnDispInfo(NMHDR* h, LRESULT*) {
        auto* info = reinterpret_cast<NMTVDISPINFO*>(h);
        if (info->item.mask & TVIF_CHILDREN) info->item.cChildren = m_callbackChildren;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTreeDialog, CDialog)
    ON_NOTIFY(TVN_SELCHANGING, kTree, &CTreeDialog::OnTreeView)
    ON_NOTIFY(TVN_SELCHANGED, kTree, &CTreeDialog::OnTreeView)
    ON_NOTIFY(TVN_ITEMEXPANDING, kTree, &CTreeDialog::OnTreeView)
    ON_NOTIFY(TVN_ITEMEXPANDED, kTree, &CTreeDialog::OnTreeView)
    ON_NOTIFY(TVN_DELETEITEM, kTree, &CTreeDialog::OnDeleted)
    ON_NOTIFY(NM_CLICK, kTree, &CTreeDialog::OnPlain)
    ON_NOTIFY(NM_DBLCLK, kTree, &CTreeDialog::OnPlain)
    ON_NOTIFY(NM_RETURN, kTree, &CTreeDialog::OnPlain)
    ON_NOTIFY(TVN_KEYDOWN, kTree, &CTreeDialog::OnKey)
    ON_NOTIFY(TVN_GETDISPINFO, kTree, &CTreeDialog::OnDispInfo)
END_MESSAGE_MAP()

void mouse(WindowInputEvent::Kind kind, HWND w, POINT client) {
    ClientToScreen(w, &client);
    cadhostQueueInput(WindowInputEvent{kind, 0, client, 0, 0, 0});
    if (kind != WindowInputEvent::Move)
        cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, client, 0, 0, 0});
    cadhostPumpMessages(true);
}

class TreeViewTest : public WindowTestBase {
protected:
    void open(DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS) {
        ASSERT_TRUE(dlg.CreateIndirect(treeTemplate(style)));
        tree = &dlg.m_tree;
        ASSERT_NE(tree->m_hWnd, nullptr);
    }
    // C: with Dwg (Parts, Blocks) and Temp; D: with Data.
    void fill() {
        c = tree->InsertItem("C:");
        dwg = tree->InsertItem("Dwg", c);
        parts = tree->InsertItem("Parts", dwg);
        blocks = tree->InsertItem("Blocks", dwg);
        temp = tree->InsertItem("Temp", c);
        d = tree->InsertItem("D:");
        data = tree->InsertItem("Data", d);
        dlg.m_events.clear();
    }
    std::vector<HTREEITEM> visible() {
        std::vector<HTREEITEM> out;
        for (HTREEITEM h = tree->GetFirstVisibleItem(); h; h = tree->GetNextVisibleItem(h)) out.push_back(h);
        return out;
    }
    std::vector<std::string> children(HTREEITEM parent) {
        std::vector<std::string> out;
        for (HTREEITEM h = tree->GetChildItem(parent); h; h = tree->GetNextSiblingItem(h))
            out.push_back(tree->GetItemText(h).GetString());
        return out;
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    CTreeDialog dlg;
    CTreeCtrl* tree = nullptr;
    HTREEITEM c = nullptr, dwg = nullptr, parts = nullptr, blocks = nullptr, temp = nullptr, d = nullptr, data = nullptr;
};

TEST_F(TreeViewTest, InsertsFirstLastAfterASiblingAndSortedWithoutCase) {
    open();
    HTREEITEM root = tree->InsertItem("Root");
    tree->InsertItem("m", root);
    tree->InsertItem("first", root, TVI_FIRST);
    HTREEITEM z = tree->InsertItem("z", root, TVI_LAST);
    tree->InsertItem("Beta", root, TVI_SORT);  // before "first": sorted among what is there
    tree->InsertItem("after first", root, tree->GetChildItem(root));
    EXPECT_EQ(children(root), (std::vector<std::string>{"Beta", "after first", "first", "m", "z"}));

    HTREEITEM sorted = tree->InsertItem("Sorted");
    for (const char* s : {"delta", "Alpha", "charlie", "Bravo", "alpha"}) tree->InsertItem(s, sorted, TVI_SORT);
    EXPECT_EQ(children(sorted), (std::vector<std::string>{"Alpha", "alpha", "Bravo", "charlie", "delta"}));
    EXPECT_EQ(tree->GetCount(), 12u);
    EXPECT_EQ(tree->GetParentItem(z), root);
    EXPECT_EQ(tree->GetNextSiblingItem(root), sorted);
    EXPECT_EQ(tree->GetPrevSiblingItem(sorted), root);
    EXPECT_EQ(tree->GetParentItem(root), nullptr);

    // A parent that is no item of the tree inserts nothing.
    EXPECT_EQ(tree->InsertItem("lost", reinterpret_cast<HTREEITEM>(0x1234)), nullptr);
    EXPECT_EQ(tree->GetCount(), 12u);
}

TEST_F(TreeViewTest, ItemsKeepTextImagesDataAndDeleteWithTheirDescendants) {
    open();
    fill();
    EXPECT_TRUE(tree->SetItemText(dwg, "Drawings"));
    EXPECT_STREQ(tree->GetItemText(dwg).GetString(), "Drawings");
    EXPECT_TRUE(tree->SetItemData(dwg, 77));
    EXPECT_EQ(tree->GetItemData(dwg), 77u);
    EXPECT_TRUE(tree->SetItemImage(dwg, 3, 4));
    int image = 0, selected = 0;
    EXPECT_TRUE(tree->GetItemImage(dwg, image, selected));
    EXPECT_EQ(image, 3);
    EXPECT_EQ(selected, 4);
    EXPECT_TRUE(tree->ItemHasChildren(dwg));
    EXPECT_FALSE(tree->ItemHasChildren(parts));

    tree->SelectItem(blocks);
    dlg.m_events.clear();
    EXPECT_TRUE(tree->DeleteItem(dwg));
    // The parent hears of each item going; the selection moves to the next sibling.
    std::vector<Event> deleted(dlg.m_events.begin(), dlg.m_events.begin() + 3);
    EXPECT_EQ(deleted, (std::vector<Event>{{TVN_DELETEITEM, parts, 0}, {TVN_DELETEITEM, blocks, 0}, {TVN_DELETEITEM, dwg, 0}}));
    EXPECT_EQ(tree->GetSelectedItem(), temp);
    EXPECT_EQ(tree->GetCount(), 4u);
    EXPECT_FALSE(tree->DeleteItem(dwg));
    EXPECT_STREQ(tree->GetItemText(dwg).GetString(), "");
    EXPECT_TRUE(tree->DeleteAllItems());
    EXPECT_EQ(tree->GetCount(), 0u);
    EXPECT_EQ(tree->GetSelectedItem(), nullptr);
    EXPECT_EQ(tree->GetRootItem(), nullptr);
}

TEST_F(TreeViewTest, AParentMayDestroyTheTreeWhileItemsGo) {
    open();
    fill();
    dlg.m_destroyOnDelete = true;
    tree->DeleteItem(dwg);
    EXPECT_FALSE(IsWindow(tree->m_hWnd));
    EXPECT_EQ(dlg.m_events.front(), (Event{TVN_DELETEITEM, parts, 0}));
}

TEST_F(TreeViewTest, ExpansionAsksTheParentWhichMayRefuse) {
    open();
    fill();
    dlg.m_vetoExpand = c;
    EXPECT_FALSE(tree->Expand(c, TVE_EXPAND));
    EXPECT_EQ(tree->GetItemState(c, TVIS_EXPANDED), 0u);
    dlg.m_vetoExpand = nullptr;
    dlg.m_events.clear();
    EXPECT_TRUE(tree->Expand(c, TVE_EXPAND));
    EXPECT_EQ(dlg.m_events, (std::vector<Event>{{TVN_ITEMEXPANDING, c, TVE_EXPAND}, {TVN_ITEMEXPANDED, c, TVE_EXPAND}}));
    EXPECT_EQ(tree->GetItemState(c, TVIS_EXPANDED | TVIS_EXPANDEDONCE), TVIS_EXPANDED | TVIS_EXPANDEDONCE);
    // Once expanded, the messages change the state without telling the parent again.
    dlg.m_events.clear();
    EXPECT_TRUE(tree->Expand(c, TVE_TOGGLE));
    EXPECT_TRUE(tree->Expand(c, TVE_EXPAND));
    EXPECT_TRUE(dlg.m_events.empty());
    // An item without children does not expand.
    EXPECT_FALSE(tree->Expand(parts, TVE_EXPAND));

    // Children left to the parent: asked when needed, and filled while the item expands.
    HTREEITEM lazy = tree->InsertItem(TVIF_TEXT | TVIF_CHILDREN, "lazy", 0, 0, 0, 0, 0, TVI_ROOT, TVI_LAST);
    TVITEM t{};
    t.mask = TVIF_CHILDREN;
    t.hItem = lazy;
    t.cChildren = I_CHILDRENCALLBACK;
    tree->SetItem(&t);
    EXPECT_FALSE(tree->Expand(lazy, TVE_EXPAND));
    dlg.m_callbackChildren = 1;
    dlg.m_fillOnExpand = lazy;
    EXPECT_TRUE(tree->Expand(lazy, TVE_EXPAND));
    EXPECT_EQ(children(lazy), std::vector<std::string>{"filled"});

    // Collapsing the ancestor of the selection selects the ancestor.
    tree->Expand(dwg, TVE_EXPAND);
    tree->SelectItem(parts);
    tree->Expand(d, TVE_EXPAND);
    dlg.m_events.clear();
    EXPECT_TRUE(tree->Expand(dwg, TVE_COLLAPSE | TVE_COLLAPSERESET));
    EXPECT_EQ(tree->GetSelectedItem(), dwg);
    EXPECT_EQ(tree->GetChildItem(dwg), nullptr);
    EXPECT_EQ(tree->GetItemState(dwg, TVIS_EXPANDEDONCE), 0u);
}

TEST_F(TreeViewTest, VisibleNeighboursFollowExpansionAndScrolling) {
    open();
    fill();
    EXPECT_EQ(visible(), (std::vector<HTREEITEM>{c, d}));
    tree->Expand(c, TVE_EXPAND);
    tree->Expand(dwg, TVE_EXPAND);
    EXPECT_EQ(visible(), (std::vector<HTREEITEM>{c, dwg, parts, blocks, temp, d}));
    EXPECT_EQ(tree->GetPrevVisibleItem(temp), blocks);
    EXPECT_EQ(tree->GetNextVisibleItem(d), nullptr);
    EXPECT_EQ(tree->GetNextVisibleItem(data), nullptr);  // hidden under a collapsed item
    EXPECT_EQ(tree->GetNextItem(nullptr, TVGN_LASTVISIBLE), d);

    // Selecting a hidden item expands its ancestors.
    EXPECT_TRUE(tree->SelectItem(data));
    EXPECT_NE(tree->GetItemState(d, TVIS_EXPANDED), 0u);

    // A short tree shows a page of rows; the first visible item moves with scrolling.
    tree->MoveWindow(0, 0, 150, tree->GetItemHeight() * 3 + 4);
    EXPECT_EQ(tree->GetVisibleCount(), 3u);
    EXPECT_TRUE(tree->EnsureVisible(data));
    EXPECT_EQ(tree->GetFirstVisibleItem(), temp);
    EXPECT_TRUE(tree->SelectSetFirstVisible(dwg));
    EXPECT_EQ(tree->GetFirstVisibleItem(), dwg);
    tree->SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(tree->GetFirstVisibleItem(), temp);
    tree->SendMessage(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(tree->GetFirstVisibleItem(), blocks);
}

TEST_F(TreeViewTest, TheWheelScrollsTheFocusedTree) {
    open();
    fill();
    tree->Expand(c, TVE_EXPAND);
    tree->Expand(dwg, TVE_EXPAND);
    tree->MoveWindow(0, 0, 150, tree->GetItemHeight() * 2 + 4);
    tree->SetFocus();
    CRect r;
    tree->GetWindowRect(&r);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wheel, 0, r.CenterPoint(), 0, -WHEEL_DELTA, 0});
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetFirstVisibleItem(), blocks);  // three rows down
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wheel, 0, r.CenterPoint(), 0, 2 * WHEEL_DELTA, 0});
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetFirstVisibleItem(), c);
}

TEST_F(TreeViewTest, ItemRectanglesAndHitTestsInPixels) {
    open();
    fill();
    tree->Expand(c, TVE_EXPAND);
    const int h = tree->GetItemHeight(), indent = static_cast<int>(tree->GetIndent());
    ASSERT_EQ(indent, 19);
    CRect row, label;
    ASSERT_TRUE(tree->GetItemRect(dwg, &row, FALSE));
    ASSERT_TRUE(tree->GetItemRect(dwg, &label, TRUE));
    CRect client;
    tree->GetClientRect(&client);
    EXPECT_EQ(row, CRect(0, h, client.right, 2 * h));
    // The root's lines take one column, the level another.
    EXPECT_EQ(label.left, 2 * indent);
    EXPECT_EQ(label.top, h);
    EXPECT_GT(label.Width(), 4);
    EXPECT_FALSE(tree->GetItemRect(data, &row, FALSE));  // under a collapsed item

    UINT flags = 0;
    EXPECT_EQ(tree->HitTest(CPoint(label.left + 2, h + 2), &flags), dwg);
    EXPECT_EQ(flags, TVHT_ONITEMLABEL);
    EXPECT_EQ(tree->HitTest(CPoint(label.right + 3, h + 2), &flags), dwg);
    EXPECT_EQ(flags, TVHT_ONITEMRIGHT);
    EXPECT_EQ(tree->HitTest(CPoint(indent + indent / 2, h + h / 2), &flags), dwg);
    EXPECT_EQ(flags, TVHT_ONITEMBUTTON);
    EXPECT_EQ(tree->HitTest(CPoint(indent + indent / 2, 2 * h + h / 2), &flags), temp);
    EXPECT_EQ(flags, TVHT_ONITEMINDENT);  // no children: no button
    EXPECT_EQ(tree->HitTest(CPoint(3, h + 2), &flags), dwg);
    EXPECT_EQ(flags, TVHT_ONITEMINDENT);
    EXPECT_EQ(tree->HitTest(CPoint(10, 10 * h), &flags), nullptr);
    EXPECT_EQ(flags, TVHT_NOWHERE);
    EXPECT_EQ(tree->HitTest(CPoint(-1, 5), &flags), nullptr);
    EXPECT_EQ(flags, TVHT_TOLEFT);

    // A wider indent moves the labels.
    tree->SetIndent(30);
    ASSERT_TRUE(tree->GetItemRect(dwg, &label, TRUE));
    EXPECT_EQ(label.left, 60);
    // Without lines at the root, roots start at the left edge.
    tree->ModifyStyle(TVS_LINESATROOT, 0);
    ASSERT_TRUE(tree->GetItemRect(c, &label, TRUE));
    EXPECT_EQ(label.left, 0);
    EXPECT_EQ(tree->SetItemHeight(25), h);
    EXPECT_EQ(tree->GetItemHeight(), 25);
}

TEST_F(TreeViewTest, KeysMoveTheCaretExpandAndCollapse) {
    open();
    fill();
    tree->SetFocus();
    tree->SelectItem(c);
    dlg.m_events.clear();
    key(VK_DOWN);  // C: is collapsed: D: is next
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_events, (std::vector<Event>{{TVN_KEYDOWN, nullptr, VK_DOWN},
                                                {TVN_SELCHANGING, d, TVC_BYKEYBOARD},
                                                {TVN_SELCHANGED, d, TVC_BYKEYBOARD}}));
    key(VK_UP);
    key(VK_RIGHT);  // expands C:
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetSelectedItem(), c);
    EXPECT_NE(tree->GetItemState(c, TVIS_EXPANDED), 0u);
    key(VK_RIGHT);  // to the first child
    key(VK_RIGHT);  // expands Dwg
    key(VK_END);
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetSelectedItem(), d);
    key(VK_HOME);
    key(VK_NEXT);  // a page down
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetSelectedItem(), d);
    key(VK_UP);
    key(VK_LEFT);  // to the parent
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetSelectedItem(), c);
    key(VK_SUBTRACT);
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetItemState(c, TVIS_EXPANDED), 0u);
    type("+");
    cadhostPumpMessages(true);
    EXPECT_NE(tree->GetItemState(c, TVIS_EXPANDED), 0u);
    key(VK_LEFT);  // collapses the expanded caret
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetItemState(c, TVIS_EXPANDED), 0u);

    // A refused change keeps the caret; Enter is told to the parent.
    dlg.m_vetoSelect = d;
    dlg.m_events.clear();
    key(VK_DOWN);
    cadhostPumpMessages(true);
    EXPECT_EQ(tree->GetSelectedItem(), c);
    tree->SendMessage(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(dlg.m_events.back(), (Event{NM_RETURN, nullptr, 0}));
}

TEST_F(TreeViewTest, ClicksSelectLabelsButtonsToggleDoubleClicksToggle) {
    open();
    fill();
    CRect label;
    ASSERT_TRUE(tree->GetItemRect(d, &label, TRUE));
    mouse(WindowInputEvent::ButtonDown, tree->m_hWnd, label.CenterPoint());
    EXPECT_EQ(tree->GetSelectedItem(), d);
    EXPECT_EQ(dlg.m_events, (std::vector<Event>{{TVN_SELCHANGING, d, TVC_BYMOUSE},
                                                {TVN_SELCHANGED, d, TVC_BYMOUSE},
                                                {NM_CLICK, nullptr, 0}}));
    const int indent = static_cast<int>(tree->GetIndent());
    dlg.m_events.clear();
    mouse(WindowInputEvent::ButtonDown, tree->m_hWnd, CPoint(indent / 2, label.CenterPoint().y));
    EXPECT_EQ(dlg.m_events, (std::vector<Event>{{TVN_ITEMEXPANDING, d, TVE_EXPAND}, {TVN_ITEMEXPANDED, d, TVE_EXPAND}}));
    ASSERT_TRUE(tree->GetItemRect(c, &label, TRUE));
    mouse(WindowInputEvent::DoubleClick, tree->m_hWnd, label.CenterPoint());
    EXPECT_NE(tree->GetItemState(c, TVIS_EXPANDED), 0u);
    mouse(WindowInputEvent::DoubleClick, tree->m_hWnd, label.CenterPoint());
    EXPECT_EQ(tree->GetItemState(c, TVIS_EXPANDED), 0u);
}

}  // namespace
