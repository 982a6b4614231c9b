#pragma once
// The calling thread's last error code of the platform's file functions.
#include "rx/export.h"
#include "win/filetypes.h"

CADHOST_API DWORD GetLastError();
CADHOST_API void SetLastError(DWORD code);
