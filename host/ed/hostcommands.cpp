// The host's own commands, their undefinition, and what a typed name reaches.
#include <cctype>
#include <map>
#include <set>
#include "ed/command.h"
#include "ed/lispfuncs.h"

namespace {
std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct HostCommands {
    std::map<std::string, AcEdHostCommandDef> commands;  // by upper-case name
    std::set<std::string> undefined;
};

HostCommands& host() {
    static HostCommands h;
    return h;
}

// "_", "." and "'" in any order before the name.
struct Prefixes {
    bool global = false, builtin = false, transparent = false;
    std::string name;
};
Prefixes splitPrefixes(const std::string& typed) {
    Prefixes p;
    size_t i = 0;
    for (; i < typed.size(); ++i) {
        if (typed[i] == '_') p.global = true;
        else if (typed[i] == '.') p.builtin = true;
        else if (typed[i] == '\'') p.transparent = true;
        else break;
    }
    p.name = upper(typed.substr(i));
    return p;
}

const AcEdHostCommandDef* hostCommand(const std::string& name, bool includeUndefined) {
    auto& h = host();
    auto it = h.commands.find(name);
    if (it == h.commands.end()) return nullptr;
    if (!includeUndefined && h.undefined.count(name)) return nullptr;
    return &it->second;
}
}  // namespace

bool acedHostDefineCommand(const AcEdHostCommandDef& command) {
    if (!command.name || !*command.name || !command.function) return false;
    std::string name = upper(command.name);
    if (name.find_first_of(" \t\r\n_.'") == 0 || name.find_first_of(" \t\r\n") != std::string::npos) return false;
    host().commands[name] = command;
    return true;
}

bool acedHostRemoveCommand(const char* name) {
    if (!name) return false;
    return host().commands.erase(upper(name)) != 0;
}

bool acedHostFindCommand(const char* name, AcEdHostCommandDef* out, bool includeUndefined) {
    if (!name) return false;
    const AcEdHostCommandDef* def = hostCommand(upper(name), includeUndefined);
    if (!def) return false;
    if (out) *out = *def;
    return true;
}

bool acedHostIsCommandUndefined(const char* name) { return name && host().undefined.count(upper(name)) != 0; }

std::vector<std::string> acedHostCommandNames() {
    std::vector<std::string> names;
    for (const auto& [name, def] : host().commands) names.push_back(name);
    return names;
}

int acedCmdUndefine(const char* name, int undefIt) {
    if (!name) return RTERROR;
    Prefixes p = splitPrefixes(name);
    if (p.transparent || p.name.empty() || !hostCommand(p.name, true)) return RTERROR;
    if (undefIt) host().undefined.insert(p.name);
    else host().undefined.erase(p.name);
    return RTNORM;
}

AcEdResolvedCommand acedHostResolveCommand(const std::string& typed) {
    AcEdResolvedCommand r;
    Prefixes p = splitPrefixes(typed);
    r.transparentPrefix = p.transparent;
    if (p.name.empty()) return r;
    auto fromHost = [&](const AcEdHostCommandDef* def, const std::string& name) {
        r.kind = AcEdResolvedCommand::kHost;
        r.globalName = name;
        r.flags = def->flags;
        r.host = def->function;
        return r;
    };
    if (const AcEdHostCommandDef* def = hostCommand(p.name, p.builtin)) return fromHost(def, p.name);
    if (p.builtin) {
        if (p.name[0] == '-')
            if (const AcEdHostCommandDef* def = hostCommand(p.name.substr(1), true)) return fromHost(def, p.name.substr(1));
        return r;
    }
    const AcEdCommand* cmd = p.global ? acedRegCmds->lookupGlobalCmd(p.name.c_str())
                                      : acedRegCmds->lookupLocalCmd(p.name.c_str());
    if (!cmd && !p.global) cmd = acedRegCmds->lookupGlobalCmd(p.name.c_str());
    if (cmd) {
        r.kind = AcEdResolvedCommand::kModule;
        r.globalName = upper(cmd->globalName());
        r.flags = cmd->commandFlags();
        r.command = cmd;
        return r;
    }
    // LISP commands: the name as typed (c:_binsert) before the name without its prefixes.
    std::string typedName = typed;
    while (!typedName.empty() && (typedName[0] == '\'' || typedName[0] == '.')) typedName.erase(0, 1);
    for (const std::string& candidate : {"c:" + typedName, "c:" + p.name}) {
        AcedDefunInfo info;
        if (acedHostFindDefun(candidate.c_str(), &info)) {
            r.kind = AcEdResolvedCommand::kLisp;
            r.globalName = info.name;
            return r;
        }
    }
    if (p.name[0] == '-')
        if (const AcEdHostCommandDef* def = hostCommand(p.name.substr(1), false)) return fromHost(def, p.name.substr(1));
    return r;
}
