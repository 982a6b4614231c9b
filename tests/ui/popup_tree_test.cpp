// A tree view as a drop-down: a popup owned by a control's dialog, shown above it, pictured with
// it, closed when the focus goes elsewhere; filled with the shell's drives, names and icons.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "ui/dialog.h"
#include "ui/treectrl.h"
#include "win/icons.h"
#include "win/render.h"
#include "win/shell.h"

namespace {

constexpr int kBox = 700;

DialogTemplate boxTemplate() {
    DialogTemplate t;
    t.x = 40;
    t.y = 40;
    t.cx = 200;
    t.cy = 180;
    t.style |= WS_VISIBLE;
    t.caption = "Library";
    t.items = {{"", DLGATOM_BUTTON, "Folders", kBox, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 7, 7, 150, 12}};
    return t;
}

// The tree's image list of the shell's small icons.
struct TreeIcons {
    CImageList list;
    TreeIcons() { list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8); }
    int add(const char* path, UINT flags, DWORD attributes = 0) {
        SHFILEINFO info{};
        if (!SHGetFileInfo(path, attributes, &info, sizeof info, flags | SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon) return -1;
        const int index = list.Add(info.hIcon);
        DestroyIcon(info.hIcon);
        return index;
    }
};

// The drop-down hides when the focus leaves it.
class CDropTree : public CTreeCtrl {
public:
    int m_hidden = 0;

protected:
    afx_msg void OnKillFocus(CWnd* next) {
        CTreeCtrl::OnKillFocus(next);
        ShowWindow(SW_HIDE);
        ++m_hidden;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDropTree, CTreeCtrl)
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

class PopupTreeTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        folder = ::testing::TempDir() + "cadhost-popup-tree";
        setenv("CADHOST_DRIVES", ("A=removable:/media/a;D=" + folder + ";E=cdrom:/media/cd").c_str(), 1);
        ASSERT_TRUE(dlg.CreateIndirect(boxTemplate()));
        box = ::GetDlgItem(dlg.m_hWnd, kBox);
        ASSERT_TRUE(tree.CreateEx(0, WC_TREEVIEW, "", WS_POPUP | WS_BORDER | TVS_SHOWSELALWAYS | TVS_HASBUTTONS |
                                  TVS_HASLINES | TVS_DISABLEDRAGDROP, 0, 0, 10, 10, box, nullptr));
        tree.SetImageList(&icons.list, TVSIL_NORMAL);
    }
    void TearDown() override {
        if (tree.m_hWnd) tree.DestroyWindow();
        if (dlg.m_hWnd) dlg.DestroyWindow();
        unsetenv("CADHOST_DRIVES");
        WindowTestBase::TearDown();
    }
    HTREEITEM add(const char* text, int image, HTREEITEM parent) {
        return tree.InsertItem(text, image, image, parent);
    }
    // Desktop, My Computer with the drives of the mapping, the special places; D: holds Dwg\Parts.
    void fill() {
        LPITEMIDLIST list = nullptr;
        auto place = [&](int csidl, HTREEITEM parent) {
            SHGetSpecialFolderLocation(nullptr, csidl, &list);
            SHFILEINFO info{};
            SHGetFileInfo(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
            HTREEITEM item = add(info.szDisplayName, icons.add(reinterpret_cast<LPCSTR>(list), SHGFI_PIDL), parent);
            ILFree(list);
            return item;
        };
        desktop = place(CSIDL_DESKTOP, TVI_ROOT);
        computer = place(CSIDL_DRIVES, desktop);
        const DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            if (!(mask & (1u << i))) continue;
            const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
            SHFILEINFO info{};
            SHGetFileInfo(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
            HTREEITEM drive = add(info.szDisplayName, icons.add(root.c_str(), 0), computer);
            if (root == "D:\\") driveD = drive;
        }
        place(CSIDL_CONTROLS, computer);
        place(CSIDL_NETWORK, desktop);
        place(CSIDL_PERSONAL, desktop);
        const int closed = icons.add("D:\\Dwg", SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_DIRECTORY);
        const int open = icons.add("D:\\Dwg", SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON, FILE_ATTRIBUTE_DIRECTORY);
        dwg = tree.InsertItem("Dwg", closed, open, driveD);
        parts = tree.InsertItem("Parts", closed, open, dwg);
        tree.Expand(desktop, TVE_EXPAND);
        tree.Expand(computer, TVE_EXPAND);
        tree.SelectItem(parts);
    }
    // Shows the tree below the box, over everything, keeping the dialog's caption active.
    CRect drop() {
        CRect r;
        ::GetWindowRect(box, &r);
        CRect shown(r.left, r.bottom + 1, r.left + 200, r.bottom + 1 + tree.GetItemHeight() * 11 + 3);
        ::SetWindowPos(tree.m_hWnd, HWND_TOPMOST, shown.left, shown.top, shown.Width(), shown.Height(), SWP_SHOWWINDOW);
        dlg.SendMessage(WM_NCACTIVATE, TRUE);
        return shown;
    }
    CDialog dlg;
    CDropTree tree;
    TreeIcons icons;
    HWND box = nullptr;
    std::string folder;
    HTREEITEM desktop = nullptr, computer = nullptr, driveD = nullptr, dwg = nullptr, parts = nullptr;
};

uint32_t rgb(COLORREF c) { return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); }

