// bench_panel.cpp — the 2D wind tunnel's rebuild: a new section at 160 and 632 panels, and an angle-only move.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"

namespace {

korvel::BuildInputs TunnelInputs(int panels) {
    korvel::BuildInputs in;
    in.Act3D = false;
    in.ActCutSec = false;
    in.ActTunnel = true;
    in.nX = panels;
    in.CanvasWidth = 800;
    in.CanvasHeight = 500;
    in.y0 = 0.05;
    in.AngleOfAttack = 4.0;
    return in;
}

// Every iteration is a section the solver has not seen: the kept solutions are dropped first.
void FullRebuild(benchmark::State& state) {
    const korvel::BuildInputs in = TunnelInputs(static_cast<int>(state.range(0)));
    korvel::ModelState m;
    korvel::NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
    for (auto _ : state) {
        m.SolverCache.Clear();
        std::string info;
        korvel::BuildModel(m, in, canvas, info);
        benchmark::DoNotOptimize(info.data());
    }
}
BENCHMARK(FullRebuild)->Arg(160)->Arg(632)->Unit(benchmark::kMillisecond);

// The angle-of-attack slider moving over one section: the factored system is reused.
void AngleOnly(benchmark::State& state) {
    korvel::BuildInputs in = TunnelInputs(static_cast<int>(state.range(0)));
    korvel::ModelState m;
    korvel::NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
    std::string warm;
    korvel::BuildModel(m, in, canvas, warm);
    int step = 0;
    for (auto _ : state) {
        in.AngleOfAttack = (++step % 2 == 0) ? 4.0 : 5.0;
        std::string info;
        korvel::BuildModel(m, in, canvas, info);
        benchmark::DoNotOptimize(info.data());
    }
}
BENCHMARK(AngleOnly)->Arg(632)->Unit(benchmark::kMillisecond);

}  // namespace
