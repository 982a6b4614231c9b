#include "win/filesearch.h"
#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>
#include "win/drives.h"
#include "win/fileinfo.h"
#include "win/lasterror.h"

namespace {
// Pattern elements after the platform's rewriting of "*", "?" and "."; other elements are
// the characters themselves (0 to 255).
enum : int { kStar = 256, kDosStar, kDosQm, kDosDot };

std::vector<int> compiled(std::string_view pattern) {
    if (pattern == "*.*") return {kStar};
    std::vector<int> out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '?') out.push_back(kDosQm);
        else if (c == '*') out.push_back(next == '.' ? kDosStar : kStar);
        else if (c == '.' && (next == '?' || next == '*' || i + 1 == pattern.size())) out.push_back(kDosDot);
        else out.push_back(static_cast<unsigned char>(c));
    }
    return out;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string upperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upper(c);
    return out;
}

struct Search {
    std::string folder;               // Linux folder
    std::vector<std::string> names;   // matching names in the order they are reported
    size_t next = 0;
};

class SearchTable {
public:
    HANDLE add(std::unique_ptr<Search> search) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last += 8;
        m_open[m_last] = std::move(search);
        return reinterpret_cast<HANDLE>(m_last);
    }
    // Runs f on the search of a handle under the table's lock; false for an unknown handle.
    template <class F>
    bool with(HANDLE handle, F f) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_open.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m_open.end()) return false;
        f(*it->second);
        return true;
    }
    bool remove(HANDLE handle) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_open.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<uintptr_t, std::unique_ptr<Search>> m_open;
    uintptr_t m_last = 0x10000;
};

SearchTable& searches() {
    static SearchTable table;
    return table;
}

// Fills the data of the next name that can still be read; false when none is left.
bool report(Search& search, WIN32_FIND_DATAA& data) {
    while (search.next < search.names.size()) {
        const std::string& name = search.names[search.next++];
        const std::string path = name == "." ? search.folder
                                 : search.folder == "/" ? "/" + name
                                                        : search.folder + "/" + name;
        WinFileInfo info;
        if (!winReadFileInfo(path, name, info)) continue;
        std::memset(&data, 0, sizeof data);
        data.dwFileAttributes = info.attributes;
        data.ftCreationTime = info.creation;
        data.ftLastAccessTime = info.lastAccess;
        data.ftLastWriteTime = info.lastWrite;
        data.nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(info.size & 0xFFFFFFFFu);
        std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
        return true;
    }
    return false;
}

HANDLE fail(DWORD code) {
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}
}  // namespace

bool winNameMatches(std::string_view pattern, std::string_view name) {
    const std::vector<int> p = compiled(pattern);
    const size_t n = name.size();
    const size_t lastDot = name.find_last_of('.');
    // row[j]: whether p[i..] matches name[j..]; rows are filled from the pattern's end.
    std::vector<char> below(n + 1, 0), row(n + 1, 0);
    below[n] = 1;
    for (size_t i = p.size(); i-- > 0;) {
        const int c = p[i];
        for (size_t j = n + 1; j-- > 0;) {
            const bool more = j < n;
            bool m = false;
            switch (c) {
                case kStar: m = below[j] || (more && row[j + 1]); break;
                case kDosStar: m = below[j] || (more && j != lastDot && row[j + 1]); break;
                case kDosQm: m = (!more || name[j] == '.') ? below[j] : below[j + 1]; break;
                case kDosDot: m = more ? (name[j] == '.' && below[j + 1]) : below[j]; break;
                default: m = more && upper(name[j]) == upper(static_cast<char>(c)) && below[j + 1]; break;
            }
            row[j] = m;
        }
        std::swap(below, row);
    }
    return below[0] != 0;
}

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData) {
    if (!fileName || !findFileData) return fail(ERROR_INVALID_PARAMETER);
    const std::string_view path(fileName);
    const size_t sep = path.find_last_of("\\/");
    std::string_view folder, pattern = path;
    if (sep != std::string_view::npos) {
        folder = path.substr(0, (sep == 0 || (sep == 2 && path[1] == ':')) ? sep + 1 : sep);
        pattern = path.substr(sep + 1);
    } else if (path.size() >= 2 && path[1] == ':') {
        folder = path.substr(0, 2);
        pattern = path.substr(2);
    }
    if (pattern.empty()) return fail(ERROR_FILE_NOT_FOUND);
    const WinDriveMap drives = WinDriveMap::current();
    auto search = std::make_unique<Search>();
    DWORD code = ERROR_SUCCESS;
    if (!drives.toLinux(folder, search->folder, nullptr, &code)) return fail(code);
    if (search->folder.empty()) search->folder = ".";

    DIR* dir = opendir(search->folder.c_str());
    if (!dir) return fail(errno == EACCES || errno == EPERM ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || name.size() > MAX_PATH - 1 || name.find('\\') != std::string_view::npos) continue;
        if (winNameMatches(pattern, name)) names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return upperCase(a) < upperCase(b); });
    if (!drives.isDriveRoot(search->folder))
        for (const char* dots : {"..", "."})
            if (winNameMatches(pattern, dots)) names.insert(names.begin(), dots);
    search->names = std::move(names);
    if (!report(*search, *findFileData)) return fail(ERROR_FILE_NOT_FOUND);
    return searches().add(std::move(search));
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData) {
    if (!findFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool found = false;
    if (!searches().with(findFile, [&](Search& search) { found = report(search, *findFileData); })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!found) SetLastError(ERROR_NO_MORE_FILES);
    return found ? TRUE : FALSE;
}

BOOL FindClose(HANDLE findFile) {
    if (searches().remove(findFile)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
