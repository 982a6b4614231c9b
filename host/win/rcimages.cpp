// Icon, cursor and bitmap files named by a resource script, split as the platform stores them:
// each image of an icon or cursor file is a resource of its own, numbered in script order, and a
// group resource under the script's name lists them.
#include "win/bytestream.h"
#include "win/rcparser.h"

namespace cadhost::res {
void RcParser::iconOrCursor(const NameOrId& name, bool cursor) {
    const RcToken at = peek();
    std::uint16_t lang = m_language;
    while (commonOption(lang)) {
    }
    std::string path;
    std::string file = namedFile(path);
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    ByteReader r(bytes, file.size());
    unsigned reserved = r.u16();
    unsigned kind = r.u16();
    unsigned count = r.u16();
    const char* what = cursor ? "cursor" : "icon";
    if (!r.ok() || reserved != 0 || kind != (cursor ? 2u : 1u) || count == 0)
        failAt(at, path + " is not an " + std::string(cursor ? "cursor" : "icon") + " file");
    ByteWriter group;
    group.u16(0);
    group.u16(kind);
    group.u16(count);
    for (unsigned i = 0; i < count; ++i) {
        unsigned width = r.u8(), height = r.u8(), colors = r.u8();
        r.u8();
        unsigned planes = r.u16(), bitCount = r.u16();  // a cursor's hot spot x and y
        std::uint64_t size = r.u32(), offset = r.u32();
        if (!r.ok() || offset > file.size() || size > file.size() - offset)
            failAt(at, "image " + std::to_string(i + 1) + " of the " + what + " file " + path + " is truncated");
        std::uint32_t imageId = m_nextImageId++;
        if (imageId > 0xFFFF) failAt(at, "too many icon and cursor images");
        ByteWriter image;
        if (cursor) {
            image.u16(planes);
            image.u16(bitCount);
        }
        image.data().insert(image.data().end(), bytes + offset, bytes + offset + size);
        std::uint32_t imageSize = static_cast<std::uint32_t>(image.size());
        add(numberedName(cursor ? kTypeCursor : kTypeIcon), numberedName(imageId), lang, std::move(image.data()), at);
        if (cursor) {
            // Width, twice the height (image and mask), planes, bits per pixel of the image.
            unsigned imageBits = 0;
            if (size >= 16) imageBits = bytes[offset + 14] | (bytes[offset + 15] << 8);
            group.u16(width ? width : 256);
            group.u16((height ? height : 256) * 2);
            group.u16(1);
            group.u16(imageBits);
        } else {
            group.u8(width);
            group.u8(height);
            group.u8(colors);
            group.u8(0);
            group.u16(planes);
            group.u16(bitCount);
        }
        group.u32(imageSize);
        group.u16(imageId);
    }
    add(numberedName(cursor ? kTypeGroupCursor : kTypeGroupIcon), name, lang, std::move(group.data()), at);
}

void RcParser::bitmap(const NameOrId& name) {
    const RcToken at = peek();
    std::uint16_t lang = m_language;
    while (commonOption(lang)) {
    }
    std::string path;
    std::string file = namedFile(path);
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') failAt(at, path + " is not a bitmap file");
    add(numberedName(kTypeBitmap), name, lang, std::vector<unsigned char>(file.begin() + 14, file.end()), at);
}

}  // namespace cadhost::res
