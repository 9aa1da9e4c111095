// Time budgets for xboard and UCI clocks, the stop rules of a running search,
// and the lines read from standard input while the engine thinks, ponders or
// analyses (fed through a pipe on fd 0 that stays open).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "search/search_internal.h"
#include "support/stdin_pipe.h"

namespace {

class TimeControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock = TimeControlState{};
    Srch.SearchCount = 1;
    Srch.TestSuiteRunning = Srch.FixedDepth = Srch.UciPonder = Srch.UciInfinite = false;
    Srch.StopSearch = Srch.MoveNowRequested = Srch.LowTime = false;
    Srch.PvTable[0][1] = 0;
    Srch.RootBestMove = 0;
    Srch.IterationDepth = 5;
    Game.PonderingNow = 0;
    Game.AnalyzeMode = 0;
    Game.IncrementMode = 0;
    Game.GameMoveCount = 0;
    Game.LogFile = nullptr;
    Game.EndOfInputSeen = false;
    ClearPendingLines();
    Pos.SideToMove = WHITE;
    Elapsed(0);
  }
  void TearDown() override { ClearPendingLines(); }

  static void Elapsed(int centiseconds) { Srch.StartTicks = Srch.ClockStartTicks = TickMs() - 10 * centiseconds; }
  static void HaveMove() { Srch.PvTable[0][1] = MakeMoveWord(12, 28, PAWN); }

  static void Increment(int clock, int increment) {
    Game.IncrementMode = 1;
    Clock.LevelMoves = 1;
    Clock.LevelMoveTime = increment;
    Clock.EngineClock = clock;
    Clock.ClockKnown = true;
  }
  static int XboardBudget() {
    AllocateTimeXboard();
    return Clock.MoveTimeBudget;
  }

  // One poll with nothing on standard input; true when it stopped the search.
  bool PollStops(bool fromSearch = true) {
    Srch.StopSearch = false;
    PollInput(fromSearch);
    return Srch.StopSearch;
  }

  static std::vector<std::string> Pending() {
    std::vector<std::string> lines;
    char line[PENDING_LINE_SIZE];
    while (TakePendingLine(line)) lines.push_back(line);
    return lines;
  }

  vtest::StdinFeed input_;
};

TEST_F(TimeControlTest, ConventionalControlSharesTheClockOverTheMovesLeft) {
  // 40 moves in 5 minutes, 10 moves played: 30 moves left.
  Clock.LevelMoves = 40;
  Clock.LevelMoveTime = 750;
  Clock.EngineClock = 30000;
  Clock.ClockKnown = true;
  Game.GameMoveCount = 20;
  EXPECT_EQ(XboardBudget(), 750);
  Srch.SearchCount = 0;
  EXPECT_EQ(XboardBudget(), 1125) << "the first search of a game gets half as much again";
  // The last move before the control: half of three quarters of the clock,
  // then no more than a quarter of it.
  Srch.SearchCount = 1;
  Game.GameMoveCount = 78;
  Clock.EngineClock = 6000;
  EXPECT_EQ(XboardBudget(), 1500);
}

TEST_F(TimeControlTest, IncrementControls) {
  Increment(5000, 100);
  EXPECT_EQ(XboardBudget(), 200);
  Increment(1200, 100);
  EXPECT_EQ(XboardBudget(), 100) << "a short clock plays on the increment";
  Increment(400, 0);
  EXPECT_EQ(XboardBudget(), 2);
  Increment(8000, 100);
  EXPECT_EQ(XboardBudget(), 250);
  Increment(8000, 0);
  EXPECT_EQ(XboardBudget(), 200);
  Increment(2500, 10);
  EXPECT_EQ(XboardBudget(), 70) << "with an increment at least 70 centiseconds";
}

TEST_F(TimeControlTest, NoBudgetExceedsAQuarterOfTheClock) {
  // Ten seconds and 0.1 s a move run down to one second: the minimum of 70
  // centiseconds and the first-search bonus would soon flag.
  Srch.SearchCount = 0;
  Increment(100, 10);
  EXPECT_EQ(XboardBudget(), 25);
  Increment(3, 10);
  EXPECT_EQ(XboardBudget(), 1);
  Increment(-50, 0);
  EXPECT_EQ(XboardBudget(), 1) << "an overdrawn clock still gives a budget of one centisecond";
  // Without a reported clock the rules alone decide.
  Increment(100, 10);
  Clock.ClockKnown = false;
  EXPECT_EQ(XboardBudget(), 70);
}

