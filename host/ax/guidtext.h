#pragma once
// Text form of class and interface ids: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <string>
#include "ax/comtypes.h"

// Upper-case hexadecimal, with braces.
CADHOST_API std::string axGuidToString(REFGUID guid);
// Accepts either case, with or without the braces; answers false (and leaves guid alone) on
// any other text.
CADHOST_API bool axGuidFromString(const char* text, GUID* guid);
