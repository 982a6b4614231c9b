#pragma once
// The in-process COM server of the 2004 build: its three coclasses, registry scripts and type
// library, behind the exports DllRegisterServer, DllUnregisterServer, DllGetClassObject and
// DllCanUnloadNow.
#ifdef ZEFT_AUTOMATION
#include "ZeftExport.h"
#include "ax/dllmodule.h"

class CTamselDbx4Module : public AxDllModule {
public:
    CTamselDbx4Module();
};

CTamselDbx4Module& tamselDbx4Module();

extern "C" {
ZEFT_API HRESULT DllCanUnloadNow();
ZEFT_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
ZEFT_API HRESULT DllRegisterServer();
ZEFT_API HRESULT DllUnregisterServer();
}
#endif
