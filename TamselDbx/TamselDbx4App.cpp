#include "TamselDbx4App.h"
#include "ModuleState.h"
#include "Resources.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "rx/dictionary.h"
#include "rx/print.h"
#ifdef ZEFT_AUTOMATION
#include "TamselDbx4Module.h"
#endif

namespace {
// Registration and unload order of the classes.
const AcRxDbxClassEntry kClassMap[] = {
    {&ZEFTAttribute::desc, &ZEFTAttribute::rxInit},
    {&ZEFTAttributeDefinition::desc, &ZEFTAttributeDefinition::rxInit},
    {&ZEFTBlockReference::desc, &ZEFTBlockReference::rxInit},
    {&ZEFTGripPoint::desc, &ZEFTGripPoint::rxInit},
};

}  // namespace

CTamselDbx4App::CTamselDbx4App() : AcRxDbxApp(kClassMap, static_cast<int>(std::size(kClassMap))) {}

CTamselDbx4App& tamselDbx4App() {
    static CTamselDbx4App app;
    return app;
}

AcRx::AppRetCode CTamselDbx4App::On_kInitAppMsg(void* pkt) {
#ifdef CADHOST_R15
    unlockAndRegisterMDIAware(pkt);
    ZEFTBlockReference::rxInit();
    ZEFTAttributeDefinition::rxInit();
    ZEFTAttribute::rxInit();
    ZEFTGripPoint::rxInit();
    acrxRegisterService(ZEFT_DBX_SERVICE_NAME);
    acrxBuildClassHierarchy();
    return AcRx::kRetOK;
#else
    return AcRxDbxApp::On_kInitAppMsg(pkt);
#endif
}

AcRx::AppRetCode CTamselDbx4App::On_kUnloadAppMsg(void* pkt) {
    AcRx::AppRetCode result = AcRxDbxApp::On_kUnloadAppMsg(pkt);
#ifdef CADHOST_R15
    delete acrxServiceDictionary()->remove(ZEFT_DBX_SERVICE_NAME);
#endif
    return result;
}

void CTamselDbx4App::RegisterServerComponents() {
#ifdef ZEFT_AUTOMATION
    if (FAILED(DllRegisterServer())) acutPrintf("Failed to register COM server.\n");
#endif
}

AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt) {
    return tamselDbx4App().acrxEntryPoint(message, pkt);
}

int DllMain(void* instance, unsigned long reason, void* reserved) {
    (void)reserved;
    // The address of a function of this file only: exported ones may resolve to another module.
    if (!acrxIsModuleInstance(instance, reinterpret_cast<const void*>(&tamselDbx4App))) return 1;
    if (reason == DLL_PROCESS_ATTACH) {
        tamselDbx4App().SetModuleInstance(instance);
        setModuleInstance(instance);
        registerModuleResources(instance);
#ifdef ZEFT_AUTOMATION
        tamselDbx4Module().Init(instance);
#endif
    } else if (reason == DLL_PROCESS_DETACH) {
#ifdef ZEFT_AUTOMATION
        tamselDbx4Module().Term();
#endif
        unregisterModuleResources(instance);
        if (moduleInstance() == instance) setModuleInstance(nullptr);
    }
#ifdef ZEFT_AUTOMATION
    return tamselDbx4Module().DllMain(reason, reserved);
#else
    return 1;
#endif
}
