#pragma once
// The compiled resources of one module: the image the build-time compiler writes and the
// module loader reads.
//
// Layout (little-endian):
//   header:  u32 magic 'CHRS', u32 version (1), u32 entry count, u32 image size
//   entries: one record each, in script order:
//              name-or-id type, name-or-id name, u16 language, u32 data offset, u32 data size
//            (name-or-id: u8 kind, 1 number then u32, 2 text then u32 length and the upper-case
//            bytes; see resourcetemplates.h)
//   data:    the entries' bytes, at their offsets from the start of the image
// Entry data by type:
//   RT_STRING     block (id >> 4) + 1 of 16 strings, each u16 length then its bytes
//   RT_DIALOG     a dialog template, RT_MENU a menu template (resourcetemplates.h)
//   RT_ICON, RT_CURSOR, RT_GROUP_ICON, RT_GROUP_CURSOR  the images of an icon or cursor file and
//                 their directory, as the platform splits them
//   RT_BITMAP     the bitmap file without its 14-byte file header
//   other types   the named file's bytes, or the inline data of the script
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "rx/export.h"
#include "win/resourcetemplates.h"

namespace cadhost::res {

// Numbered resource types.
enum ResourceTypeId : std::uint32_t {
    kTypeCursor = 1,
    kTypeBitmap = 2,
    kTypeIcon = 3,
    kTypeMenu = 4,
    kTypeDialog = 5,
    kTypeString = 6,
    kTypeFont = 8,
    kTypeRcData = 10,
    kTypeGroupCursor = 12,
    kTypeGroupIcon = 14,
    kTypeHtml = 23,
    kTypeManifest = 24,
    kTypeDlgInit = 240,
};

struct ResourceEntry {
    NameOrId type;
    NameOrId name;
    std::uint16_t language = 0;
    std::vector<unsigned char> data;
};

inline constexpr const char* kResourcesSymbol = "cadhostModuleResources";
inline constexpr const char* kResourcesSizeSymbol = "cadhostModuleResourcesSize";

CADHOST_API std::vector<unsigned char> writeResourceImage(const std::vector<ResourceEntry>& entries);
// Validates every size and offset; answers false with a reason for a malformed image.
CADHOST_API bool parseResourceImage(const unsigned char* data, std::size_t size,
                                    std::vector<ResourceEntry>& entries, std::string& error);

}  // namespace cadhost::res
