// bench_export_mesh.cpp — STL and IGES export of the default body and wing and of a 2000 x 2000 body.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "export/iges_writer.h"
#include "export/stl_writer.h"

namespace {

using korvel::BuildInputs;
using korvel::ModelState;

enum class Shape { Body, Wing, BigBody };

BuildInputs Inputs(Shape shape) {
    BuildInputs in;
    in.ActWing = shape == Shape::Wing;
    if (shape == Shape::BigBody) {
        in.nX = 2000;
        in.mYZ = 2000;
    }
    return in;
}

// One built model per shape, kept for the whole run: the benchmarks time the writers, not the build.
const ModelState& Model(Shape shape) {
    static std::unique_ptr<ModelState> models[3];
    std::unique_ptr<ModelState>& slot = models[static_cast<int>(shape)];
    if (!slot) {
        slot = std::make_unique<ModelState>();
        korvel::NullCanvas canvas;
        std::string info;
        korvel::BuildModel(*slot, Inputs(shape), canvas, info);
    }
    return *slot;
}

std::string Target(const char* extension) {
    return (std::filesystem::temp_directory_path() /
            ("korvel-bench-" + std::to_string(::getpid()) + extension)).string();
}

void BM_Stl(benchmark::State& state) {
    const ModelState& m = Model(static_cast<Shape>(state.range(0)));
    const std::string file = Target(".stl");
    for (auto _ : state) korvel::ExportStl(m, file, 0);
    state.counters["triangles"] = static_cast<double>(m.Triangles.size());
    std::filesystem::remove(file);
}

void BM_IgesSurfaces(benchmark::State& state) {
    const ModelState& m = Model(static_cast<Shape>(state.range(0)));
    const korvel::ExportOptions options;
    const std::string file = Target(".igs");
    for (auto _ : state) korvel::ExportIgesSurfaces(m, options, file);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}

// range(0): 0 default body, 1 default wing, 2 the 2000 x 2000 body.
BENCHMARK(BM_Stl)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Stl)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_IgesSurfaces)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_IgesSurfaces)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
