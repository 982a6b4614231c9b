// libFuzzer target for the resource image a module loader reads: the input is registered as a
// module's image; when it is accepted, every string, resource and template is read back.
//
// Build: tests/fuzz_sources/build.sh resourceimage_fuzz
#include <cstddef>
#include <cstdint>
#include "win/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x1000);
    if (!cadhostRegisterModuleResources(module, data, size)) return 0;
    char buffer[32];
    for (unsigned id = 0; id < 64; ++id) LoadString(module, id, buffer, sizeof buffer);
    cadhost::res::DialogTemplate dialog;
    cadhost::res::MenuTemplate menu;
    for (unsigned id = 0; id < 8; ++id) {
        cadhostFindDialogTemplate(module, MAKEINTRESOURCE(id), dialog);
        cadhostFindMenuTemplate(module, MAKEINTRESOURCE(id), menu);
        for (LPCSTR type : {RT_ICON, RT_GROUP_ICON, RT_BITMAP, RT_RCDATA, RT_STRING}) {
            HRSRC r = FindResource(module, MAKEINTRESOURCE(id), type);
            if (!r) continue;
            auto* p = static_cast<const volatile unsigned char*>(LockResource(LoadResource(module, r)));
            DWORD n = SizeofResource(module, r);
            if (n) (void)p[n - 1];
        }
    }
    cadhostUnregisterModuleResources(module);
    return 0;
}
