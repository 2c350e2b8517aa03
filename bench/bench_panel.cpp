// bench_panel.cpp — the 2D wind tunnel's rebuild: a new section at 160 and 632 panels, an angle-only move, and
// the elimination alone, blocked and as the plain triple loop (the reference a rebuild is measured against).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"
#include "engine/panel_solver.h"

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

// The system of a 632-panel section: 633 rows of two right-hand sides, padded like the solver's. Any
// diagonally dominant matrix costs the same to eliminate; the timings include copying it in.
void Elimination(benchmark::State& state, korvel::panel_detail::Elimination elimination) {
    const std::size_t n = static_cast<std::size_t>(state.range(0)) + 1;
    const std::size_t stride = (n + 2 + 7) / 8 * 8;
    std::vector<double> original(n * stride, 0.0), work(n * stride);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n + 2; ++j)
            original[i * stride + j] = i == j ? 2.0 * static_cast<double>(n) : 1.0 / static_cast<double>(1 + i + 2 * j);
    const auto width = korvel::panel_detail::WidestKernels();
    for (auto _ : state) {
        std::memcpy(work.data(), original.data(), work.size() * sizeof(double));
        korvel::panel_detail::EliminateRows(width, elimination, work.data(), n, stride);
        benchmark::DoNotOptimize(work.data());
    }
}
void TextbookElimination(benchmark::State& state) { Elimination(state, korvel::panel_detail::Elimination::Textbook); }
void BlockedElimination(benchmark::State& state) { Elimination(state, korvel::panel_detail::Elimination::Blocked); }
BENCHMARK(TextbookElimination)->Arg(632)->Unit(benchmark::kMillisecond);
BENCHMARK(BlockedElimination)->Arg(632)->Unit(benchmark::kMillisecond);

}  // namespace