TEST_F(TimeControlTest, FixedTimeAndNoLevel) {
  Clock.FixedMoveTime = 300;
  Increment(100, 0);
  EXPECT_EQ(XboardBudget(), 300) << "st sets the budget whatever the clock";
  Clock = TimeControlState{};
  Game.IncrementMode = 0;
  Clock.MoveTimeBudget = 2000;
  EXPECT_EQ(XboardBudget(), 2000) << "before any level command the budget stays";
  Srch.TestSuiteRunning = true;
  Increment(5000, 100);
  Clock.MoveTimeBudget = 1234;
  EXPECT_EQ(XboardBudget(), 1234) << "the test suite keeps its own budget";
}

TEST_F(TimeControlTest, UciBudgetsUseTheSideToMove) {
  Clock.UciTime[WHITE] = 12000;
  Clock.UciTime[BLACK] = 500;
  AllocateTimeUci();
  EXPECT_EQ(Clock.MoveTimeBudget, 240);
  EXPECT_EQ(Clock.EngineClock, 12000);
  EXPECT_EQ(Clock.OpponentClock, 500);
  EXPECT_TRUE(Clock.ClockKnown);
  Clock.UciMovesToGo = 10;
  AllocateTimeUci();
  EXPECT_EQ(Clock.MoveTimeBudget, 900);
  Clock.UciMovesToGo = 0;
  Pos.SideToMove = BLACK;
  Clock.UciIncrement[BLACK] = 100;
  AllocateTimeUci();
  EXPECT_EQ(Clock.MoveTimeBudget, 70) << "the minimum with an increment";
  Srch.SearchCount = 0;
  Clock.UciTime[BLACK] = 20000;
  Clock.UciIncrement[BLACK] = 0;
  AllocateTimeUci();
  EXPECT_EQ(Clock.MoveTimeBudget, 400) << "no first-search bonus in UCI";
  // The move overhead counts as clock already gone, for every rule.
  Settings.MoveOverheadMs = 55;
  AllocateTimeUci();
  EXPECT_EQ(Clock.EngineClock, 20000 - 6);
  Clock.UciTime[BLACK] = 3;
  AllocateTimeUci();
  EXPECT_EQ(Clock.EngineClock, 1) << "a clock is never taken as gone";
  EXPECT_TRUE(Clock.ClockKnown);
  Settings.MoveOverheadMs = 0;
}

TEST_F(TimeControlTest, TheFirstTwoIterationsAreNeverStoppedByTheBudget) {
  Clock.MoveTimeBudget = 10;
  Srch.LowTime = true;
  Srch.IterationDepth = 2;
  Elapsed(500);
  EXPECT_FALSE(PollStops());
  Srch.IterationDepth = 3;
  EXPECT_TRUE(PollStops());
}

TEST_F(TimeControlTest, ShortClockStopsAtTheBudget) {
  Clock.MoveTimeBudget = 100;
  Srch.LowTime = true;
  Elapsed(90);
  EXPECT_FALSE(PollStops());
  Elapsed(100);
  EXPECT_TRUE(PollStops());
}

TEST_F(TimeControlTest, BandRuleAfterTheBudget) {
  Clock.MoveTimeBudget = 750;
  Clock.EngineClock = 30000;
  // x = (30000 - 3750) / 12 = 2187: on to 750 + 2187, then on while the clock
  // allows it, and never past 3 * 750 + 2187.
  Elapsed(800);
  EXPECT_FALSE(PollStops());
  Elapsed(3000);
  EXPECT_FALSE(PollStops());
  Elapsed(4437);
  EXPECT_TRUE(PollStops());
  // Five budgets exceed the clock: stop as soon as the budget is spent.
  Clock.EngineClock = 3500;
  Elapsed(800);
  EXPECT_TRUE(PollStops());
  Elapsed(700);
  EXPECT_FALSE(PollStops());
  // Called from outside the tree the budget is the limit.
  Clock.EngineClock = 30000;
  Elapsed(800);
  EXPECT_TRUE(PollStops(false));
}

