// The platform's resource functions on the test script compiled into this program.
#include <cstring>
#include <gtest/gtest.h>
#include "win/dialogtemplates.h"
#include "win/dlginit.h"
#include "win/icons.h"
#include "win/resources.h"
#include "win/winuser.h"
#include "win/winstyles.h"
#include "win_support.h"
#include "res/test_resource.h"

using namespace cadhost::res;

namespace {
using wintest::kModule;

class CompiledResourcesTest : public wintest::RegisteredImageTest {
protected:
    static std::string text(unsigned id) {
        char buffer[256];
        int n = LoadStringA(kModule, id, buffer, sizeof buffer);
        EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
        return buffer;
    }
    static std::string bytes(LPCSTR name, LPCSTR type) {
        HRSRC r = FindResourceA(kModule, name, type);
        if (!r) return "<missing>";
        HGLOBAL g = LoadResource(kModule, r);
        auto* p = static_cast<const char*>(LockResource(g));
        std::string b(p, SizeofResource(kModule, r));
        EXPECT_FALSE(FreeResource(g));
        return b;
    }
};
}  // namespace

TEST_F(CompiledResourcesTest, StringsKeepTheirEscapesAndTruncateToTheBuffer) {
    EXPECT_EQ(text(IDS_HELLO), "Hello, world");
    EXPECT_EQ(text(IDS_ESCAPES), "Quote \" and \"; tab\there\nnew line \\ backAA\r");
    EXPECT_EQ(text(IDS_LONG), "0123456789abcdefghij");
    EXPECT_EQ(text(IDS_SECOND_BLOCK), "Second block");
    EXPECT_EQ(text(BASE_ID + 7), "Expression id");
    EXPECT_EQ(text(IDS_GERMAN), "Guten Tag");
    // Missing ids: in a block that exists, in one that does not, in another module.
    EXPECT_EQ(text(IDS_HELLO - 1), "");
    EXPECT_EQ(text(4000), "");
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(0x6000), IDS_HELLO, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadString(kModule, IDS_HELLO, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "Hello, ");
    EXPECT_EQ(LoadString(kModule, IDS_HELLO, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadString(kModule, IDS_HELLO, buffer, 0), 0);
    // Strings registered at run time stand beside the compiled ones.
    cadhostRegisterString(kModule, 4000, "registered");
    EXPECT_EQ(text(4000), "registered");
    cadhostUnregisterStrings(kModule);
    EXPECT_EQ(text(IDS_HELLO), "Hello, world");
}

TEST_F(CompiledResourcesTest, StringBlocksAreFoundAsThePlatformNumbersThem) {
    std::string block = bytes(MAKEINTRESOURCE((IDS_HELLO >> 4) + 1), RT_STRING);
    ASSERT_GE(block.size(), 32u);
    std::size_t at = 0;
    for (unsigned i = 0; i < (IDS_HELLO & 15); ++i) at += 2 + (static_cast<unsigned char>(block[at]) | block[at + 1] << 8);
    EXPECT_EQ(static_cast<unsigned char>(block[at]), 12);
    EXPECT_EQ(block.substr(at + 2, 12), "Hello, world");
}

TEST_F(CompiledResourcesTest, DialogTemplatesCarryTheirFieldsAndControls) {
    cadhost::res::DialogTemplate d;
    ASSERT_TRUE(cadhostFindDialogTemplate(kModule, MAKEINTRESOURCE(IDD_SETTINGS), d));
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.x, 10);
    EXPECT_EQ(d.y, 20);
    EXPECT_EQ(d.cx, 240);
    EXPECT_EQ(d.cy, 120);
    EXPECT_EQ(d.helpId, 77u);
    EXPECT_EQ(d.style, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(d.exStyle, WS_EX_TOOLWINDOW);
    EXPECT_EQ(d.caption, "Settings");
    EXPECT_EQ(d.pointSize, 8u);
    EXPECT_EQ(d.face, "MS Sans Serif");
    EXPECT_EQ(d.weight, 400u);
    EXPECT_FALSE(d.italic);
    EXPECT_EQ(d.charset, 1u);
    EXPECT_EQ(d.menu.number, static_cast<unsigned>(IDR_MAINMENU));
    ASSERT_EQ(d.controls.size(), 20u);
    struct Expected {
        int id;
        const char* cls;
        const char* text;
        std::uint32_t style;  // besides WS_CHILD | WS_VISIBLE
    };
    const Expected expected[] = {
        {IDC_STATIC, "STATIC", "&Name:", SS_LEFT | WS_GROUP},
        {IDC_NAME, "EDIT", "", ES_LEFT | WS_TABSTOP | ES_AUTOHSCROLL},
        {IDC_STATIC, "STATIC", "Right", SS_RIGHT | WS_GROUP},
        {IDC_STATIC, "STATIC", "Centre", SS_CENTER | WS_GROUP | SS_NOPREFIX},
        {IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON},
        {1010, "BUTTON", "Check", BS_CHECKBOX | WS_TABSTOP},
        {1011, "BUTTON", "Auto check", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP},
        {1012, "BUTTON", "Radio", BS_RADIOBUTTON | WS_TABSTOP},
        {1013, "BUTTON", "Auto radio", BS_AUTORADIOBUTTON | WS_TABSTOP},
        {IDC_STATIC, "STATIC", "Group", 0},  // a group box is a button: checked below
        {1014, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
        {IDC_LIST, "LISTBOX", "", LBS_NOTIFY | WS_BORDER | LBS_SORT | LBS_NOINTEGRALHEIGHT},
        {1015, "SCROLLBAR", "", SBS_HORZ},
        {IDC_STATIC, "STATIC", "", SS_ICON},
        {1016, "STATIC", "APPICON", SS_ICON},
        {IDC_TREE, "SysTreeView32", "", TVS_HASBUTTONS | TVS_HASLINES | WS_BORDER},
        {1017, "SysTabControl32", "Tabs", TCS_MULTILINE},
        {1018, "BUTTON", "Push", BS_PUSHBUTTON | WS_TABSTOP},
        {1019, "SysListView32", "List", LVS_REPORT | LVS_SINGLESEL},
    };
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
        const DialogControl& c = d.controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.id, expected[i].id);
        if (i == 10) {
            EXPECT_EQ(c.windowClass.text, "BUTTON");
            EXPECT_EQ(c.style, WS_CHILD | WS_VISIBLE | BS_GROUPBOX);
        } else if (i == 17) {
            EXPECT_EQ(c.style, WS_CHILD | TCS_MULTILINE);
        } else {
            EXPECT_EQ(c.windowClass.text, expected[i].cls);
            EXPECT_EQ(c.style, WS_CHILD | WS_VISIBLE | expected[i].style);
        }
        if (i != 14) {
            EXPECT_EQ(c.text.text, expected[i].text);
        }
    }
    EXPECT_EQ(d.controls[0].x, 7);
    EXPECT_EQ(d.controls[0].y, 9);
    EXPECT_EQ(d.controls[0].cx, 30);
    EXPECT_EQ(d.controls[0].cy, 8);
    EXPECT_EQ(d.controls[1].exStyle, WS_EX_CLIENTEDGE);
    EXPECT_EQ(d.controls[7].helpId, 555u);
    EXPECT_EQ(d.controls[14].text.number, static_cast<unsigned>(IDI_APP));
    EXPECT_EQ(d.controls[14].cx, 0);
    EXPECT_EQ(d.controls[15].cx, 20);
    EXPECT_EQ(d.controls[17].exStyle, WS_EX_STATICEDGE);

    cadhost::res::DialogTemplate plain;
    ASSERT_TRUE(cadhostFindDialogTemplate(kModule, MAKEINTRESOURCE(IDD_PLAIN), plain));
    EXPECT_FALSE(plain.extended);
    EXPECT_EQ(plain.style, WS_POPUP | WS_BORDER | WS_SYSMENU | WS_CAPTION);
    EXPECT_EQ(plain.pointSize, 0u);
    ASSERT_EQ(plain.controls.size(), 1u);
    EXPECT_EQ(plain.controls[0].id, IDCLOSE);
    EXPECT_FALSE(cadhostFindDialogTemplate(kModule, MAKEINTRESOURCE(IDR_MAINMENU), plain));
}

