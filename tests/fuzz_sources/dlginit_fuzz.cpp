// libFuzzer target for the reader of dialogs' initial control data.
//
// Build: tests/fuzz_sources/build.sh dlginit_fuzz
#include <cstddef>
#include <cstdint>
#include <vector>
#include "win/dlginit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<DlgInitEntry> entries;
    std::string error;
    cadhostReadDlgInit(data, size, entries, &error);
    std::size_t total = 0;
    for (const DlgInitEntry& e : entries) total += e.text.size();
    return total > size ? 1 : 0;
}
