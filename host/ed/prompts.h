#pragma once
// Prompts of commands and modules, answered on the command line.
//
// Answers: RTNORM, RTNONE for an empty answer where allowed, RTKWORD for a keyword of the
// last acedInitGet (read it with acedGetInput), RTCAN when cancelled, RTERROR when a script
// gave a wrong answer (the command fails; a person is asked again instead).
// Points: "x,y" or "x,y,z" (z 0 when left out), "@dx,dy[,dz]" relative to LASTPOINT ("@"
// alone is LASTPOINT), "dist<angle" and "@dist<angle" in the drawing's units; a LISP
// expression or "!name" answers with its value. Every point answer becomes LASTPOINT.
#include <cstddef>
#include <string>
#include "ge/vector.h"
#include "rx/ads.h"
#include "rx/export.h"

#define RSG_NONULL 0x0001
#define RSG_NOZERO 0x0002
#define RSG_NONEG 0x0004
#define RSG_NOLIM 0x0008
#define RSG_GETZ 0x0010
#define RSG_DASH 0x0020
#define RSG_2D 0x0040
#define RSG_OTHER 0x0080

// Options of the next prompt only: RSG_ flags and keywords ("Yes No", or "Yes No _ Yes No"
// with global names after "_"). A keyword is answered by its capital letters or by any
// beginning of it that includes them ("L", "Lo", "Load" for "Load").
CADHOST_API int acedInitGet(int flags, const char* keywords);
// The keyword (its global name) of the last RTKWORD answer; str holds 133 characters.
CADHOST_API int acedGetInput(char* str);

CADHOST_API int acedGetPoint(const ads_point basePoint, const char* prompt, ads_point result);
CADHOST_API int acedGetCorner(const ads_point basePoint, const char* prompt, ads_point result);
// cronly 1: the answer may hold spaces (it ends at the line end). An empty answer is RTNORM with
// an empty text. The three-argument form writes at most 133 characters with the end mark; an
// answer that does not fit is a wrong answer.
CADHOST_API int acedGetString(int cronly, const char* prompt, char* result);
CADHOST_API int acedGetString(int cronly, const char* prompt, char* result, size_t bufLen);
// Integers from -32768 to 32767.
CADHOST_API int acedGetInt(const char* prompt, int* result);
CADHOST_API int acedGetReal(const char* prompt, ads_real* result);
// A distance in the drawing's units, or a second point (with a base point, the distance to it).
CADHOST_API int acedGetDist(const ads_point basePoint, const char* prompt, ads_real* result);
// RTNORM with the keyword (global name) for an allowed keyword.
CADHOST_API int acedGetKword(const char* prompt, char* result);

CADHOST_API int acedPrompt(const char* message);
// A message box of the host: printed on the command line.
CADHOST_API int acedAlert(const char* message);
CADHOST_API int acedUsrBrk();

// ---- Host side ----

// Reads a point answer as above (relative to LASTPOINT); false with a message when it is none.
CADHOST_API bool acedHostParsePoint(const std::string& text, AcGePoint3d& point, std::string* message = nullptr);
// The text of the last acedAlert (tests and the window layer).
CADHOST_API std::string acedHostLastAlert();
