#include "ax/comobject.h"
#include "ax/dllmodule.h"

AxComObjectRoot::~AxComObjectRoot() {
    if (m_module) m_module->Unlock();
}

void AxComObjectRoot::axSetModule(AxDllModule* module) {
    if (m_module || !module) return;
    m_module = module;
    m_module->Lock();
}

ULONG AxComObjectRoot::internalRelease() {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}
