// Drive mapping and the file search's name patterns on arbitrary text: no crash, no escape
// from a drive's folder, drive paths that map back, and patterns that behave as the rules say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include "win/drives.h"
#include "win/filesearch.h"

namespace {
void check(bool condition) {
    if (!condition) std::abort();
}

bool hasDotNames(const std::string& path) {
    return path.find("/../") != std::string::npos || path.find("/./") != std::string::npos ||
           path.ends_with("/..") || path.ends_with("/.") || path.find("//") != std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const WinDriveMap drives = [] {
        WinDriveMap map;
        map.addList("D=/srv/drawings;E=/srv/drawings/e;c=/");
        map.setCurrentFolder("/srv/drawings/lib");
        return map;
    }();

    std::string linuxPath, error, back, again;
    DWORD code = 0;
    if (drives.toLinux(input, linuxPath, &error, &code)) {
        check(code == 0);
        const bool drivePath = input.size() >= 2 && input[1] == ':' && (input[0] | 0x20) >= 'a' && (input[0] | 0x20) <= 'z';
        if (drivePath && (input[0] | 0x20) == 'd') check(linuxPath.starts_with("/srv/drawings"));
        if (drivePath) {
            check(!hasDotNames(linuxPath));
            if (linuxPath.find('\\') == std::string::npos && drives.toWindows(linuxPath, back)) {
                check(drives.toLinux(back, again));
                check(again == linuxPath);
            }
        }
    } else {
        check(code != 0 && !error.empty());
    }

    // The input as a list of drive entries: every mapped drive has a kind, no other letter has one.
    WinDriveMap listed;
    listed.addList(input);
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        check((listed.folder(letter) != nullptr) == (listed.type(letter) != DRIVE_NO_ROOT_DIR) &&
              ((listed.mask() >> (letter - 'A')) & 1) == (listed.folder(letter) != nullptr));

    // "pattern\nname"
    const size_t cut = input.find('\n');
    if (cut != std::string_view::npos) {
        const std::string_view pattern = input.substr(0, cut), name = input.substr(cut + 1);
        const bool matched = winNameMatches(pattern, name);
        if (pattern == "*" || pattern == "*.*") check(matched);
        if (pattern.find_first_of("*?.") == std::string_view::npos) {
            bool same = pattern.size() == name.size();
            for (size_t i = 0; same && i < name.size(); ++i)
                same = (pattern[i] | 0x20) == (name[i] | 0x20) || pattern[i] == name[i];
            if (!same) check(!matched);
        }
        if (name.find('.') != std::string_view::npos && pattern == "*.") check(!matched || name.find_last_of('.') == name.size() - 1 || name == ".." || name == ".");
    }
    return 0;
}
