// libFuzzer target for the reader of folder entries that finds the temporary files of killed
// saves (db/filereplace.h).
//
// Input: file names, one a line. Each name is checked against the temporary-file pattern; the
// names a folder can hold are made in a scratch folder, the stale ones are removed, and every
// file removed must have had the pattern and a process id that is not running.
//
// Build: tests/fuzz_sources/build.sh savefiles_fuzz (compiles db/filereplace.cpp in).
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include "db/filereplace.h"

namespace fs = std::filesystem;

namespace {
const fs::path& scratch() {
    static const fs::path folder = fs::temp_directory_path() / ("cadhost-savefiles-fuzz-" + std::to_string(::getpid()));
    return folder;
}

bool running(long pid) { return pid == static_cast<long>(::getpid()) || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::error_code ec;
    fs::remove_all(scratch(), ec);
    fs::create_directories(scratch(), ec);
    std::set<std::string> made;
    size_t start = 0;
    while (start <= text.size() && made.size() < 32) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string name = text.substr(start, end - start);
        start = end + 1;
        long pid = 0;
        if (cadhost::db::isSaveTemporaryName(name, pid) && pid <= 0) std::abort();
        if (name.empty() || name.size() > 200 || name == "." || name == ".." ||
            name.find_first_of(std::string("/\0", 2)) != std::string::npos)
            continue;
        std::ofstream(scratch() / name) << "x";
        if (fs::exists(scratch() / name, ec)) made.insert(name);
    }
    const int removed = cadhost::db::removeStaleSaveFiles(scratch().string());
    int gone = 0;
    for (const std::string& name : made) {
        if (fs::exists(scratch() / name, ec)) continue;
        ++gone;
        long pid = 0;
        if (!cadhost::db::isSaveTemporaryName(name, pid) || running(pid)) std::abort();
    }
    if (gone != removed) std::abort();
    fs::remove_all(scratch(), ec);
    return 0;
}
