#pragma once
// The application module's frame: its application object, its entry points and the
// module-wide objects.
#include "rx/arxapp.h"
#include "win/resources.h"

class AsdkblockReactor;
class CResizableDockingDialog;

class CRenvale4App : public AcRxArxApp {
public:
    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override;
    AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override;
    AcRx::AppRetCode On_kLoadDwgMsg(void* pkt) override;
    AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) override;
    void RegisterServerComponents() override {}
};

CRenvale4App& renvaleApp();

// The module's own instance handle: every resource of the module is read from it.
HINSTANCE resourceInstance();
// The one editor reactor, from DLL attach to DLL detach (null outside).
AsdkblockReactor* editorReactor();
// The browser's bar: made by the first BLOCKS, destroyed at unload or detach.
CResizableDockingDialog* dockBar();
void createDockBar();
void destroyDockBar();

#define RENVALE_API __attribute__((visibility("default")))

extern "C" {
RENVALE_API AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt);
// Attach (1) and detach (0) of the module, called by the host's loader; always true.
RENVALE_API int DllMain(void* instance, unsigned long reason, void* reserved);
}
