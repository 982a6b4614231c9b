// One frame of the browser's preview control: the model space of a drawing file of 100,000 lines
// and circles, loaded by the control and painted in flat shading with edges (its render mode) at
// 400 x 300 pixels after an orbit step, as a drag paints it.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <filesystem>
#include "gsscene.h"
#include "preview/GsPreviewCtrl.h"
#include "win/winuser.h"

namespace {

std::string writeDrawing(int entities) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("cadhost-preview-bench-" + std::to_string(::getpid()) + ".dwg")).string();
    AcDbDatabase db(true, true);
    fillGsScene(db, entities);
    db.saveAs(path.c_str());
    return path;
}

struct PreviewScene {
    explicit PreviewScene(int entities) : file(writeDrawing(entities)) {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "PreviewBench";
        RegisterClass(&wc);
        parent = CreateWindowEx(0, "PreviewBench", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        control.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), CWnd::FromHandle(parent), 1100);
        control.LoadDrawing(file.c_str());
    }
    ~PreviewScene() {
        control.DestroyWindow();
        DestroyWindow(parent);
        std::filesystem::remove(file);
    }
    std::string file;
    HWND parent = nullptr;
    CGsPreviewCtrl control;
};

void PreviewFrame(benchmark::State& state) {
    PreviewScene scene(static_cast<int>(state.range(0)));
    if (!scene.control.view()) {
        state.SkipWithError("the drawing did not load");
        return;
    }
    for (auto _ : state) {
        scene.control.view()->orbit(0.01, 0.005);
        scene.control.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    state.counters["frames"] = scene.control.device()->frameCount();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PreviewFrame)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
