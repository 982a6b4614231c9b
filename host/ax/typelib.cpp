#include "ax/typelib.h"
#include <filesystem>
#include <map>
#include <mutex>
#include <strings.h>
#include "ax/guidtext.h"
#include "ax/registry.h"

namespace {
// The marshaller of dual interfaces.
constexpr const char* kDualMarshaller = "{00020424-0000-0000-C000-000000000046}";

std::mutex& recordsMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, AxTypeLibRecord>& records() {
    static auto* r = new std::map<std::string, AxTypeLibRecord>;
    return *r;
}

std::string versionText(unsigned short major, unsigned short minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}
std::string recordKey(REFGUID libid, unsigned short major, unsigned short minor) {
    return axGuidToString(libid) + " " + versionText(major, minor);
}
}  // namespace

HRESULT axRegisterTypeLib(const AxTypeLibrary& library, const char* path) {
    AxRegistry& reg = AxRegistry::instance();
    const auto root = AxRegistry::kClassesRoot;
    std::string libid = axGuidToString(library.libid);
    std::string version = versionText(library.majorVersion, library.minorVersion);
    std::string modulePath = path ? path : "";
    std::string key = "TypeLib\\" + libid + "\\" + version;
    HRESULT hr = reg.setValue(root, key, "", library.helpString);
    if (SUCCEEDED(hr)) hr = reg.setValue(root, key + "\\0\\win32", "", modulePath);
    if (SUCCEEDED(hr)) hr = reg.setValue(root, key + "\\FLAGS", "", "0");
    if (SUCCEEDED(hr))
        hr = reg.setValue(root, key + "\\HELPDIR", "", std::filesystem::path(modulePath).parent_path().string());
    for (const AxTypeLibItem& itf : library.interfaces) {
        if (FAILED(hr)) break;
        std::string ikey = "Interface\\" + axGuidToString(itf.guid);
        hr = reg.setValue(root, ikey, "", itf.name);
        if (SUCCEEDED(hr)) hr = reg.setValue(root, ikey + "\\ProxyStubClsid32", "", kDualMarshaller);
        if (SUCCEEDED(hr)) hr = reg.setValue(root, ikey + "\\TypeLib", "", libid);
        if (SUCCEEDED(hr)) hr = reg.setValue(root, ikey + "\\TypeLib", "Version", version);
    }
    if (FAILED(hr)) return hr;
    std::lock_guard lock(recordsMutex());
    records()[recordKey(library.libid, library.majorVersion, library.minorVersion)] =
        AxTypeLibRecord{library.name, library.libid, library.majorVersion, library.minorVersion, library.helpString,
                        modulePath};
    return S_OK;
}

HRESULT axUnregisterTypeLib(REFGUID libidGuid, unsigned short major, unsigned short minor) {
    AxRegistry& reg = AxRegistry::instance();
    const auto root = AxRegistry::kClassesRoot;
    std::string libid = axGuidToString(libidGuid);
    std::string version = versionText(major, minor);
    bool found = reg.keyExists(root, "TypeLib\\" + libid + "\\" + version);
    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    };
    for (const std::string& iid : reg.subkeys(root, "Interface")) {
        std::string owner, ownerVersion;
        std::string tkey = "Interface\\" + iid + "\\TypeLib";
        if (reg.value(root, tkey, "", &owner) && strcasecmp(owner.c_str(), libid.c_str()) == 0 &&
            (!reg.value(root, tkey, "Version", &ownerVersion) || ownerVersion == version)) {
            found = true;
            note(reg.deleteKey(root, "Interface\\" + iid));
        }
    }
    if (reg.keyExists(root, "TypeLib\\" + libid + "\\" + version)) {
        note(reg.deleteKey(root, "TypeLib\\" + libid + "\\" + version));
        if (reg.subkeys(root, "TypeLib\\" + libid).empty()) note(reg.deleteKey(root, "TypeLib\\" + libid));
    }
    if (FAILED(first)) return first;
    {
        std::lock_guard lock(recordsMutex());
        if (records().erase(recordKey(libidGuid, major, minor))) found = true;
    }
    return found ? S_OK : S_FALSE;
}

bool axFindTypeLib(REFGUID libid, AxTypeLibRecord* record) {
    std::lock_guard lock(recordsMutex());
    for (const auto& [key, r] : records())
        if (r.libid == libid) {
            if (record) *record = r;
            return true;
        }
    return false;
}

bool axFindTypeLibByName(const char* name, AxTypeLibRecord* record) {
    if (!name) return false;
    std::lock_guard lock(recordsMutex());
    for (const auto& [key, r] : records())
        if (r.name == name) {
            if (record) *record = r;
            return true;
        }
    return false;
}
