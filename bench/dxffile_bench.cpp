// DXF file write and read of a generated drawing of 160,000 entities (bigdrawing.h), about
// 40 MB of DXF. Reports bytes/s and items/s; the read case also
// reports the peak resident memory of a read done in a child process, as a multiple of the
// file size.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include "bigdrawing.h"

namespace {

constexpr int kEntities = 160000;  // about 40 MB of DXF

std::string benchFile() { return "/tmp/cadhost_dxffile_bench_" + std::to_string(getpid()) + ".dxf"; }

std::unique_ptr<AcDbDatabase> makeDrawing() { return benchdrawing::makeDrawing(kEntities); }

const std::string& fileOnDisk() {
    static const std::string path = [] {
        std::string p = benchFile();
        makeDrawing()->dxfOut(p.c_str());
        std::atexit([] { std::remove(benchFile().c_str()); });
        return p;
    }();
    return path;
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Peak memory of a read, measured in a new process (this program run again) so that memory
// this one holds or has freed does not count: the growth of VmHWM over the resident size
// before the read, as a multiple of the file size.
const bool g_peakChild = [] {
    const char* path = std::getenv("CADHOST_DXF_PEAK_READ");
    if (!path) return false;
    long before = statusKb("VmRSS:");
    {
        AcDbDatabase db(false, true);
        if (db.readDxfFile(path) != Acad::eOk) _exit(2);
        std::printf("%ld %ld\n", statusKb("VmHWM:") - before, statusKb("VmHWM:"));
        std::fflush(stdout);
    }
    _exit(0);
}();

double readPeakMultiple(const std::string& path, double& absoluteMB) {
    (void)g_peakChild;
    std::string command = "CADHOST_DXF_PEAK_READ='" + path + "' /proc/" + std::to_string(getpid()) + "/exe";
    absoluteMB = -1;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    long growth = -1, peak = -1;
    if (std::fscanf(p, "%ld %ld", &growth, &peak) != 2) growth = -1;
    pclose(p);
    absoluteMB = peak / 1024.0;
    return growth * 1024.0 / static_cast<double>(std::filesystem::file_size(path));
}

void DxfWrite(benchmark::State& state) {
    auto db = makeDrawing();
    std::string path = benchFile() + ".w";
    for (auto _ : state) {
        if (db->dxfOut(path.c_str()) != Acad::eOk) state.SkipWithError(db->lastError().c_str());
    }
    auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(bytes * state.iterations());
    state.SetItemsProcessed(static_cast<int64_t>(kEntities) * state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    std::remove(path.c_str());
}
BENCHMARK(DxfWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void DxfRead(benchmark::State& state) {
    const std::string& path = fileOnDisk();
    for (auto _ : state) {
        AcDbDatabase db(false, true);
        if (db.readDxfFile(path.c_str()) != Acad::eOk) state.SkipWithError(db.lastError().c_str());
    }
    auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(bytes * state.iterations());
    state.SetItemsProcessed(static_cast<int64_t>(kEntities) * state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    double peakMB = 0;
    state.counters["peak_x_file"] = readPeakMultiple(path, peakMB);
    state.counters["peak_MB"] = peakMB;
}
BENCHMARK(DxfRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
