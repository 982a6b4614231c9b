// One frame of the graphics system: 100,000 lines and circles of model space drawn by a view
// in flat shading with edges at 400 x 300 pixels, the camera turned before each frame; and the
// same with the model recorded again for each frame.
#include <benchmark/benchmark.h>

#include "gsscene.h"
#include "gs/gs.h"
#include "win/winuser.h"

namespace {

struct GsScene {
    explicit GsScene(int entities) : db(true, true) {
        fillGsScene(db, entities);
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc{};
            wc.lpfnWndProc = DefWindowProc;
            wc.lpszClassName = "GsBench";
            registered = RegisterClass(&wc) != 0;
        }
        window = CreateWindowEx(0, "GsBench", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        manager = acgsGetGsManager();
        device = manager->createAutoCADDevice(window);
        view = manager->getGSClassFactory()->createView();
        model = manager->createAutoCADModel();
        device->add(view);
        view->setView(AcGePoint3d(500, 312, 100), AcGePoint3d(500, 312, 0), AcGeVector3d(0, 1, 0), 1000, 625);
        view->setMode(AcGsView::kFlatShadedWithWireframe);
        AcDbBlockTableRecord* record = nullptr;
        if (acdbOpenObject(record, db.modelSpaceId(), AcDb::kForRead) == Acad::eOk) {
            view->add(record, model);
            record->close();
        }
        view->update();
    }
    ~GsScene() {
        view->eraseAll();
        device->erase(view);
        manager->getGSClassFactory()->deleteView(view);
        manager->destroyAutoCADModel(model);
        manager->destroyAutoCADDevice(device);
        DestroyWindow(window);
    }
    AcDbDatabase db;
    HWND window = nullptr;
    AcGsManager* manager = nullptr;
    AcGsDevice* device = nullptr;
    AcGsView* view = nullptr;
    AcGsModel* model = nullptr;
};

void GsFrame(benchmark::State& state) {
    GsScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        scene.view->orbit(0.01, 0.005);
        scene.view->update();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(GsFrame)->Arg(100000)->Unit(benchmark::kMillisecond);

void GsFrameRecorded(benchmark::State& state) {
    GsScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        scene.model->invalidate(AcGsModel::kInvalidateAll);
        scene.view->update();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(GsFrameRecorded)->Arg(100000)->Unit(benchmark::kMillisecond);

void GsFrameSmoke(benchmark::State& state) {
    GsScene scene(200);
    for (auto _ : state) {
        scene.view->orbit(0.01, 0.0);
        scene.view->update();
    }
}
BENCHMARK(GsFrameSmoke);

}  // namespace
