// The browser's folder box and its drop-down folder tree: the fixed places and the mapped drives,
// the chain of the folder shown, choosing by mouse and keys, stepping with the arrow keys, the
// drop-down's size and place, and the face's icon.
#include <gtest/gtest.h>
#include <cairo.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "../ui/window_input.h"
#include "module_resources.h"
#include "browser/ComboBoxFolder.h"
#include "browser/DwgDirList.h"
#include "res/resource.h"
#include "ui/dialog.h"
#include "win/render.h"
#include "win/resources.h"

namespace {
namespace fs = std::filesystem;

constexpr int kBox = 201, kList = 202;
HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(0x6300);

DialogTemplate panelTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 20;
    t.y = 20;
    t.cx = 150;
    t.cy = 160;
    t.caption = "Library";
    t.items = {
        {"", DLGATOM_COMBOBOX, "", kBox,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE, 0, 6, 6, 120, 103},
        {"", DLGATOM_LISTBOX, "", kList,
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
             LBS_NOINTEGRALHEIGHT,
         0, 6, 24, 120, 120},
    };
    return t;
}

void click(POINT at) {
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, at, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, at, 0, 0, 0});
}

class FolderTreeTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        root = fs::temp_directory_path() / ("cadhost-folder-tree-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Dwg" / "Parts");
        std::ofstream(root / "Dwg" / "plan.dwg") << "not a drawing";
        setenv("CADHOST_PROFILE", (root / "profile.ini").c_str(), 1);
        setenv("CADHOST_DRIVES", ("C=;A=removable:/media/a;D=" + root.string() + ";E=cdrom:/media/cd").c_str(), 1);
        ASSERT_NO_FATAL_FAILURE(resources.registerScript());
        ASSERT_TRUE(dlg.CreateIndirect(panelTemplate()));
        ASSERT_TRUE(box.SubclassDlgItem(kBox, &dlg));
        ASSERT_TRUE(list.SubclassDlgItem(kList, &dlg));
        box.m_pDwgList = &list;
        list.folderBox = &box;
        list.init();
        box.CreateDropDown(0, 300);
        cadhostPumpMessages();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        resources.unregister();
        unsetenv("CADHOST_DRIVES");
        unsetenv("CADHOST_PROFILE");
        fs::remove_all(root);
        WindowTestBase::TearDown();
    }

    CTreeCtrlFolder& tree() { return box.tree(); }
    // Every item, depth first, indented by one space per level, with its image.
    std::vector<std::string> outline() {
        std::vector<std::string> lines;
        walk(tree().GetRootItem(), 0, lines);
        return lines;
    }
    void walk(HTREEITEM item, int depth, std::vector<std::string>& lines) {
        for (; item; item = tree().GetNextSiblingItem(item)) {
            int image = -1, selected = -1;
            tree().GetItemImage(item, image, selected);
            lines.push_back(std::string(static_cast<size_t>(depth), ' ') + std::string(tree().GetItemText(item)) + " " +
                            std::to_string(image));
            walk(tree().GetChildItem(item), depth + 1, lines);
        }
    }
    std::string current() { return std::string(tree().GetItemText(tree().GetCurrentItem())); }
    std::vector<std::string> rows() {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetCount(); ++row) {
            CString text;
            list.GetText(row, text);
            texts.emplace_back(text);
        }
        return texts;
    }
    // The screen centre of an item's label.
    POINT itemPoint(HTREEITEM item) {
        CRect label;
        EXPECT_TRUE(tree().GetItemRect(item, &label, TRUE));
        CPoint at = label.CenterPoint();
        tree().ClientToScreen(&at);
        return at;
    }
    POINT boxPoint() {
        CRect r;
        box.GetWindowRect(&r);
        return r.CenterPoint();
    }

    fs::path root;
    ModuleResources resources{kModule};
    CDialog dlg;
    CComboBoxFolder box;
    CDwgDirList list;
};

