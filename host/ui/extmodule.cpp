#include "ui/extmodule.h"
#include <algorithm>

namespace {
std::vector<HINSTANCE>& chain() {
    static std::vector<HINSTANCE> modules;
    return modules;
}
int g_acuiInits = 0;
}  // namespace

CAcExtensionModule::~CAcExtensionModule() { DetachInstance(); }

BOOL CAcExtensionModule::AttachInstance(HINSTANCE instance) {
    if (m_attached || !instance) return FALSE;
    m_instance = instance;
    m_default = AfxGetResourceHandle();
    chain().push_back(instance);
    m_attached = true;
    return TRUE;
}

void CAcExtensionModule::DetachInstance() {
    if (!m_attached) return;
    auto& c = chain();
    if (auto it = std::find(c.begin(), c.end(), m_instance); it != c.end()) c.erase(it);
    if (AfxGetResourceHandle() == m_instance) AfxSetResourceHandle(m_default);
    m_attached = false;
}

std::vector<HINSTANCE> afxResourceChain() { return chain(); }

HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type) {
    HINSTANCE current = AfxGetResourceHandle();
    if (FindResource(current, name, type)) return current;
    for (HINSTANCE module : chain())
        if (FindResource(module, name, type)) return module;
    return current;
}

CAcModuleResourceOverride::CAcModuleResourceOverride(HINSTANCE instance) : m_previous(AfxGetResourceHandle()) {
    if (instance) AfxSetResourceHandle(instance);
}

CAcModuleResourceOverride::~CAcModuleResourceOverride() { AfxSetResourceHandle(m_previous); }

void InitAcUiDLL() { ++g_acuiInits; }

int acuiInitCount() { return g_acuiInits; }
