// LISP evaluation of growing values: a list nested one level deeper per step, and a long list
// built one cons at a time. Each step is one top-level form, as typed or queued by a module.
#include <benchmark/benchmark.h>

#include <string>

#include "ed/lisp.h"

namespace {

void runSteps(benchmark::State& state, const char* step) {
    const LispValue form = LispReader::read(step).forms.front();
    const auto steps = state.range(0);
    for (auto _ : state) {
        LispEvaluator ev;
        for (int64_t i = 0; i < steps; ++i) benchmark::DoNotOptimize(ev.eval(form).ok);
    }
    state.SetComplexityN(steps);
}

void LispNestListSteps(benchmark::State& state) { runSteps(state, "(setq a (list a))"); }
void LispConsListSteps(benchmark::State& state) { runSteps(state, "(setq l (cons 1 l))"); }

}  // namespace

BENCHMARK(LispNestListSteps)->RangeMultiplier(4)->Range(256, 16384)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(LispConsListSteps)->RangeMultiplier(4)->Range(256, 16384)->Complexity()->Unit(benchmark::kMillisecond);

namespace {

// Printing a list whose two items are the same list, 64 levels over: cut at LispValue::kMaxText.
void LispPrintSharedList(benchmark::State& state) {
    LispValue v = LispValue::string("leaf");
    for (int i = 0; i < 64; ++i) v = LispValue::list({v, v});
    for (auto _ : state) benchmark::DoNotOptimize(v.toString().size());
}

}  // namespace

BENCHMARK(LispPrintSharedList)->Unit(benchmark::kMillisecond);
