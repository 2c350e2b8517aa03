// bench_grid.cpp — the cost of the 3D grid paths: default body and wing, and a 2000 x 2000 body.
#include <benchmark/benchmark.h>

#include "engine/build_model.h"
#include "engine/build_paths.h"

namespace korvel {
namespace {

void RunPath(benchmark::State& state, const BuildInputs& in) {
    ModelState m;
    for (auto _ : state) {
        BuildInputs v = in;
        m.SetGridM(RoundCountUp(v.mYZ, 4));
        m.SetGridN(RoundCountUp(v.nX, 8));
        benchmark::DoNotOptimize(v.ActWing ? BuildWingModel(m, v) : BuildBodyModel(m, v));
        benchmark::ClobberMemory();
    }
}

void BM_DefaultBody(benchmark::State& state) { RunPath(state, BuildInputs{}); }

void BM_DefaultWing(benchmark::State& state) {
    BuildInputs v;
    v.ActWing = true;
    RunPath(state, v);
}

void BM_Body2000(benchmark::State& state) {
    BuildInputs v;
    v.nX = v.mYZ = 2000;
    RunPath(state, v);
}

// The same body bent by modeller set 1: the modifier's share of a large build.
void BM_Body2000Bent(benchmark::State& state) {
    BuildInputs v;
    v.nX = v.mYZ = 2000;
    v.tx3 = 1.0;
    v.tz3 = 0.3;
    v.kt3 = 30.0;
    RunPath(state, v);
}

BENCHMARK(BM_DefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultWing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Body2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Body2000Bent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel
