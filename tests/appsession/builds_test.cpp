// Runs every session test again for the R15 build, in a process of its own.
#include "appsession_support.h"
#include "respawn.h"

TEST(ModuleBuilds, R15BuildPassesInAProcessOfItsOwn) {
    if (appsession::isR15Process()) GTEST_SKIP() << "this is the R15 process";
    EXPECT_EQ(runTestsInNewProcess("CADHOST_MODULE_BUILD=R15", "Session.*"), 0) << "R15 sessions failed; their output is above";
}