TEST_F(TimeControlTest, TheClockIsNeverRunDown) {
  Clock.MoveTimeBudget = 100000;
  Clock.EngineClock = 1000;
  Clock.ClockKnown = true;
  Elapsed(960);
  EXPECT_FALSE(PollStops()) << "without a move to play the search goes on";
  HaveMove();
  EXPECT_TRUE(PollStops());
  Elapsed(940);
  EXPECT_FALSE(PollStops()) << "stops at the clock less a twentieth";
  Clock.EngineClock = 100;
  Elapsed(70);
  EXPECT_TRUE(PollStops()) << "at least 30 centiseconds stay on the clock";
  Game.PonderingNow = 1;
  EXPECT_FALSE(PollStops()) << "the clock does not run while pondering";
}

TEST_F(TimeControlTest, FixedTimePerMove) {
  Clock.FixedMoveTime = Clock.MoveTimeBudget = 100;
  Srch.IterationDepth = 1;
  Elapsed(95);
  EXPECT_FALSE(PollStops()) << "not before there is a move";
  HaveMove();
  EXPECT_TRUE(PollStops()) << "a tenth before the end";
  Elapsed(85);
  EXPECT_FALSE(PollStops());
}

TEST_F(TimeControlTest, NoTimeLimitWhilePonderingAnalysingOrInfinite) {
  Clock.MoveTimeBudget = 10;
  Srch.LowTime = true;
  HaveMove();
  Elapsed(1000);
  Game.PonderingNow = 1;
  EXPECT_FALSE(PollStops());
  Game.PonderingNow = 0;
  Game.AnalyzeMode = 1;
  EXPECT_FALSE(PollStops());
  Game.AnalyzeMode = 0;
  Srch.UciInfinite = true;
  EXPECT_FALSE(PollStops());
  Srch.UciInfinite = false;
  Srch.UciPonder = true;
  EXPECT_FALSE(PollStops());
}

TEST_F(TimeControlTest, PollIntervalIsAHundredthOfASecond) {
  Srch.Nps = 2000000;
  EXPECT_EQ(PollInterval(), 20000);
  Srch.Nps = 20000;
  EXPECT_EQ(PollInterval(), POLL_MIN_NODES);
}

// --- Input during a search --------------------------------------------------

