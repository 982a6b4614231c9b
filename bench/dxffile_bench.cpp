// DXF file write and read of a generated drawing of 100,000 entities (lines, circles, arcs,
// texts, lightweight polylines). Reports bytes/s and items/s; the read case also
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
#include <random>
#include <string>
#include "db/arc.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/text.h"

namespace {

constexpr int kEntities = 100000;

std::string benchFile() { return "/tmp/cadhost_dxffile_bench_" + std::to_string(getpid()) + ".dxf"; }

AcDbEntity* makePolyline(std::mt19937_64& rng, std::uniform_real_distribution<double>& c) {
    auto* pline = new AcDbPolyline;
    double x = c(rng), y = c(rng);
    for (unsigned i = 0; i < 6; ++i) pline->addVertexAt(i, AcGePoint2d(x + i * 3.5, y + (i % 2) * 2.25), i == 2 ? 0.4 : 0.0);
    return pline;
}

std::unique_ptr<AcDbDatabase> makeDrawing() {
    auto db = std::make_unique<AcDbDatabase>(true, true);
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return db;
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> c(-1e4, 1e4);
    for (int i = 0; i < kEntities; ++i) {
        AcDbEntity* e = nullptr;
        switch (i % 5) {
        case 0: e = new AcDbLine(AcGePoint3d(c(rng), c(rng), 0), AcGePoint3d(c(rng), c(rng), 0)); break;
        case 1: e = new AcDbCircle(AcGePoint3d(c(rng), c(rng), 0), AcGeVector3d::kZAxis, 1 + std::abs(c(rng)) / 100); break;
        case 2: e = new AcDbArc(AcGePoint3d(c(rng), c(rng), 0), 5.5, 0.3, 2.9); break;
        case 3: e = new AcDbText(AcGePoint3d(c(rng), c(rng), 0), "Room 101 north wing", AcDbObjectId::kNull, 2.5, 0.0); break;
        case 4: e = makePolyline(rng, c); break;
        }
        e->setDatabaseDefaults(db.get());
        if (ms->appendAcDbEntity(e) == Acad::eOk)
            e->close();
        else
            delete e;
    }
    ms->close();
    return db;
}

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

void DxfWrite100k(benchmark::State& state) {
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
BENCHMARK(DxfWrite100k)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void DxfRead100k(benchmark::State& state) {
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
BENCHMARK(DxfRead100k)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
