#pragma once
#include "res/resource.h"
#include "ui/cstring.h"

// A string of the module's string table; the empty string when the id has none.
CString loadResourceString(unsigned id);
