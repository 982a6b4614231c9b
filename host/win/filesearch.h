#pragma once
// The platform's file search over the drive mapping (win/drives.h).
//
// The last name of the searched path is a pattern: "*" matches any run of characters, "?" one
// character (none before a "." or at the end of the name), letters match in either case, and,
// as on the platform, "*." matches names without an extension, "a.*" also matches "a", and
// "*.*" matches every name. "." and ".." are reported first in every folder but a drive's
// root; the other names follow sorted as the platform's file system keeps them (by their
// upper-case form). Names longer than MAX_PATH - 1 characters are not reported.
#include <string_view>
#include "rx/export.h"
#include "win/filetypes.h"

// INVALID_HANDLE_VALUE with GetLastError() ERROR_PATH_NOT_FOUND when the folder cannot be
// found, ERROR_FILE_NOT_FOUND when no name matches, ERROR_BAD_NETPATH for a network path.
CADHOST_API HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData);
// FALSE with ERROR_NO_MORE_FILES after the last name.
CADHOST_API BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData);
// Each search handle closes once; FALSE with ERROR_INVALID_HANDLE otherwise. Searches left open
// are freed when the program ends.
CADHOST_API BOOL FindClose(HANDLE findFile);

// Whether a name matches a search pattern by the rules above.
CADHOST_API bool winNameMatches(std::string_view pattern, std::string_view name);
