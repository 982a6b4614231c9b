// The resource script reader: preprocessing, expressions and the errors it reports.
#include <gtest/gtest.h>
#include "win/resources.h"
#include "win/winstyles.h"
#include "win_support.h"

using namespace cadhost::res;

namespace {
const ResourceEntry* entry(const ResourceScript& s, std::uint32_t type, std::uint32_t id) {
    for (const ResourceEntry& e : s.entries)
        if (!e.type.isText && e.type.number == type && !e.name.isText && e.name.number == id) return &e;
    return nullptr;
}

DialogTemplate dialogOf(const std::string& script) {
    ResourceScript s;
    std::string error;
    EXPECT_TRUE(wintest::readScript({{"main.rc", script}}, s, error)) << error;
    DialogTemplate d;
    const ResourceEntry* e = entry(s, kTypeDialog, 1);
    EXPECT_TRUE(e && decodeDialog(e->data.data(), e->data.size(), d));
    return d;
}
}  // namespace

TEST(ResourceScriptTest, ConditionalsIncludesAndMacrosSelectTheStatements) {
    ResourceScript s;
    std::string error;
    ASSERT_TRUE(wintest::readScript(
        {{"main.rc",
          "#include \"ids.h\"\n"
          "#include <windows.h>\n"
          "#if defined(FIRST) && FIRST > 1 || 0\n"
          "1 RCDATA { \"yes\" }\n"
          "#elif 1\n"
          "1 RCDATA { \"no\" }\n"
          "#else\n"
          "#error never\n"
          "#endif\n"
          "#ifdef UNDEFINED\n"
          "2 RCDATA { \"no\" }\n"
          "#endif\n"
          "#undef UNDEFINED\n"
          "#ifndef UNDEFINED\n"
          "SECOND RCDATA /* block\n comment */ { \"two\" } // line comment\n"
          "#endif\n"},
         {"ids.h", "#define FIRST \\\n 2\n#define SECOND (FIRST + 1)\n"}},
        s, error))
        << error;
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(std::string(s.entries[0].data.begin(), s.entries[0].data.end()), "yes");
    // A name defined as an expression is a number.
    EXPECT_EQ(s.entries[1].name.number, 3u);
    EXPECT_EQ(s.dependencies, (std::vector<std::string>{"main.rc", "ids.h"}));
}

TEST(ResourceScriptTest, StyleExpressionsOrAddAndClearBits) {
    DialogTemplate d = dialogOf(
        "1 DIALOGEX 0, 0, 10 + 5 - 1, (2 | 4) & ~4\n"
        "STYLE WS_POPUP | WS_VISIBLE | NOT WS_VISIBLE | 0x10\n"
        "BEGIN\n"
        "  EDITTEXT 5, 1, 2, 3, 4, NOT WS_TABSTOP | ES_NUMBER\n"
        "  CONTROL \"\", -1, \"Static\", SS_ICON, 0, 0, 1, 1\n"
        "END\n");
    EXPECT_EQ(d.cx, 14);
    EXPECT_EQ(d.cy, 2);
    EXPECT_EQ(d.style, WS_POPUP | 0x10);
    ASSERT_EQ(d.controls.size(), 2u);
    EXPECT_EQ(d.controls[0].style, WS_CHILD | WS_VISIBLE | ES_LEFT | WS_BORDER | ES_NUMBER);
    EXPECT_EQ(d.controls[1].id, -1);
    EXPECT_EQ(d.controls[1].windowClass.text, "STATIC");
    EXPECT_EQ(d.controls[1].style, WS_CHILD | WS_VISIBLE | SS_ICON);
}

