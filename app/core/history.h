// history.h — the undo and redo ring: 201 snapshots of the panel, the current one and the last one Redo may reach.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "panel_state.h"

namespace korvel {

class History {
public:
    static constexpr int32_t kLast = 200;  // entries 0..200
    static constexpr std::size_t kStatusBytes = 255;

    // Forgets everything: the state becomes entry 0, the only one.
    void Reset(const PanelState& start);

    // Stores the state as the next entry after the current one and cuts the redo range there; with 200 steps
    // behind, the oldest goes. A state equal to the current entry is not stored again (a window drag or a held
    // button at a slider's end would otherwise push hundreds of copies and wipe out the real steps): false then.
    bool Push(const PanelState& state);

    // Moves by delta within 0..Top and returns the entry to restore; nothing when it cannot move.
    std::optional<PanelState> Step(int32_t delta);

    bool CanUndo() const { return pos_ > 0; }
    bool CanRedo() const { return pos_ < top_; }
    int32_t Pos() const { return pos_; }
    int32_t Top() const { return top_; }

    // A status text as an entry keeps it: at most 255 bytes, never cut inside a UTF-8 character.
    static std::string CutStatus(std::string text);

    // What an entry keeps of a state: the maxima are not part of it and the status text is cut to 255 bytes
    // (never inside a UTF-8 character).
    static PanelState EntryOf(const PanelState& state);

private:
    std::array<PanelState, kLast + 1> entries_{};
    int32_t pos_ = 0;
    int32_t top_ = 0;
};

}  // namespace korvel
