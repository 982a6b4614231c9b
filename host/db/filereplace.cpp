#include "db/filereplace.h"
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace cadhost::db {

namespace {
constexpr std::string_view kTempPrefix = ".cadhost-save-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kMaxLinks = 40;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The file a path finally names, symbolic links followed; it need not exist yet.
bool followLinks(std::string& path, std::string& error) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(path, ec).string();
        if (ec || target.empty()) {
            error = path + ": the symbolic link cannot be read: " + (ec ? ec.message() : "empty");
            return false;
        }
        path = target.front() == '/' ? target : inFolder(folderOf(path), target);
    }
    error = std::string(path) + ": too many levels of symbolic links";
    return false;
}

// A target may be replaced when it does not exist yet or is a writable regular file; mode
// answers its permissions (0 for a new file).
bool mayReplace(const std::string& path, LinkAtTarget link, mode_t& mode, std::string& error) {
    mode = 0;
    struct stat st {};
    if (link == LinkAtTarget::replace && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = path + ": is a folder, not a drawing";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    // The permission bits decide, also for a user whom the system would let write anyway.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0) {
        error = path + ": the file is read-only";
        return false;
    }
    mode = st.st_mode & 07777;
    return true;
}

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool isRunning(long pid) {
    if (pid == static_cast<long>(::getpid())) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

bool writeAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The rename itself reaches the disk with the folder's entries.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

bool isSaveTemporaryName(std::string_view name, long& pid) {
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || !name.starts_with(kTempPrefix) ||
        !name.ends_with(kTempSuffix))
        return false;
    const std::string_view middle =
        name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    const size_t dash = middle.find('-');
    if (dash == std::string_view::npos || dash > 9) return false;
    const std::string_view digits = middle.substr(0, dash);
    if (!allDigits(digits) || !allDigits(middle.substr(dash + 1))) return false;
    long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    if (value <= 0) return false;
    pid = value;
    return true;
}

int removeStaleSaveFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    const int fd = ::dirfd(dir);
    const uid_t user = ::geteuid();
    int removed = 0;
    for (dirent* entry = ::readdir(dir); entry; entry = ::readdir(dir)) {
        long pid = 0;
        if (!isSaveTemporaryName(entry->d_name, pid) || isRunning(pid)) continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || st.st_uid != user)
            continue;
        if (::unlinkat(fd, entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

FileReplacement::~FileReplacement() { abandon(); }

Acad::ErrorStatus FileReplacement::open(const char* path, std::string& error, LinkAtTarget link) {
    abandon();
    if (!path || !*path) {
        error = "no file name";
        return Acad::eInvalidInput;
    }
    std::string target = path;
    mode_t mode = 0;
    if ((link == LinkAtTarget::follow && !followLinks(target, error)) || !mayReplace(target, link, mode, error))
        return Acad::eFileAccessErr;
    const std::string folder = folderOf(target);
    removeStaleSaveFiles(folder);

    static std::atomic<unsigned> counter{0};
    int e = 0;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = inFolder(folder, std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
                                      std::to_string(counter++) + std::string(kTempSuffix));
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        e = errno;
        if (m_fd < 0 && e != EEXIST) break;
    }
    if (m_fd < 0) {
        m_temp.clear();
        error = target + ": cannot create a file in " + folder + ": " + std::strerror(e);
        return Acad::eFileAccessErr;
    }
    if (mode) ::fchmod(m_fd, mode);
    m_target = target;
    m_errno = 0;
    return Acad::eOk;
}

bool FileReplacement::write(std::string_view data) {
    if (m_fd < 0 || m_errno) return false;
    if (!writeAll(m_fd, data)) m_errno = errno ? errno : EIO;
    return !m_errno;
}

Acad::ErrorStatus FileReplacement::commit(std::string& error) {
    if (m_fd < 0) {
        error = "no file is being written";
        return Acad::eInvalidInput;
    }
    int e = m_errno;
    if (!e && ::fsync(m_fd) != 0) e = errno;
    if (::close(m_fd) != 0 && !e) e = errno;
    m_fd = -1;
    if (!e && ::rename(m_temp.c_str(), m_target.c_str()) != 0) e = errno;
    if (e) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
        error = m_target + ": write failed: " + std::strerror(e);
        return Acad::eFileSystemErr;
    }
    m_temp.clear();
    syncFolder(folderOf(m_target));
    return Acad::eOk;
}

void FileReplacement::abandon() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
}

Acad::ErrorStatus replaceFile(const char* path, std::initializer_list<std::string_view> parts, std::string& error,
                              LinkAtTarget link) {
    FileReplacement file;
    const Acad::ErrorStatus es = file.open(path, error, link);
    if (es != Acad::eOk) return es;
    for (std::string_view data : parts)
        if (!file.write(data)) break;
    return file.commit(error);
}

}  // namespace cadhost::db
