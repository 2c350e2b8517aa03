// build_paths.cpp — the 3D build paths: the body or wing grid with modeller set 1, and its winding sign.
#include "build_paths.h"

#include <stdexcept>

#include "body_grid.h"
#include "grid_modifier.h"
#include "section.h"
#include "wing_grid.h"

namespace korvel {

namespace {

// Bends the grid with modeller set 1. The bend may turn the grid inside out; the probe point, looked at
// before and after, tells whether it did: -1 then, +1 otherwise.
template <class Bend>
int32_t BendAndProbe(ModelState& m, Bend bend) {
    const bool before = m.GridY[2][2] < 0.0;
    bend();
    return (m.GridY[2][2] < 0.0) == before ? 1 : -1;
}

}  // namespace

int32_t BuildBodyModel(ModelState& m, BuildInputs& v) {
    const bool set1 = ModellerSetActive(v.tx3, v.tz3);
    const double nm3 = set1 ? v.nm3 : 1.0;
    const bool vs3 = set1 && v.vs3 != 0;
    const int32_t d = vs3 ? 1 : -1;
    if (!v.ActCut) v.c = 0;
    switch (v.c) {
        case 0: BuildBody(m, vs3, v.x0, v.Tea, v.Lea, nm3, v.rb, v.rc1, v.rc2, v.fY, v.fZ); break;
        case 1: BuildHalfBodyY(m, vs3, true, v.x0, v.Tea, v.Lea, nm3, v.rb, v.rc1, v.rc2, v.fY, v.fZ); break;
        case 2: BuildHalfBodyY(m, vs3, false, v.x0, v.Tea, v.Lea, nm3, v.rb, v.rc1, v.rc2, v.fY, v.fZ); break;
        case 3: BuildHalfBodyZ(m, vs3, true, v.x0, v.Tea, v.Lea, nm3, v.rb, v.rc1, v.fY, v.fZ); break;
        case 4: BuildHalfBodyZ(m, vs3, false, v.x0, v.Tea, v.Lea, nm3, v.rb, v.rc2, v.fY, v.fZ); break;
        default: throw std::invalid_argument("a body is built whole or cut in modes 1 to 4 only");
    }
    if (!set1) return d;
    return d * BendAndProbe(m, [&m, &v, nm3] {
        const double o = GridModifierOffset(m, v.OffsetCount, v.x0, v.Tea, v.Lea, nm3, v.fZ, v.rc1);
        KarmanTrefftzGrid(m, v.kc3, v.kt3, v.tx3, v.tz3 - o, v.dY);
    });
}

int32_t BuildWingModel(ModelState& m, BuildInputs& v) {
    if (!v.ActCut) v.c = 0;
    m.SetSectionCount(2 * m.GridM);
    const int32_t d = v.vs3 != 0 ? 1 : -1;
    const bool set1 = ModellerSetActive(v.tx3, v.tz3);
    const bool set2 = ModellerSetActive(v.tx2, v.tz2);
    if (set2) {
        BuildBaseSection(m, v.vs2, v.x0, v.y0, v.rc1, v.rc2, v.fZ, v.nm2, v.Tea, v.Lea);
        KarmanTrefftzSection(m, v.tx2, v.tz2 - m.SectionMinY, v.kc2, v.kt2);
        if (set1) {
            ScaleSection(m, v.vs3, v.nm3);
        } else if (v.vs3 == 0) {
            ScaleSection(m, 0, 1.0);
        }
    } else {
        BuildBaseSection(m, v.vs3, v.x0, v.y0, v.rc1, v.rc2, v.fZ, set1 ? v.nm3 : 1.0, v.Tea, v.Lea);
    }
    OrientSection(m);
    BuildWing(m, v.wt, v.SpanFamily, v.c, v.fY, v.foldX, v.foldZ, v.ss);
    if (!set1) return d;
    return d * BendAndProbe(m, [&m, &v] { KarmanTrefftzGrid(m, v.kc3, v.kt3, v.tx3, v.tz3 - m.SectionMinY, v.dY); });
}

}  // namespace korvel
