#pragma once
// System variables of the editor, read and set by name (case-insensitive).
#include "rx/ads.h"
#include "rx/export.h"

// Fills result with the variable's value; a text value is a malloc'd copy the caller frees.
// RTNORM when the variable exists, RTERROR otherwise.
CADHOST_API int acedGetVar(const char* name, resbuf* result);
// Sets (or creates) a variable from the value's kind: RTSTR, RTSHORT, RTLONG, RTREAL, RTPOINT,
// RT3DPOINT. RTNORM, or RTERROR for a null name or value.
CADHOST_API int acedSetVar(const char* name, const resbuf* value);
