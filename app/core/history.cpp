// history.cpp — storing and stepping through the undo ring.
#include "history.h"

#include <algorithm>

namespace korvel {

std::string History::CutStatus(std::string text) {
    if (text.size() > kStatusBytes) {
        std::size_t n = kStatusBytes;
        // Step back over continuation bytes so the cut never splits a character.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        text.resize(n);
    }
    return text;
}

PanelState History::EntryOf(const PanelState& state) {
    PanelState e = state;
    e.MaxNPX = 0;
    e.MaxMPX = 0;
    e.Status = CutStatus(std::move(e.Status));
    return e;
}

void History::Reset(const PanelState& start) {
    pos_ = 0;
    top_ = 0;
    entries_[0] = EntryOf(start);
}

bool History::Push(const PanelState& state) {
    PanelState e = EntryOf(state);
    if (e == entries_[pos_]) return false;
    if (pos_ == kLast)
        std::move(entries_.begin() + 1, entries_.end(), entries_.begin());
    else
        ++pos_;
    entries_[pos_] = std::move(e);
    top_ = pos_;
    return true;
}

std::optional<PanelState> History::Step(int32_t delta) {
    const int32_t target = std::clamp(pos_ + delta, 0, top_);
    if (target == pos_) return std::nullopt;
    pos_ = target;
    return entries_[pos_];
}

}  // namespace korvel
