// Reading a rich-text document of N formatted paragraphs.
#include <benchmark/benchmark.h>

#include <string>

#include "win/rtfreader.h"

namespace {

std::string document(int paragraphs) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}{\\colortbl;\\red0\\green64\\blue160;}\\fs20 ";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt}\\fi-360\\li720 Paragraph " + std::to_string(i) +
               " with \\b bold\\b0 , \\cf1 coloured\\cf0  and caf\\'e9 \\u8364? text.\\par ";
    return rtf + "}";
}

void ReadRtf(benchmark::State& state) {
    const std::string rtf = document(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(cadhost::rtf::readRtf(rtf));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rtf.size()));
}
BENCHMARK(ReadRtf)->Arg(100)->Arg(10000);

}  // namespace
