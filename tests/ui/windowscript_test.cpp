#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/windowscript.h"

namespace {

constexpr int kField = 300, kOption = 301;

DialogTemplate smallTemplate() {
    DialogTemplate t;
    t.x = 20;
    t.y = 20;
    t.cx = 150;
    t.cy = 50;
    t.caption = "Script";
    t.items = {
        {"", DLGATOM_EDIT, "", kField, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 7, 100, 12},
        {"", DLGATOM_BUTTON, "Option", kOption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 22, 60, 10},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 93, 32, 50, 14},
    };
    return t;
}

struct Outcome {
    std::string field;
    UINT option = 0;
};
Outcome* g_outcome = nullptr;

INT_PTR CALLBACK ScriptProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        char text[64];
        GetDlgItemText(dlg, kField, text, sizeof text);
        g_outcome->field = text;
        g_outcome->option = IsDlgButtonChecked(dlg, kOption);
        EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class WindowScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        cadhostResetInput();
        g_outcome = &outcome;
    }
    void TearDown() override {
        cadhostResetInput();
        g_outcome = nullptr;
    }
    void run(std::vector<std::string> lines) {
        script = std::move(lines);
        at = 0;
        errors.clear();
        cadhostRunWindowScript([this](std::string& line) {
            if (at >= script.size()) return false;
            line = script[at++];
            return true;
        }, [this](const std::string& e) { errors.push_back(e); });
    }
    std::vector<std::string> script;
    size_t at = 0;
    std::vector<std::string> errors;
    Outcome outcome;
};

TEST_F(WindowScriptTest, LinesDriveADialogAndTakeItsPicture) {
    std::string path = std::string(CADHOST_BINARY_DIR) + "/ui_script_dialog.png";
    std::remove(path.c_str());
    run({"; fill in the dialog", "type \"Door \\\"A\\\"\"", "click #301", "", "picture active \"" + path + "\"",
         "click #999", "jump #1", "key enter"});
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, smallTemplate(), nullptr, ScriptProc, 0), IDOK);
    EXPECT_EQ(outcome.field, "Door \"A\"");
    EXPECT_EQ(outcome.option, BST_CHECKED);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "no control 999 in the active window");
    EXPECT_EQ(errors[1], "unknown window event: jump");
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

TEST_F(WindowScriptTest, TheEndOfTheLinesCancelsTheDialog) {
    run({"type \"abc\""});
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, smallTemplate(), nullptr, ScriptProc, 0), IDCANCEL);
    EXPECT_EQ(outcome.field, "abc");
}

TEST(WindowEventParseTest, EventsAndTheirErrors) {
    WindowEventCommand c;
    std::string error;
    ASSERT_TRUE(cadhostParseWindowEvent("drag #10@2,3 100,200 right", c, error));
    EXPECT_EQ(c.verb, WindowEventCommand::Drag);
    EXPECT_EQ(c.target.kind, WindowEventTarget::Control);
    EXPECT_EQ(c.target.id, 10);
    EXPECT_TRUE(c.target.hasPoint);
    EXPECT_EQ(c.target.pt.y, 3);
    EXPECT_EQ(c.to.kind, WindowEventTarget::Screen);
    EXPECT_EQ(c.button, 1);
    ASSERT_TRUE(cadhostParseWindowEvent("key TAB 3", c, error));
    EXPECT_EQ(c.key, VK_TAB);
    EXPECT_EQ(c.count, 3);
    ASSERT_TRUE(cadhostParseWindowEvent("wheel @5,5 -2", c, error));
    EXPECT_EQ(c.count, -2);
    ASSERT_TRUE(cadhostParseWindowEvent("keydown shift", c, error));
    EXPECT_EQ(c.verb, WindowEventCommand::KeyDown);
    EXPECT_EQ(c.key, VK_SHIFT);
    ASSERT_TRUE(cadhostParseWindowEvent("key f12", c, error));
    EXPECT_EQ(c.key, VK_F1 + 11);
    EXPECT_FALSE(cadhostParseWindowEvent("type \"open", c, error));
    EXPECT_EQ(error, "unterminated quoted text");
    EXPECT_FALSE(cadhostParseWindowEvent("type abc", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("click #x", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("click 1,2 middle", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("key nokey", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("wait -1", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("wait 99999999999999999999", c, error));
    EXPECT_FALSE(cadhostParseWindowEvent("picture 1,2 \"x.png\"", c, error));
    EXPECT_TRUE(cadhostParseWindowEvent("   ", c, error));
    EXPECT_EQ(c.verb, WindowEventCommand::Skip);
}

TEST(WindowEventParseTest, WindowLinesAreToldFromCommandLines) {
    for (const char* line : {"", "   ", "; note", "click #1", "CLICK #1", "  type \"a b\"", "type \"open",
                             "key nosuchkey", "\"click\" #1", "picture active \"x.png\""})
        EXPECT_TRUE(cadhostIsWindowEventLine(line)) << line;
    for (const char* line : {"LINE", "(princ \"x\")", "clck #1", "\"text\"", "0,0", "clicked"})
        EXPECT_FALSE(cadhostIsWindowEventLine(line)) << line;
}

}  // namespace
