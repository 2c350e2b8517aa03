// bench_export_step.cpp — time of a whole STEP surface export (fit and write) of the default body, the default wing and a 256 x 256 wing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "engine/build_model.h"
#include "export/step_writer.h"

namespace {

using namespace korvel;

ModelState Build(bool wing, int32_t n) {
    BuildInputs in;
    in.ActWing = wing;
    in.nX = n;
    in.mYZ = n;
    ModelState m;
    ResetDimensions(m);
    NullCanvas canvas;
    std::string info;
    BuildModel(m, in, canvas, info);
    return m;
}

void ExportStep(benchmark::State& state, bool wing, int32_t n) {
    const ModelState m = Build(wing, n);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("korvel-bench-" + std::to_string(getpid()) + ".step")).string();
    const ExportClock clock = [] { return ClockReading{}; };
    for (auto _ : state) ExportStepSurfaces(m, path, clock);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::remove(path.c_str());
}

void BM_StepDefaultBody(benchmark::State& state) { ExportStep(state, false, 40); }
void BM_StepDefaultWing(benchmark::State& state) { ExportStep(state, true, 40); }
void BM_StepWing256(benchmark::State& state) { ExportStep(state, true, 256); }

BENCHMARK(BM_StepDefaultBody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepDefaultWing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepWing256)->Unit(benchmark::kMillisecond);

}  // namespace
