#include "browser/SADirRead.h"
#include <algorithm>
#include <cstring>
#include "win/filesearch.h"

namespace {
bool isDots(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

uint64_t fileTimeValue(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Closes a search handle when it goes out of scope, also when an error ends the search.
class SearchHandle {
public:
    explicit SearchHandle(HANDLE handle) : m_handle(handle) {}
    ~SearchHandle() {
        if (valid()) FindClose(m_handle);
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};
}  // namespace

bool CSADirRead::scanFolders(const CString& folder, bool withSubfolders) {
    CString start = folder;
    trimTrailingSeparators(start);
    if (start.IsEmpty()) return false;
    m_startFolder = start;
    if (withSubfolders) collectSubfolders(m_startFolder);
    DirEntry self;
    self.m_sPath = m_startFolder;
    m_folders.push_back(self);
    return true;
}

bool CSADirRead::scanFiles(const CString& mask, bool takeFiles, bool takeFolders) {
    return collectEntries(m_startFolder, mask, takeFiles, takeFolders);
}

bool CSADirRead::resetFolders() {
    m_folders.clear();
    return true;
}

bool CSADirRead::resetFiles() {
    m_files.clear();
    return true;
}

bool CSADirRead::sortFileList(int order, bool ascending) {
    auto sortBy = [&](auto less) {
        if (ascending) std::sort(m_files.begin(), m_files.end(), less);
        else std::sort(m_files.begin(), m_files.end(), [&](const DirEntry& a, const DirEntry& b) { return less(b, a); });
    };
    switch (order) {
        case kSortByPath:
            sortBy([](const DirEntry& a, const DirEntry& b) { return a.m_sPath.CompareNoCase(b.m_sPath) < 0; });
            break;
        case kSortByTime:
            sortBy([](const DirEntry& a, const DirEntry& b) {
                return fileTimeValue(a.m_ftLastWrite) < fileTimeValue(b.m_ftLastWrite);
            });
            break;
        case kSortBySize:
            sortBy([](const DirEntry& a, const DirEntry& b) { return a.m_nSize < b.m_nSize; });
            break;
        default:
            break;
    }
    return true;
}

void CSADirRead::trimTrailingSeparators(CString& path) {
    for (;;) {
        int last = path.ReverseFind('\\');
        if (last < 0) last = path.ReverseFind('/');
        if (last < 0 || last != path.GetLength() - 1) return;
        path = path.Left(last);
    }
}

void CSADirRead::collectSubfolders(const CString& folder) {
    WIN32_FIND_DATAA data;
    SearchHandle search(FindFirstFileA(folder + "\\*.", &data));
    if (!search.valid()) return;
    try {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isDots(data.cFileName)) {
                DirEntry entry;
                entry.m_sPath = folder + "\\" + data.cFileName;
                m_folders.push_back(entry);
            }
        } while (FindNextFileA(search.get(), &data));
    } catch (...) {
        // The entries found so far stay; the search ends here.
    }
}

bool CSADirRead::collectEntries(const CString& folder, const CString& mask, bool takeFiles, bool takeFolders) {
    CString base = folder;
    trimTrailingSeparators(base);
    WIN32_FIND_DATAA data;
    SearchHandle search(FindFirstFileA(base + "\\" + mask, &data));
    if (!search.valid()) return true;
    try {
        do {
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder ? (!takeFolders || isDots(data.cFileName)) : !takeFiles) continue;
            DirEntry entry;
            entry.m_sPath = base + "\\" + data.cFileName;
            entry.m_bIsFolder = isFolder ? 1 : 0;
            entry.m_dwAttributes = data.dwFileAttributes;
            entry.m_ftCreation = data.ftCreationTime;
            entry.m_ftLastWrite = data.ftLastWriteTime;
            entry.m_nSize = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            m_files.push_back(entry);
        } while (FindNextFileA(search.get(), &data));
    } catch (...) {
        return false;
    }
    return true;
}
