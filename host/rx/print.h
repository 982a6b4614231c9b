#pragma once
#include "rx/export.h"

// Text output of the host (list(), messages): stdout unless a sink is installed.
CADHOST_API int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Receives every formatted piece of output instead of stdout; nullptr restores stdout.
CADHOST_API void acutSetPrintSink(void (*sink)(const char* text));
// The installed sink (nullptr for stdout).
using AcutPrintSink = void (*)(const char* text);
CADHOST_API AcutPrintSink acutHostPrintSink();
