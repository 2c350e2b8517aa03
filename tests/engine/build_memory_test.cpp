// build_memory_test.cpp — what one model keeps from build to build: its own size's memory, none of a big predecessor's.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <tuple>

#include "engine/big_buffer.h"
#include "engine/build_model.h"

namespace korvel {
namespace {

// One model through the sizes a slider gives it, with the hand-backs counted after each build. An 800 x 800
// body holds about 64 MB, above the floor; 800 -> 640 -> 520 halves it in two steps of which neither does
// alone (the triangle list keeps its memory down to half its use).
TEST(BuildMemory, HandsBackOnlyWhenTheModelHoldsLessThanHalfItsMost) {
    const auto build = [](ModelState& m, int32_t n, bool solid) {
        BuildInputs in;
        std::tie(in.nX, in.mYZ, in.Act3D, in.CanvasWidth, in.CanvasHeight) = std::tuple(n, n, solid, 800, 500);
        NullCanvas canvas(800, 500);
        std::string info;
        BuildModel(m, in, canvas, info);
    };
    ModelState m, fresh;
    build(fresh, 40, true);
    const std::size_t given = FreeHeapGiveBacks();
    struct Step { int32_t n; bool solid; std::size_t gives; };
    for (const Step& s : {Step{800, true, 0}, {800, true, 0}, {640, true, 0}, {520, true, 1}, {800, true, 1},
                          {40, true, 2}, {40, true, 2}, {800, true, 2}, {40, false, 3}}) {
        build(m, s.n, s.solid);
        EXPECT_EQ(FreeHeapGiveBacks() - given, s.gives) << s.n << (s.solid ? "" : " 2D");
        if (s.n == 40 && s.solid) {
            EXPECT_EQ(HeldBytes(m), HeldBytes(fresh));  // no row keeps its old capacity
        }
    }
    EXPECT_EQ(m.GridX.capacity() + m.CurveTangentZ.capacity() + m.Triangles.capacity(), 0u);  // 2D drops the grid
}

}  // namespace
}  // namespace korvel
