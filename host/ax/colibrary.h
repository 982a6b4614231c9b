#pragma once
// Finding and making objects of registered classes: the class's in-process server is the
// module named by CLSID\{clsid}\InprocServer32 under the classes root.
#include "ax/comiface.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// Maps the server (and runs its DllMain attach when this call is what loaded it) and asks its
// DllGetClassObject. REGDB_E_CLASSNOTREG when the class has no server in the registry, E_FAIL
// when the module cannot be mapped or exports no DllGetClassObject.
CADHOST_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** object);
CADHOST_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
// Unmaps the servers this library mapped whose DllCanUnloadNow answers S_OK.
CADHOST_API void CoFreeUnusedLibraries();
