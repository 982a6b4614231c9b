// libFuzzer target for the preview image reader of DWG files (acdbReadDwgPreview) and the packed
// DIB decoder its answers go to.
//
// Input: byte 0 chooses the form. Even: the rest is the whole file. Odd: the rest is one preview
// image, a bitmap (bit 1 clear) or a PNG (bit 1 set), put into a well-formed preview block of an
// R2018 file, so that the image decoders are reached at once.
#include <sys/mman.h>
#include <unistd.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "db/dwgfile.h"
#include "db/dwglayout.h"
#include "gi/dib.h"

namespace {

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A file whose preview block at 0x40 holds the image as its only entry.
std::vector<uint8_t> fileAround(uint8_t code, const uint8_t* image, size_t size) {
    using namespace cadhost::dwg;
    std::vector<uint8_t> f(0x40, 0);
    std::copy_n("AC1032", 6, f.begin());
    put32(f, kPreviewAddressAt, 0x40);
    f.insert(f.end(), kStartSentinel, kStartSentinel + 16);
    const size_t table = f.size();
    f.resize(table + 4 + 1 + 9);
    put32(f, table, uint32_t(1 + 9 + size));
    f[table + 4] = 1;
    f[table + 5] = code;
    put32(f, table + 6, uint32_t(table + 14));
    put32(f, table + 10, uint32_t(size));
    f.insert(f.end(), image, image + size);
    f.insert(f.end(), kEndSentinel, kEndSentinel + 16);
    return f;
}

// The file the reader opens: an anonymous memory file, reused.
const std::string& memoryFile() {
    static const std::string path = [] {
        const int fd = memfd_create("preview", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t form = data[0];
    ++data;
    --size;
    const std::vector<uint8_t> file =
        (form & 1) ? fileAround((form & 2) ? 6 : 2, data, size) : std::vector<uint8_t>(data, data + size);
    writeAll(memoryFile(), file);

    std::vector<uint8_t> dib;
    std::string error;
    const Acad::ErrorStatus es = acdbReadDwgPreview(memoryFile().c_str(), dib, &error);
    if (es != Acad::eOk) {
        if (!dib.empty() || error.empty()) std::abort();  // a failure answers why and nothing else
        return 0;
    }
    AcGiDibLayout layout;
    if (!acgiPackedDibLayout(dib.data(), dib.size(), layout)) std::abort();  // what is answered is a bitmap
    AcArray<Adesk::UInt8> packed;
    packed.setPhysicalLength(int(dib.size()));
    for (uint8_t b : dib) packed.append(b);
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (acgiImageFromPackedDib(packed, pixels, w, h) == Acad::eOk &&
        (w != layout.width || h != layout.height || pixels.size() != size_t(w) * size_t(h)))
        std::abort();
    return 0;
}
