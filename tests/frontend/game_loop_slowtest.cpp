// Timed games over pipes: the budget of a first move, and pondering (a move
// that was expected is answered at once, another one after a new search).
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "frontend/xboard_session.h"

namespace {

using namespace xbtest;

// White's only move is Qxb7+, Black's only reply Ka5: whatever the engine
// predicts, it is that move.
const std::string FORCED_REPLY = "setboard 1K6/1q1Q4/k7/7q/8/1P1P4/8/8 w - - 0 1\n";
// White's only move is Rxh7+; then Black has Kg5 and Kg6, with play after both.
const std::string TWO_REPLIES = "setboard 6KR/6Pb/7k/8/7q/5r2/8/6B1 w - - 0 1\n";
const std::string PONDER_CLOCK = "hard\nlevel 0 2 0\ntime 4000\notim 4000\n";

TEST(TimedGame, AnswersWithinItsBudgetAndShowsItsThinking) {
  Engine e;
  const int64_t ms = e.TimeTo("xboard\nnew\nlevel 40 1 0\ntime 6000\notim 6000\ne2e4\n", "move ");
  ASSERT_GE(ms, 0) << e.Transcript();
  EXPECT_TRUE(IsCoordMove(e.Last())) << e.Last();
  // Budget 168 cs (40 moves in a minute, first search); the stop rules allow
  // at most three budgets and the share of the clock beyond five: 934 cs.
  EXPECT_LT(ms, 9340 + 500);
  std::smatch m;
  const std::string t = e.Transcript();
  EXPECT_TRUE(std::regex_search(t, m, std::regex("\n[0-9]+ -?[0-9]+ [0-9]+ [0-9]+ [^\n]*  Np:[0-9]+\n")))
      << "a thinking line: depth, score, time, nodes, SAN line, speed\n" << t;
}

TEST(TimedGame, PonderHitAnswersAtOnce) {
  Engine e;
  ASSERT_GE(e.TimeTo("xboard\nnew\n" + PONDER_CLOCK + FORCED_REPLY + "go\n", "move "), 0);
  EXPECT_EQ(e.Last(), "move d7b7");
  // Pondered for two seconds, longer than the whole budget of one second.
  Sleep(2000);
  const int64_t ms = e.TimeTo("time 4000\notim 3800\na6a5\n", "move ");
  ASSERT_GE(ms, 0) << e.Transcript();
  EXPECT_LT(ms, 400) << e.Transcript();
}

TEST(TimedGame, AnotherMoveRestartsTheSearch) {
  // The engine's forced move and its short search are the same in every run,
  // so it expects the same one of the two replies each time: that one is
  // answered at once, the other only after a new search.
  int64_t ms[2];
  const std::string replies[2] = {"h6g5\n", "h6g6\n"};
  for (int i = 0; i < 2; i++) {
    Engine e;
    ASSERT_GE(e.TimeTo("xboard\nnew\n" + PONDER_CLOCK + TWO_REPLIES + "go\n", "move "), 0);
    EXPECT_EQ(e.Last(), "move h8h7");
    Sleep(2000);
    ms[i] = e.TimeTo("time 4000\notim 3800\n" + replies[i], "move ");
    ASSERT_GE(ms[i], 0) << e.Transcript();
    EXPECT_TRUE(IsCoordMove(e.Last()));
  }
  const int64_t hit = ms[0] < ms[1] ? ms[0] : ms[1];
  const int64_t miss = ms[0] < ms[1] ? ms[1] : ms[0];
  EXPECT_LT(hit, 400);
  EXPECT_GT(miss, 450) << "a new search of at least 0.6 budgets";
}

}  // namespace
