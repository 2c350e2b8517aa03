// mesh_solids_test.cpp — whole 3D builds against closed-form solids, and closure over the build options.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "engine/build_model.h"
#include "mesh_checks.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

using testing::EdgePairingFault;
using testing::Measure;
constexpr double pi = std::numbers::pi;

// Round ends, round sections, no stretch, no modifier: the body is the sphere of diameter 1 and the
// wing's section the circle of diameter 1.
BuildInputs RoundInputs(bool wing, int32_t n = 40) {
    BuildInputs in;
    in.nX = n;
    in.mYZ = n;
    in.Tea = 180.0;
    in.Lea = 180.0;
    in.rb = in.rc1 = in.rc2 = 1.0;
    in.fY = in.fZ = 1.0;
    in.ActWing = wing;
    return in;
}

ModelState Build(const BuildInputs& in) {
    ModelState m;
    ResetDimensions(m);
    testing::RecordingCanvas canvas;
    std::string info;
    BuildModel(m, in, canvas, info);
    return m;
}

void ExpectSolid(const ModelState& m, double volume, double tolerance) {
    EXPECT_EQ(EdgePairingFault(m), "");
    const auto v = Measure(m).volume;
    EXPECT_NEAR(m.Volume, volume, tolerance * volume);
    EXPECT_NEAR(v[0], m.Volume, 1e-6 * volume);
    EXPECT_NEAR(v[1], m.Volume, 1e-6 * volume);
}

TEST(MeshSolids, SphereAreaAndVolumeConverge) {
    double areaError = 1.0, volumeError = 1.0;
    for (int32_t n : {20, 40, 80}) {
        const ModelState m = Build(RoundInputs(false, n));
        EXPECT_EQ(EdgePairingFault(m), "");
        const double a = std::fabs(m.SurfaceArea - pi) / pi;
        const double v = std::fabs(m.Volume - pi / 6) / (pi / 6);
        if (n == 40) {
            EXPECT_LT(a, 0.005);
            EXPECT_LT(v, 0.01);
        }
        EXPECT_LT(a, areaError);
        EXPECT_LT(v, volumeError);
        areaError = a;
        volumeError = v;
        EXPECT_NEAR(m.NaturalSize.x, 1.0, 1e-6);
        EXPECT_NEAR(m.Centroid.x, 0.5, 1e-3);
    }
}

TEST(MeshSolids, HemispheresCapsAndMirroredHalf) {
    for (int32_t c = 1; c <= 4; ++c) {
        BuildInputs in = RoundInputs(false);
        in.ActCut = true;
        in.c = c;
        SCOPED_TRACE(c);
        ExpectSolid(Build(in), pi / 12, 0.01);
    }
    // Spherical caps from each plane and type: the volume of the kept cap, a flat cap facing out of the
    // kept part (+axis at the far end of a low-side part, -axis at 0 for a high-side one).
    for (int axis = 0; axis < 3; ++axis) {
        for (double f : {0.2, 0.7}) {
            for (int32_t type : {1, 2}) {
                BuildInputs in = RoundInputs(false, 80);
                in.ActCutSec = true;
                (axis == 0 ? in.csX : axis == 1 ? in.csY : in.csZ) = f;
                in.tX = in.tY = in.tZ = type;
                const double low = pi * f * f * (1.5 - f) / 3;
                SCOPED_TRACE(::testing::Message() << "axis " << axis << " f " << f << " type " << type);
                const ModelState m = Build(in);
                ExpectSolid(m, type == 1 ? low : pi / 6 - low, 0.015);
                const double at = type == 1 ? (axis == 0 ? m.NaturalSize.x : axis == 1 ? m.NaturalSize.y
                                                                                       : m.NaturalSize.z)
                                            : 0.0;
                const auto cap = testing::FacesInPlane(m, axis, float(at));
                EXPECT_GT(cap.count, 20);
                EXPECT_EQ(type == 1 ? cap.facingPlus : cap.facingMinus, cap.count);
                EXPECT_NEAR(cap.area, pi * f * (1 - f), 0.01);
            }
        }
    }
    BuildInputs octant = RoundInputs(false, 80);
    octant.ActCutSec = true;
    octant.csX = octant.csY = octant.csZ = 0.5;
    octant.tY = 2;
    ExpectSolid(Build(octant), pi / 48, 0.015);

    BuildInputs half = RoundInputs(false);
    half.ActCut = true;
    half.c = 1;
    half.ActMirror = true;
    const ModelState m = Build(half);
    ExpectSolid(m, pi / 6, 0.01);
    EXPECT_NEAR(m.NaturalSize.y, 1.0, 1e-3);
}

