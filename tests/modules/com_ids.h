#pragma once
// The automation ids of the 2004 build, as the module must answer them.
#include <ostream>
#include <string>
#include <vector>
#include "ax/comtypes.h"

namespace modtest {
constexpr CLSID kClsidIBlock = {0x5EBFF4D7, 0xD2A9, 0x462F, {0xA6, 0x02, 0xC3, 0xA0, 0x3B, 0xAF, 0x00, 0xDA}};
constexpr CLSID kClsidIGripPoint = {0x90032FEB, 0x21E2, 0x46FA, {0x9F, 0xED, 0x05, 0x29, 0x7F, 0x7C, 0x9D, 0xC2}};
constexpr CLSID kClsidIAtteDef = {0xBD659503, 0x0CB1, 0x4E36, {0x97, 0x89, 0x89, 0x82, 0x57, 0x28, 0x65, 0x25}};
constexpr IID kIidIIBlock = {0x18E7D960, 0xE66C, 0x4C24, {0xB8, 0x94, 0xDF, 0x5C, 0xE3, 0xE1, 0x8F, 0xE7}};
constexpr IID kIidIIGripPoint = {0x4144851B, 0xD4B1, 0x48EC, {0xA6, 0x32, 0x14, 0xB8, 0x28, 0x06, 0x43, 0x01}};
constexpr IID kIidIIAtteDef = {0x7A68B76E, 0x8DF9, 0x40D9, {0xA8, 0x69, 0x42, 0x68, 0xF2, 0x60, 0xD3, 0x45}};
constexpr GUID kLibId = {0x1EE8FDAE, 0x1B9A, 0x4DF5, {0xAE, 0x1A, 0x83, 0x72, 0xED, 0xC1, 0xB3, 0x41}};
inline const char* const kAppIdText = "{6B5E416E-37C0-42E2-9E7F-C7F5A1F6C4D8}";
inline const char* const kLibIdText = "{1EE8FDAE-1B9A-4DF5-AE1A-8372EDC1B341}";
inline const char* const kActiveXKey = "SOFTWARE\\Autodesk\\ObjectDBX\\R16.0\\ActiveXCLSID";

struct Coclass {
    const char* name;  // IBlock
    CLSID clsid;
    const char* clsidText;
    IID iid;
    const char* iidText;
    const char* entityClass;
    const wchar_t* displayName;
};
inline const std::vector<Coclass>& coclasses() {
    static const std::vector<Coclass> list = {
        {"IBlock", kClsidIBlock, "{5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA}", kIidIIBlock,
         "{18E7D960-E66C-4C24-B894-DF5CE3E18FE7}", "ZEFTBlockReference", L"Intelligent Block Reference"},
        {"IGripPoint", kClsidIGripPoint, "{90032FEB-21E2-46FA-9FED-05297F7C9DC2}", kIidIIGripPoint,
         "{4144851B-D4B1-48EC-A632-14B828064301}", "ZEFTGripPoint", L"Intelligent Grip Point"},
        {"IAtteDef", kClsidIAtteDef, "{BD659503-0CB1-4E36-9789-898257286525}", kIidIIAtteDef,
         "{7A68B76E-8DF9-40D9-A869-4268F260D345}", "ZEFTAttributeDefinition", L"Intelligent Attribute Definition"},
    };
    return list;
}
inline void PrintTo(const Coclass& c, std::ostream* os) { *os << c.name; }
}  // namespace modtest