TEST_F(PopupTreeTest, TheDropDownIsOwnedByTheDialogAndLiesAboveIt) {
    fill();
    EXPECT_EQ(::GetWindow(tree.m_hWnd, GW_OWNER), dlg.m_hWnd);
    EXPECT_EQ(::GetParent(tree.m_hWnd), dlg.m_hWnd) << "a popup's parent is its owner";
    const CRect shown = drop();
    EXPECT_EQ(WindowFromPoint(shown.CenterPoint()), tree.m_hWnd);
    // A window opened later stays below the topmost drop-down.
    HWND later = CreateWindowEx(0, "#32770", "later", WS_POPUP, shown.left, shown.top, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(later, nullptr);
    ShowWindow(later, SW_SHOWNA);
    EXPECT_EQ(WindowFromPoint(shown.CenterPoint()), tree.m_hWnd);
    DestroyWindow(later);

    // The dialog's picture shows the drop-down over it, with the dialog's caption kept active.
    std::string path = ::testing::TempDir() + "folder_tree_popup.png";
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, path.c_str()));
    cairo_surface_t* s = cadhostRenderWindow(dlg.m_hWnd);
    ASSERT_NE(s, nullptr);
    CRect d;
    dlg.GetWindowRect(&d);
    auto pixel = [&](int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(s);
        return *(reinterpret_cast<const uint32_t*>(data + (y - d.top) * cairo_image_surface_get_stride(s)) + (x - d.left)) & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(shown.right - 4, shown.bottom - 4), rgb(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(pixel(shown.left, shown.top + 5), rgb(GetSysColor(COLOR_WINDOWFRAME)));
    // The caption's gradient starts from the active colour, not the inactive one.
    EXPECT_LT(pixel(d.left + 6, d.top + 6) >> 16, 0x20u);
    EXPECT_NE(GetActiveWindow(), dlg.m_hWnd);
    cairo_surface_destroy(s);
}

TEST_F(PopupTreeTest, AClickOutsideTakesTheFocusAndTheOwnerClosesIt) {
    fill();
    const CRect shown = drop();
    tree.SetFocus();
    ASSERT_EQ(::GetFocus(), tree.m_hWnd);
    // A click inside keeps it open.
    CRect label;
    ASSERT_TRUE(tree.GetItemRect(dwg, &label, TRUE));
    CPoint at = label.CenterPoint();
    tree.ClientToScreen(&at);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, at, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, at, 0, 0, 0});
    cadhostPumpMessages(true);
    EXPECT_TRUE(tree.IsWindowVisible());
    EXPECT_EQ(tree.GetSelectedItem(), dwg);
    // A click on the dialog beside it activates the dialog: the tree loses the focus and hides.
    CRect d;
    dlg.GetWindowRect(&d);
    POINT outside{d.right - 10, d.bottom - 10};
    ASSERT_FALSE(shown.PtInRect(outside));
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, outside, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, outside, 0, 0, 0});
    cadhostPumpMessages(true);
    EXPECT_EQ(tree.m_hidden, 1);
    EXPECT_FALSE(tree.IsWindowVisible());
    EXPECT_EQ(GetActiveWindow(), dlg.m_hWnd);
}

}  // namespace
