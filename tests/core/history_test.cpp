// history_test.cpp — the undo ring: stepping, the redo cut, the 200-step limit, identical snapshots and the status cut.
#include <gtest/gtest.h>

#include "app/core/history.h"

namespace korvel {
namespace {

PanelState WithTea(int32_t pos) {
    PanelState s = DefaultPanelState();
    s.Pos(Bar::TEA) = pos;
    s.Params[2] = pos * 0.01;
    return s;
}

TEST(History, StepsBackAndForthAndANewMoveCutsTheRedoRange) {
    History h;
    h.Reset(WithTea(0));
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(h.Push(WithTea(i)));
    for (int expected : {2, 1, 0}) EXPECT_EQ(h.Step(-1)->Pos(Bar::TEA), expected);
    EXPECT_TRUE(!h.CanUndo() && !h.Step(-1) && h.CanRedo());  // never below the first entry
    EXPECT_EQ(h.Step(+3)->Pos(Bar::TEA), 3);
    EXPECT_FALSE(h.Step(+1).has_value());  // never above the last stored entry
    h.Step(-2);
    h.Push(WithTea(9));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.Step(-1)->Pos(Bar::TEA), 1);
}

TEST(History, KeepsTheLast200StepsAndSkipsIdenticalSnapshots) {
    History h;
    h.Reset(WithTea(0));
    for (int i = 1; i <= 205; ++i) h.Push(WithTea(i));
    EXPECT_FALSE(h.Push(WithTea(205)));  // a resize drag or a held end button adds nothing
    int undos = 0;
    int32_t oldest = -1;
    for (; auto e = h.Step(-1); ++undos) oldest = e->Pos(Bar::TEA);
    EXPECT_EQ(std::pair(undos, oldest), std::pair(200, 5));  // the start state is gone
}

TEST(History, EntriesKeepExactValuesAndCutTheStatusOnACharacterBoundary) {
    PanelState s = WithTea(4412);
    s.Params[2] = 44.123;
    s.Status = std::string(254, 'a') + "\xC3\xA9" + "tail";  // the cut falls inside the two-byte character
    History h;
    h.Reset(DefaultPanelState());
    h.Push(s);
    h.Push(WithTea(1));
    const PanelState back = *h.Step(-1);
    EXPECT_EQ(std::pair(back.Params[2], back.Status), std::pair(44.123, std::string(254, 'a')));
}

}  // namespace
}  // namespace korvel
