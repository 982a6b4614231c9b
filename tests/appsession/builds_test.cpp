// Runs every session test again for the R15 build, in a process of its own.
#include <spawn.h>
#include <sys/wait.h>
#include <climits>
#include "appsession_support.h"

extern char** environ;

TEST(ModuleBuilds, R15BuildPassesInAProcessOfItsOwn) {
    if (appsession::isR15Process()) GTEST_SKIP() << "this is the R15 process";
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    std::vector<std::string> env = {"CADHOST_MODULE_BUILD=R15"};
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("CADHOST_MODULE_BUILD=", 0) != 0) env.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string filter = "--gtest_filter=Session.*";
    char* argv[] = {self, filter.data(), nullptr};
    std::fflush(stdout);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self, nullptr, nullptr, argv, envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the R15 process ended abnormally";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "R15 sessions failed; their output is above";
}
