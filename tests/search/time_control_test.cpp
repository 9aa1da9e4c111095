// The clock in process: what the xboard clock commands set, the time budgets
// for xboard and UCI clocks, and the stop rules of a running search (standard
// input is a pipe on fd 0). What the engine reads while it thinks, ponders or
// analyses is in the dialogue and transcript tables, over pipes.
#include <string>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
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

class TimeTest : public vtest::EngineTest {
 protected:
  void SetUp() override {
    vtest::EngineTest::SetUp();
    Limits.FixedDepth = Srch.LowTime = Srch.MoveNowRequested = false;  // left as they are by the fixture
    Srch.SearchCount = 1;
    Srch.IterationDepth = 5;
    Settings.XboardOutput = 1;
    Limits.MoveTimeBudget = Limits.EngineClock = 100000;
    Elapsed(0);
  }
  static void Elapsed(int cs) { Srch.StartTicks = Srch.ClockStartTicks = TickMs() - 10 * cs; }
  static bool PollStops(bool fromSearch = true) {
    Srch.StopSearch = false;
    UseReporter(&ProtocolReporter());
    PollInput(fromSearch);
    UseReporter(nullptr);
    return Srch.StopSearch;
  }
  vtest::StdinFeed input_;  // nothing waits on standard input unless a test writes it
};

TEST_F(TimeTest, XboardBudgets) {
  // Control (L moves per control, I increment, F st, N no level yet, S the test suite), moves per control, clock,
  // increment or st time, half-moves played, searches so far, clock reported; the budget (for N and S also before).
  const struct { const char* Name; char Control; int Moves, Clock, Inc, Played, Searches, Known, Budget; } rows[] = {
      {"three quarters of the clock over the moves left", 'L', 40, 30000, 750, 20, 1, 1, 750},
      {"the first search of a game half as much again", 'L', 40, 30000, 750, 20, 0, 1, 1125},
      {"the last move before the control halved, then a quarter", 'L', 40, 6000, 750, 78, 1, 1, 1500},
      {"a fortieth plus half the increment", 'I', 1, 8000, 100, 0, 1, 1, 250},
      {"a fortieth without an increment", 'I', 1, 8000, 0, 0, 1, 1, 200},
      {"a fiftieth plus the increment at a minute", 'I', 1, 5000, 100, 0, 1, 1, 200},
      {"just the increment at 15 seconds", 'I', 1, 1200, 100, 0, 1, 1, 100},
      {"halved below 20 seconds and again at 5", 'I', 1, 400, 0, 0, 1, 1, 2},
      {"at least 70 with an increment", 'I', 1, 2500, 10, 0, 1, 1, 70},
      {"never more than a quarter of the clock", 'I', 1, 100, 10, 0, 0, 1, 25},
      {"one centisecond at least", 'I', 1, 3, 10, 0, 0, 1, 1},
      {"an overdrawn clock still gives one", 'I', 1, -50, 0, 0, 0, 1, 1},
      {"an unreported clock caps nothing", 'I', 1, 100, 10, 0, 0, 0, 70},
      {"st whatever the clock", 'F', 1, 100, 300, 0, 1, 1, 300},
      {"before any level the budget stays", 'N', 0, 0, 0, 0, 1, 0, 2000},
      {"the test suite keeps its budget", 'S', 1, 5000, 100, 0, 1, 1, 1234},
  };
  for (const auto& r : rows) {
    Limits = SearchLimits{};
    Limits.IncrementMode = r.Control == 'I' || r.Control == 'S';
    Limits.LevelMoves = r.Moves;
    (r.Control == 'F' ? Limits.FixedMoveTime : Limits.LevelMoveTime) = r.Inc;
    Limits.EngineClock = r.Clock;
    Limits.ClockKnown = r.Known;
    Limits.MoveTimeBudget = r.Control == 'N' || r.Control == 'S' ? r.Budget : 0;
    History.GameMoveCount = r.Played;
    Srch.SearchCount = r.Searches;
    Limits.TestSuiteRunning = r.Control == 'S';
    AllocateTimeXboard();
    EXPECT_EQ(Limits.MoveTimeBudget, r.Budget) << r.Name;
  }
}