class SearchInputTest : public TimeControlTest {
 protected:
  void SetUp() override {
    TimeControlTest::SetUp();
    Clock.MoveTimeBudget = 100000;
    Clock.EngineClock = 100000;
    Settings.XboardOutput = 1;  // xboard lines unless a test says UCI
  }
  void TearDown() override {
    Settings.XboardOutput = 1;
    TimeControlTest::TearDown();
  }
  // Writes the text, polls once, and returns what the poll printed.
  std::string Poll(const std::string& text) {
    input_.Write(text);
    testing::internal::CaptureStdout();
    PollInput(true);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(SearchInputTest, PonderingTakesClockUpdatesAndPingInStride) {
  Game.PonderingNow = 1;
  std::strcpy(Game.PonderReplyText, "e7e5\n");
  EXPECT_EQ(Poll("time 4500\notim 4400\nping 6\n"), "pong 6\n");
  EXPECT_FALSE(Srch.StopSearch);
  EXPECT_EQ(Clock.EngineClock, 4500);
  EXPECT_EQ(Clock.OpponentClock, 4400);
  EXPECT_TRUE(Clock.ClockKnown);
  EXPECT_EQ(Game.PonderingNow, 1);
  EXPECT_TRUE(Pending().empty());
}

TEST_F(SearchInputTest, PonderHitTurnsThePonderSearchIntoTheRealOne) {
  Game.PonderingNow = 1;
  std::strcpy(Game.PonderReplyText, "e7e5\n");
  Clock.EngineClock = 4500;
  Clock.ClockKnown = true;
  Clock.MoveTimeBudget = 500;
  Elapsed(300);
  Poll("e7e5\n");
  EXPECT_EQ(Game.PonderingNow, 0);
  EXPECT_FALSE(Srch.StopSearch);
  EXPECT_EQ(Clock.MoveTimeBudget, 700) << "five budgets fit the clock: 1.4 times the budget";
  EXPECT_TRUE(Pending().empty()) << "the expected move is already on the board";
  // Pondered past the budget: the move is ready at once.
  Game.PonderingNow = 1;
  Clock.MoveTimeBudget = 500;
  Elapsed(800);
  Poll("e7e5\n");
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_EQ(Game.PonderingNow, 0);
}

TEST_F(SearchInputTest, AnotherMoveEndsThePonderSearch) {
  Game.PonderingNow = 1;
  std::strcpy(Game.PonderReplyText, "e7e5\n");
  Poll("time 100\nc7c5\nping 9\n");
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_EQ(Game.PonderingNow, 1) << "the game loop takes the expected move back";
  EXPECT_STREQ(Game.PendingInput, "c7c5\n");
  EXPECT_EQ(Pending(), std::vector<std::string>{"c7c5\n"});
  char line[PENDING_LINE_SIZE];
  ASSERT_GT(ReadLine(line, sizeof line, true), 0);
  EXPECT_STREQ(line, "ping 9\n") << "nothing after the stopping line is read";
}

TEST_F(SearchInputTest, MoveNowWaitsForAMove) {
  Poll("?\n");
  EXPECT_FALSE(Srch.StopSearch) << "no move to play yet";
  EXPECT_TRUE(Pending().empty());
  EXPECT_FALSE(PollStops());
  HaveMove();
  EXPECT_TRUE(PollStops()) << "stops once the search has a move";
  Srch.StopSearch = false;
  Srch.MoveNowRequested = false;
  Poll("stop\n");
  EXPECT_TRUE(Srch.StopSearch);
}

TEST_F(SearchInputTest, PingWaitsForTheMoveWithTheOtherLines) {
  const std::string out = Poll("ping 7\ntime 300\nresult 1-0 {White mates}\nsetboard 8/8/8/8/8/8/8/K6k w - - 0 1\n");
  EXPECT_EQ(out, "") << "the pong follows the move";
  EXPECT_FALSE(Srch.StopSearch);
  EXPECT_EQ(Pending(), (std::vector<std::string>{"ping 7\n", "time 300\n", "result 1-0 {White mates}\n",
                                                 "setboard 8/8/8/8/8/8/8/K6k w - - 0 1\n"}))
      << "whole lines, none lost";
  EXPECT_EQ(Clock.EngineClock, 100000) << "a clock line while thinking waits for the command loop";
}

TEST_F(SearchInputTest, TakebackAndColourLinesStopTheSearch) {
  for (const char* line : {"undo\n", "force\n", "remove\n", "back\n", "retake\n", "white\n", "black\n"}) {
    Srch.StopSearch = false;
    Poll(std::string("otim 5\n") + line);
    EXPECT_TRUE(Srch.StopSearch) << line;
    EXPECT_EQ(Pending(), (std::vector<std::string>{"otim 5\n", line}));
    EXPECT_STREQ(Game.PendingInput, line);
  }
}

TEST_F(SearchInputTest, AnalysisGoesOnForDotAndUndoOnly) {
  Game.AnalyzeMode = 1;
  Poll(".\nundo\nping 1\n");
  EXPECT_FALSE(Srch.StopSearch);
  EXPECT_EQ(Pending(), std::vector<std::string>{"undo\n"});
  Poll("e2e4\n");
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_EQ(Pending(), std::vector<std::string>{"e2e4\n"});
  Srch.StopSearch = false;
  Poll("exit\n");
  EXPECT_TRUE(Srch.StopSearch);
}

TEST_F(SearchInputTest, AFullQueueStopsTheSearchWithoutLosingALine) {
  std::string text;
  for (int i = 0; i < PENDING_LINES + 1; i++) text += "otim " + std::to_string(i) + "\n";
  Poll(text);
  EXPECT_TRUE(Srch.StopSearch);
  std::vector<std::string> lines = Pending();
  ASSERT_EQ(lines.size(), static_cast<size_t>(PENDING_LINES));
  EXPECT_EQ(lines.back(), "otim " + std::to_string(PENDING_LINES - 1) + "\n");
  char line[PENDING_LINE_SIZE];
  ASSERT_GT(ReadLine(line, sizeof line, true), 0);
  EXPECT_EQ(std::string(line), "otim " + std::to_string(PENDING_LINES) + "\n");
}

TEST_F(SearchInputTest, EndOfInputStopsAndQuitsOnce) {
  input_.Write("new\n");
  input_.Close();
  PollInput(true);
  EXPECT_TRUE(Srch.StopSearch);
  Srch.StopSearch = false;
  PollInput(true);
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_EQ(Pending(), (std::vector<std::string>{"new\n", "quit\n"}));
}

TEST_F(SearchInputTest, LongLinesAreCutAndEveryLineIsLogged) {
  FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  Game.LogFile = log;
  const std::string longLine = "name " + std::string(400, 'x') + "\n";
  Poll(longLine + "ping 2\n");
  Game.LogFile = nullptr;
  std::vector<std::string> lines = Pending();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "ping 2\n");
  EXPECT_EQ(lines[0].size(), static_cast<size_t>(PENDING_LINE_SIZE - 1));
  EXPECT_EQ(lines[0].back(), '\n');
  std::rewind(log);
  char buf[1024] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, log);
  std::fclose(log);
  EXPECT_EQ(std::string(buf, n), lines[0] + "ping 2\n");
}

