#pragma once
// System variables, read and set by name (case-insensitive).
//
// Drawing variables (ATTREQ, ATTDIA, TILEMODE, INSBASE, LUNITS, ...) live in the header of the
// current document's drawing (of the working database when no document is open); document
// variables (LASTPOINT, VIEWCTR, VIEWSIZE, CMDNAMES, DWGNAME, DBMOD, ...) belong to the current
// document; the others (SCREENSIZE, PICKBOX, FILEDIA, ERRNO, ...) to the session.
// Integers come as RTSHORT, reals as RTREAL, 2-D points as RTPOINT, 3-D points as RT3DPOINT,
// texts as RTSTR (a malloc'd copy that the caller frees).
#include <string>
#include <vector>
#include "rx/ads.h"
#include "rx/export.h"

// RTNORM, or RTERROR for an unknown name (or a drawing variable with no drawing).
CADHOST_API int acedGetVar(const char* name, resbuf* result);
// Integers take RTSHORT, RTLONG or a whole RTREAL; reals any number; points RTPOINT or
// RT3DPOINT; texts RTSTR. RTERROR for an unknown or read-only name, a value of the wrong kind
// or out of range. Editor reactors hear sysVarWillChange and sysVarChanged.
CADHOST_API int acedSetVar(const char* name, const resbuf* value);

// ---- Host side ----

// Sets a variable even when it is read-only for modules (VIEWCTR, SCREENSIZE, ...); without
// notify the editor reactors hear nothing (LASTPOINT after every point answer).
CADHOST_API int acedHostSetVar(const char* name, const resbuf* value, bool notify = true);
CADHOST_API std::vector<std::string> acedHostVariableNames();
CADHOST_API bool acedHostIsVariable(const char* name);
CADHOST_API bool acedHostIsVariableReadOnly(const char* name);
// Value kind of a variable (RTSHORT, RTREAL, RTPOINT, RT3DPOINT, RTSTR), 0 when unknown.
CADHOST_API int acedHostVariableType(const char* name);
// The value as SETVAR shows it ("1", "10.0000,20.0000", "Standard"), false when unknown.
CADHOST_API bool acedHostVariableText(const char* name, std::string& text);
// Sets a variable from typed text, parsed by its kind; false with a message when refused.
CADHOST_API bool acedHostSetVariableText(const char* name, const std::string& text, std::string* message = nullptr);
