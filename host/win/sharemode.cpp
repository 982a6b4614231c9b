#include "win/sharemode.h"
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {
std::map<const void*, std::string>& holds() {
    static std::map<const void*, std::string> files;
    return files;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec) && !ec;
}
}  // namespace

void cadhostHoldFile(const void* holder, const std::string& path) { holds()[holder] = path; }

void cadhostReleaseFile(const void* holder) { holds().erase(holder); }

bool cadhostShareAllowsRead(const std::string& path, int shareMode) {
    // Holders write the file: a reader that denies writing (or everything) conflicts with them.
    if (shareMode != _SH_DENYWR && shareMode != _SH_DENYRW) return true;
    for (const auto& [holder, held] : holds())
        if (sameFile(held, path)) return false;
    return true;
}
