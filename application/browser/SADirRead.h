#pragma once
// The directory reader of the drawing list: the subfolders of one folder (then the folder
// itself) and the entries of that folder that match a mask, each with its full path and its
// file-system data, read through the platform's file search.
#include <cstdint>
#include <vector>
#include "ui/cstring.h"
#include "win/filetypes.h"

class CSADirRead {
public:
    struct DirEntry {
        CString m_sPath;           // folder + "\" + name
        BYTE m_bIsFolder = 0;      // 1 for a folder
        DWORD m_dwAttributes = 0;
        FILETIME m_ftCreation{};
        FILETIME m_ftLastWrite{};
        uint64_t m_nSize = 0;      // high part * 2^32 + low part
    };
    // Orders of sortFileList.
    enum { kSortByPath = 1, kSortByTime = 2, kSortBySize = 3 };

    CSADirRead() = default;
    virtual ~CSADirRead() = default;

    // False for a folder that is empty once its trailing separators are gone (nothing changes
    // then); else the folder becomes the start folder, its subfolders are listed when asked for
    // and the start folder itself is appended to the folder list last.
    bool scanFolders(const CString& folder, bool withSubfolders);
    // The entries of the start folder that match the mask, into the file list; false when an
    // error ended the search.
    bool scanFiles(const CString& mask, bool takeFiles, bool takeFolders);
    bool resetFolders();
    bool resetFiles();
    // 1: by path (letters in either case alike), 2: by last-write time, 3: by size; other
    // orders leave the list as it is.
    bool sortFileList(int order, bool ascending);
    // Removes the separators at the end: backslashes, or slashes in a path without backslashes.
    static void trimTrailingSeparators(CString& path);

    const CString& startFolder() const { return m_startFolder; }
    const std::vector<DirEntry>& folderList() const { return m_folders; }
    const std::vector<DirEntry>& fileList() const { return m_files; }

protected:
    // Appends the subfolders of a folder (one level, names without an extension).
    void collectSubfolders(const CString& folder);
    bool collectEntries(const CString& folder, const CString& mask, bool takeFiles, bool takeFolders);

private:
    CString m_startFolder;
    std::vector<DirEntry> m_folders;
    std::vector<DirEntry> m_files;
};
