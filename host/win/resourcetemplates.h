#pragma once
// Dialog and menu templates as the window layer reads them, and their binary form inside a
// module's resource image.
//
// Binary form (little-endian; "text" is u32 length + bytes; "name-or-id" is u8 kind (0 none,
// 1 number, 2 text) followed by u32 or text):
//   dialog: u32 magic 'DLG1', u32 flags (bit 0: DIALOGEX), u32 style, u32 exStyle, u32 helpId,
//           i32 x, y, cx, cy, text caption, name-or-id menu, name-or-id class,
//           u16 pointSize, u16 weight, u8 italic, u8 charset, text face,
//           u32 control count, controls:
//             i32 id, u32 style, u32 exStyle, u32 helpId, i32 x, y, cx, cy,
//             name-or-id class, name-or-id text
//   menu:   u32 magic 'MNU1', u32 flags (bit 0: MENUEX), u32 helpId, item list
//           item list: u32 count, items: u32 flags (bit 0 popup), i32 id, u32 type, u32 state,
//                      u32 helpId, text, and for a popup its item list
// Coordinates are dialog units as written in the script.
#include <cstdint>
#include <string>
#include <vector>
#include "rx/export.h"

namespace cadhost::res {

// A resource's type or name: a number or (upper-cased) text.
struct NameOrId {
    bool isText = false;
    std::uint32_t number = 0;
    std::string text;
    bool empty() const { return !isText && number == 0; }
    bool operator==(const NameOrId&) const = default;
};

struct DialogControl {
    int id = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    NameOrId windowClass;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX" or a custom class
    NameOrId text;         // caption, or the resource id of an icon or bitmap
};

struct DialogTemplate {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    NameOrId menu;
    NameOrId windowClass;
    unsigned pointSize = 0;  // 0: no FONT statement
    unsigned weight = 0;
    bool italic = false;
    unsigned charset = 1;
    std::string face;
    std::vector<DialogControl> controls;
};

struct MenuItem {
    bool popup = false;
    int id = 0;
    std::uint32_t type = 0;   // MFT_* (MF_* of the same bits for MENU)
    std::uint32_t state = 0;  // MFS_*
    std::uint32_t helpId = 0;
    std::string text;
    std::vector<MenuItem> items;
};

struct MenuTemplate {
    bool extended = false;
    std::uint32_t helpId = 0;
    std::vector<MenuItem> items;
};

// Deepest popup nesting a menu may have.
inline constexpr int kMaxMenuDepth = 32;

CADHOST_API std::vector<unsigned char> encodeDialog(const DialogTemplate& dialog);
CADHOST_API std::vector<unsigned char> encodeMenu(const MenuTemplate& menu);
// Answer false on malformed bytes (short, bad magic, counts beyond the data, menus too deep).
CADHOST_API bool decodeDialog(const unsigned char* data, std::size_t size, DialogTemplate& out);
CADHOST_API bool decodeMenu(const unsigned char* data, std::size_t size, MenuTemplate& out);

}  // namespace cadhost::res
