// acdbReadDwgPreview: the preview image of any DWG file from R13 on. Every such file keeps the
// address of its preview image block at 0x0D; in R2004 and later files a section page header
// may come first, so the start sentinel is looked for a little way on from that address.
#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include "db/dwgfile.h"
#include "db/dwglayout.h"
#include "gi/dib.h"
#include "win/drives.h"

using namespace cadhost::dwg;

namespace {

constexpr uint64_t kSentinelSearch = 0x400;
constexpr uint32_t kMaxImageBytes = 64u << 20;

class FileBytes {
public:
    explicit FileBytes(const char* path) : m_fd(::open(path, O_RDONLY | O_CLOEXEC)) {
        if (m_fd < 0) {
            m_errno = errno;
            return;
        }
        struct stat st {};
        if (::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode)) m_size = uint64_t(st.st_size);
    }
    ~FileBytes() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    bool opened() const { return m_fd >= 0; }
    bool regular() const { return m_fd >= 0 && m_size != UINT64_MAX; }
    int openError() const { return m_errno; }
    uint64_t size() const { return m_size; }
    bool read(uint64_t at, void* buffer, size_t n) const {
        if (at > m_size || m_size - at < n) return false;
        size_t done = 0;
        while (done < n) {
            ssize_t got = ::pread(m_fd, static_cast<char*>(buffer) + done, n - done, off_t(at + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            done += size_t(got);
        }
        return true;
    }

private:
    int m_fd;
    uint64_t m_size = UINT64_MAX;  // not a regular file while unknown
    int m_errno = 0;
};

Acad::ErrorStatus answer(Acad::ErrorStatus es, std::string* error, const std::string& text) {
    if (error) *error = text;
    return es;
}

struct PngSource {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length) {
    auto* src = static_cast<PngSource*>(closure);
    if (src->bytes->size() - src->pos < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, src->bytes->data() + src->pos, length);
    src->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

// A PNG preview as a 24-bit DIB.
bool dibFromPng(const std::vector<uint8_t>& png, std::vector<uint8_t>& dib) {
    PngSource src{&png};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPng, &src);
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    const int w = ok ? cairo_image_surface_get_width(surface) : 0;
    const int h = ok ? cairo_image_surface_get_height(surface) : 0;
    ok = ok && w > 0 && h > 0 && cairo_image_surface_get_format(surface) != CAIRO_FORMAT_INVALID;
    std::vector<uint32_t> pixels;
    if (ok) {
        cairo_surface_flush(surface);
        cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_t* cr = cairo_create(rgb);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(rgb);
        const unsigned char* data = cairo_image_surface_get_data(rgb);
        const int stride = cairo_image_surface_get_stride(rgb);
        ok = data != nullptr;
        if (ok) {
            pixels.resize(size_t(w) * size_t(h));
            for (int y = 0; y < h; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
                for (int x = 0; x < w; ++x) pixels[size_t(y) * size_t(w) + size_t(x)] = 0xFF000000u | (row[x] & 0xFFFFFF);
            }
        }
        cairo_surface_destroy(rgb);
    }
    cairo_surface_destroy(surface);
    if (!ok) return false;
    AcArray<Adesk::UInt8> out;
    if (acgiPackedDibFromImage(pixels, w, h, out, 24) != Acad::eOk) return false;
    dib.assign(out.begin(), out.end());
    return true;
}

// The size a PNG image declares in its header chunk, which comes first; false when there is none.
bool pngSize(const std::vector<uint8_t>& png, int64_t& width, int64_t& height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (png.size() < 33 || std::memcmp(png.data(), kSignature, 8) != 0 || std::memcmp(png.data() + 12, "IHDR", 4) != 0)
        return false;
    const auto be32 = [&png](size_t at) {
        return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    width = be32(16);
    height = be32(20);
    return true;
}

// An image size over the limits, and the limits.
std::string sizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels; at most " +
           std::to_string(kAcGiMaxImageSide) + " a side and " + std::to_string(kAcGiMaxImagePixels) + " in all are read";
}

}  // namespace

Acad::ErrorStatus acdbReadDwgPreview(const char* path, std::vector<uint8_t>& packedDib, std::string* error) {
    packedDib.clear();
    if (!path || !*path) return answer(Acad::eInvalidInput, error, "no file name");
    const std::string name = path;
    std::string linuxPath, refused;
    if (!cadhostLinuxPath(path, linuxPath, &refused)) return answer(Acad::eFileNotFound, error, refused);
    FileBytes file(linuxPath.c_str());
    if (!file.opened())
        return answer(file.openError() == ENOENT ? Acad::eFileNotFound : Acad::eFileAccessErr, error,
                      name + ": " + std::strerror(file.openError()));
    if (!file.regular()) return answer(Acad::eFileAccessErr, error, name + ": not a regular file");

    uint8_t head[kPreviewAddressAt + 4];
    if (!file.read(0, head, sizeof head) || std::memcmp(head, "AC10", 4) != 0 || head[4] < '0' || head[4] > '9' ||
        head[5] < '0' || head[5] > '9')
        return answer(Acad::eInvalidInput, error, name + ": not a DWG file");
    const int release = (head[4] - '0') * 10 + (head[5] - '0');
    const std::string version(reinterpret_cast<const char*>(head), 6);
    if (release < 12) return answer(Acad::eNotApplicable, error, name + ": " + version + " drawings keep no preview image block");

    const uint64_t address = get32(head + kPreviewAddressAt);
    if (address == 0) return answer(Acad::eNotApplicable, error, name + ": the drawing keeps no preview image");
    if (address >= file.size()) return answer(Acad::eFilerError, error, name + ": the preview image address lies outside the file");

    // The start sentinel at the address, or a little way on.
    uint64_t at = address;
    {
        std::vector<uint8_t> window(size_t(std::min<uint64_t>(kSentinelSearch + 16, file.size() - address)));
        if (!file.read(address, window.data(), window.size()))
            return answer(Acad::eFileAccessErr, error, name + ": read failed");
        size_t found = window.size();
        for (size_t i = 0; i + 16 <= window.size(); ++i)
            if (std::memcmp(window.data() + i, kStartSentinel, 16) == 0) {
                found = i;
                break;
            }
        if (found == window.size())
            return answer(Acad::eFilerError, error, name + ": no preview image block at the address the file gives");
        at = address + found;
    }
    PreviewBlock block;
    std::string why;
    const ByteReader read = [&file](uint64_t offset, void* buffer, size_t n) { return file.read(offset, buffer, n); };
    if (!parsePreviewBlock(read, file.size(), at, block, why)) return answer(Acad::eFilerError, error, name + ": " + why);

    for (uint8_t code : {kBmp, kPng}) {
        const PreviewEntry* e = block.find(code);
        if (!e || e->size == 0) continue;
        if (e->size > kMaxImageBytes) return answer(Acad::eFilerError, error, name + ": the preview image is implausibly large");
        std::vector<uint8_t> bytes(e->size);
        if (!file.read(e->address, bytes.data(), bytes.size())) return answer(Acad::eFileAccessErr, error, name + ": read failed");
        if (code == kBmp) {
            AcGiDibLayout layout;
            if (!acgiPackedDibLayout(bytes.data(), bytes.size(), layout)) {
                if (layout.width > 0 && layout.height > 0 && !acgiImageSizeAllowed(layout.width, layout.height))
                    return answer(Acad::eFilerError, error, name + ": the preview bitmap declares " + sizeText(layout.width, layout.height));
                return answer(Acad::eFilerError, error, name + ": the preview bitmap is damaged");
            }
            packedDib = std::move(bytes);
        } else if (int64_t w = 0, h = 0; pngSize(bytes, w, h) && w > 0 && h > 0 && !acgiImageSizeAllowed(w, h)) {
            return answer(Acad::eFilerError, error, name + ": the preview PNG image declares " + sizeText(w, h));
        } else if (!pngSize(bytes, w, h) || !dibFromPng(bytes, packedDib)) {
            return answer(Acad::eFilerError, error, name + ": the preview PNG image cannot be decoded");
        }
        if (error) error->clear();
        return Acad::eOk;
    }
    return answer(Acad::eNotApplicable, error, name + ": the drawing keeps no preview bitmap");
}
