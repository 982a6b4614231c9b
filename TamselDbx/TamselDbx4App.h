#pragma once
// The module's application object: answers the host's load and unload messages by registering
// and deleting the entity classes (and, in the 2004 build, by registering the COM server).
#include "ZeftExport.h"
#include "rx/dbxapp.h"

// Name of the service object of the R15 build.
#define ZEFT_DBX_SERVICE_NAME "ZEFTTAMSELDBX_DBXSERVICE"

class CTamselDbx4App : public AcRxDbxApp {
public:
    CTamselDbx4App();
    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override;
    AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override;
    // Registers the COM server; a failure is reported on the command line and loading goes on.
    void RegisterServerComponents() override;
};

CTamselDbx4App& tamselDbx4App();

extern "C" {
ZEFT_API AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt);
// Process attach and detach, called by the host's module loader.
ZEFT_API int DllMain(void* instance, unsigned long reason, void* reserved);
}
