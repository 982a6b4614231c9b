#include "win/resourceimage.h"
#include "win/bytestream.h"

namespace cadhost::res {
namespace {
constexpr std::uint32_t kImageMagic = 0x53524843;  // "CHRS"
constexpr std::uint32_t kImageVersion = 1;

void writeName(ByteWriter& w, const NameOrId& n) {
    if (n.isText) {
        w.u8(2);
        w.text(n.text);
    } else {
        w.u8(1);
        w.u32(n.number);
    }
}

bool readName(ByteReader& r, NameOrId& n) {
    unsigned kind = r.u8();
    if (kind == 1) {
        n.number = r.u32();
    } else if (kind == 2) {
        n.isText = true;
        n.text = r.text();
        if (n.text.empty()) return false;
    } else {
        return false;
    }
    return r.ok();
}
}  // namespace

std::vector<unsigned char> writeResourceImage(const std::vector<ResourceEntry>& entries) {
    ByteWriter w;
    w.u32(kImageMagic);
    w.u32(kImageVersion);
    w.u32(static_cast<std::uint32_t>(entries.size()));
    w.u32(0);
    std::vector<std::size_t> offsetFields;
    for (const ResourceEntry& e : entries) {
        writeName(w, e.type);
        writeName(w, e.name);
        w.u16(e.language);
        offsetFields.push_back(w.size());
        w.u32(0);
        w.u32(static_cast<std::uint32_t>(e.data.size()));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        w.patch32(offsetFields[i], static_cast<std::uint32_t>(w.size()));
        w.bytes(entries[i].data);
    }
    w.patch32(12, static_cast<std::uint32_t>(w.size()));
    return std::move(w.data());
}

bool parseResourceImage(const unsigned char* data, std::size_t size, std::vector<ResourceEntry>& entries,
                        std::string& error) {
    entries.clear();
    if (!data) {
        error = "no resource image";
        return false;
    }
    ByteReader r(data, size);
    if (r.u32() != kImageMagic) {
        error = "not a resource image";
        return false;
    }
    if (r.u32() != kImageVersion) {
        error = "unknown resource image version";
        return false;
    }
    std::uint32_t count = r.u32();
    std::uint32_t total = r.u32();
    if (!r.ok() || total != size) {
        error = "resource image size does not match";
        return false;
    }
    // A record takes at least 20 bytes.
    if (count > r.remaining() / 20) {
        error = "resource image entry count exceeds its size";
        return false;
    }
    entries.resize(count);
    for (ResourceEntry& e : entries) {
        if (!readName(r, e.type) || !readName(r, e.name)) {
            error = "malformed resource type or name";
            entries.clear();
            return false;
        }
        e.language = static_cast<std::uint16_t>(r.u16());
        std::uint64_t offset = r.u32();
        std::uint64_t length = r.u32();
        if (!r.ok() || offset > size || length > size - offset) {
            error = "resource data outside the image";
            entries.clear();
            return false;
        }
        e.data.assign(data + offset, data + offset + length);
    }
    return true;
}

}  // namespace cadhost::res
