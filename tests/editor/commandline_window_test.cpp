// The command line window in the main frame.
#include <gtest/gtest.h>
#include <filesystem>
#include "ed/winapp.h"
#include "win/render.h"

TEST(CommandLineWindow, LivesInTheFrameAndTakesTheFocus) {
    CWnd* frame = acedHostCreateAcadFrame();
    ASSERT_NE(frame, nullptr);
    AcEdCommandLineWindow* cmdLine = acedGetAcadDockCmdLine();
    CWnd* asWindow = cmdLine;  // what a module holds
    ASSERT_NE(asWindow->GetSafeHwnd(), nullptr);
    EXPECT_EQ(::GetParent(cmdLine->GetSafeHwnd()), frame->GetSafeHwnd());
    EXPECT_TRUE(::IsWindowVisible(cmdLine->GetSafeHwnd()));
    RECT inFrame{}, client{};
    frame->GetClientRect(&client);
    ::GetWindowRect(cmdLine->GetSafeHwnd(), &inFrame);
    EXPECT_EQ(inFrame.right - inFrame.left, client.right) << "the frame's whole width";

    const int before = cmdLine->focusCount();
    cmdLine->SetFocus();
    EXPECT_EQ(::GetFocus(), cmdLine->GetSafeHwnd());
    EXPECT_TRUE(cmdLine->hasFocus());
    EXPECT_EQ(cmdLine->focusCount(), before + 1);
    ::SetFocus(frame->GetSafeHwnd());
    EXPECT_FALSE(cmdLine->hasFocus()) << "another window took it";

    const std::string picture = (std::filesystem::temp_directory_path() / "cadhost_frame_cmdline.png").string();
    EXPECT_TRUE(cadhostSaveWindowPng(frame->GetSafeHwnd(), picture.c_str()));

    acedHostDestroyAcadFrame();
    EXPECT_EQ(cmdLine->GetSafeHwnd(), nullptr) << "gone with the frame";
    cmdLine->SetFocus();
    EXPECT_EQ(cmdLine->focusCount(), before + 2) << "counted without a window too";
    ASSERT_NE(acedHostCreateAcadFrame(), nullptr);
    EXPECT_NE(acedGetAcadDockCmdLine()->GetSafeHwnd(), nullptr) << "made again in the new frame";
    acedHostDestroyAcadFrame();
}
