// Linear and angular unit conversions: real <-> text in the drawing's unit formats.
#pragma once

#include <cstddef>

#ifndef CADHOST_API
#define CADHOST_API __attribute__((visibility("default")))
#endif

#ifndef RTNORM
#define RTNORM 5100
#endif
#ifndef RTERROR
#define RTERROR (-5001)
#endif

// The settings used when a conversion is asked for the current units (-1).
struct AcDbUnitSettings {
    int lunits = 2;
    int luprec = 4;
    int aunits = 0;
    int auprec = 0;
    int dimzin = 0;
};

// Settings of the working drawing, or the defaults above when no provider is installed.
CADHOST_API AcDbUnitSettings acdbCurrentUnitSettings();
// Installs the function that reads the working drawing's settings; nullptr restores the defaults.
CADHOST_API void acdbSetUnitSettingsProvider(AcDbUnitSettings (*provider)());

// Formats a distance. unit 1..5 (scientific, decimal, engineering, architectural, fractional),
// prec 0..8 (decimals, or 2^prec as denominator for 4 and 5); -1 takes LUNITS / LUPREC.
// str holds at least 133 characters. Returns RTNORM, or RTERROR with str emptied.
CADHOST_API int acdbRToS(double val, int unit, int prec, char* str);
CADHOST_API int acdbRToS(double val, int unit, int prec, char* str, std::size_t size);

// Formats an angle in radians. unit 0..4 (degrees, d/m/s, grads, radians, surveyor's),
// prec 0..8; -1 takes AUNITS / AUPREC. Same buffer rule and results as acdbRToS.
CADHOST_API int acdbAngToS(double angle, int unit, int prec, char* str);
CADHOST_API int acdbAngToS(double angle, int unit, int prec, char* str, std::size_t size);

// Parses a distance written in the given units (-1: LUNITS). *ret is left alone on RTERROR.
CADHOST_API int acdbDisToF(const char* str, int unit, double* ret);

// Parses an angle written in the given units (-1: AUNITS) into radians in [0, 2pi).
CADHOST_API int acdbAngToF(const char* str, int unit, double* ret);
