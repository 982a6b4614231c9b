#include "ModuleState.h"

extern "C" {
ZEFT_API int m_TabIndex = 0;
}
ZEFT_API ZEFTBlockReference* stretchBlockReference = nullptr;

namespace {
void* g_instance = nullptr;
}

void* moduleInstance() { return g_instance; }
void setModuleInstance(void* instance) { g_instance = instance; }
