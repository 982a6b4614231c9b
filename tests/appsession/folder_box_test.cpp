// The block-library browser's folder box in a session: BLOCKS opens the browser on the folder of
// the profile, a click drops the folder tree, keys choose in it, and the arrow keys on the box
// step through the tree, each choice refilling the drawing list.
#include "appsession_support.h"
#include <map>
#include "db/database.h"
#include "ed/winapp.h"
#include "ui/treectrl.h"
#include "win/listbox.h"
#include "win/winuser.h"

using namespace appsession;

namespace {

std::string className(HWND hwnd) {
    char name[64] = {};
    GetClassName(hwnd, name, sizeof name);
    return name;
}

HWND findChild(HWND parent, int id, const std::string& cls) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id && className(child) == cls) return child;
        if (HWND found = findChild(child, id, cls)) return found;
    }
    return nullptr;
}

// The drop-down tree: a tree-view popup owned by the main frame.
HWND findTree(HWND frame) {
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
        if (className(top) == WC_TREEVIEW && GetWindow(top, GW_OWNER) == frame) return top;
    return nullptr;
}

std::string itemText(HWND tree, HTREEITEM item) {
    char text[260] = {};
    TVITEM info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&info));
    return text;
}

// What the browser shows at one moment.
struct BrowserState {
    bool treeShown = false;
    int treeItems = 0, treeHeight = 0, itemHeight = 0;
    std::string caret;
    std::vector<std::string> visible, rows;
    bool boxFocused = false;
};

BrowserState browserState() {
    BrowserState state;
    HWND frame = acedGetAcadFrame() ? acedGetAcadFrame()->m_hWnd : nullptr;
    if (!frame) return state;
    HWND tree = findTree(frame), list = findChild(frame, 202, "ListBox"), box = findChild(frame, 201, "ComboBox");
    if (tree) {
        state.treeShown = IsWindowVisible(tree) != FALSE;
        state.treeItems = static_cast<int>(SendMessage(tree, TVM_GETCOUNT, 0, 0));
        state.itemHeight = static_cast<int>(SendMessage(tree, TVM_GETITEMHEIGHT, 0, 0));
        RECT r{};
        GetWindowRect(tree, &r);
        state.treeHeight = r.bottom - r.top;
        auto next = [&](HTREEITEM item, UINT code) {
            return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
        };
        state.caret = itemText(tree, next(nullptr, TVGN_CARET));
        for (HTREEITEM item = next(nullptr, TVGN_ROOT); item; item = next(item, TVGN_NEXTVISIBLE))
            state.visible.push_back(itemText(tree, item));
    }
    if (list) {
        const int count = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            char text[260] = {};
            SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
            state.rows.emplace_back(text);
        }
    }
    state.boxFocused = box && GetFocus() == box;
    return state;
}

}  // namespace

TEST_F(Session, FolderBoxDropsTheTreeAndEachChoiceRefillsTheDrawingList) {
    const fs::path library = folder / "library";
    fs::create_directories(library / "Dwg" / "Parts");
    fs::create_directories(library / "Tools");
    std::ofstream(profile) << "[Quillmark]\nDoNotShow=1\nDirectory=D:\\Dwg\\Parts\n";
    ::setenv("CADHOST_DRIVES", ("D=" + library.string()).c_str(), 1);
    const std::string door = (library / "Dwg" / "Door.dwg").string();
    // Pictures of the open drop-down, kept for a person to look at.
    const std::string frame = ::testing::TempDir() + "folder_box_frame.png",
                      bar = ::testing::TempDir() + "folder_box_bar.png";
    std::map<std::string, BrowserState> at;
    probe = [&](const std::string& name) { at[name] = browserState(); };
    const int status = run("OPEN\n" + doors.string() + "\nWBLOCK\n" + door + "\nDOOR\nBLOCKS\n;start\nclick #201\n;dropped\n" +
                           "picture frame \"" + frame + "\"\npicture bar \"Quillmark\" \"" + bar + "\"\n" +
                           "key up\n;up in the tree\nkey enter\n;chosen\nkey up\n;box up\nkey down\n;box down\n;open objects\n");
    ::unsetenv("CADHOST_DRIVES");
    ASSERT_EQ(status, 0) << out;

    const std::vector<std::string> fixedTop = {"Desktop", "My Computer", "Local Disk (C:)", "Local Disk (D:)"};
    const std::vector<std::string> fixedBottom = {"Control Panel", "My Network Places", "My Documents"};
    auto visible = [&](std::vector<std::string> chain) {
        std::vector<std::string> all = fixedTop;
        all.insert(all.end(), chain.begin(), chain.end());
        all.insert(all.end(), fixedBottom.begin(), fixedBottom.end());
        return all;
    };
    EXPECT_FALSE(at["start"].treeShown);
    EXPECT_EQ(at["start"].caret, "Parts") << "the folder of the profile";
    EXPECT_TRUE(at["start"].rows.empty());

    const BrowserState& dropped = at["dropped"];
    EXPECT_TRUE(dropped.treeShown);
    EXPECT_EQ(dropped.visible, visible({"Dwg", "Parts"}));
    EXPECT_EQ(dropped.treeHeight, dropped.treeItems * dropped.itemHeight + 3);

    EXPECT_TRUE(at["up in the tree"].treeShown);
    EXPECT_EQ(at["up in the tree"].caret, "Dwg");

    const BrowserState& chosen = at["chosen"];
    EXPECT_FALSE(chosen.treeShown);
    EXPECT_EQ(chosen.rows, (std::vector<std::string>{"Parts", "Door.dwg"}));
    EXPECT_EQ(chosen.visible, visible({"Dwg"})) << "the chain is rebuilt for the chosen folder";
    EXPECT_TRUE(chosen.boxFocused);

    EXPECT_EQ(at["box up"].caret, "Local Disk (D:)");
    EXPECT_EQ(at["box up"].rows, (std::vector<std::string>{"Dwg", "Tools"}));
    EXPECT_EQ(at["box up"].visible, visible({})) << "the drive is the whole chain now";
    EXPECT_EQ(at["box down"].caret, "Control Panel");
    EXPECT_TRUE(at["box down"].rows.empty());
    EXPECT_FALSE(at["box down"].treeShown);
    EXPECT_EQ(openCounts, std::vector<int>{0});
    EXPECT_TRUE(fs::exists(frame));
    EXPECT_TRUE(fs::exists(bar));
}
