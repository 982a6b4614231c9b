// libFuzzer target for icon images: the decoder of DIB and PNG images, and loading one through a
// module's group directory at a size, drawing it and destroying it.
//
// Input: bytes 0 and 1 are the asked width and height (0: the image's own), the rest one icon
// image; a directory with one entry of that image is made around it.
#include <cairo.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "win/icons.h"
#include "win/resourceimage.h"
#include "win/wingdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    using namespace cadhost::res;
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    cadhostDecodeIconImage(data + 2, size - 2, pixels, w, h);

    ResourceEntry image{{false, kTypeIcon, {}}, {false, 1, {}}, 0, std::vector<unsigned char>(data + 2, data + size)};
    std::vector<unsigned char> group{0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 1, 0};
    ResourceEntry directory{{false, kTypeGroupIcon, {}}, {false, 1, {}}, 0, group};
    const std::vector<unsigned char> module = writeResourceImage({image, directory});
    HINSTANCE const instance = reinterpret_cast<HINSTANCE>(0x7700);
    if (!cadhostRegisterModuleResources(instance, module.data(), module.size())) return 0;
    HICON icon = static_cast<HICON>(LoadImage(instance, MAKEINTRESOURCE(1), IMAGE_ICON, data[0], data[1], 0));
    if (icon) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
        HDC dc = cadhostCreateSurfaceDC(surface, nullptr, 0, 0);
        DrawIconEx(dc, 3, 3, icon, 0, 0, 0, nullptr, DI_NORMAL);
        DrawIconEx(dc, -5, 7, icon, 40, 9, 0, nullptr, DI_MASK);
        DeleteDC(dc);
        cairo_surface_destroy(surface);
        DestroyIcon(icon);
    }
    cadhostUnregisterModuleResources(instance);
    return 0;
}