const std::vector<std::string> kFixed = {
    "Desktop 3", " My Computer 4", "  Removable Disk (A:) 5", "  Local Disk (D:) 6", "  CD Drive (E:) 7",
    "  Control Panel 8", " My Network Places 2", " My Documents 9"};

TEST_F(FolderTreeTest, TheTreeHoldsThePlacesAndTheMappedDrivesWithDesktopCurrent) {
    EXPECT_EQ(outline(), kFixed);
    EXPECT_EQ(tree().m_imageList.GetImageCount(), 10);
    EXPECT_EQ(current(), "Desktop");
    EXPECT_EQ(std::string(box.GetPath()), "Desktop");
    EXPECT_FALSE(box.IsDropDownVisible());
    EXPECT_EQ(box.GetDropHeight(), 300);
    CRect client;
    box.GetClientRect(&client);
    EXPECT_EQ(box.GetDropWidth(), client.Width());
}

TEST_F(FolderTreeTest, WithoutDrivesTheComputerHoldsTheControlPanelOnly) {
    setenv("CADHOST_DRIVES", "C=;A=;D=;E=", 1);
    // A tree whose object goes while its window stands releases its records as well.
    CTreeCtrlFolder bare;
    ASSERT_TRUE(bare.CreateEx(0, WC_TREEVIEW, "", WS_POPUP | WS_BORDER, CRect(0, 0, 10, 10), &dlg, 0));
    bare.InitImageList();
    bare.FillRoot(&box);
    HTREEITEM computer = bare.GetChildItem(bare.GetRootItem());
    HTREEITEM first = bare.GetChildItem(computer);
    EXPECT_EQ(std::string(bare.GetItemText(first)), "Control Panel");
    EXPECT_EQ(bare.GetNextSiblingItem(first), nullptr);
    EXPECT_EQ(bare.GetCount(), 5u);
    EXPECT_EQ(bare.InsertFolder(nullptr, computer, FALSE), nullptr);
    EXPECT_EQ(bare.GetCount(), 5u);
}

TEST_F(FolderTreeTest, AChainIsAddedOnceAndFoundWithoutRegardToCaseOrTrailingBackslash) {
    const std::vector<std::string> fixed = outline();
    box.SetPath("");
    EXPECT_EQ(outline(), fixed) << "an empty path changes nothing";
    EXPECT_EQ(current(), "Desktop");

    box.SetPath("D:\\Dwg\\Parts");
    std::vector<std::string> chain = fixed;
    chain.insert(chain.begin() + 4, {"   Dwg 1", "    Parts 1"});
    EXPECT_EQ(outline(), chain) << "Dwg shows open while expanded; the last link opens";
    EXPECT_EQ(current(), "Parts");
    EXPECT_EQ(std::string(box.GetPath()), "D:\\Dwg\\Parts");

    box.SetPath("d:\\dwg\\");
    EXPECT_EQ(outline(), chain);
    EXPECT_EQ(current(), "Dwg");
    EXPECT_EQ(std::string(box.GetPath()), "D:\\Dwg");
    box.SetPath("D:\\Dwg\\\\Parts\\\\");
    EXPECT_EQ(outline(), chain) << "doubled backslashes name no folder";
    EXPECT_EQ(std::string(box.GetPath()), "D:\\Dwg\\Parts");

    // The fixed places and drive roots are found by their own paths: no second item.
    for (const char* place : {"My Computer", "my documents\\", "D:\\", "d:"}) {
        box.SetPath(place);
        EXPECT_EQ(outline(), chain) << place;
    }
    EXPECT_EQ(current(), "Local Disk (D:)");

    // A drive that is not in the tree, or a path from the current drive's root, starts a chain
    // at the top level.
    box.SetPath("Q:\\x");
    box.SetPath("\\top");
    chain.insert(chain.end(), {"Q: 1", " x 1", " 1", " top 1"});
    EXPECT_EQ(outline(), chain);
    EXPECT_EQ(std::string(box.GetPath()), "\\top");
}

