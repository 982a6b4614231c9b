// Deep clone of N lines of model space into a new block definition.
#include <benchmark/benchmark.h>

#include "db/database.h"
#include "db/idmapping.h"
#include "linescene.h"

namespace {

void DeepCloneLines(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    AcDbDatabase db(true, true);
    AcDbObjectIdArray ids;
    for (const AcDbObjectId& id : appendLines(db, lines)) ids.append(id);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AcDbBlockTable* table = nullptr;
        db.getBlockTable(table, AcDb::kForWrite);
        auto* block = new AcDbBlockTableRecord;
        block->setName(("COPY" + std::to_string(++n)).c_str());
        AcDbObjectId blockId;
        table->add(blockId, block);
        block->close();
        table->close();
        state.ResumeTiming();
        AcDbIdMapping map;
        AcDbObjectIdArray source = ids;
        db.deepCloneObjects(source, blockId, map);
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(DeepCloneLines)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
