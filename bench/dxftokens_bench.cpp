// Throughput of the DXF token layer on a generated ~10 MB stream of LINE entities.
#include "db/dxftokens.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace cadhost::dxf;

struct Line {
    std::uint64_t handle;
    double x1, y1, z1, x2, y2, z2;
    int color;
};

const std::vector<Line>& lines() {
    static const std::vector<Line> all = [] {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> coord(-1e4, 1e4);
        std::vector<Line> v;
        for (std::uint64_t h = 0x100; v.size() < 54000; ++h)
            v.push_back({h, coord(rng), coord(rng), 0.0, coord(rng), coord(rng), 0.0,
                         static_cast<int>(h % 256)});
        return v;
    }();
    return all;
}

void writeLines(TokenWriter& w) {
    w.write(0, "SECTION");
    w.write(2, "ENTITIES");
    for (const Line& l : lines()) {
        w.write(0, "LINE");
        w.writeHandle(5, l.handle);
        w.writeHandle(330, 0x1F);
        w.write(100, "AcDbEntity");
        w.write(8, "Walls and doors");
        w.writeInt(62, l.color);
        w.writeBool(290, l.color & 1);
        w.write(100, "AcDbLine");
        w.write(10, l.x1);
        w.write(20, l.y1);
        w.write(30, l.z1);
        w.write(11, l.x2);
        w.write(21, l.y2);
        w.write(31, l.z2);
    }
    w.write(0, "ENDSEC");
    w.write(0, "EOF");
}

const std::string& stream() {
    static const std::string s = [] {
        TokenWriter w;
        writeLines(w);
        return w.take();
    }();
    return s;
}

void BM_DxfTokenize(benchmark::State& state) {
    const std::string& data = stream();
    for (auto _ : state) {
        TokenReader r{std::string_view(data)};
        Token t;
        std::size_t n = 0;
        while (r.next(t)) n += t.value.size();
        benchmark::DoNotOptimize(n);
        if (r.failed()) state.SkipWithError(r.error().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_DxfTokenize);

// Tokenizing plus converting every value to its group code's type.
void BM_DxfTokenizeAndConvert(benchmark::State& state) {
    const std::string& data = stream();
    for (auto _ : state) {
        TokenReader r{std::string_view(data)};
        Token t;
        double sum = 0;
        std::uint64_t bits = 0;
        while (r.next(t)) {
            switch (t.kind()) {
            case ValueKind::Double: sum += t.toDouble().value_or(0); break;
            case ValueKind::Int16:
            case ValueKind::Int32: bits += static_cast<std::uint64_t>(t.toInt().value_or(0)); break;
            case ValueKind::Bool: bits += t.toBool().value_or(false); break;
            case ValueKind::Handle: bits ^= t.toHandle().value_or(0); break;
            default: bits += t.value.size(); break;
            }
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(bits);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_DxfTokenizeAndConvert);

void BM_DxfWrite(benchmark::State& state) {
    std::string out;
    out.reserve(stream().size());
    for (auto _ : state) {
        out.clear();
        TokenWriter w(out);
        writeLines(w);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream().size()));
}
BENCHMARK(BM_DxfWrite);

}  // namespace
