// bench_mesh.cpp — full 3D builds as a slider move runs them: default body and wing, a cut wing, the largest body,
// and the largest body replaced by the default one.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/build_model.h"

namespace korvel {
namespace {

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes on Linux
}

double ResidentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
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

// Timed: the default build after a 2000 x 2000 one, which lets the big model go and hands its memory back.
// Counters: the resident memory after the big build and after the small one.
void ShrinkFromBody2000(benchmark::State& state) {
    BuildInputs big;
    big.nX = big.mYZ = 2000;
    ModelState m;
    ResetDimensions(m);
    NullCanvas canvas;
    std::string info;
    double afterBig = 0.0, afterSmall = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildModel(m, big, canvas, info);
        afterBig = ResidentMegabytes();
        state.ResumeTiming();
        BuildModel(m, BuildInputs{}, canvas, info);
        state.PauseTiming();
        afterSmall = ResidentMegabytes();
        info.clear();
        state.ResumeTiming();
    }
    state.counters["rss_big_MB"] = afterBig;
    state.counters["rss_small_MB"] = afterSmall;
}

BENCHMARK(DefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK(DefaultWing)->Unit(benchmark::kMicrosecond);
BENCHMARK(Wing256CutMirrored)->Unit(benchmark::kMillisecond);
BENCHMARK(Body2000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ShrinkFromBody2000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace korvel