TEST_F(TimeTest, UciBudgetsFollowTheSideToMove) {
  // Side, own and other clock, increment, moves to go, searches so far, move overhead in ms; the budget and the
  // clock the stop rules see.
  const struct { int Side, Own, Other, Inc, ToGo, Searches, Overhead, Budget, Clock; } rows[] = {
      {WHITE, 12000, 500, 0, 0, 1, 0, 240, 12000},     // a fiftieth
      {WHITE, 12000, 500, 0, 10, 1, 0, 900, 12000},    // three quarters over the moves to go
      {WHITE, 8000, 500, 100, 0, 1, 0, 250, 8000},     // a fortieth and half the increment
      {BLACK, 500, 12000, 100, 0, 1, 0, 70, 500},      // at least 70 with an increment
      {BLACK, 20000, 12000, 0, 0, 0, 0, 400, 20000},   // no first-search bonus in UCI
      {BLACK, 20000, 12000, 0, 0, 1, 55, 399, 19994},  // the overhead counts as clock gone
      {BLACK, 3, 12000, 0, 0, 1, 55, 1, 1},            // a clock is never taken as all gone
  };
  for (const auto& r : rows) {
    Limits = SearchLimits{};
    Pos.SideToMove = static_cast<uint8_t>(r.Side);
    Limits.UciTime[r.Side] = r.Own;
    Limits.UciTime[r.Side ^ 1] = r.Other;
    Limits.UciIncrement[r.Side] = r.Inc;
    Limits.UciMovesToGo = r.ToGo;
    Srch.SearchCount = r.Searches;
    Limits.MoveOverheadMs = r.Overhead;
    AllocateTimeUci();
    EXPECT_EQ(std::vector<int>({Limits.MoveTimeBudget, Limits.EngineClock, Limits.OpponentClock, Limits.ClockKnown}),
              std::vector<int>({r.Budget, r.Clock, r.Other, 1})) << r.Own;
  }
}

TEST_F(TimeTest, StopRules) {
  // Budget, clock, centiseconds gone; flags: low (30 s or less), known (clock reported), move (the search has
  // one), fixed (st), depth1/depth2 (the iteration), outside (not from the tree), nodes (at a node limit), ponder,
  // analyze, infinite, uciponder.
  const struct { const char* Name; int Budget, Clock, Elapsed; const char* Flags; bool Stops; } rows[] = {
      {"the first two iterations run on", 10, 100000, 500, "low depth2", false},
      {"the third iteration stops at the budget", 10, 100000, 500, "low", true},
      {"a short clock before the budget", 100, 100000, 90, "low", false},
      {"a short clock at the budget", 100, 100000, 100, "low", true},
      {"past the budget within the band", 750, 30000, 800, "", false},
      {"on while the clock can spare it", 750, 30000, 3000, "", false},
      {"never past three budgets and the band", 750, 30000, 4437, "", true},
      {"five budgets exceed the clock", 750, 3500, 800, "", true},
      {"outside the tree the budget is the limit", 750, 30000, 800, "outside", true},
      {"without a move the clock reserve waits", 100000, 1000, 960, "known", false},
      {"at the clock less a twentieth", 100000, 1000, 960, "known move", true},
      {"at least 30 centiseconds stay on the clock", 100000, 100, 70, "known move", true},
      {"the clock does not run while pondering", 100000, 100, 70, "known move ponder", false},
      {"st waits for a move", 100, 100000, 95, "fixed depth1", false},
      {"st stops a tenth before its end", 100, 100000, 95, "fixed depth1 move", true},
      {"no time limit while analysing", 10, 100000, 1000, "low move analyze", false},
      {"no time limit for go infinite", 10, 100000, 1000, "low move infinite", false},
      {"no time limit for go ponder", 10, 100000, 1000, "low move uciponder", false},
      {"a node limit waits for a move", 100000, 100000, 0, "nodes", false},
      {"a node limit stops once there is a move", 100000, 100000, 0, "nodes move", true},
      {"go infinite ends only by stop", 100000, 100000, 0, "nodes move infinite", false},
  };
  for (const auto& r : rows) {
    const std::string flags = std::string(" ") + r.Flags + " ";
    auto has = [&](const char* f) { return flags.find(std::string(" ") + f + " ") != std::string::npos; };
    Limits.MoveTimeBudget = r.Budget;
    Limits.EngineClock = r.Clock;
    Limits.ClockKnown = has("known");
    Limits.FixedMoveTime = has("fixed") ? r.Budget : 0;
    Srch.LowTime = has("low");
    Srch.IterationDepth = has("depth1") ? 1 : has("depth2") ? 2 : 5;
    Srch.PvTable[0][1] = has("move") ? MakeMoveWord(E2, E4, PAWN) : 0;
    Limits.PonderingNow = has("ponder");
    Limits.AnalyzeMode = has("analyze");
    Limits.UciInfinite = has("infinite");
    Limits.UciPonder = has("uciponder");
    Limits.NodeLimit = Srch.NodeCount = has("nodes") ? 5000 : 0;
    Elapsed(r.Elapsed);
    EXPECT_EQ(PollStops(!has("outside")), r.Stops) << r.Name;
  }
}

TEST_F(TimeTest, PollIntervalAndMoveNow) {
  Srch.Nps = 2000000;
  EXPECT_EQ(PollInterval(), 20000) << "a hundredth of a second's worth of nodes";
  Srch.Nps = 20000;
  EXPECT_EQ(PollInterval(), POLL_MIN_NODES);
  Limits.NodeLimit = 5000;
  Srch.NodeCount = 4999;
  EXPECT_EQ(PollInterval(), 1) << "the next look comes at the limit";
  Limits.NodeLimit = 0;
  input_.Write("?\n");
  EXPECT_FALSE(PollStops()) << "? waits for a move";
  Srch.PvTable[0][1] = MakeMoveWord(E2, E4, PAWN);
  EXPECT_TRUE(PollStops());
}

}  // namespace
