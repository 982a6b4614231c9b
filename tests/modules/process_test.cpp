// Runs the R15 tests in a process of their own (see modules_support.h).
#include "modules_support.h"
#include "respawn.h"

TEST(ModuleBuilds, R15BuildPassesInAProcessOfItsOwn) {
    SKIP_UNLESS_R16_PROCESS();
    EXPECT_EQ(runTestsInNewProcess("CADHOST_MODULE_BUILD=R15", "R15*"), 0) << "R15 tests failed; their output is above";
}
