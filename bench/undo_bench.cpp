// Undo recording and restoring: N lines changed by one command, then undone and redone.
#include <benchmark/benchmark.h>

#include <vector>

#include "db/database.h"
#include "linescene.h"
#include "db/undolog.h"

namespace {

struct LineScene {
    explicit LineScene(int lines) : db(true, true), ids(appendLines(db, lines)) {
        acdbHostBeginUndoGroup(&db, "SETUP");  // the drawing keeps undo from here on
        acdbHostEndUndoGroup();
    }
    void move(double dx) {
        const AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(dx, 0, 0));
        for (const AcDbObjectId& id : ids) {
            AcDbEntity* entity = nullptr;
            if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) continue;
            entity->transformBy(m);
            entity->close();
        }
    }
    AcDbDatabase db;
    std::vector<AcDbObjectId> ids;
};

// A MOVE of N lines outside any command (arg 1 = 0) and as a recorded command (1).
void UndoRecordedMove(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const bool recorded = state.range(1) != 0;
    LineScene scene(lines);
    double dx = 1.0;
    for (auto _ : state) {
        if (recorded) acdbHostBeginUndoGroup(&scene.db, "MOVE");
        scene.move(dx);
        if (recorded) acdbHostEndUndoGroup();
        dx = -dx;
        state.PauseTiming();
        scene.db.undoLog()->clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(UndoRecordedMove)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

// U and REDO of a MOVE of N lines, one pair per iteration.
void UndoAndRedoMove(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    LineScene scene(lines);
    acdbHostBeginUndoGroup(&scene.db, "MOVE");
    scene.move(1.0);
    acdbHostEndUndoGroup();
    for (auto _ : state) {
        scene.db.undoLog()->undo(1);
        scene.db.undoLog()->redo();
    }
    state.SetItemsProcessed(state.iterations() * lines * 2);
}
BENCHMARK(UndoAndRedoMove)->Arg(10000)->Unit(benchmark::kMillisecond);

void UndoSmoke(benchmark::State& state) {
    LineScene scene(10);
    for (auto _ : state) {
        acdbHostBeginUndoGroup(&scene.db, "MOVE");
        scene.move(1.0);
        acdbHostEndUndoGroup();
        scene.db.undoLog()->undo(1);
    }
}
BENCHMARK(UndoSmoke);

}  // namespace
