// The display of a document: a whole regen against a display update after one changed line,
// and a transaction that changes every line and is aborted.
#include <benchmark/benchmark.h>

#include <vector>

#include "db/database.h"
#include "ed/display.h"
#include "ed/docman.h"
#include "ed/transactions.h"
#include "linescene.h"

namespace {

struct DisplayScene {
    explicit DisplayScene(int lines) {
        acDocManager->closeAllDocuments();
        doc = acDocManager->newDocument();
        ids = appendLines(*doc->database(), lines);
        doc->display().regen();
    }
    ~DisplayScene() { acDocManager->closeAllDocuments(); }
    void stretch(AcDbObjectId id, double x) {
        AcDbLine* line = nullptr;
        if (acdbOpenObject(line, id, AcDb::kForWrite) != Acad::eOk) return;
        line->setEndPoint(AcGePoint3d(x, line->endPoint().y, 0));
        line->close();
    }
    AcApDocument* doc = nullptr;
    std::vector<AcDbObjectId> ids;
};

void DisplayRegen(benchmark::State& state) {
    DisplayScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(acedRegen());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DisplayRegen)->Arg(10000)->Unit(benchmark::kMillisecond);

void DisplayUpdateOneLine(benchmark::State& state) {
    DisplayScene scene(static_cast<int>(state.range(0)));
    double x = 10;
    for (auto _ : state) {
        scene.stretch(scene.ids[scene.ids.size() / 2], x += 1);
        acedUpdateDisplay();
    }
}
BENCHMARK(DisplayUpdateOneLine)->Arg(10000)->Unit(benchmark::kMicrosecond);

void TransactionAbort(benchmark::State& state) {
    DisplayScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        actrTransactionManager->startTransaction();
        for (const AcDbObjectId& id : scene.ids) {
            AcDbObject* object = nullptr;
            if (actrTransactionManager->getObject(object, id, AcDb::kForWrite) == Acad::eOk)
                AcDbLine::cast(object)->setEndPoint(AcGePoint3d(20, 0, 0));
        }
        actrTransactionManager->abortTransaction();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(TransactionAbort)->Arg(10000)->Unit(benchmark::kMillisecond);

void DisplaySmoke(benchmark::State& state) {
    DisplayScene scene(10);
    double x = 10;
    for (auto _ : state) {
        scene.stretch(scene.ids[0], x += 1);
        acedUpdateDisplay();
        benchmark::DoNotOptimize(acedRegen());
    }
}
BENCHMARK(DisplaySmoke);

}  // namespace
