#include "ed/findfile.h"
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include "ed/docman.h"
#include "ed/profile.h"
#include "rx/ads.h"
#include "win/drives.h"
#include "win/filetypes.h"

namespace fs = std::filesystem;

namespace {
bool isWindowsForm(const std::string& path) {
    return path.find('\\') != std::string::npos ||
           (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':');
}

// From the root or a drive: looked for where it says.
bool isRooted(const char* name) {
    return name[0] == '/' || name[0] == '\\' || (std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':');
}

bool isFile(const std::string& path) {
    std::string linuxPath;
    if (!cadhostLinuxPath(path.c_str(), linuxPath) || linuxPath.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(linuxPath, ec);
}

// The folder joined with the name, both by the folder's separator.
std::string joined(const std::string& folder, std::string name) {
    const char sep = isWindowsForm(folder) ? '\\' : '/';
    for (char& c : name)
        if (c == '/' || c == '\\') c = sep;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + sep + name;
}

void addList(std::vector<std::string>& folders, const std::string& list) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string entry = list.substr(start, end - start);
        const size_t first = entry.find_first_not_of(" \t");
        const size_t last = entry.find_last_not_of(" \t");
        if (first != std::string::npos) folders.push_back(entry.substr(first, last - first + 1));
        start = end + 1;
    }
}

std::string programFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}
}  // namespace

std::vector<std::string> acedHostFileSearchFolders() {
    std::vector<std::string> folders;
    if (AcApDocument* doc = acDocManager->curDocument(); doc && doc->isNamed()) {
        const std::string folder = fs::path(doc->fileName()).parent_path().string();
        if (!folder.empty()) folders.push_back(folder);
    }
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    if (!ec) folders.push_back(current.string());
    addList(folders, AcEdProfile::getString("General", "ACAD"));
    if (const char* acad = std::getenv("ACAD")) addList(folders, acad);
    if (std::string program = programFolder(); !program.empty()) folders.push_back(program);
    return folders;
}

bool acedHostFindFile(const char* fname, std::string& found) {
    found.clear();
    if (!fname || !*fname) return false;
    if (isRooted(fname)) {
        if (!isFile(fname)) return false;
        found = fname;
        return true;
    }
    for (const std::string& folder : acedHostFileSearchFolders()) {
        std::string path = joined(folder, fname);
        if (isFile(path)) {
            found = std::move(path);
            return true;
        }
    }
    return false;
}

int acedFindFile(const char* fname, char* result, size_t resultLength) {
    if (result && resultLength > 0) result[0] = '\0';
    std::string found;
    if (!result || !acedHostFindFile(fname, found) || found.size() >= resultLength) return RTERROR;
    std::memcpy(result, found.c_str(), found.size() + 1);
    return RTNORM;
}

int acedFindFile(const char* fname, char* result) { return acedFindFile(fname, result, MAX_PATH); }
