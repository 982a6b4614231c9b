#include "rx/print.h"
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
void (*g_sink)(const char*) = nullptr;
}

void acutSetPrintSink(void (*sink)(const char*)) { g_sink = sink; }
AcutPrintSink acutHostPrintSink() { return g_sink; }

int acutPrintf(const char* format, ...) {
    if (!format) return 0;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        va_end(args);
        return n;
    }
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(static_cast<size_t>(n));
    if (g_sink) g_sink(text.c_str());
    else {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
    return n;
}
