// The block-library browser (BLOCKS): the docked bar, its "Blocks" and "Dwgs" tabs, insertion
// through the queued LISP text, the drawing list's folders, previews and context menu.
#include <dlfcn.h>
#include "appsession_support.h"
#include "ui/dockbar.h"
#include "win/commctrl.h"
#include "win/listbox.h"
#include "win/winuser.h"

using namespace appsession;

namespace {
// A control of the browser's bar, searched through the bar's descendants.
HWND browserControl(int id) {
    std::vector<HWND> pending;
    for (CAdUiDockControlBar* bar : CAdUiDockControlBar::GetAllBars()) pending.push_back(bar->m_hWnd);
    while (!pending.empty()) {
        HWND w = pending.back();
        pending.pop_back();
        if (GetDlgCtrlID(w) == id && GetParent(w) && !GetDlgItem(w, id)) return w;
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) pending.push_back(c);
    }
    return nullptr;
}

std::vector<std::string> blockListItems() {
    std::vector<std::string> items;
    HWND list = browserControl(204);
    const int count = list ? static_cast<int>(SendMessage(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessage(list, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item));
        items.push_back(std::string(text) + (item.iImage > 0 ? " (icon)" : ""));
    }
    return items;
}

std::vector<std::string> drawingListRows() {
    std::vector<std::string> rows;
    HWND list = browserControl(202);
    const int count = list ? static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[512] = "";
        SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.emplace_back(text);
    }
    return rows;
}

int tabIndex() {
    auto* index = static_cast<int*>(dlsym(RTLD_DEFAULT, "m_TabIndex"));
    return index ? *index : -1;
}

// Two blocks made by BLOCK (so with preview icons): TARGET (a line and a circle) and BAR.
const std::string kTwoBlocks =
    "LINE\n0,0\n10,10\n\nCIRCLE\n5,5\n3\nBLOCK\nTARGET\n0,0\nALL\n\nLINE\n0,0\n20,0\n\nBLOCK\nBAR\n0,0\nL\n\n";
}  // namespace

TEST_F(Session, BlocksTabListsTheDrawingsBlocksAndADoubleClickInsertsOne) {
    std::map<std::string, std::vector<std::string>> items;
    std::map<std::string, int> tabs;
    probe = [&](const std::string& name) {
        items[name] = blockListItems();
        tabs[name] = tabIndex();
    };
    const std::string picture = path("blocks.png");
    ASSERT_EQ(run(kTwoBlocks + "BLOCKS\n;start\nclick #200@60,10\n;blocks\npicture bar \"Quillmark\" \"" + picture +
                  "\"\ndblclick #204@30,25\n40,40\n;inserted\nLIST\nL\n\nclick #200@20,10\n;drawings\n" +
                  "LINE\n0,0\n5,0\n\nBLOCK\nNEW\n0,0\nL\n\n;defined\n"),
              0)
        << out;
    EXPECT_EQ(tabs["start"], 0);
    EXPECT_EQ(tabs["blocks"], 1);
    EXPECT_EQ(tabs["drawings"], 0);
    EXPECT_EQ(items["blocks"], (std::vector<std::string>{"TARGET (icon)", "BAR (icon)"})) << "named blocks with their icons";
    EXPECT_NE(out.find("Block Name: \t\tTARGET"), std::string::npos) << "an intelligent TARGET at 40,40\n" << out;
    EXPECT_NE(out.find("40.000000, 40.000000"), std::string::npos) << out;
    EXPECT_EQ(items["defined"].size(), 3u) << "the list follows BLOCK";
    EXPECT_TRUE(fs::exists(picture));
}

TEST_F(Session, DwgsTabListsFoldersThenDrawingsAndItsMenuActs) {
    // Subfolders b and A, drawings z.dwg and M.dwg, and a text file that is not listed.
    const fs::path library = folder / "library";
    fs::create_directories(library / "b");
    fs::create_directories(library / "A");
    std::ofstream(library / "notes.txt") << "not a drawing";
    const std::string windowsLibrary = "C:" + library.string();
    std::string backslashed = windowsLibrary;
    for (char& c : backslashed)
        if (c == '/') c = '\\';
    std::ofstream(profile, std::ios::app) << "Directory=" << backslashed << "\n";
    std::map<std::string, std::vector<std::string>> rows;
    probe = [&](const std::string& name) { rows[name] = drawingListRows(); };
    const std::string picture = path("dwgs.png"), menu = path("menu.png");
    // Rows: A, b at 17 pixels, then the drawings; a row of the list at y is the first that holds it.
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nSAVEAS\n" + (library / "z.dwg").string() + "\nSAVEAS\n" +
                  (library / "M.dwg").string() + "\nNEW\nBLOCKS\n;filled\npicture bar \"Quillmark\" \"" + picture +
                  "\"\nclick #202@40,40 right\npicture menu \"" + menu + "\"\nmenu \"Insert as Xref\"\n70,0\n" +
                  "LIST\nL\n\nclick #202@40,40 right\nmenu \"Insert as Intelligent Block\"\n90,0\nLIST\nL\n\n" +
                  "click #202@40,40 right\nmenu \"Hide Drawing Previews\"\n;hidden\n" +
                  "click #202@20,8\n;entered\nclick #208\n;up\n"),
              0)
        << out;
    EXPECT_EQ(rows["filled"], (std::vector<std::string>{"A", "b", "M.dwg", "z.dwg"}));
    EXPECT_NE(out.find("External reference"), std::string::npos) << "M attached as an external reference\n" << out;
    EXPECT_NE(out.find("ZEFTBlockReference"), std::string::npos) << "M inserted as an intelligent block\n" << out;
    const std::string settings = readFile(profile);
    EXPECT_NE(settings.find("ShowPreviews=0"), std::string::npos) << settings;
    EXPECT_TRUE(rows["entered"].empty()) << "folder A is empty";
    EXPECT_NE(settings.find("Directory=" + backslashed + "\\A"), std::string::npos) << "entering a folder keeps it\n" << settings;
    EXPECT_EQ(rows["up"], rows["filled"]) << "up one level";
    EXPECT_TRUE(fs::exists(picture));
    EXPECT_TRUE(fs::exists(menu));
}

TEST_F(Session, OpenDrawingFromTheMenuMakesItTheCurrentDocument) {
    const fs::path library = folder / "open";
    fs::create_directories(library);
    std::string backslashed = "C:" + library.string();
    for (char& c : backslashed)
        if (c == '/') c = '\\';
    std::ofstream(profile, std::ios::app) << "Directory=" << backslashed << "\n";
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nSAVEAS\n" + (library / "Door.dwg").string() + "\nNEW\nBLOCKS\n" +
                  "click #202@40,10 right\nmenu \"Open Drawing\"\nLIST\nALL\n\n"),
              0)
        << out;
    const size_t opened = out.find("menu \"Open Drawing\"");
    ASSERT_NE(opened, std::string::npos) << out;
    EXPECT_NE(out.find("ZEFTBlockReference", opened), std::string::npos) << "the doors are listed in the new document\n"
                                                                        << out;
}
