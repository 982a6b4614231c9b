#pragma once
// Type libraries: a module's description of its automation interfaces and classes, and the
// host's record of the libraries registered.
#include <string>
#include <vector>
#include "ax/comtypes.h"

struct AxTypeLibItem {
    std::string name;
    GUID guid;
    std::string helpString;
};

struct AxTypeLibrary {
    std::string name;
    GUID libid;
    unsigned short majorVersion = 1;
    unsigned short minorVersion = 0;
    std::string helpString;
    std::vector<std::string> imports;       // libraries it refers to, by file name
    std::vector<AxTypeLibItem> interfaces;  // dual interfaces
    std::vector<AxTypeLibItem> coclasses;
};

// What the host keeps of a registered library.
struct AxTypeLibRecord {
    std::string name;
    GUID libid;
    unsigned short majorVersion, minorVersion;
    std::string helpString;
    std::string path;  // the module that holds it
};

// Writes the library (TypeLib\{libid}\major.minor with its path, flags and help folder) and
// its interfaces (Interface\{iid}) under the classes root and keeps its record. A refused
// registry change answers its status and keeps no record.
CADHOST_API HRESULT axRegisterTypeLib(const AxTypeLibrary& library, const char* path);
// Removes that version of the library, the interfaces registered for it and its record;
// the library's key goes once no other version is left. S_FALSE when it was not registered.
CADHOST_API HRESULT axUnregisterTypeLib(REFGUID libid, unsigned short majorVersion, unsigned short minorVersion);
CADHOST_API bool axFindTypeLib(REFGUID libid, AxTypeLibRecord* record = nullptr);
CADHOST_API bool axFindTypeLibByName(const char* name, AxTypeLibRecord* record = nullptr);
