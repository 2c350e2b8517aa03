// panel_cache.h — what the panel solver keeps between builds so that an angle-only change skips the dense solve.
#pragma once

#include <vector>

namespace korvel {

// The solver's matrix depends on the section only, and the right-hand side is linear in the cosine and
// sine of the angle of attack. Keeping the two solutions at 0 and 90 degrees therefore answers every other
// angle of the same section by superposition. The section nodes they belong to are kept beside them and
// compared bit for bit before any reuse, so a changed section can never be answered from stale data.
struct PanelCache {
    std::vector<double> NodeX;   // section nodes 1..NS+1 the solutions belong to (index 0 = node 1)
    std::vector<double> NodeY;
    std::vector<double> MuCos;   // surface potential per node for a free stream along the chord
    std::vector<double> MuSin;   // ... and for a free stream across it

    void Clear() {
        std::vector<double>().swap(NodeX);
        std::vector<double>().swap(NodeY);
        std::vector<double>().swap(MuCos);
        std::vector<double>().swap(MuSin);
    }
};

}  // namespace korvel
