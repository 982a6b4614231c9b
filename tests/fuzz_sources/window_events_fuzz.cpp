// libFuzzer target for the window-event language: each line of the input is parsed as an event.
//
// Build: tests/fuzz_sources/build.sh window_events_fuzz
#include <cstddef>
#include <cstdint>
#include <string>
#include "win/windowscript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        WindowEventCommand command;
        std::string error;
        cadhostParseWindowEvent(text.substr(start, end - start), command, error);
        start = end + 1;
    }
    return 0;
}
