#pragma once
// Finding a file as the host does.
//
// A name with a folder from the root or a drive ("/a/b.dwg", "C:\a\b.dwg", "\a\b.dwg") is
// looked for where it says (drive paths through win/drives.h). Any other name is looked for,
// in this order, in the current drawing's folder (when it has been saved or opened), the
// current folder, the support folders (the profile's entry ACAD of section General, then the
// environment variable ACAD; folders separated by ";"), and the program's folder. Only files
// are found, never folders. The answer is the name as given, or the folder as it was
// configured joined with the name by that folder's separator.
#include <cstddef>
#include <string>
#include <vector>
#include "rx/export.h"

// RTNORM with the path in result (room for MAX_PATH characters), RTERROR when no file has the
// name or the path does not fit.
CADHOST_API int acedFindFile(const char* fname, char* result);
CADHOST_API int acedFindFile(const char* fname, char* result, size_t resultLength);

// ---- Host side ----

// The folders searched for a name without a folder from the root, in order.
CADHOST_API std::vector<std::string> acedHostFileSearchFolders();
// The path found (in the form described above), or false.
CADHOST_API bool acedHostFindFile(const char* fname, std::string& found);
