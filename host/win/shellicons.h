#pragma once
// The shell's icon files embedded in the host library (win/res/*.ico, by their file names).
#include <cstddef>

struct ShellIconFile {
    const char* name;  // "folder", "drive_fixed", ...
    const unsigned char* bytes;
    std::size_t size;
};

extern const ShellIconFile kShellIconFiles[];
extern const std::size_t kShellIconFileCount;
