#include <strings.h>
#include "ed/command.h"
#include "ed/lispfuncs.h"

ACRX_HOST_DEFINE_MEMBERS(AcEdCommand, AcRxObject, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcEdCommandStack, AcRxObject, "", ACRX_NO_CONS)

namespace {
bool validName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p)
        if (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') return false;
    return true;
}

bool same(const std::string& a, const char* b) { return b && strcasecmp(a.c_str(), b) == 0; }

// The stack lives in the system registry, which is never destroyed.
AcEdCommandStack* registeredStack() {
    static AcEdCommandStack* stack = [] {
        auto* s = new AcEdCommandStack;
        if (AcRxObject* old = acrxSysRegistry()->atPut(ACRX_COMMAND_DOCK, s)) delete old;
        return s;
    }();
    return stack;
}
const bool g_stackRegistered = (registeredStack(), true);
}  // namespace

AcEdCommandStack* acedRegCmdsPtr() {
    (void)g_stackRegistered;
    return registeredStack();
}

AcEdCommandStack::~AcEdCommandStack() {
    for (Group& g : m_groups)
        for (AcEdCommand* c : g.commands) delete c;
}

AcEdCommandStack::Group* AcEdCommandStack::findGroup(const char* name) {
    for (Group& g : m_groups)
        if (same(g.name, name)) return &g;
    return nullptr;
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const char* groupName, const char* globalName,
                                               const char* localName, int commandFlags,
                                               AcRxFunctionPtr function, AcEdUIContext* context,
                                               int functionCode, HINSTANCE resource,
                                               AcEdCommand** commandOut) {
    if (commandOut) *commandOut = nullptr;
    if (!validName(groupName) || !validName(globalName) || !function) return Acad::eInvalidInput;
    if (!localName || !*localName) localName = globalName;
    if (!validName(localName)) return Acad::eInvalidInput;
    Group* group = findGroup(groupName);
    if (group)
        for (const AcEdCommand* c : group->commands)
            if (same(c->m_global, globalName) || same(c->m_local, localName)) return Acad::eDuplicateKey;
    if (!group) {
        m_groups.push_back(Group{groupName, {}});
        group = &m_groups.back();
    }
    auto* cmd = new AcEdCommand;
    cmd->m_group = group->name;
    cmd->m_global = globalName;
    cmd->m_local = localName;
    cmd->m_flags = commandFlags;
    cmd->m_function = function;
    cmd->m_functionCode = functionCode;
    cmd->m_context = context;
    cmd->m_resource = resource;
    cmd->m_module = acedHostCurrentModule();
    group->commands.push_back(cmd);
    if (commandOut) *commandOut = cmd;
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const char* groupName, const char* globalName) {
    Group* group = findGroup(groupName);
    if (!group) return Acad::eKeyNotFound;
    for (auto it = group->commands.begin(); it != group->commands.end(); ++it)
        if (same((*it)->m_global, globalName)) {
            delete *it;
            group->commands.erase(it);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const char* groupName) {
    for (auto it = m_groups.begin(); it != m_groups.end(); ++it)
        if (same(it->name, groupName)) {
            for (AcEdCommand* c : it->commands) delete c;
            m_groups.erase(it);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const char* name, bool globalFlag) const {
    for (auto g = m_groups.rbegin(); g != m_groups.rend(); ++g)
        for (AcEdCommand* c : g->commands)
            if (same(globalFlag ? c->m_global : c->m_local, name)) return c;
    return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const char* name) const { return lookupCmd(name, true); }
AcEdCommand* AcEdCommandStack::lookupLocalCmd(const char* name) const { return lookupCmd(name, false); }

std::vector<std::string> AcEdCommandStack::groupNames() const {
    std::vector<std::string> names;
    for (auto g = m_groups.rbegin(); g != m_groups.rend(); ++g) names.push_back(g->name);
    return names;
}

std::vector<const AcEdCommand*> AcEdCommandStack::commands() const {
    std::vector<const AcEdCommand*> all;
    for (auto g = m_groups.rbegin(); g != m_groups.rend(); ++g)
        for (const AcEdCommand* c : g->commands) all.push_back(c);
    return all;
}

std::vector<std::string> AcEdCommandStack::removeGroupsOf(void* module) {
    std::vector<std::string> removed;
    for (const Group& g : m_groups)
        for (const AcEdCommand* c : g.commands)
            if (c->m_module == module) {
                removed.push_back(g.name);
                break;
            }
    for (const std::string& name : removed) removeGroup(name.c_str());
    return removed;
}
