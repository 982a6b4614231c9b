#pragma once
// The resource script reader: a script in the platform's resource syntax read into the entries
// of a resource image (string tables, dialogs, menus, icons, cursors, bitmaps, raw data).
#include <string>
#include <vector>
#include "rx/export.h"
#include "win/rcpreprocessor.h"
#include "win/resourceimage.h"

namespace cadhost::res {

struct ResourceScript {
    std::vector<ResourceEntry> entries;
    std::vector<std::string> dependencies;  // the script, the headers it includes, the files it names
};

// Reads a script; answers false with "file:line: message" in error. Never throws.
CADHOST_API bool readResourceScript(const std::string& path, const RcOptions& options, ResourceScript& out,
                                    std::string& error);

}  // namespace cadhost::res