TEST_F(CompiledResourcesTest, MenusKeepTheirTree) {
    MenuTemplate m;
    ASSERT_TRUE(cadhostFindMenuTemplate(kModule, MAKEINTRESOURCE(IDR_MAINMENU), m));
    EXPECT_FALSE(m.extended);
    ASSERT_EQ(m.items.size(), 3u);
    const MenuItem& file = m.items[0];
    EXPECT_TRUE(file.popup);
    EXPECT_EQ(file.text, "&File");
    ASSERT_EQ(file.items.size(), 3u);
    EXPECT_EQ(file.items[0].text, "&Open...\tCtrl+O");
    EXPECT_EQ(file.items[0].id, ID_FILE_OPEN);
    EXPECT_EQ(file.items[1].type, MF_SEPARATOR);
    EXPECT_EQ(file.items[2].state, MF_GRAYED);
    const MenuItem& view = m.items[1];
    ASSERT_EQ(view.items.size(), 2u);
    EXPECT_EQ(view.items[0].state, MF_CHECKED);
    EXPECT_EQ(view.items[0].type, MF_MENUBREAK);
    ASSERT_EQ(view.items[1].items.size(), 1u);
    EXPECT_EQ(view.items[1].items[0].id, 2010);
    EXPECT_FALSE(m.items[2].popup);
    EXPECT_EQ(m.items[2].type, MF_HELP);

    ASSERT_TRUE(cadhostFindMenuTemplate(kModule, MAKEINTRESOURCE(IDR_EXMENU), m));
    EXPECT_TRUE(m.extended);
    ASSERT_EQ(m.items.size(), 1u);
    EXPECT_EQ(m.items[0].id, 2100);
    EXPECT_EQ(m.items[0].helpId, 42u);
    ASSERT_EQ(m.items[0].items.size(), 3u);
    EXPECT_EQ(m.items[0].items[0].state, MFS_CHECKED);
    EXPECT_EQ(m.items[0].items[1].type, MFT_SEPARATOR);
    EXPECT_EQ(m.items[0].items[2].id, 2102);
}

