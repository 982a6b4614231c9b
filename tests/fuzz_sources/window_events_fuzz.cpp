// libFuzzer target for the window-event language: each line of the input is parsed as an event
// and told from command lines; a line that parses is always taken for a window line.
//
// Build: tests/fuzz_sources/build.sh window_events_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
        const std::string line = text.substr(start, end - start);
        if (cadhostParseWindowEvent(line, command, error) && !cadhostIsWindowEventLine(line)) std::abort();
        start = end + 1;
    }
    return 0;
}