TEST_F(FolderTreeTest, TheDropDownLiesBelowTheBoxOneItemHeightPerItemAndStaysOnTheScreen) {
    click(boxPoint());
    cadhostPumpMessages(true);
    ASSERT_TRUE(box.IsDropDownVisible());
    EXPECT_TRUE(box.GetDroppedState()) << "the framework's query answers for the tree";
    CRect face, shown;
    box.GetWindowRect(&face);
    tree().GetWindowRect(&shown);
    EXPECT_EQ(shown.left, face.left);
    EXPECT_EQ(shown.top, face.bottom + 1);
    EXPECT_EQ(shown.Width(), box.GetDroppedWidth());
    EXPECT_EQ(shown.Height(), 8 * tree().GetItemHeight() + 3);
    EXPECT_EQ(::GetFocus(), tree().m_hWnd);

    // A second click on the box hides it; the box's own list never opens.
    click(boxPoint());
    cadhostPumpMessages(true);
    EXPECT_FALSE(box.IsDropDownVisible());
    box.ShowDropDown(TRUE);
    EXPECT_TRUE(box.IsDropDownVisible());
    box.ShowDropDown(FALSE);
    EXPECT_FALSE(box.IsDropDownVisible());

    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    tree().ShowDropDown(width - 50, height - 40, 200, 300);
    tree().GetWindowRect(&shown);
    EXPECT_EQ(shown, CRect(width - 201, height - 40, width - 1, height - 1));
    tree().ShowDropDown(-5, height + 10, width + 40, 30);
    tree().GetWindowRect(&shown);
    EXPECT_GE(shown.left, 0) << "a drop-down wider than the screen starts at its left edge";
    EXPECT_GE(shown.Height(), 0);
    tree().ShowWindow(SW_HIDE);
}

TEST_F(FolderTreeTest, ChoosingAFolderFillsTheListAndRebuildsTheChain) {
    box.SetPath("D:\\Dwg\\Parts");
    box.ShowDropDown(TRUE);
    EXPECT_EQ(::GetFocus(), tree().m_hWnd);
    key(VK_UP);
    cadhostPumpMessages(true);
    EXPECT_TRUE(box.IsDropDownVisible()) << "keys move the tree's selection only";
    key(VK_RETURN);
    cadhostPumpMessages(true);
    EXPECT_FALSE(box.IsDropDownVisible());
    EXPECT_EQ(std::string(list.folder), "D:\\Dwg");
    EXPECT_EQ(rows(), (std::vector<std::string>{"Parts", "plan.dwg"}));
    std::vector<std::string> chain = kFixed;
    chain.insert(chain.begin() + 4, "   Dwg 1");
    EXPECT_EQ(outline(), chain) << "the fixed places and the chosen chain only";
    EXPECT_EQ(::GetFocus(), box.m_hWnd);

    // Arrow keys on the box step through the visible items and show each at once.
    key(VK_UP);
    cadhostPumpMessages(true);
    EXPECT_EQ(std::string(list.folder), "D:\\");
    EXPECT_EQ(rows(), std::vector<std::string>{"Dwg"});
    EXPECT_EQ(current(), "Local Disk (D:)");
    key(VK_RIGHT);
    cadhostPumpMessages(true);
    EXPECT_EQ(std::string(list.folder), "E:\\");
    key(VK_LEFT);
    key(VK_LEFT);
    cadhostPumpMessages(true);
    EXPECT_EQ(std::string(list.folder), "A:\\");
    EXPECT_EQ(outline(), kFixed);

    // Escape hides the tree and reports nothing.
    box.ShowDropDown(TRUE);
    key(VK_DOWN);
    key(VK_ESCAPE);
    cadhostPumpMessages(true);
    EXPECT_FALSE(box.IsDropDownVisible());
    EXPECT_EQ(std::string(list.folder), "A:\\");

    // A click on a place chooses it; its path is its name, and it gets no second item.
    box.ShowDropDown(TRUE);
    HTREEITEM computer = tree().GetChildItem(tree().GetRootItem());
    const POINT at = itemPoint(computer);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Move, 0, at, 0, 0, 0});
    cadhostPumpMessages(true);
    EXPECT_EQ(tree().GetSelectedItem(), computer) << "the selection follows the mouse";
    click(at);
    cadhostPumpMessages(true);
    EXPECT_FALSE(box.IsDropDownVisible());
    EXPECT_EQ(std::string(list.folder), "My Computer");
    EXPECT_EQ(outline(), kFixed);
    EXPECT_EQ(current(), "My Computer");

    // Alt and the down arrow drop the tree.
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyDown, 0, {0, 0}, VK_MENU, 0, 0});
    key(VK_DOWN);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyUp, 0, {0, 0}, VK_MENU, 0, 0});
    cadhostPumpMessages(true);
    EXPECT_TRUE(box.IsDropDownVisible());
}

