// A module with compiled resources, loaded by the dynamic linker in module_test.cpp. Its DllMain
// reads its own string, so the test sees whether the resources were there before DllMain ran.
#include <cstring>
#include "rx/dynlinker.h"
#include "rx/export.h"
#include "win/resources.h"

namespace {
char g_attachText[64] = "";
}

extern "C" CADHOST_API const char* resourceModuleAttachText() { return g_attachText; }

extern "C" CADHOST_API int DllMain(void* instance, unsigned long reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) LoadString(instance, 1, g_attachText, sizeof g_attachText);
    return 1;
}

extern "C" CADHOST_API AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* appId) {
    if (message == AcRx::kInitAppMsg) acrxDynamicLinker->unlockApplication(appId);
    return AcRx::kRetOK;
}
