// bench_tangents.cpp — the tangent tables of the default body and wing and of a 2000 x 2000 body, and the section picture.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/section_drawing.h"
#include "engine/tangents.h"

namespace {

using korvel::BuildInputs;
using korvel::ModelState;

enum class Shape { Body, Wing, BigBody, RoundWing };

BuildInputs Inputs(Shape shape) {
    BuildInputs in;
    in.ActWing = shape == Shape::Wing || shape == Shape::RoundWing;
    if (shape == Shape::BigBody) in.nX = in.mYZ = 2000;
    if (shape == Shape::RoundWing) {
        in.Tea = 180.0;  // rounded trailing edge and tips: every table is filled
        in.wt = 1.0;
    }
    return in;
}

// One built model per shape, kept for the run: the benchmarks time the tangent step, not the build.
ModelState& Model(Shape shape) {
    static std::unique_ptr<ModelState> models[4];
    std::unique_ptr<ModelState>& slot = models[static_cast<int>(shape)];
    if (!slot) {
        slot = std::make_unique<ModelState>();
        korvel::ResetDimensions(*slot);
        korvel::NullCanvas canvas;
        std::string info;
        korvel::BuildModel(*slot, Inputs(shape), canvas, info);
    }
    return *slot;
}

void SurfaceTangents(benchmark::State& state, Shape shape) {
    ModelState& m = Model(shape);
    const BuildInputs in = Inputs(shape);
    const double fUT = in.Tea < 180.0 ? 0.0 : in.UpperRoundedTrailingEdge;
    const double fLT = in.Tea < 180.0 ? 0.0 : in.LowerRoundedTrailingEdge;
    for (auto _ : state) {
        korvel::ComputeSurfaceTangents(m, in.ActWing, 0, in.tx3, in.tz3, in.wt, in.UpperLeadingEdge, fUT,
                                       in.LowerLeadingEdge, fLT);
        benchmark::DoNotOptimize(m.EdgeTangentX.data());
    }
}
BENCHMARK_CAPTURE(SurfaceTangents, default_body, Shape::Body);
BENCHMARK_CAPTURE(SurfaceTangents, default_wing, Shape::Wing);
BENCHMARK_CAPTURE(SurfaceTangents, round_wing_with_tips, Shape::RoundWing);
BENCHMARK_CAPTURE(SurfaceTangents, body_2000x2000, Shape::BigBody)->Unit(benchmark::kMicrosecond);

// The section picture of the default body cut half-way along X, on a canvas that discards.
void SectionPicture(benchmark::State& state) {
    static ModelState m = [] {
        ModelState s;
        korvel::ResetDimensions(s);
        BuildInputs in;
        in.Act3D = false;
        in.ActCutSec = true;
        in.csX = 0.5;
        korvel::NullCanvas canvas;
        std::string info;
        korvel::BuildModel(s, in, canvas, info);
        return s;
    }();
    korvel::NullCanvas canvas(800, 600);
    for (auto _ : state) {
        std::string info;
        korvel::DrawSection(m, canvas, 800, 600, 0, m.NaturalSize.x, 0.0, 0.0, info);
        benchmark::DoNotOptimize(info.data());
        if (info.empty()) state.SkipWithError("no cap found");
    }
}
BENCHMARK(SectionPicture);

}  // namespace
