#pragma once
// What the platform's file functions report of one Linux file (inside the host library).
#include <cstdint>
#include <string>
#include <string_view>
#include "win/filetypes.h"

struct WinFileInfo {
    DWORD attributes = 0;
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
    uint64_t size = 0;
};

// Reads the file (symbolic links followed; a dangling link reports the link itself). Folders
// carry FILE_ATTRIBUTE_DIRECTORY; files without write permission for the owner class that
// applies to this process FILE_ATTRIBUTE_READONLY; names starting with "." other than "." and
// ".." FILE_ATTRIBUTE_HIDDEN; a file with none of these FILE_ATTRIBUTE_NORMAL. False with errno
// set when the file cannot be reached.
bool winReadFileInfo(const std::string& linuxPath, std::string_view name, WinFileInfo& info);

// The platform's error code for a failed reach of a Linux path (errno): a missing file whose
// folder exists is ERROR_FILE_NOT_FOUND, a missing folder ERROR_PATH_NOT_FOUND.
DWORD winErrorOfMissing(int error, const std::string& linuxPath);
