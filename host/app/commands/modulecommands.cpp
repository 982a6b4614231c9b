// Modules: APPLOAD and ARX.
#include <cstring>
#include <string>
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "ed/commandline.h"
#include "ed/modules.h"
#include "ed/prompts.h"
#include "rx/print.h"

namespace {
int loadModule(const char* prompt) {
    std::string name;
    if (int rc = hostcmd::askFileName(prompt, name); rc != RTNORM) return rc;
    if (name.empty()) return RTCAN;
    std::string error;
    if (!acedHostLoadModule(name.c_str(), &error)) {
        AcEdCommandLine::instance().fail(error);
        return RTERROR;
    }
    acutPrintf("\n%s loaded.", name.c_str());
    return RTNORM;
}

int unloadModule() {
    std::string name;
    if (int rc = hostcmd::askFileName("\nEnter the name of the module to unload: ", name); rc != RTNORM) return rc;
    if (name.empty()) return RTCAN;
    std::string error;
    if (!acedHostUnloadModule(name.c_str(), &error)) {
        AcEdCommandLine::instance().fail(error);
        return RTERROR;
    }
    acutPrintf("\n%s unloaded.", name.c_str());
    return RTNORM;
}

void listModules() {
    std::vector<std::string> modules = acedHostLoadedModules();
    if (modules.empty()) acutPrintf("\nNo modules are loaded.");
    for (const std::string& m : modules) acutPrintf("\n%s", m.c_str());
}

void listCommands() {
    for (const std::string& group : acedRegCmds->groupNames()) {
        acutPrintf("\nGroup %s:", group.c_str());
        for (const AcEdCommand* c : acedRegCmds->commands())
            if (group == c->groupName()) acutPrintf(" %s", c->globalName());
    }
}

int apploadCommand() { return loadModule("\nEnter the module file to load: "); }

int arxCommand() {
    acedInitGet(0, "? Load Unload Commands");
    char option[133];
    int rc = acedGetKword("\nEnter an option [?/Load/Unload/Commands]: ", option);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    if (std::strcmp(option, "Load") == 0) return loadModule("\nEnter the module file to load: ");
    if (std::strcmp(option, "Unload") == 0) return unloadModule();
    if (std::strcmp(option, "Commands") == 0) listCommands();
    else listModules();
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(modules, {
    {"APPLOAD", apploadCommand},
    {"ARX", arxCommand},
});
