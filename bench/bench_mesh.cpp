// bench_mesh.cpp — full 3D builds as a slider move runs them: default body and wing, a cut wing, the largest body.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "engine/build_model.h"

namespace korvel {
namespace {

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes on Linux
}

void RunBuilds(benchmark::State& state, const BuildInputs& in) {
    ModelState m;
    ResetDimensions(m);
    NullCanvas canvas;
    std::string info;
    for (auto _ : state) {
        BuildModel(m, in, canvas, info);
        benchmark::DoNotOptimize(m.Volume);
        info.clear();
    }
    state.counters["triangles"] = m.TriangleLast + 1;
    state.counters["peak_MB"] = PeakMegabytes();
}

void DefaultBody(benchmark::State& state) { RunBuilds(state, BuildInputs{}); }

void DefaultWing(benchmark::State& state) {
    BuildInputs in;
    in.ActWing = true;
    RunBuilds(state, in);
}

void Wing256CutMirrored(benchmark::State& state) {
    BuildInputs in;
    in.ActWing = true;
    in.nX = in.mYZ = 256;
    in.fY = 4.0;
    in.ActCutSec = true;
    in.csX = 0.5;
    in.csY = 0.3;
    in.csZ = 0.6;
    in.tY = 2;
    in.ActMirror = true;
    RunBuilds(state, in);
}

void Body2000(benchmark::State& state) {
    BuildInputs in;
    in.nX = in.mYZ = 2000;
    RunBuilds(state, in);
}

BENCHMARK(DefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK(DefaultWing)->Unit(benchmark::kMicrosecond);
BENCHMARK(Wing256CutMirrored)->Unit(benchmark::kMillisecond);
BENCHMARK(Body2000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace korvel