TEST_F(CompiledResourcesTest, FilesAreCarriedByteForByte) {
    std::string rtf;
    ASSERT_TRUE(readFileBytes(WIN_TEST_RESOURCES "/readme.rtf", rtf));
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDR_README), "RTF"), rtf);
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDR_README), "rtf"), rtf);
    EXPECT_EQ(bytes("#502", "rtf"), rtf);
    EXPECT_EQ(bytes("mydoc", "TextFile"), rtf);
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDR_BLOB), MAKEINTRESOURCE(1000)), rtf);
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDR_BLOB), RT_RCDATA), std::string("\x01\x02\x03\x00" "ab\x00\x00", 8));
    std::string bmp;
    ASSERT_TRUE(readFileBytes(WIN_TEST_RESOURCES "/logo.bmp", bmp));
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDB_LOGO), RT_BITMAP), bmp.substr(14));
    EXPECT_EQ(bytes("NOSUCH", RT_BITMAP), "<missing>");
    EXPECT_EQ(bytes(MAKEINTRESOURCE(IDR_README), RT_RCDATA), "<missing>");
    EXPECT_EQ(FindResource(kModule, nullptr, RT_RCDATA), nullptr);
}

TEST_F(CompiledResourcesTest, IconsAndCursorsAreSplitIntoImagesAndADirectory) {
    std::string ico;
    ASSERT_TRUE(readFileBytes(WIN_TEST_RESOURCES "/app.ico", ico));
    std::string group = bytes(MAKEINTRESOURCE(IDI_APP), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(group.substr(0, 6), ico.substr(0, 6));
    for (int i = 0; i < 2; ++i) {
        std::string dirEntry = ico.substr(6 + 16 * i, 16);
        std::string groupEntry = group.substr(6 + 14 * i, 14);
        EXPECT_EQ(groupEntry.substr(0, 12), dirEntry.substr(0, 12));
        unsigned imageId = static_cast<unsigned char>(groupEntry[12]) | static_cast<unsigned char>(groupEntry[13]) << 8;
        auto u32 = [&](std::size_t at) {
            return static_cast<std::size_t>(static_cast<unsigned char>(dirEntry[at]) |
                                            static_cast<unsigned char>(dirEntry[at + 1]) << 8);
        };
        EXPECT_EQ(bytes(MAKEINTRESOURCE(imageId), RT_ICON), ico.substr(u32(12), u32(8)));
    }
    EXPECT_NE(bytes("APPICON", RT_GROUP_ICON), "<missing>");
    std::string cur;
    ASSERT_TRUE(readFileBytes(WIN_TEST_RESOURCES "/hand.cur", cur));
    std::string cursorGroup = bytes(MAKEINTRESOURCE(IDC_HANDPOINTER), RT_GROUP_CURSOR);
    ASSERT_EQ(cursorGroup.size(), 6u + 14);
    unsigned imageId = static_cast<unsigned char>(cursorGroup[18]) | static_cast<unsigned char>(cursorGroup[19]) << 8;
    // A cursor image starts with its hot spot (5, 7 in the file's entry).
    EXPECT_EQ(bytes(MAKEINTRESOURCE(imageId), RT_CURSOR), std::string("\x05\x00\x07\x00", 4) + cur.substr(22));
}

TEST_F(CompiledResourcesTest, CursorsLoadFromTheModuleAndAreDestroyed) {
    EXPECT_EQ(LoadCursor(kModule, MAKEINTRESOURCE(IDC_HANDPOINTER)), nullptr) << "its image is cut short";
    HCURSOR hand = LoadCursor(kModule, MAKEINTRESOURCE(IDC_DIAGONAL));
    ASSERT_NE(hand, nullptr);
    int width = 0, height = 0;
    ASSERT_TRUE(cadhostIconSize(hand, width, height));
    EXPECT_EQ(width, 16);
    HCURSOR again = LoadCursor(kModule, MAKEINTRESOURCE(IDC_DIAGONAL));
    EXPECT_NE(again, hand) << "each load is a cursor of its own";
    EXPECT_TRUE(DestroyCursor(again));
    EXPECT_EQ(LoadCursor(kModule, MAKEINTRESOURCE(IDI_APP)), nullptr) << "an icon is no cursor";
    SetCursor(hand);
    EXPECT_TRUE(DestroyCursor(hand));
    EXPECT_EQ(GetCursor(), nullptr) << "a destroyed cursor is no longer current";
    EXPECT_FALSE(cadhostIconSize(hand, width, height));
}

TEST_F(CompiledResourcesTest, HandlesOfOtherModulesOrUnregisteredOnesReadNothing) {
    HRSRC r = FindResource(kModule, MAKEINTRESOURCE(IDR_README), "RTF");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(LoadResource(reinterpret_cast<HMODULE>(0x6000), r), nullptr);
    EXPECT_EQ(SizeofResource(reinterpret_cast<HMODULE>(0x6000), r), 0u);
    cadhostUnregisterModuleResources(kModule);
    EXPECT_EQ(LoadResource(kModule, r), nullptr);
    EXPECT_EQ(FindResource(kModule, MAKEINTRESOURCE(IDR_README), "RTF"), nullptr);
    char buffer[4];
    EXPECT_EQ(LoadString(kModule, IDS_HELLO, buffer, sizeof buffer), 0);
}

TEST_F(CompiledResourcesTest, CompiledDialogsReachTheWindowLayer) {
    const ::DialogTemplate* plain = cadhostFindDialogTemplate(kModule, IDD_PLAIN);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->caption, "Plain");
    EXPECT_EQ(plain->cx, 100);
    EXPECT_EQ(plain->cy, 50);
    ASSERT_EQ(plain->items.size(), 1u);
    const DialogItemTemplate& close = plain->items[0];
    EXPECT_EQ(close.classAtom, DLGATOM_BUTTON) << "predefined classes by their atoms";
    EXPECT_EQ(close.text, "Close");
    EXPECT_EQ(close.id, IDCLOSE);
    EXPECT_EQ(close.x, 25);
    EXPECT_EQ(close.y, 30);
    EXPECT_EQ(close.cx, 50);
    EXPECT_EQ(close.cy, 14);
    EXPECT_EQ(cadhostFindDialogTemplate(kModule, IDD_PLAIN), plain) << "converted once";
    EXPECT_EQ(cadhostFindDialogTemplate(kModule, 9999), nullptr);
    // A dialog of the template is made with its control where the dialog units put it.
    HWND dialog = CreateDialogIndirectParam(kModule, *plain, nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    HWND button = GetDlgItem(dialog, IDCLOSE);
    ASSERT_NE(button, nullptr);
    RECT r{25, 30, 75, 44};
    MapDialogRect(dialog, &r);
    RECT client{};
    GetWindowRect(button, &client);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    EXPECT_EQ(client.left - origin.x, r.left);
    EXPECT_EQ(client.top - origin.y, r.top);
    EXPECT_EQ(client.right - client.left, r.right - r.left);
    DestroyWindow(dialog);
    // Unregistering the image drops the converted templates with it.
    cadhostUnregisterModuleResources(kModule);
    EXPECT_EQ(cadhostFindDialogTemplate(kModule, IDD_PLAIN), nullptr);
    std::string error;
    ASSERT_TRUE(cadhostRegisterModuleResources(kModule, cadhostModuleResources, cadhostModuleResourcesSize, &error));
}

TEST_F(CompiledResourcesTest, DialogInitialDataIsReadRecordByRecord) {
    const std::string data = bytes(MAKEINTRESOURCE(IDD_PLAIN), RT_DLGINIT);
    std::vector<DlgInitEntry> entries;
    ASSERT_TRUE(cadhostReadDlgInit(data.data(), data.size(), entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].control, 1001u);
    EXPECT_EQ(entries[0].message, 0x403u);
    EXPECT_EQ(entries[0].text, "One");
    EXPECT_EQ(entries[1].text, "Three") << "a text without its NUL ends with its length";
    EXPECT_EQ(entries[2].message, 0x401u);
    EXPECT_EQ(entries[2].text, "");
    // A length that runs past the data keeps the records before it and says where.
    std::string cut = data.substr(0, 20);
    entries.clear();
    std::string error;
    EXPECT_FALSE(cadhostReadDlgInit(cut.data(), cut.size(), entries, &error));
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_NE(error.find("runs past the end"), std::string::npos) << error;
}
