// libFuzzer target for the drawing list's preview reader: the input is the drawing file.
//
// Build: tests/fuzz_sources/build.sh previewimage_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "browser/PreviewImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file) return 0;
    PreviewDib dib;
    if (readPreviewDib(file, dib) == PreviewRead::kRead && !dib.bytes.empty() && dib.bitsOffset > dib.bytes.size())
        __builtin_trap();
    std::fclose(file);
    return 0;
}
