// libFuzzer target for the resource script reader: the input is the script; the files it may
// include or name are fixed texts in memory (a header, an icon, a cursor, a bitmap, a document),
// so every statement kind can be reached without the file system.
//
// Build: tests/fuzz_sources/build.sh rcscript_fuzz
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include "win/rcscript.h"

namespace {
std::string icon(unsigned kind) {
    std::string image(40, '\0');
    image[0] = 40;
    image[14] = 4;
    std::string file = {0, 0, static_cast<char>(kind), 0, 1, 0};
    file += std::string{16, 16, 0, 0, 1, 0, 4, 0, 40, 0, 0, 0, 22, 0, 0, 0};
    return file + image;
}

const std::map<std::string, std::string>& files() {
    static const std::map<std::string, std::string> f = {
        {"ids.h", "#define IDS_A 1\n#define IDD_A 100\n#ifndef X\n#define X (IDS_A | 2)\n#endif\n"},
        {"a.ico", icon(1)},
        {"a.cur", icon(2)},
        {"a.bmp", std::string("BM") + std::string(60, '\x01')},
        {"a.rtf", "{\\rtf1 text}"},
    };
    return f;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string script(reinterpret_cast<const char*>(data), size);
    cadhost::res::RcOptions options;
    options.readFile = [&script](const std::string& path, std::string& bytes) {
        if (path == "main.rc") {
            bytes = script;
            return true;
        }
        auto it = files().find(path);
        if (it == files().end()) return false;
        bytes = it->second;
        return true;
    };
    cadhost::res::ResourceScript out;
    std::string error;
    if (cadhost::res::readResourceScript("main.rc", options, out, error)) {
        std::vector<unsigned char> image = cadhost::res::writeResourceImage(out.entries);
        std::vector<cadhost::res::ResourceEntry> back;
        if (!cadhost::res::parseResourceImage(image.data(), image.size(), back, error) ||
            back.size() != out.entries.size())
            __builtin_trap();
    }
    return 0;
}
