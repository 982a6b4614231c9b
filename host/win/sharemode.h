#pragma once
// Share modes of open files. Documents hold their drawing file open for reading and writing,
// letting others read it but not write it, as the host does; a reader that asks to deny
// writing then cannot open a file a document holds.
#include <string>
#include "rx/export.h"

#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40

// Holds a file for a holder (one file per holder; holding again moves the hold).
CADHOST_API void cadhostHoldFile(const void* holder, const std::string& path);
CADHOST_API void cadhostReleaseFile(const void* holder);
// Whether a reader of the file with that share mode can open it beside the current holders.
CADHOST_API bool cadhostShareAllowsRead(const std::string& path, int shareMode);
