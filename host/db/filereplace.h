#pragma once
// Replacing a file as a whole: the new contents go to a temporary file in the target's folder,
// reach the disk, and are renamed over the target, so that the target is either the old file
// or the new one. A symbolic link is followed and the file it names is replaced (the link stays
// a link) unless the caller asks for the link itself to be replaced; a read-only target, a
// folder or a special file is refused.
//
// Temporary files are named ".cadhost-save-<pid>-<n>.tmp". A save that was killed leaves its
// temporary file behind; the next save in that folder removes such files when they belong to
// the same user and the process that made them is no longer running.
#include <initializer_list>
#include <string>
#include <string_view>
#include "rx/errorstatus.h"
#include "rx/export.h"

namespace cadhost::db {

// What a symbolic link at the target is: followed to the file it names, or replaced itself
// by the new file (a link in a shared folder is then never written through).
enum class LinkAtTarget { follow, replace };

// A replacement written piece by piece: open() makes the temporary file, write() appends (after
// a failed write the rest is ignored and commit() reports it), commit() makes it the target.
// Abandoned or destroyed before commit(), it removes the temporary file and the target stays.
class CADHOST_API FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    Acad::ErrorStatus open(const char* path, std::string& error, LinkAtTarget link = LinkAtTarget::follow);
    bool write(std::string_view data);  // false once a write has failed
    Acad::ErrorStatus commit(std::string& error);
    void abandon();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    int m_errno = 0;  // of the first failed write
    std::string m_temp, m_target;
};

// The target receives the parts one after the other. On failure the target is unchanged,
// nothing is left behind and error says why.
CADHOST_API Acad::ErrorStatus replaceFile(const char* path, std::initializer_list<std::string_view> parts,
                                          std::string& error, LinkAtTarget link = LinkAtTarget::follow);
inline Acad::ErrorStatus replaceFile(const char* path, std::string_view data, std::string& error,
                                     LinkAtTarget link = LinkAtTarget::follow) {
    return replaceFile(path, {data}, error, link);
}

// The process id in the name of a save's temporary file; false for other names.
bool isSaveTemporaryName(std::string_view name, long& pid);
// Removes the temporary files of saves whose process has ended; answers how many.
int removeStaleSaveFiles(const std::string& folder);

}  // namespace cadhost::db
