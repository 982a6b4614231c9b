// PNG and SVG export of the generated drawing of 160,000 entities (bigdrawing.h), fitted to
// the extents. Reports the file size and the growth of the peak resident memory of the
// process over the first export (a later run of the same case adds nothing to it).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include "bigdrawing.h"
#include "gi/renderer.h"

namespace {

constexpr int kEntities = 160000;

AcDbDatabase* drawing() {
    static const std::unique_ptr<AcDbDatabase> db = benchdrawing::makeDrawing(kEntities);
    return db.get();
}

long peakKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void exportCase(benchmark::State& state, bool svg) {
    AcDbDatabase* db = drawing();
    const std::string path = "/tmp/cadhost_export_bench_" + std::to_string(getpid()) + (svg ? ".svg" : ".png");
    AcGiRenderOptions options;
    options.width = 1600;
    options.height = 1200;
    AcGiRenderer renderer(options);
    const long before = peakKb();
    for (auto _ : state) {
        const Acad::ErrorStatus es = svg ? renderer.renderToSvg(db, path.c_str()) : renderer.renderToPng(db, path.c_str());
        if (es != Acad::eOk) state.SkipWithError(renderer.lastError().c_str());
    }
    state.SetItemsProcessed(static_cast<int64_t>(kEntities) * state.iterations());
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["peak_growth_MB"] = (peakKb() - before) / 1024.0;
    std::remove(path.c_str());
}

void ExportPng(benchmark::State& state) { exportCase(state, false); }
void ExportSvg(benchmark::State& state) { exportCase(state, true); }
BENCHMARK(ExportSvg)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(ExportPng)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
