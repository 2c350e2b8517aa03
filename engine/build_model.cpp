// build_model.cpp — the build pipeline: counts, the body, wing and 2D paths, and the cleanup after them.
#include "build_model.h"

#include <utility>

#include "airfoil_drawing.h"
#include "big_buffer.h"
#include "build_paths.h"
#include "input_guard.h"
#include "mesh.h"
#include "panel_solver.h"
#include "section.h"
#include "section_drawing.h"
#include "tangents.h"

namespace korvel {

int32_t RoundCountUp(int32_t count, int32_t step) {
    // Widened, so that a count near the int32 limit cannot overflow; what does not fit stays at the limit.
    const int64_t c = count;
    const int64_t up = c + ((step - c % step) % step);
    return up > INT32_MAX ? INT32_MAX : static_cast<int32_t>(up);
}

namespace {

// Everything a build derives goes back to the state before the first build, so that no result depends on
// the build before: only the requested dimensions (set outside the build), the solver's cache (which
// answers exactly as a fresh solve) and the mark of the memory held stay. A solid build sizes and fills the
// whole grid and its tangent tables afresh, so their memory is handed on to it rather than released and
// faulted in again.
void ResetDerivedState(ModelState& m, bool solid) {
    ModelState fresh;
    fresh.LengthX = m.LengthX;
    fresh.WidthY = m.WidthY;
    fresh.HeightZ = m.HeightZ;
    fresh.KeepProportions = m.KeepProportions;
    fresh.SolverCache = std::move(m.SolverCache);
    fresh.HeldMark = m.HeldMark;
    if (solid) {
        for (array2Df ModelState::*a : {&ModelState::GridX, &ModelState::GridY, &ModelState::GridZ, &ModelState::EdgeTangentX,
                                        &ModelState::EdgeTangentY, &ModelState::EdgeTangentZ, &ModelState::CurveTangentX,
                                        &ModelState::CurveTangentY, &ModelState::CurveTangentZ}) {
            fresh.*a = std::move(m.*a);
        }
        // So is the triangle list's: the mesh step writes every triangle it keeps (TriangleLast is -1 until then).
        fresh.Triangles = std::move(m.Triangles);
    }
    m = std::move(fresh);
}

// A model now holding less than half of the most it held (and that most above this floor; a 700 x 700 body
// holds about 50 MB) hands the heap's free pages back. Measured against the most rather than the build
// before, because a slider dragged down frees grid rows at every step while no one step halves the model.
// A rebuild at one size holds what the one before held, so it never gets here.
constexpr std::size_t kGiveBackFloor = std::size_t{32} << 20;

void GiveBackAfterShrinking(ModelState& m) {
    const std::size_t held = HeldBytes(m);
    if (m.HeldMark > kGiveBackFloor && held < m.HeldMark / 2) {
        GiveBackFreeHeap();
        m.HeldMark = held;
    } else if (held > m.HeldMark) {
        m.HeldMark = held;
    }
}

// Frees what the build leaves behind, whether it finished or an error is passing through, and gives the
// heap's free pages back when the model has become much smaller.
class CleanupOnExit {
public:
    explicit CleanupOnExit(ModelState& m) : m_(m) {}
    ~CleanupOnExit() {
        FreeWorkArrays(m_, flag_);
        GiveBackAfterShrinking(m_);
    }
    CleanupOnExit(const CleanupOnExit&) = delete;
    CleanupOnExit& operator=(const CleanupOnExit&) = delete;
    void Set(int flag) { flag_ = flag; }

private:
    ModelState& m_;
    int flag_ = 2;
};

// The airfoil section of 2D mode, its panel solution and its drawing.
void BuildAirfoil2D(ModelState& m, const BuildInputs& in, Canvas& canvas, std::string& info) {
    const bool set1 = ModellerSetActive(in.tx3, in.tz3);
    const bool set2 = ModellerSetActive(in.tx2, in.tz2);
    if (in.ActWing) {
        if (set2) {
            BuildBaseSection(m, in.vs2, in.x0, in.y0, in.rc1, in.rc2, in.fZ, in.nm2, in.Tea, in.Lea);
            KarmanTrefftzSection(m, in.tx2, in.tz2 - m.SectionMinY, in.kc2, in.kt2);
        } else {
            BuildBaseSection(m, 1, in.x0, in.y0, in.rc1, in.rc2, in.fZ, 1.0, in.Tea, in.Lea);
        }
        if (set1) {
            ScaleSection(m, in.vs3, in.nm3);
            KarmanTrefftzSection(m, in.tx3, in.tz3 - m.SectionMinY, in.kc3, in.kt3);
        }
    } else if (set1) {
        BuildBaseSection(m, in.vs3, in.x0, in.y0, in.rc1, in.rc2, in.fZ, in.nm3, in.Tea, in.Lea);
        KarmanTrefftzSection(m, in.tx3, in.tz3 - m.SectionMinY, in.kc3, in.kt3);
    } else {
        BuildBaseSection(m, 1, in.x0, in.y0, in.rc1, in.rc2, in.fZ, 1.0, in.Tea, in.Lea);
    }
    if (in.FlipVertical > 0) FlipSectionVertical(m);
    if (in.FlipHorizontal > 0) FlipSectionHorizontal(m);
    OrientSection(m);
    // The coefficients exist only when the solver ran; the drawing reads them under the same condition.
    double Cl = 0.0;
    double Cd = 0.0;
    if (m.SectionCount < kSolverPanelLimit && in.ActTunnel) SolvePanelMethod(m, in.AngleOfAttack, Cl, Cd);
    DrawAirfoil(m, canvas, in.CanvasWidth, in.CanvasHeight, in.ActTunnel, Cl, Cd, in.AngleOfAttack, info);
}

}  // namespace

void BuildModel(ModelState& m, const BuildInputs& in, Canvas& canvas, std::string& info) {
    CheckBuildInputs(m, in, canvas);  // a rejected build leaves the previous model as it was
    ResetDerivedState(m, in.Act3D || in.ActCutSec);
    CleanupOnExit cleanup(m);
    // The triangle list keeps its memory for the mesh of this build; a failing build frees it.
    FreeWorkArrays(m, 1);

    m.SetGridN(RoundCountUp(in.nX, 8));
    m.SetGridM(RoundCountUp(in.mYZ, 4));
    m.SetSectionCount(m.GridN);
    ClearPatchRanges(m);

    if (in.Act3D || in.ActCutSec) {
        BuildInputs v = in;  // the paths may change c and wt; the tangent step sees the changed values
        if (v.Tea < 180.0) {
            v.UpperRoundedTrailingEdge = 0.0;
            v.LowerRoundedTrailingEdge = 0.0;
        }
        // The grid of the wing or the body; s is the winding sign the mesh applies to Y, turned where the
        // grid as a whole would otherwise face inward.
        const int32_t s = OutwardSign(m, v.ActWing ? BuildWingModel(m, v) : BuildBodyModel(m, v));
        ClearCutPlanes(m);
        const CutPlacement cuts =
            BuildMesh(m, s, v.tX, v.tY, v.tZ, v.ActCutSec, v.ActMirror, v.ActAxes, v.csX, v.csY, v.csZ);
        m.CutPosition = cuts.Position;
        if (!v.Act3D && v.CanvasWidth > 10 && v.CanvasHeight > 10) {
            DrawSection(m, canvas, v.CanvasWidth, v.CanvasHeight, v.SectionView, cuts.Position[0], cuts.Position[1],
                        cuts.Position[2], info);
        }
        cleanup.Set(1);
        // Tangent tables of the fitted grid (trailing-edge factors as forced above), then the cut planes.
        ComputeSurfaceTangents(m, v.ActWing, v.c, v.tx3, v.tz3, v.wt, v.UpperLeadingEdge, v.UpperRoundedTrailingEdge,
                               v.LowerLeadingEdge, v.LowerRoundedTrailingEdge);
        BuildCutPlanes(m, v.ActMirror, cuts);
    } else if (in.CanvasWidth > 10 && in.CanvasHeight > 10) {
        BuildAirfoil2D(m, in, canvas, info);
        cleanup.Set(0);
        // The section's end tangents; 2D takes the trailing-edge factors as they come.
        ComputeSectionTangents(m, in.FlipHorizontal, in.Tea, in.UpperLeadingEdge, in.UpperRoundedTrailingEdge,
                               in.LowerLeadingEdge, in.LowerRoundedTrailingEdge);
    }
}

}  // namespace korvel
