// Deep clone of N lines of model space into a new block definition.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "db/database.h"
#include "db/idmapping.h"
#include "linescene.h"

namespace {

// Each pass clones into a fresh drawing, so that the drawing does not grow from pass to pass.
void DeepCloneLines(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>(true, true);
        AcDbObjectIdArray source;
        for (const AcDbObjectId& id : appendLines(*db, lines)) source.append(id);
        AcDbBlockTable* table = nullptr;
        db->getBlockTable(table, AcDb::kForWrite);
        auto* block = new AcDbBlockTableRecord;
        block->setName("COPY");
        AcDbObjectId blockId;
        table->add(blockId, block);
        block->close();
        table->close();
        state.ResumeTiming();
        AcDbIdMapping map;
        db->deepCloneObjects(source, blockId, map);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(DeepCloneLines)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A drawing of N lines inserted as a block definition.
void InsertDrawing(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    AcDbDatabase source(true, true);
    appendLines(source, lines);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>(true, true);
        state.ResumeTiming();
        AcDbObjectId blockId;
        db->insert(blockId, ("D" + std::to_string(++n)).c_str(), &source);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(InsertDrawing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The whole drawing of N lines written out to a new database.
void WblockDrawing(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    AcDbDatabase source(true, true);
    appendLines(source, lines);
    for (auto _ : state) {
        AcDbDatabase* out = nullptr;
        source.wblock(out);
        state.PauseTiming();
        delete out;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(WblockDrawing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