TEST(MeshSolids, CylinderCapsuleAndFrusta) {
    for (double span : {1.0, 3.0}) {
        BuildInputs in = RoundInputs(true);
        in.fY = span;
        ExpectSolid(Build(in), pi * span / 4, 0.01);
        in.wt = 1.0;  // half-circle tips: a sphere's worth added
        ExpectSolid(Build(in), pi * span / 4 + pi / 6, 0.015);
        in.wt = 0.0;
        const double ss = 0.4, R = 0.5, r = 0.5 * ss;
        in.ss = ss;
        ExpectSolid(Build(in), 2 * pi * (span / 2) / 3 * (R * R + R * r + r * r), 0.01);
    }
}

TEST(MeshSolids, SweptWingCutThroughBothHalves) {
    // Swept far enough back that a plane across the span, behind the root, meets each half separately:
    // two outlines, each with its own cap. Kept and discarded parts add up to the whole wing.
    BuildInputs in = RoundInputs(true);
    in.fY = 4.0;
    in.foldX = 10.0;
    const double whole = Build(in).Volume;
    in.ActCutSec = true;
    in.csX = 0.5;
    double sum = 0.0;
    for (int32_t type : {1, 2}) {
        in.tX = type;
        const ModelState m = Build(in);
        EXPECT_EQ(EdgePairingFault(m), "");
        EXPECT_NEAR(Measure(m).volume[0], m.Volume, 1e-6 * whole);
        sum += m.Volume;
    }
    EXPECT_NEAR(sum, whole, 1e-4 * whole);
}

TEST(MeshSolids, RequestedSizeScalesTheVolume) {
    BuildInputs in = RoundInputs(false);
    const ModelState natural = Build(in);
    ModelState m;
    m.LengthX = 2.0;
    m.WidthY = -1.0;
    m.HeightZ = 0.5;
    testing::RecordingCanvas canvas;
    std::string info;
    BuildModel(m, in, canvas, info);
    const double fx = 2.0 / natural.NaturalSize.x, fz = 0.5 / natural.NaturalSize.z;
    EXPECT_NEAR(m.ScaleFactor.x, fx, 1e-12);
    EXPECT_EQ(m.ScaleFactor.y, 1.0);
    EXPECT_NEAR(m.ScaleFactor.z, fz, 1e-12);
    EXPECT_NEAR(m.Volume, natural.Volume * fx * fz, 1e-6 * natural.Volume);
    EXPECT_NEAR(m.Centroid.x, 1.0, 1e-3);
}

// Every closed configuration stays closed and outward: cut modes, directions, modifier sets, each
// single section cut and all three, and the mirror.
TEST(MeshSolids, ClosedAndOutwardOverTheOptions) {
    struct Cut {
        double csX, csY, csZ;
        bool mirror;
    };
    const Cut cuts[] = {{1, 1, 1, false}, {0.4, 1, 1, false}, {1, 0.6, 1, false},
                        {1, 1, 0.3, false}, {0.4, 0.6, 0.7, false}, {1, 1, 1, true}};
    int built = 0;
    for (bool wing : {false, true}) {
        for (int32_t c = 0; c <= (wing ? 2 : 4); ++c) {
            for (int32_t vs3 : {0, 1}) {
                for (bool sets : {false, true}) {
                    for (const Cut& cut : cuts) {
                        for (int32_t type : {1, 2}) {
                            BuildInputs in;
                            in.nX = in.mYZ = 24;
                            in.ActWing = wing;
                            in.ActCut = c > 0;
                            in.c = c;
                            in.vs3 = vs3;
                            in.fY = wing ? 3.0 : 1.0;
                            if (sets) {
                                in.tx3 = 1.0;
                                in.tz3 = 0.3;
                                in.kc3 = 0.1;
                                in.kt3 = 20.0;
                                in.tx2 = 0.5;
                                in.tz2 = 0.2;
                            }
                            in.ActCutSec = cut.csX < 1 || cut.csY < 1 || cut.csZ < 1;
                            in.csX = cut.csX;
                            in.csY = cut.csY;
                            in.csZ = cut.csZ;
                            in.tX = in.tY = in.tZ = type;
                            in.ActMirror = cut.mirror;
                            const ModelState m = Build(in);
                            SCOPED_TRACE(::testing::Message() << "wing " << wing << " c " << c << " vs3 " << vs3
                                                              << " sets " << sets << " cut " << cut.csX << " "
                                                              << cut.csY << " " << cut.csZ << " mirror "
                                                              << cut.mirror << " type " << type);
                            ++built;
                            // Three high-side cuts of a bent model may leave nothing at all.
                            if (m.TriangleLast < 0 && cut.csZ < 1 && cut.csX < 1) continue;
                            ASSERT_GE(m.TriangleLast, 3);  // a closed solid has at least four faces
                            EXPECT_EQ(EdgePairingFault(m), "");
                            const auto v = Measure(m).volume;
                            EXPECT_GT(m.Volume, 0.0);
                            EXPECT_NEAR(v[0], m.Volume, 1e-5 * m.Volume);
                            EXPECT_NEAR(v[1], m.Volume, 1e-5 * m.Volume);
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(built, 8 * 2 * 2 * 6 * 2);
}

}  // namespace
}  // namespace korvel
