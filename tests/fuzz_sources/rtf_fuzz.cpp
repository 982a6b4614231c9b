// libFuzzer target for the rich-text reader: any bytes as a rich-text document and as plain
// text; the reader must stay within its limits and its text must be UTF-8.
#include <glib.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include "win/rtfreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace cadhost::rtf;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Most inputs get the header, so that the fuzzer spends its time inside documents.
    const std::string document = size && data[0] == 'x' ? std::string(bytes) : "{\\rtf1 " + std::string(bytes);
    for (const Document& d : {readRtf(document), readPlainText(bytes)}) {
        if (d.paragraphs.size() > kMaxParagraphs) std::abort();
        size_t runs = 0;
        for (const Paragraph& p : d.paragraphs) {
            runs += p.runs.size() + p.marker.size();
            for (const Run& r : p.runs)
                if (!g_utf8_validate(r.text.data(), static_cast<gssize>(r.text.size()), nullptr)) std::abort();
        }
        if (runs > 2 * kMaxRuns) std::abort();
        const std::string text = d.plainText();
        if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) std::abort();
    }
    return 0;
}
