// bench_section.cpp — time of one 2D build of the default section and of a finely divided one.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"

namespace {

void Build2D(benchmark::State& state, int32_t nX) {
    korvel::BuildInputs in;
    in.Act3D = false;
    in.ActTunnel = false;
    in.nX = nX;
    in.CanvasWidth = 800;
    in.CanvasHeight = 600;
    korvel::NullCanvas canvas(800, 600);
    korvel::ModelState m;
    std::string info;
    for (auto _ : state) {
        info.clear();
        korvel::BuildModel(m, in, canvas, info);
        benchmark::DoNotOptimize(m.SectionY.data());
    }
}

void BM_DefaultSection2D(benchmark::State& state) { Build2D(state, 40); }
void BM_Section2D_5000Panels(benchmark::State& state) { Build2D(state, 5000); }

}  // namespace

BENCHMARK(BM_DefaultSection2D)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Section2D_5000Panels)->Unit(benchmark::kMicrosecond);