TEST_F(FolderTreeTest, ExpandingAndCollapsingSwapsTheItemsImages) {
    box.SetPath("D:\\Dwg\\Parts");
    box.ShowDropDown(TRUE);
    HTREEITEM computer = tree().GetChildItem(tree().GetRootItem());
    HTREEITEM dwg = tree().GetChildItem(tree().GetNextSiblingItem(tree().GetChildItem(computer)));
    auto image = [&](HTREEITEM item) {
        int normal = -1, selected = -1;
        tree().GetItemImage(item, normal, selected);
        EXPECT_EQ(normal, selected);
        return normal;
    };
    // Left goes from Parts to Dwg, then collapses it; right expands it again.
    key(VK_LEFT);
    key(VK_LEFT);
    cadhostPumpMessages(true);
    EXPECT_EQ(image(dwg), CTreeCtrlFolder::kFolder);
    key(VK_RIGHT);
    cadhostPumpMessages(true);
    EXPECT_EQ(image(dwg), CTreeCtrlFolder::kOpenFolder);
    tree().SelectItem(computer);
    key(VK_LEFT);
    cadhostPumpMessages(true);
    EXPECT_EQ(image(computer), CTreeCtrlFolder::kComputer) << "fixed places keep their image";
    EXPECT_TRUE(box.IsDropDownVisible());
    EXPECT_EQ(tree().SendMessage(WM_ACAD_KEEPFOCUS), 1);
}

// The face shows the current item's image: a plain folder as an open one, a drive as a drive.
TEST_F(FolderTreeTest, TheFaceShowsTheCurrentFoldersIconAndName) {
    auto faceHas = [&](COLORREF color) {
        box.Invalidate();
        cairo_surface_t* s = cadhostRenderWindow(box.m_hWnd);
        EXPECT_NE(s, nullptr);
        if (!s) return false;
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        const uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        bool found = false;
        for (int y = 0; y < cairo_image_surface_get_height(s) && !found; ++y)
            for (int x = 0; x < 24 && !found; ++x)
                found = (*(reinterpret_cast<const uint32_t*>(data + y * stride) + x) & 0xFFFFFF) == want;
        cairo_surface_destroy(s);
        return found;
    };
    const COLORREF openFront = RGB(250, 225, 130), plainFront = RGB(250, 210, 90), driveLight = RGB(60, 200, 60);
    box.SetPath("D:\\Dwg\\Parts");
    EXPECT_TRUE(faceHas(openFront));
    EXPECT_FALSE(faceHas(plainFront));
    box.SetPath("D:\\");
    EXPECT_TRUE(faceHas(driveLight));
    const std::string path = ::testing::TempDir() + "folder_box_face.png";
    EXPECT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, path.c_str()));
}

}  // namespace
