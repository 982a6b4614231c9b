#include "TamselDbx4Module.h"
#ifdef ZEFT_AUTOMATION
#include "IAtteDef.h"
#include "IBlock.h"
#include "IGripPoint.h"
#include "Resources.h"

namespace {
const AxObjectEntry kObjectMap[] = {
    {&CLSID_IBlock, &axCreateComObject<CIBlock>, IDR_IBLOCK},
    {&CLSID_IGripPoint, &axCreateComObject<CIGripPoint>, IDR_IGRIPPOINT},
    {&CLSID_IAtteDef, &axCreateComObject<CIAtteDef>, IDR_IATTEDEF},
};
}  // namespace

CTamselDbx4Module::CTamselDbx4Module()
    : AxDllModule(APPID_TamselDbx4, IDR_TAMSELDBX4, kObjectMap, static_cast<int>(std::size(kObjectMap)),
                  &zeftTamselDbx4TypeLibrary()) {}

CTamselDbx4Module& tamselDbx4Module() {
    static CTamselDbx4Module module;
    return module;
}

HRESULT DllCanUnloadNow() { return tamselDbx4Module().DllCanUnloadNow(); }

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return tamselDbx4Module().DllGetClassObject(clsid, riid, object);
}

HRESULT DllRegisterServer() { return tamselDbx4Module().DllRegisterServer(true); }

HRESULT DllUnregisterServer() { return tamselDbx4Module().DllUnregisterServer(true); }
#endif
