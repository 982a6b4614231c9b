// Scripts that drive the windows of cadhost: a modal dialog of the editor test module takes
// the lines after its command as window events until it ends.
#include <fstream>
#include "app/windowinput.h"
#include "ed/sysvar.h"
#include "ed/winapp.h"
#include "session_fixture.h"
#include "ui/wnd.h"

namespace fs = std::filesystem;

namespace {
const std::string kModule = std::string(CADHOST_BINARY_DIR) + "/bin/edtestmodule.arx";

bool isPng(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char signature[8] = {};
    in.read(signature, sizeof signature);
    return std::string(signature, 8) == std::string("\x89PNG\r\n\x1a\n", 8);
}

class WindowScript : public ProgramSessionTest {
protected:
    // A session with the test module loaded.
    int session(const std::string& lines) {
        CadhostOptions options;
        options.modules.push_back(kModule);
        return runSession(lines, options);
    }
};

TEST_F(WindowScript, EventsEditTheDialogAndOkEndsIt) {
    EXPECT_EQ(session("TMDIALOG\n"
                      "click #101\n"
                      "key end\n"
                      "key backspace 3\n"
                      "type \"door 7\"\n"
                      "click #1\n"
                      "(princ \"after\")\n"),
              0)
        << out;
    EXPECT_TRUE(has("The dialog is over the main window.")) << out;
    EXPECT_TRUE(has("Name: door 7")) << out;
    EXPECT_TRUE(has("after")) << out;
    EXPECT_EQ(acedGetAcadFrame(), nullptr) << "the main window goes with the session";
    EXPECT_EQ(cadhostWindowCount(), 0);
}

TEST_F(WindowScript, EnterOnTheEditPressesOkAndNextDialogStartsClean) {
    // "key enter 3" ends the first dialog at its first Enter; the rest must not reach the second.
    EXPECT_EQ(session("TMDIALOG\ntype \"a\"\nkey enter 3\nTMDIALOG\nkey escape\n(princ \"after\")\n"), 0) << out;
    EXPECT_TRUE(has("Name: a")) << out;
    EXPECT_TRUE(has("Name dialog cancelled.")) << out;
    EXPECT_TRUE(has("after")) << out;
}

TEST_F(WindowScript, ScriptEndingInsideTheDialogCancelsIt) {
    EXPECT_EQ(session("TMDIALOG\ntype \"lost\""), 0) << out;
    EXPECT_TRUE(has("Name dialog cancelled.")) << out;
    EXPECT_FALSE(has("Name: ")) << out;
    EXPECT_EQ(cadhostWindowCount(), 0);
}

TEST_F(WindowScript, CommandLineCancelsTheDialogAndRunsOn) {
    EXPECT_EQ(session("TMDIALOG\ntype \"lost\"\n(princ \"later\")\nTMDIALOG\nclick #1\n"), 0) << out;
    EXPECT_TRUE(has("Not a window event, the dialog is cancelled: (princ \"later\")")) << out;
    EXPECT_TRUE(has("Name dialog cancelled.")) << out;
    EXPECT_TRUE(has("later")) << out;
    EXPECT_TRUE(has("Name: old")) << "the second dialog still takes events\n" << out;
}

TEST_F(WindowScript, WrongEventsAreReportedAndSkipped) {
    EXPECT_EQ(session("TMDIALOG\n"
                      "click #999\n"
                      "type unquoted\n"
                      "key nosuchkey\n"
                      "; a comment\n"
                      "\n"
                      "click #2\n"),
              0)
        << out;
    EXPECT_TRUE(has("Window event skipped: no control 999 in the active window")) << out;
    EXPECT_TRUE(has("Window event skipped: type: one quoted text")) << out;
    EXPECT_TRUE(has("Window event skipped: key: unknown key nosuchkey")) << out;
    EXPECT_TRUE(has("Name dialog cancelled.")) << out;
}

TEST_F(WindowScript, PictureOfTheDialogIsWritten) {
    const fs::path png = folder / "name dialog.png";
    EXPECT_EQ(session("TMDIALOG\ntype \"picture\"\npicture active \"" + png.string() + "\"\nclick #1\n"), 0) << out;
    EXPECT_TRUE(has("Name: picture")) << out;
    EXPECT_TRUE(isPng(png));
}

// At the Command prompt, event lines drive the windows that are open: a docked bar's controls.
TEST_F(WindowScript, EventsAtTheCommandPromptReachADockedBar) {
    const fs::path frame = folder / "frame.png", bar = folder / "bar.png", window = folder / "window.png";
    EXPECT_EQ(session("TMDOCKBAR\n"
                      "click #301\n"
                      "click #301\n"
                      "click #999\n"
                      "key f12\n"
                      "picture frame \"" + frame.string() + "\"\n"
                      "picture bar \"Test Bar\" \"" + bar.string() + "\"\n"
                      "picture window \"cadhost\" \"" + window.string() + "\"\n"
                      "picture bar \"Other\" \"x.png\"\n"
                      "(princ \"after\")\n"),
              0)
        << out;
    EXPECT_TRUE(has("Dock button pressed (1).")) << out;
    EXPECT_TRUE(has("Dock button pressed (2).")) << out;
    EXPECT_TRUE(has("Window event skipped: no control 999 in the active window")) << out;
    EXPECT_TRUE(has("Window event skipped: no bar \"Other\" to picture")) << out;
    EXPECT_FALSE(has("Unknown command")) << out;
    EXPECT_TRUE(has("after")) << out;
    for (const fs::path& png : {frame, bar, window}) EXPECT_TRUE(isPng(png)) << png;
    EXPECT_EQ(cadhostWindowCount(), 0) << "the bar goes with its module";
}

// A modal dialog opened from the Command prompt still takes the lines after it; MOVE stays a
// command.
TEST_F(WindowScript, CommandPromptEventsLeaveCommandsAndDialogsAlone) {
    EXPECT_EQ(session("TMDOCKBAR\nclick #301\nTMDIALOG\ntype \"x\"\nclick #1\n"), 0) << out;
    EXPECT_TRUE(has("Dock button pressed (1).")) << out;
    EXPECT_TRUE(has("Name: x")) << out;
    EXPECT_TRUE(has("Command: click #301\nDock button pressed (1).\nCommand: TMDIALOG")) << out;
    EXPECT_EQ(cadhostIsPromptWindowEventLine("MOVE 5,0"), false);
    EXPECT_EQ(cadhostIsPromptWindowEventLine("move #301"), false);
    EXPECT_EQ(cadhostIsPromptWindowEventLine("click #301"), true);
    EXPECT_EQ(cadhostIsPromptWindowEventLine("; comment"), false);
    EXPECT_EQ(cadhostIsPromptWindowEventLine(""), false);
}

TEST(MainFrame, SizedByScreenSizeAndGoneWhenDestroyed) {
    resbuf saved;
    ASSERT_EQ(acedGetVar("SCREENSIZE", &saved), RTNORM);
    resbuf size;
    size.restype = RTPOINT;
    size.resval.rpoint[0] = 1024;
    size.resval.rpoint[1] = 700;
    size.resval.rpoint[2] = 0;
    ASSERT_EQ(acedHostSetVar("SCREENSIZE", &size, false), RTNORM);
    CWnd* frame = acedHostCreateAcadFrame();
    acedHostSetVar("SCREENSIZE", &saved, false);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(acedGetAcadFrame(), frame);
    RECT r;
    ::GetWindowRect(frame->m_hWnd, &r);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 700);
    CString caption;
    frame->GetWindowText(caption);
    EXPECT_STREQ(static_cast<LPCTSTR>(caption), "cadhost");
    EXPECT_EQ(::GetParent(frame->m_hWnd), nullptr);
    acedHostDestroyAcadFrame();
    EXPECT_EQ(acedGetAcadFrame(), nullptr);
    EXPECT_EQ(cadhostWindowCount(), 0);
    EXPECT_NE(acedGetAcadDockCmdLine(), nullptr);
}
}  // namespace
