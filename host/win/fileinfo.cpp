#include "win/fileinfo.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {
// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;

FILETIME fileTime(int64_t seconds, uint32_t nanoseconds) {
    const int64_t since1601 = seconds + kEpochDifference;
    uint64_t ticks = 0;
    if (since1601 >= 0) ticks = static_cast<uint64_t>(since1601) * 10000000ULL + nanoseconds / 100;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

bool writable(const struct statx& st) {
    if (st.stx_uid == geteuid()) return (st.stx_mode & S_IWUSR) != 0;
    if (st.stx_gid == getegid()) return (st.stx_mode & S_IWGRP) != 0;
    return (st.stx_mode & S_IWOTH) != 0;
}
}  // namespace

bool winReadFileInfo(const std::string& linuxPath, std::string_view name, WinFileInfo& info) {
    struct statx st {};
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (statx(AT_FDCWD, linuxPath.c_str(), 0, mask, &st) != 0 &&
        statx(AT_FDCWD, linuxPath.c_str(), AT_SYMLINK_NOFOLLOW, mask, &st) != 0)
        return false;
    info = WinFileInfo{};
    const bool folder = S_ISDIR(st.stx_mode);
    if (folder) info.attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!writable(st)) info.attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") info.attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (info.attributes == 0) info.attributes = FILE_ATTRIBUTE_NORMAL;
    info.lastWrite = fileTime(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
    info.lastAccess = fileTime(st.stx_atime.tv_sec, st.stx_atime.tv_nsec);
    info.creation = (st.stx_mask & STATX_BTIME) ? fileTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec) : info.lastWrite;
    info.size = folder ? 0 : st.stx_size;
    return true;
}

DWORD winErrorOfMissing(int error, const std::string& linuxPath) {
    if (error == EACCES || error == EPERM) return ERROR_ACCESS_DENIED;
    if (error == ENAMETOOLONG) return ERROR_INVALID_NAME;
    if (error == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    const size_t slash = linuxPath.find_last_of('/');
    std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : linuxPath.substr(0, slash);
    struct stat st {};
    if (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}
