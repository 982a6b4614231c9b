#include "app/commands/hostcommands.h"
#include <cstdio>
#include <cstring>
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/prompts.h"
#include "rx/print.h"

namespace {
std::vector<std::pair<std::string, std::vector<std::string>>>& groupList() {
    static std::vector<std::pair<std::string, std::vector<std::string>>> list;
    return list;
}
}  // namespace

HostCommandGroup::HostCommandGroup(const char* group, std::initializer_list<AcEdHostCommandDef> commands) {
    std::vector<std::string> names;
    for (const AcEdHostCommandDef& c : commands)
        if (acedHostDefineCommand(c)) names.emplace_back(c.name);
        else std::fprintf(stderr, "cadhost: host command \"%s\" of group %s was not entered\n", c.name ? c.name : "", group);
    groupList().emplace_back(group, std::move(names));
}

const std::vector<std::pair<std::string, std::vector<std::string>>>& HostCommandGroup::groups() { return groupList(); }

AcApDocument* requireDocument() {
    AcApDocument* doc = acDocManager->curDocument();
    if (!doc) acutPrintf("\nNo drawing is open.");
    return doc;
}

bool askYesNo(const char* prompt, bool defaultAnswer) {
    acedInitGet(0, "Yes No");
    char answer[133] = {0};
    int rc = acedGetKword(prompt, answer);
    if (rc == RTNONE) return defaultAnswer;
    return rc == RTNORM && std::strcmp(answer, "Yes") == 0;
}
