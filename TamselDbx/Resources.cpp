#include "Resources.h"
#include <string>
#include "ax/textresource.h"
#include "win/resources.h"

namespace {
#ifdef ZEFT_AUTOMATION
constexpr const char* kLibraryId = "{1EE8FDAE-1B9A-4DF5-AE1A-8372EDC1B341}";

constexpr const char* kModuleScript = R"(HKCR
{
    NoRemove AppID
    {
        '%APPID%' = s 'TamselDbx4'
        'zeftTamselDbx4.dbx'
        {
            val AppID = s '%APPID%'
        }
    }
}
)";

// The script of one coclass: its ProgIDs, its CLSID key and its entry in the class map.
std::string coclassScript(const std::string& name, const std::string& clsid, const std::string& entityClass) {
    const std::string progId = "TamselDbx4." + name;
    const std::string title = name + " Class";
    return "HKCR\n{\n"
           "    " + progId + ".1 = s '" + title + "'\n    {\n        CLSID = s '" + clsid + "'\n    }\n"
           "    " + progId + " = s '" + title + "'\n    {\n        CLSID = s '" + clsid + "'\n"
           "        CurVer = s '" + progId + ".1'\n    }\n"
           "    NoRemove CLSID\n    {\n"
           "        ForceRemove '" + clsid + "' = s '" + title + "'\n        {\n"
           "            ProgID = s '" + progId + ".1'\n"
           "            VersionIndependentProgID = s '" + progId + "'\n"
           "            'Programmable'\n"
           "            InprocServer32 = s '%MODULE%'\n            {\n"
           "                val ThreadingModel = s 'Apartment'\n            }\n"
           "            val AppID = s '%APPID%'\n"
           "            'TypeLib' = s '" + std::string(kLibraryId) + "'\n"
           "        }\n    }\n}\n"
           "HKLM\n{\n    NoRemove SOFTWARE\n    {\n        NoRemove Autodesk\n        {\n"
           "            NoRemove ObjectDBX\n            {\n                NoRemove R16.0\n                {\n"
           "                    NoRemove ActiveXCLSID\n                    {\n"
           "                        val " + entityClass + " = s '" + clsid + "'\n"
           "                    }\n                }\n            }\n        }\n    }\n}\n";
}
#endif
}  // namespace

void registerModuleResources(void* instance) {
    cadhostRegisterString(instance, IDS_STRETCH_FAILED,
                          "\"\nAn error occurred during the stretch and AutoCAD cannot complete the operation.\"");
    cadhostRegisterString(instance, IDS_VALUE, "Value");
#ifdef ZEFT_AUTOMATION
    cadhostRegisterResource(instance, "REGISTRY", IDR_TAMSELDBX4, kModuleScript);
    cadhostRegisterResource(instance, "REGISTRY", IDR_IBLOCK,
                            coclassScript("IBlock", "{5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA}", "ZEFTBlockReference").c_str());
    cadhostRegisterResource(instance, "REGISTRY", IDR_IGRIPPOINT,
                            coclassScript("IGripPoint", "{90032FEB-21E2-46FA-9FED-05297F7C9DC2}", "ZEFTGripPoint").c_str());
    cadhostRegisterResource(instance, "REGISTRY", IDR_IATTEDEF,
                            coclassScript("IAtteDef", "{BD659503-0CB1-4E36-9789-898257286525}", "ZEFTAttributeDefinition").c_str());
#endif
}

void unregisterModuleResources(void* instance) {
    cadhostUnregisterStrings(instance);
    cadhostUnregisterResources(instance);
}
