// System variables: SETVAR.
#include <cctype>
#include <string>
#include "app/commands/hostcommands.h"
#include "ed/commandline.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "rx/print.h"

namespace {
std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string shown(const std::string& name) {
    std::string value;
    if (!acedHostVariableText(name.c_str(), value)) return "(no drawing)";
    return acedHostVariableType(name.c_str()) == RTSTR ? "\"" + value + "\"" : value;
}

void listVariables() {
    for (const std::string& name : acedHostVariableNames())
        acutPrintf("\n%-12s %s%s", name.c_str(), shown(name).c_str(),
                   acedHostIsVariableReadOnly(name.c_str()) ? "   (read only)" : "");
}

int setvarCommand() {
    char buffer[133];
    int rc = acedGetString(0, "\nEnter variable name or [?]: ", buffer);
    if (rc != RTNORM) return rc;
    std::string name = upper(buffer);
    if (name.empty()) return RTNORM;
    if (name == "?") {
        listVariables();
        return RTNORM;
    }
    if (!acedHostIsVariable(name.c_str())) {
        AcEdCommandLine::instance().fail("Unknown variable name \"" + name + "\".  Type SETVAR ? for a list of variables.");
        return RTERROR;
    }
    std::string current;
    acedHostVariableText(name.c_str(), current);
    if (acedHostIsVariableReadOnly(name.c_str())) {
        acutPrintf("\n%s = %s (read only)", name.c_str(), shown(name).c_str());
        return RTNORM;
    }
    const std::string prompt = "\nEnter new value for " + name + " <" + current + ">: ";
    const bool text = acedHostVariableType(name.c_str()) == RTSTR;
    return AcEdCommandLine::instance().ask(
        prompt.c_str(), text ? AcEdCommandLine::AnswerMode::kLine : AcEdCommandLine::AnswerMode::kWord,
        [&](const std::string& answer, std::string& message) {
            if (answer.empty()) return RTNORM;
            return acedHostSetVariableText(name.c_str(), answer, &message) ? RTNORM : RTERROR;
        });
}
}  // namespace

CADHOST_COMMANDS(settings, {
    {"SETVAR", setvarCommand, ACRX_CMD_TRANSPARENT},
});