TEST_F(SearchInputTest, UciAnswersIsreadyAtOnceAndStopsForQuit) {
  Settings.XboardOutput = 0;
  EXPECT_EQ(Poll("isready\n  isready \nposition startpos\n"), "readyok\nreadyok\n");
  EXPECT_FALSE(Srch.StopSearch);
  EXPECT_EQ(Pending(), std::vector<std::string>{"position startpos\n"});
  Poll("quit\nisready\n");
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_EQ(Pending(), std::vector<std::string>{"quit\n"});
  char line[PENDING_LINE_SIZE];
  ASSERT_GT(ReadLine(line, sizeof line, true), 0);
  EXPECT_STREQ(line, "isready\n") << "nothing after quit is read";
}

TEST_F(SearchInputTest, UciStopAndPonderhitAreWords) {
  Settings.XboardOutput = 0;
  Srch.UciPonder = true;
  Poll("ponderhit \n");
  EXPECT_FALSE(Srch.UciPonder);
  EXPECT_FALSE(Srch.StopSearch);
  HaveMove();
  Poll("  stop\n");
  EXPECT_TRUE(Srch.StopSearch);
  EXPECT_TRUE(Pending().empty());
}

TEST_F(SearchInputTest, AUciLineTooLongForTheQueueStopsTheSearchUncut) {
  Settings.XboardOutput = 0;
  const std::string longLine = "position startpos moves" + std::string(400, ' ') + "e2e4\n";
  Poll(longLine + "isready\n");
  EXPECT_TRUE(Srch.StopSearch);
  std::vector<std::string> lines = Pending();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], longLine.substr(0, PENDING_LINE_SIZE - 1)) << "its start, without a line end";
  char rest[1024];
  ASSERT_GT(ReadLine(rest, sizeof rest, true), 0);
  EXPECT_EQ(lines[0] + rest, longLine) << "the rest is still to be read";
}

TEST_F(TimeControlTest, ANodeLimitStopsOnceThereIsAMove) {
  Srch.FixedDepth = true;
  Clock.NodeLimit = 5000;
  Srch.NodeCount = 4999;
  EXPECT_FALSE(PollStops());
  EXPECT_EQ(PollInterval(), 1) << "the next look comes when the limit is reached";
  Srch.NodeCount = 5000;
  EXPECT_FALSE(PollStops()) << "no move to play yet";
  HaveMove();
  EXPECT_TRUE(PollStops());
  Srch.UciInfinite = true;
  EXPECT_FALSE(PollStops()) << "an infinite search ends only by stop";
  Srch.UciInfinite = false;
  Clock.NodeLimit = 0;
  EXPECT_FALSE(PollStops());
  EXPECT_GE(PollInterval(), POLL_MIN_NODES);
}

}  // namespace
