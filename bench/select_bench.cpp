// Object selection of N lines ("ALL", a window, a crossing window around all of them), and the
// MOVE, ROTATE and ERASE commands that select all of them, run through the command line.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "db/undolog.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/input.h"
#include "ed/pick.h"
#include "linescene.h"

namespace {

// A new document of N lines (0,i)-(10,i), the command line reading the given text, its output
// dropped.
struct CommandScene {
    explicit CommandScene(int lines) {
        acDocManager->closeAllDocuments();
        line().reset();
        line().setOutput([](const std::string&) {});
        line().setInput(&input);
        db = acDocManager->newDocument()->database();
        appendLines(*db, lines);
    }
    ~CommandScene() {
        acDocManager->closeAllDocuments();
        line().setInput(nullptr);
        line().setOutput(nullptr);
        line().reset();
    }
    static AcEdCommandLine& line() { return AcEdCommandLine::instance(); }
    int script(const std::string& text) {
        input.push(text);
        return line().run(true);
    }
    AcEdLineSource input;
    AcDbDatabase* db = nullptr;
};

// How the objects are selected: 0 "ALL", 1 a window around all, 2 a crossing window around all.
std::string selectAnswer(int how, int lines) {
    const std::string corners = "-1,-1\n11," + std::to_string(lines) + "\n";
    switch (how) {
        case 1: return "W\n" + corners;
        case 2: return "C\n" + corners;
        default: return "ALL\n";
    }
}

// acedHostSelectObjects alone; args: lines, how (see selectAnswer).
void SelectObjects(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    CommandScene scene(lines);
    const std::string answer = selectAnswer(static_cast<int>(state.range(1)), lines) + "\n";
    for (auto _ : state) {
        scene.input.push(answer);
        AcDbObjectIdArray ids;
        if (acedHostSelectObjects(nullptr, ids) != RTNORM || ids.length() != lines) {
            state.SkipWithError("selection failed");
            break;
        }
        benchmark::DoNotOptimize(ids.length());
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(SelectObjects)
    ->ArgsProduct({{50000, 100000, 200000}, {0, 1, 2}})
    ->ArgNames({"lines", "how"})
    ->Unit(benchmark::kMillisecond);

// MOVE (0) or ROTATE (1) of all N lines selected by "ALL", back and forth.
void MoveAll(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const bool rotate = state.range(1) != 0;
    CommandScene scene(lines);
    bool forth = true;
    for (auto _ : state) {
        const std::string text = rotate ? std::string("ROTATE ALL\n\n0,0 ") + (forth ? "90" : "-90") + "\n"
                                        : std::string("MOVE ALL\n\n0,0 ") + (forth ? "5,0" : "-5,0") + "\n";
        if (scene.script(text) != 0) {
            state.SkipWithError("command failed");
            break;
        }
        forth = !forth;
        state.PauseTiming();
        scene.db->undoLog()->clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(MoveAll)->Args({200000, 0})->Args({200000, 1})->ArgNames({"lines", "rotate"})->Unit(benchmark::kMillisecond);

// ERASE of all N lines selected by "ALL"; each iteration erases a new drawing.
void EraseAll(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<CommandScene>(lines);
        state.ResumeTiming();
        if (scene->script("ERASE ALL\n\n") != 0) {
            state.SkipWithError("command failed");
            break;
        }
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(EraseAll)->Arg(200000)->ArgName("lines")->Unit(benchmark::kMillisecond);

void SelectSmoke(benchmark::State& state) {
    CommandScene scene(10);
    for (auto _ : state) {
        if (scene.script("MOVE ALL\n\n0,0 1,0\n") != 0) state.SkipWithError("command failed");
    }
}
BENCHMARK(SelectSmoke);

}  // namespace
