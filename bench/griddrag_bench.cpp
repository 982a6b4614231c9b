// One grip drag of a type-1 grip point whose child list holds N lines, with and without the
// private copy of the definition that the first drag makes.
#include <benchmark/benchmark.h>

#include <memory>

#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/line.h"
#include "db/symtab.h"
#include "db/undolog.h"
#include "rx/rxclass.h"

namespace {

void registerClasses() {
    static const bool done = [] {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTBlockReference::rxInit();
        ZEFTGripPoint::rxInit();
        acrxBuildClassHierarchy();
        return true;
    }();
    (void)done;
}

// A drawing holding a block whose first entity is a sideways grip point bound to N lines (the
// grip point is therefore the last one the engine reaches), and a reference showing the block
// itself, its grips enumerated.
struct DragScene {
    explicit DragScene(int lines) : db(true, true) {
        previous = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        AcDbBlockTable* table = nullptr;
        db.getBlockTable(table, AcDb::kForWrite);
        auto* block = new AcDbBlockTableRecord();
        block->setName("BENCH");
        AcDbObjectId blockId;
        table->add(blockId, block);
        table->close();

        auto* grip = new ZEFTGripPoint();
        grip->setGripType(1);
        grip->setLeftRight(1);
        block->appendAcDbEntity(grip);
        AcArray<int> first{0};
        for (int i = 0; i < lines; ++i) {
            auto* line = new AcDbLine(AcGePoint3d(0, i, 0), AcGePoint3d(10, i, 0));
            AcDbObjectId id;
            block->appendAcDbEntity(id, line);
            line->close();
            grip->appendChildEntity(id, 0);
            grip->setChildStretchPointIds(first, 0);
        }
        grip->close();
        block->close();

        auto* ref = new ZEFTBlockReference();
        ref->setBlockTableRecord(blockId);
        AcDbBlockTableRecord* space = nullptr;
        acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite);
        space->appendAcDbEntity(refId, ref);
        space->close();
        AcGePoint3dArray grips;
        AcDbIntArray modes, geomIds;
        ref->getGripPoints(grips, modes, geomIds);
        ref->close();
    }
    ~DragScene() { acdbHostApplicationServices()->setWorkingDatabase(previous); }
    DragScene(const DragScene&) = delete;
    DragScene& operator=(const DragScene&) = delete;

    void drag(double dx) {
        ZEFTBlockReference* ref = nullptr;
        if (acdbOpenObject(ref, refId, AcDb::kForWrite) != Acad::eOk) return;
        ref->moveGripPointsAt(AcDbIntArray{1}, AcGeVector3d(dx, 0, 0));
        ref->close();
    }

    AcDbDatabase db;
    AcDbDatabase* previous = nullptr;
    AcDbObjectId refId;
};

void GripDragFirstWithCopy(benchmark::State& state) {
    registerClasses();
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<DragScene>(lines);
        state.ResumeTiming();
        scene->drag(1.0);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(GripDragFirstWithCopy)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void GripDragCopied(benchmark::State& state) {
    registerClasses();
    const int lines = static_cast<int>(state.range(0));
    DragScene scene(lines);
    scene.drag(1.0);  // the private copy
    double dx = 1.0;
    for (auto _ : state) {
        scene.drag(dx);
        dx = -dx;
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(GripDragCopied)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The same drag as a grip-editing command whose changes are recorded for undo.
void GripDragCopiedRecorded(benchmark::State& state) {
    registerClasses();
    const int lines = static_cast<int>(state.range(0));
    DragScene scene(lines);
    scene.drag(1.0);
    double dx = 1.0;
    for (auto _ : state) {
        acdbHostBeginUndoGroup(&scene.db, "GRIPEDIT");
        scene.drag(dx);
        acdbHostEndUndoGroup();
        dx = -dx;
        state.PauseTiming();
        scene.db.undoLog()->clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(GripDragCopiedRecorded)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
