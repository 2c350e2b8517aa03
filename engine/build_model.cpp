// build_model.cpp — the build pipeline: counts, the body, wing and 2D paths, and the cleanup after them.
#include "build_model.h"

#include "section.h"

namespace korvel {

int32_t RoundCountUp(int32_t count, int32_t step) {
    return count + ((step - count % step) % step);
}

namespace {

// Frees what the build leaves behind, whether it finished or an error is passing through.
class CleanupOnExit {
public:
    explicit CleanupOnExit(ModelState& m) : m_(m) {}
    ~CleanupOnExit() { FreeWorkArrays(m_, flag_); }
    CleanupOnExit(const CleanupOnExit&) = delete;
    CleanupOnExit& operator=(const CleanupOnExit&) = delete;
    void Set(int flag) { flag_ = flag; }

private:
    ModelState& m_;
    int flag_ = 2;
};

// The airfoil section of 2D mode, its panel solution and its drawing.
void BuildAirfoil2D(ModelState& m, const BuildInputs& in, Canvas& canvas, std::string& info) {
    (void)canvas;
    (void)info;
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
    // SEAM(panel solver): when NS < 640 and ActTunnel, solve for the lift and drag coefficients.
    // SEAM(section drawing): draw the section (and pressure plot) on the canvas, append to info.
}

}  // namespace

void BuildModel(ModelState& m, const BuildInputs& in, Canvas& canvas, std::string& info) {
    CleanupOnExit cleanup(m);
    FreeWorkArrays(m, 2);

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
        // SEAM(grids): BuildWingModel or BuildBodyModel, giving the winding sign s.
        // SEAM(mesh): ClearCutPlanes, BuildMesh, then DrawSection in section mode on a canvas above 10 x 10.
        cleanup.Set(1);
        // SEAM(tangents): ComputeSurfaceTangents, then BuildCutPlanes.
        (void)v;
    } else if (in.CanvasWidth > 10 && in.CanvasHeight > 10) {
        BuildAirfoil2D(m, in, canvas, info);
        cleanup.Set(0);
        // SEAM(tangents): ComputeSectionTangents with the trailing-edge factors as passed.
    }
}

}  // namespace korvel