TEST(ResourceScriptTest, ErrorsNameTheFileAndLine) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"1 RCDATA { 1 }\n\n1 DIALOG 0, 0, 1, 1\nBEGIN\n  SLIDER 1, 2, 3, 4, 5\nEND\n",
         "main.rc:5: unknown control statement SLIDER"},
        {"\n1 VERSIONINFO\n", "main.rc:2: unsupported resource statement VERSIONINFO"},
        {"1 WIDGET 7\n", "main.rc:1: unknown statement WIDGET"},
        {"1 WIDGET LANGUAGE 9, 1 7\n", "main.rc:1: expected a quoted file name or BEGIN after the resource type WIDGET"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", "main.rc:4: duplicate string id 1"},
        {"STRINGTABLE\nBEGIN\n  1 \"open\nEND\n", "main.rc:3: unterminated string"},
        {"/* open\n\n", "main.rc:1: unterminated comment"},
        {"#include \"missing.h\"\n", "main.rc:1: cannot open include file 'missing.h'"},
        {"#define F(x) x\n", "main.rc:1: macros with arguments are not supported ('F')"},
        {"#if 1\n", "main.rc:2: #if without #endif"},
        {"\n#endif\n", "main.rc:2: #endif without #if"},
        {"#frobnicate\n", "main.rc:1: unknown directive #frobnicate"},
        {"1 DIALOG 0, 0, UNKNOWN_NAME, 1\n", "main.rc:1: unknown name 'UNKNOWN_NAME' in an expression"},
        {"1 ICON \"nofile.ico\"\n", "main.rc:1: cannot open file 'nofile.ico'"},
        {"1 ICON \"main.rc\"\n", "main.rc:1: main.rc is not an icon file"},
        {"1 RCDATA { 1 }\n1 RCDATA { 2 }\n", "main.rc:2: duplicate resource 1 of type 10"},
        {"1 MENU\nBEGIN\n  MENUITEM \"a\", 1, SHADED\nEND\n", "main.rc:3: expected a menu item option"},
        {"1 DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1, 0, 0, 5\nEND\n",
         "main.rc:3: a help id needs DIALOGEX"},
        {"1 DIALOG 0, 0, 1\n", "main.rc:2: expected ',' before the dialog's height (at the end of the script)"},
        {"1 RCDATA { 0x }\n", "main.rc:1: malformed hexadecimal number"},
    };
    for (const Case& c : cases) {
        std::string error = wintest::scriptError(c.script);
        EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.script;
    }
}

TEST(ResourceScriptTest, DeepNestingIsAnErrorNotACrash) {
    std::string parens = "1 RCDATA { " + std::string(5000, '(') + "1" + std::string(5000, ')') + " }\n";
    EXPECT_NE(wintest::scriptError(parens).find("nests too deeply"), std::string::npos);
    std::string menu = "1 MENU\nBEGIN\n";
    for (int i = 0; i < 100; ++i) menu += "POPUP \"p\"\nBEGIN\n";
    EXPECT_NE(wintest::scriptError(menu).find("menus nest too deeply"), std::string::npos);
    std::string includes = "#include \"main.rc\"\n";
    ResourceScript s;
    std::string error;
    EXPECT_FALSE(wintest::readScript({{"main.rc", includes}}, s, error));
    EXPECT_NE(error.find("#include nests too deeply"), std::string::npos);
    // Each definition doubles the one before: the expansion is bounded.
    std::string doubling = "#define A0 1\n";
    for (int i = 1; i < 40; ++i)
        doubling += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
    doubling += "1 RCDATA { A39 }\n";
    EXPECT_NE(wintest::scriptError(doubling).find("too many tokens"), std::string::npos);
}

TEST(ResourceScriptTest, ReadFromDiskResolvesFilesBesideTheScript) {
    ResourceScript s;
    std::string error;
    ASSERT_TRUE(readResourceScript(WIN_TEST_RESOURCES "/test.rc", RcOptions(), s, error)) << error;
    EXPECT_EQ(s.dependencies.front(), WIN_TEST_RESOURCES "/test.rc");
    auto has = [&](const std::string& tail) {
        for (const std::string& d : s.dependencies)
            if (d.size() >= tail.size() && d.compare(d.size() - tail.size(), tail.size(), tail) == 0) return true;
        return false;
    };
    EXPECT_TRUE(has("/test_resource.h"));
    EXPECT_TRUE(has("/app.ico"));
    EXPECT_TRUE(has("/../res/logo.bmp"));
    EXPECT_FALSE(has("afxres.h"));
}
