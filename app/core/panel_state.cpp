// panel_state.cpp — the panel's state at start-up.
#include "panel_state.h"

namespace korvel {

PanelState DefaultPanelState() {
    PanelState s;
    for (const BarSpec& b : kBars) {
        s.Pos(b.bar) = b.position;
        if (IsScaled(b)) s.Params[b.tag] = PositionToValue(b.position, b.scale);
    }
    for (int i = kTangentFactorSlot; i < kParamCount; ++i) s.Params[i] = kDefaultTangentFactor;
    return s;
}

}  // namespace korvel
