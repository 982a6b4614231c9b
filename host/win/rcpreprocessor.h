#pragma once
// The first stage of the resource script reader: comments, #include, #define and the
// conditional directives, producing the script's tokens with their file and line.
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include "rx/export.h"

namespace cadhost::res {

// Reads a file's bytes; answers false when there is no such file.
using RcFileReader = std::function<bool(const std::string& path, std::string& bytes)>;

struct RcOptions {
    std::vector<std::string> includeDirs;                       // searched after the including file's folder
    std::vector<std::pair<std::string, std::string>> defines;  // NAME, value ("" for a bare definition)
    RcFileReader readFile;                                      // default: the file system
};

// A reader error; what() is "file:line: message".
class RcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RcToken {
    enum Kind { Ident, Number, String, Punct, End };
    Kind kind = End;
    std::string text;         // identifier, punctuation, or the string's value after escapes
    std::uint32_t number = 0;
    int file = 0;             // index into RcSource::files
    int line = 0;
};

struct RcSource {
    std::vector<std::string> files;  // every file read: the script, its headers (and, later, named files)
    std::vector<RcToken> tokens;     // ends with one End token
    std::string where(const RcToken& t) const;
};

// Reads a file with the file-system reader (no such file: false).
CADHOST_API bool readFileBytes(const std::string& path, std::string& bytes);
// Answers the folder of a path ("" for none) and joins a folder and a relative path.
std::string folderOf(const std::string& path);
std::string joinPath(const std::string& folder, const std::string& relative);

// Preprocesses a script; throws RcError.
void preprocessScript(const std::string& path, const RcOptions& options, RcSource& out);

}  // namespace cadhost::res
