#include "respawn.h"
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <climits>
#include <cstdio>
#include <vector>

extern char** environ;

int runTestsInNewProcess(const std::string& environmentAssignment, const std::string& filter) {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return -1;
    self[n] = '\0';
    const std::string name = environmentAssignment.substr(0, environmentAssignment.find('=') + 1);
    std::vector<std::string> env = {environmentAssignment};
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind(name, 0) != 0) env.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string filterArgument = "--gtest_filter=" + filter;
    char* argv[] = {self, filterArgument.data(), nullptr};
    std::fflush(stdout);
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, envp.data()) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
