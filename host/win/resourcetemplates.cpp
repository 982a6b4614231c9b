#include "win/resourcetemplates.h"
#include "win/bytestream.h"

namespace cadhost::res {
namespace {
constexpr std::uint32_t kDialogMagic = 0x31474C44;  // "DLG1"
constexpr std::uint32_t kMenuMagic = 0x31554E4D;    // "MNU1"

void writeNameOrId(ByteWriter& w, const NameOrId& n) {
    if (n.isText) {
        w.u8(2);
        w.text(n.text);
    } else if (n.number) {
        w.u8(1);
        w.u32(n.number);
    } else {
        w.u8(0);
    }
}

NameOrId readNameOrId(ByteReader& r) {
    NameOrId n;
    switch (r.u8()) {
    case 0: break;
    case 1: n.number = r.u32(); break;
    case 2:
        n.isText = true;
        n.text = r.text();
        break;
    default: r.fail();
    }
    return n;
}

void writeRect(ByteWriter& w, int x, int y, int cx, int cy) {
    for (int v : {x, y, cx, cy}) w.u32(static_cast<std::uint32_t>(v));
}

void readRect(ByteReader& r, int& x, int& y, int& cx, int& cy) {
    for (int* v : {&x, &y, &cx, &cy}) *v = static_cast<int>(r.u32());
}

void writeItems(ByteWriter& w, const std::vector<MenuItem>& items) {
    w.u32(static_cast<std::uint32_t>(items.size()));
    for (const MenuItem& item : items) {
        w.u32(item.popup ? 1 : 0);
        w.u32(static_cast<std::uint32_t>(item.id));
        w.u32(item.type);
        w.u32(item.state);
        w.u32(item.helpId);
        w.text(item.text);
        if (item.popup) writeItems(w, item.items);
    }
}

bool readItems(ByteReader& r, std::vector<MenuItem>& items, int depth) {
    if (depth > kMaxMenuDepth) return r.fail();
    std::uint32_t count = r.u32();
    // Each item takes at least 24 bytes: a count beyond the data is malformed.
    if (!r.ok() || count > r.remaining() / 24) return r.fail();
    items.resize(count);
    for (MenuItem& item : items) {
        std::uint32_t flags = r.u32();
        if (flags > 1) return r.fail();
        item.popup = flags == 1;
        item.id = static_cast<int>(r.u32());
        item.type = r.u32();
        item.state = r.u32();
        item.helpId = r.u32();
        item.text = r.text();
        if (item.popup && !readItems(r, item.items, depth + 1)) return false;
        if (!r.ok()) return false;
    }
    return true;
}
}  // namespace

std::vector<unsigned char> encodeDialog(const DialogTemplate& d) {
    ByteWriter w;
    w.u32(kDialogMagic);
    w.u32(d.extended ? 1 : 0);
    w.u32(d.style);
    w.u32(d.exStyle);
    w.u32(d.helpId);
    writeRect(w, d.x, d.y, d.cx, d.cy);
    w.text(d.caption);
    writeNameOrId(w, d.menu);
    writeNameOrId(w, d.windowClass);
    w.u16(d.pointSize);
    w.u16(d.weight);
    w.u8(d.italic ? 1 : 0);
    w.u8(d.charset);
    w.text(d.face);
    w.u32(static_cast<std::uint32_t>(d.controls.size()));
    for (const DialogControl& c : d.controls) {
        w.u32(static_cast<std::uint32_t>(c.id));
        w.u32(c.style);
        w.u32(c.exStyle);
        w.u32(c.helpId);
        writeRect(w, c.x, c.y, c.cx, c.cy);
        writeNameOrId(w, c.windowClass);
        writeNameOrId(w, c.text);
    }
    return std::move(w.data());
}

bool decodeDialog(const unsigned char* data, std::size_t size, DialogTemplate& d) {
    d = DialogTemplate();
    ByteReader r(data, size);
    if (r.u32() != kDialogMagic) return false;
    std::uint32_t flags = r.u32();
    if (flags > 1) return false;
    d.extended = flags == 1;
    d.style = r.u32();
    d.exStyle = r.u32();
    d.helpId = r.u32();
    readRect(r, d.x, d.y, d.cx, d.cy);
    d.caption = r.text();
    d.menu = readNameOrId(r);
    d.windowClass = readNameOrId(r);
    d.pointSize = r.u16();
    d.weight = r.u16();
    d.italic = r.u8() != 0;
    d.charset = r.u8();
    d.face = r.text();
    std::uint32_t count = r.u32();
    // Each control takes at least 34 bytes.
    if (!r.ok() || count > r.remaining() / 34) return false;
    d.controls.resize(count);
    for (DialogControl& c : d.controls) {
        c.id = static_cast<int>(r.u32());
        c.style = r.u32();
        c.exStyle = r.u32();
        c.helpId = r.u32();
        readRect(r, c.x, c.y, c.cx, c.cy);
        c.windowClass = readNameOrId(r);
        c.text = readNameOrId(r);
        if (!r.ok()) return false;
    }
    return r.ok() && r.atEnd();
}

std::vector<unsigned char> encodeMenu(const MenuTemplate& m) {
    ByteWriter w;
    w.u32(kMenuMagic);
    w.u32(m.extended ? 1 : 0);
    w.u32(m.helpId);
    writeItems(w, m.items);
    return std::move(w.data());
}

bool decodeMenu(const unsigned char* data, std::size_t size, MenuTemplate& m) {
    m = MenuTemplate();
    ByteReader r(data, size);
    if (r.u32() != kMenuMagic) return false;
    std::uint32_t flags = r.u32();
    if (flags > 1) return false;
    m.extended = flags == 1;
    m.helpId = r.u32();
    return readItems(r, m.items, 1) && r.ok() && r.atEnd();
}

}  // namespace cadhost::res
