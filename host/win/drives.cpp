#include "win/drives.h"
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "ed/inifile.h"
#include "ed/profile.h"
#include "win/fileinfo.h"
#include "win/lasterror.h"

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }

int letterIndex(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a';
    return -1;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Appends the names of a path to a list of names, resolving "." and ".." (never above the
// list's start); separators are both slashes when backslashes count, else "/" only.
void appendNames(std::vector<std::string_view>& names, std::string_view path, bool backslashes) {
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = i;
        while (end < path.size() && !(path[end] == '/' || (backslashes && path[end] == '\\'))) ++end;
        std::string_view name = path.substr(i, end - i);
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        i = end + 1;
    }
}

std::string joined(std::string_view root, const std::vector<std::string_view>& names, char separator) {
    std::string out(root);
    for (std::string_view name : names) {
        if (out.empty() || out.back() != separator) out += separator;
        out += name;
    }
    return out;
}

// Whether a normalized absolute Linux path lies in (or is) a folder.
bool holds(const std::string& folder, const std::string& path) {
    if (folder == "/") return true;
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool refuse(std::string* error, DWORD* code, DWORD value, std::string text) {
    if (error) *error = std::move(text);
    if (code) *code = value;
    return false;
}

std::string processFolder() {
    std::string buffer(4096, '\0');
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.c_str();
}
}  // namespace

WinDriveMap::WinDriveMap() : m_current(processFolder()) {
    m_folders[2] = "/";
    m_types[2] = DRIVE_FIXED;
}

WinDriveMap WinDriveMap::current() {
    WinDriveMap map;
    AcEdIniFile profile;
    if (profile.load(AcEdProfile::path()))
        for (const std::string& key : profile.keys("Drives")) {
            std::string value;
            std::string_view letter = trimmed(key);
            if (!letter.empty() && letter.back() == ':') letter.remove_suffix(1);
            if (letter.size() == 1 && profile.get("Drives", key, value)) map.set(letter[0], trimmed(value));
        }
    if (const char* list = std::getenv("CADHOST_DRIVES")) map.addList(list);
    return map;
}

bool WinDriveMap::set(char letter, std::string_view folder) {
    const int index = letterIndex(letter);
    unsigned kind = DRIVE_FIXED;
    if (!folder.empty() && folder.front() != '/') {
        static const struct {
            std::string_view name;
            unsigned type;
        } kinds[] = {{"removable:", DRIVE_REMOVABLE}, {"fixed:", DRIVE_FIXED}, {"remote:", DRIVE_REMOTE},
                     {"cdrom:", DRIVE_CDROM}, {"ramdisk:", DRIVE_RAMDISK}};
        kind = 0;
        for (const auto& k : kinds)
            if (folder.size() > k.name.size() && folder.substr(0, k.name.size()) == k.name) {
                kind = k.type;
                folder.remove_prefix(k.name.size());
            }
    }
    if (index < 0 || !kind || (!folder.empty() && folder.front() != '/')) return false;
    std::vector<std::string_view> names;
    appendNames(names, folder, false);
    m_folders[index] = folder.empty() ? std::string() : joined("/", names, '/');
    m_types[index] = folder.empty() ? 0 : kind;
    return true;
}

int WinDriveMap::addList(std::string_view list) {
    int skipped = 0;
    while (!list.empty()) {
        const size_t end = list.find(';');
        std::string_view entry = trimmed(list.substr(0, end));
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (entry.empty()) continue;
        const size_t eq = entry.find('=');
        std::string_view letter = eq == std::string_view::npos ? entry : trimmed(entry.substr(0, eq));
        if (!letter.empty() && letter.back() == ':') letter.remove_suffix(1);
        if (eq == std::string_view::npos || letter.size() != 1 || !set(letter[0], trimmed(entry.substr(eq + 1)))) ++skipped;
    }
    return skipped;
}

const std::string* WinDriveMap::folder(char letter) const {
    const int index = letterIndex(letter);
    return index >= 0 && !m_folders[index].empty() ? &m_folders[index] : nullptr;
}

unsigned WinDriveMap::type(char letter) const {
    const int index = letterIndex(letter);
    return index >= 0 && !m_folders[index].empty() ? m_types[index] : DRIVE_NO_ROOT_DIR;
}

DWORD WinDriveMap::mask() const {
    DWORD bits = 0;
    for (int i = 0; i < 26; ++i)
        if (!m_folders[i].empty()) bits |= DWORD(1) << i;
    return bits;
}

std::string WinDriveMap::absolute(std::string_view linuxPath) const {
    std::vector<std::string_view> names;
    if (linuxPath.empty() || linuxPath.front() != '/') appendNames(names, m_current, false);
    appendNames(names, linuxPath, false);
    return joined("/", names, '/');
}

char WinDriveMap::driveHolding(const std::string& linuxPath) const {
    int best = -1;
    for (int i = 0; i < 26; ++i)
        if (!m_folders[i].empty() && holds(m_folders[i], linuxPath) &&
            (best < 0 || m_folders[i].size() > m_folders[best].size()))
            best = i;
    return best < 0 ? 0 : char('A' + best);
}

bool WinDriveMap::toLinux(std::string_view path, std::string& linuxPath, std::string* error, DWORD* code) const {
    if (code) *code = ERROR_SUCCESS;
    if (path.empty() || path.front() == '/') {
        linuxPath.assign(path);
        return true;
    }
    // Two separators: a network path, or the platform's prefixes of long and device paths.
    if (path.size() >= 2 && path[0] == '\\' && isSeparator(path[1])) {
        std::string_view rest = path.substr(2);
        if (rest.size() >= 2 && (rest[0] == '?' || rest[0] == '.') && isSeparator(rest[1])) {
            std::string_view inner = rest.substr(2);
            if (rest[0] == '?' && inner.size() >= 2 && letterIndex(inner[0]) >= 0 && inner[1] == ':')
                return toLinux(inner, linuxPath, error, code);
            if (rest[0] == '.')
                return refuse(error, code, ERROR_INVALID_NAME, "\"" + std::string(path) + "\" names a device, not a file.");
        }
        const size_t server = rest.find_first_of("\\/");
        std::string share(rest.substr(0, server == std::string_view::npos ? rest.size() : rest.find_first_of("\\/", server + 1)));
        return refuse(error, code, ERROR_BAD_NETPATH,
                      "The network path \"\\\\" + share + "\" cannot be reached: only drive letters are mapped.");
    }
    std::string_view rest;
    char letter = 0;
    if (path.size() >= 2 && path[1] == ':' && letterIndex(path[0]) >= 0) {
        letter = path[0];
        rest = path.substr(2);
    } else if (path.front() == '\\') {
        letter = driveHolding(absolute(m_current));
        if (!letter)
            return refuse(error, code, ERROR_PATH_NOT_FOUND,
                          "\"" + std::string(path) + "\" starts at the current drive, but the current folder is on no drive.");
        rest = path;
    } else {
        linuxPath.assign(path);
        for (char& c : linuxPath)
            if (c == '\\') c = '/';
        return true;
    }
    const std::string* root = folder(letter);
    if (!root)
        return refuse(error, code, ERROR_PATH_NOT_FOUND,
                      std::string("Drive ") + char(std::toupper(static_cast<unsigned char>(letter))) +
                          ": is not mapped (map it with CADHOST_DRIVES or the profile's Drives section).");
    std::vector<std::string_view> names;
    const std::string here = absolute(m_current);
    if ((rest.empty() || !isSeparator(rest.front())) && holds(*root, here) && driveHolding(here) == std::toupper(static_cast<unsigned char>(letter)))
        appendNames(names, std::string_view(here).substr(*root == "/" ? 0 : root->size()), false);
    appendNames(names, rest, true);
    linuxPath = joined(*root, names, '/');
    return true;
}

bool WinDriveMap::toWindows(std::string_view linuxPath, std::string& windowsPath) const {
    const std::string path = absolute(linuxPath);
    const char letter = driveHolding(path);
    if (!letter) return false;
    const std::string& root = m_folders[letter - 'A'];
    std::string_view below = std::string_view(path).substr(root == "/" ? 0 : root.size());
    if (below.find('\\') != std::string_view::npos) return false;
    std::vector<std::string_view> names;
    appendNames(names, below, false);
    windowsPath = joined(std::string(1, letter) + ":\\", names, '\\');
    return true;
}

bool WinDriveMap::isDriveRoot(std::string_view linuxFolder) const {
    const std::string path = absolute(linuxFolder);
    for (const std::string& f : m_folders)
        if (!f.empty() && f == path) return true;
    return false;
}

bool cadhostLinuxPath(const char* path, std::string& linuxPath, std::string* error) {
    if (!path || !*path) {
        linuxPath.clear();
        return true;
    }
    return WinDriveMap::current().toLinux(path, linuxPath, error);
}

DWORD GetLogicalDrives() { return WinDriveMap::current().mask(); }

unsigned GetDriveTypeA(LPCSTR rootPathName) {
    const WinDriveMap drives = WinDriveMap::current();
    std::string current;
    if (!rootPathName) {
        if (!drives.toWindows(".", current)) return DRIVE_NO_ROOT_DIR;
        current.resize(2);
        rootPathName = current.c_str();
    }
    const size_t length = std::strlen(rootPathName);
    if (length < 2 || length > 3 || rootPathName[1] != ':' || (length == 3 && !isSeparator(rootPathName[2])))
        return DRIVE_NO_ROOT_DIR;
    return drives.type(rootPathName[0]);
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    const char* tmp = std::getenv("TMPDIR");
    std::string path;
    if (!WinDriveMap::current().toWindows(tmp && *tmp == '/' ? tmp : "/tmp", path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (path.back() != '\\') path += '\\';
    const DWORD length = static_cast<DWORD>(path.size());
    if (!buffer || bufferLength <= length) return length + 1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
    std::string path;
    DWORD code = ERROR_SUCCESS;
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (!WinDriveMap::current().toLinux(fileName, path, nullptr, &code)) {
        SetLastError(code);
        return INVALID_FILE_ATTRIBUTES;
    }
    const size_t slash = path.find_last_of('/');
    WinFileInfo info;
    if (!winReadFileInfo(path, slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1), info)) {
        SetLastError(winErrorOfMissing(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return info.attributes;
}
