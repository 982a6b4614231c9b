#pragma once
// Drive letters over the Linux file system, and the platform's drive functions.
//
// A path given in the platform's form is mapped to a Linux path at the file-system boundary:
//   "C:\a\b.dwg", "c:/a/b.dwg"  the drive's folder + "/a/b.dwg" (letters in any case; "\" and "/"
//                               both separate; "." and ".." are resolved and never leave the drive)
//   "D:a\b"                     relative to the drive's current folder: the process's current
//                               folder when it lies on that drive, else the drive's root
//   "\a\b"                      the root of the current drive (the drive holding the current folder)
//   "\\?\C:\a"                  as "C:\a"
//   "\\server\share\a"          refused: network paths are not mapped
//   "/a/b"                      a Linux path, taken as it is
//   "a\b"                       relative, separators converted, resolved by the file system
// Drives: C: is "/" unless configured; the profile's section "Drives" (entries such as
// D=/srv/drawings) and then the environment variable CADHOST_DRIVES (entries separated by ";",
// such as "D=/srv/drawings;E=/mnt/x") add drives or replace them; an entry with an empty folder
// removes the drive. Folders must be absolute; other entries are skipped. A folder may carry the
// drive's kind before it ("E=cdrom:/media/cd"): removable, fixed, remote, cdrom or ramdisk;
// drives are fixed otherwise.
#include <string>
#include <string_view>
#include "rx/export.h"
#include "win/filetypes.h"

class CADHOST_API WinDriveMap {
public:
    // Only C: on "/"; the current folder is the process's.
    WinDriveMap();
    // The drives of this session (the default, the profile, then CADHOST_DRIVES), read anew.
    static WinDriveMap current();

    // A letter and an absolute folder, with its kind in front or not; an empty folder removes the
    // drive. False (and no change) for a character that is no letter, an unknown kind or a folder
    // that is not absolute.
    bool set(char letter, std::string_view folder);
    // "D=/srv/drawings;E=/mnt/x" (a letter may carry its colon: "D:=/srv"); answers the number
    // of entries skipped as malformed.
    int addList(std::string_view list);
    // The folder of a drive, null when the letter is not mapped.
    const std::string* folder(char letter) const;
    // Bit 0 for A:, bit 1 for B:, ...
    DWORD mask() const;
    // DRIVE_FIXED, DRIVE_REMOVABLE, ... of a mapped drive; DRIVE_NO_ROOT_DIR for another letter.
    unsigned type(char letter) const;
    // The Linux folder that relative names and drive-relative paths start from.
    void setCurrentFolder(std::string folder) { m_current = std::move(folder); }

    // The Linux path of a path (see above). False for a refused path, with the reason and the
    // platform's error code (ERROR_BAD_NETPATH, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME).
    bool toLinux(std::string_view path, std::string& linuxPath, std::string* error = nullptr,
                 DWORD* code = nullptr) const;
    // The platform's form ("D:\a\b") of a Linux path, taken on the drive with the longest
    // folder that holds it. False when no drive holds it or a name holds a backslash.
    bool toWindows(std::string_view linuxPath, std::string& windowsPath) const;
    // Whether a Linux folder is the root folder of a drive.
    bool isDriveRoot(std::string_view linuxFolder) const;

private:
    std::string absolute(std::string_view linuxPath) const;
    // The letter of the drive with the longest folder holding a normalized absolute path, or 0.
    char driveHolding(const std::string& linuxPath) const;

    std::string m_folders[26];
    unsigned m_types[26] = {};
    std::string m_current;
};

// Maps a path through the session's drives (WinDriveMap::current()); false with the reason
// for a refused path. Null and empty names map to an empty path.
CADHOST_API bool cadhostLinuxPath(const char* path, std::string& linuxPath, std::string* error = nullptr);

CADHOST_API DWORD GetLogicalDrives();
// The kind of a mapped drive (DRIVE_FIXED unless configured) for its root ("D:\", "D:", null for
// the current drive), DRIVE_NO_ROOT_DIR for anything else.
CADHOST_API unsigned GetDriveTypeA(LPCSTR rootPathName);
// The temporary folder ($TMPDIR when absolute, else /tmp) in the platform's form, ending in "\".
// Answers the length copied without the NUL, the size needed with the NUL when the buffer is
// too small, or 0 when no drive holds the folder.
CADHOST_API DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
// The attributes of a file or folder, INVALID_FILE_ATTRIBUTES when it cannot be reached.
CADHOST_API DWORD GetFileAttributesA(LPCSTR fileName);
