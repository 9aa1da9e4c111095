// What no reply shows, in process on the fresh engine: the clock the xboard
// commands set.
#include <string>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "search/search.h"
#include "support/engine.h"
#include "support/stdin_pipe.h"

namespace {

// The lines through the command loop (to the end of input), then the clock; -1: not looked at.
struct ClockCase {
  const char* Lines;
  int Budget, LevelMoves, Increment, FixedTime, Depth, EngineClock;
};

const ClockCase CLOCKS[] = {
    {"level 40 5 0\n", 700, 40, 0, 0, 0, -1},
    {"level 0 2 12\n", 1200, 1, 1, -1, -1, -1},
    {"level 0 0:10 0.1\n", 10, 1, 1, -1, -1, -1},  // xboard's "-tc 0:10 -inc 0.1"
    {"level 0 1 2.345\n", 234, -1, -1, -1, -1, -1},
    {"level 40 5:30 0\nlevel 0 5: 3\nlevel 0 5 -0.5\n", 800, 40, 0, -1, -1, -1},
    {"level 40 5 0\nlevel\nlevel 40\nlevel -40 5 0\nlevel 40 -5 0\nlevelx\n", 700, 40, 0, -1, -1, -1},
    {"level 1 99999999999 0\n", 100000000, 1, 0, -1, -1, -1},
    {"st 5\nsd 7\nst 0\nsd -2\nst x\nsd\nst 1.5s\n", -1, -1, -1, 500, 7, -1},
    {"st 0.5\nsd 3\nst -3\nst .75\n", -1, -1, -1, 75, 3, -1},
    {"st 2.25\nsd 4\nnew\n", -1, -1, -1, 0, 0, -1},
    {"st 2\nsd 4\nlevel 40 5 0\n", -1, -1, -1, 0, 0, -1},
    {"otim 300\n", -1, -1, -1, -1, -1, 0},  // no clock known
    {"time 4500\notim 300\ntime x\n", -1, -1, -1, -1, -1, 4500},
};

class ClockSettings : public vtest::EngineTest, public testing::WithParamInterface<ClockCase> {};

TEST_P(ClockSettings, AfterTheLines) {
  const ClockCase& c = GetParam();
  vtest::StdinPipe in(c.Lines);
  vtest::Printed([] { CommandLoop(false); });
  const int clock = Clock.ClockKnown ? Clock.EngineClock : 0;
  for (auto [want, got] : {std::pair{c.Budget, Clock.MoveTimeBudget}, {c.LevelMoves, Clock.LevelMoves},
                           {c.Increment, int{Game.IncrementMode}}, {c.FixedTime, Clock.FixedMoveTime},
                           {c.Depth, Clock.DepthLimit}, {c.EngineClock, clock}}) {
    if (want >= 0) {
      EXPECT_EQ(got, want) << c.Lines;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ClockSettings, testing::ValuesIn(CLOCKS));

}  // namespace
