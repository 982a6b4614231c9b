#include <benchmark/benchmark.h>

// A trivial case that the test run uses to check the benchmark program starts.
static void Smoke(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
}
BENCHMARK(Smoke);

BENCHMARK_MAIN();
