// The engine playing over pipes the way an xboard interface drives it: moves
// within the budget, commands while it thinks, ponders and analyses, mates,
// draw claims and resignations.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <string>

#include "frontend/xboard_session.h"
#include "support/engine_process.h"

namespace {

using namespace xbtest;

TEST(GameLoop, QuestionMarkMovesAtOnce) {
  Engine e;
  e.Send("xboard\nnew\n" + LONG_CLOCK + "e2e4\n");
  Sleep(300);
  const int64_t ms = e.TimeTo("?\n", "move ");
  ASSERT_GE(ms, 0);
  EXPECT_LT(ms, 1000);
  EXPECT_TRUE(IsCoordMove(e.Last()));
}

TEST(GameLoop, PingWhileThinkingIsAnsweredAfterTheMove) {
  Engine e;
  e.Send("xboard\nnew\n" + LONG_CLOCK + "e2e4\n");
  Sleep(200);
  EXPECT_EQ(e.TimeTo("ping 7\n", "pong ", 1000), -1) << "no pong while thinking";
  EXPECT_FALSE(e.SaidMove()) << "still thinking";
  EXPECT_GE(e.TimeTo("?\n", "move "), 0);
  EXPECT_EQ(e.WaitFor("pong "), "pong 7") << "the pong follows the move";
  // While pondering the answer comes at once.
  EXPECT_LT(e.TimeTo("ping 8\n", "pong "), 1000);
  EXPECT_EQ(e.Last(), "pong 8");
}

TEST(GameLoop, ForceModeMakesMovesSilently) {
  EXPECT_EQ(Replies("xboard\nnew\nforce\ne2e4\ne7e5\ng1f3\nping 1\n"), "pong 1\n" + QUIT_TEXT);
}

TEST(GameLoop, UndoWhileThinkingTakesBackOneMove) {
  // The engine thinks for Black after 1.e4 e5 2.Nf3; the take-back leaves
  // 1.e4 e5 with White's 29 moves.
  for (const std::string takeback : {"undo\n", "force\nundo\n"}) {
    Engine e;
    e.Send("xboard\nnew\n" + LONG_CLOCK + "force\ne2e4\ne7e5\ng1f3\ngo\n");
    Sleep(300);
    EXPECT_GE(e.TimeTo(takeback + "perft 1\n", "Nodes searched:"), 0) << takeback;
    EXPECT_EQ(e.Last(), "Nodes searched: 29") << takeback;
    EXPECT_FALSE(e.SaidMove()) << takeback;
  }
}

TEST(GameLoop, AnalysisPrintsStatusLinesFollowsMovesAndStopsOnExit) {
  Engine e;
  const std::regex status("stat01: [0-9]+ [0-9]+ [0-9]+ [0-9]+ [0-9]+ [a-h][1-8][a-h][1-8]");
  e.Send("xboard\nnew\nanalyze\n");
  ASSERT_NE(e.WaitFor("stat01: ", 5000), "") << e.Transcript();
  EXPECT_TRUE(std::regex_match(e.Last(), status)) << e.Last();
  EXPECT_TRUE(e.Last().back() == '2' || e.Last().back() == '3' || e.Last().back() == '4') << "a White move";
  // After 1.e4 the analysis goes on for Black.
  e.Send("e2e4\n");
  bool blackMove = false;
  for (int i = 0; i < 20 && !blackMove; i++) {
    if (e.WaitFor("stat01: ", 5000).empty()) break;
    const char rank = e.Last()[e.Last().size() - 3];
    blackMove = rank == '7' || rank == '8';
  }
  EXPECT_TRUE(blackMove) << e.Transcript();
  EXPECT_GE(e.TimeTo("force\nexit\nping 5\n", "pong 5", 5000), 0);
  Sleep(300);
  e.Send("ping 6\n");
  EXPECT_NE(e.WaitFor("pong 6"), "");
  EXPECT_EQ(e.Transcript().find("stat01", e.Transcript().find("pong 5")), std::string::npos) << "analysis is over";
  EXPECT_FALSE(e.SaidMove());
}


TEST(GameLoop, MateIsAnnouncedAfterTheMove) {
  EXPECT_EQ(Replies("xboard\nnew\nsetboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\nlevel 0 1 0\ntime 3000\n"
                    "otim 3000\ngo\n"),
            "move d1d8\n1-0 {White mates}\n" + QUIT_TEXT);
}

TEST(GameLoop, HopelessPositionResignsOnTheThirdSearch) {
  Engine e;
  e.Send("xboard\nnew\nlevel 0 1 0\ntime 300\notim 300\nsetboard 7k/8/8/8/8/8/8/1QK1Q3 b - - 0 1\ngo\n");
  ASSERT_NE(e.WaitFor("move "), "");
  // White's king walks on, so that no position comes back.
  ASSERT_NE(e.TimeTo("c1d1\n", "move "), -1) << e.Transcript();
  EXPECT_EQ(e.Transcript().find("resigns"), std::string::npos);
  EXPECT_GE(e.TimeTo("d1d2\n", "1-0 {Black resigns}"), 0) << e.Transcript();
  EXPECT_GE(e.TimeTo("ping 3\n", "pong 3"), 0);
  const std::string t = e.Transcript();
  EXPECT_EQ(t.find("move ", t.find("resigns")), std::string::npos) << "no move after resigning\n" << t;
}

TEST(GameLoop, DrawClaimsOnlyWhenTheRulesSaySo) {
  // Bishop against knight is a draw to the search, not by the rules.
  const std::string bareMinors = Replies("xboard\nnew\nsetboard 8/8/3kn3/8/8/2KB4/8/8 w - - 0 1\nlevel 0 1 0\n"
                                         "time 300\notim 300\ngo\n");
  EXPECT_TRUE(std::regex_match(bareMinors, std::regex("move [a-h][1-8][a-h][1-8]\n\nPlease wait...\n\n")))
      << bareMinors;
  // The third occurrence of the start position: a claim, and the move.
  const std::string repetition = Replies("xboard\nnew\nforce\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\n"
                                         "level 0 1 0\ntime 300\notim 300\ngo\n");
  EXPECT_TRUE(std::regex_match(repetition, std::regex("1/2-1/2 \\{Draw\\}\nmove [a-h][1-8][a-h][1-8]\n\nPlease wait...\n\n")))
      << repetition;
  // Stalemated: one claim, no move, and the engine waits for commands.
  EXPECT_EQ(Replies("xboard\nnew\nsetboard k7/8/1Q6/8/8/8/8/7K b - - 0 1\ngo\nping 1\nping 2\n"),
            "1/2-1/2 {Draw}\npong 1\npong 2\n" + QUIT_TEXT);
}

TEST(GameLoop, AFullGameRecordEndsWithADrawClaim) {
  std::string input = "xboard\nnew\nforce\n";
  for (int i = 0; i < 512; i++) input += "g1f3\ng8f6\nf3g1\nf6g8\n";
  input += "go\nping 1\n";
  EXPECT_EQ(Replies(input), "1/2-1/2 {Draw}\npong 1\n" + QUIT_TEXT);
}

TEST(GameLoop, PlaysWhenTheLogFilesCannotBeWritten) {
  vtest::TempDir dir;
  ASSERT_EQ(mkdir(dir.File("log.txt").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.File("Error.txt").c_str(), 0755), 0);
  const std::string out = Replies("xboard\nnew\nlevel 0 1 0\ntime 300\notim 300\ne2e4\n", dir);
  EXPECT_TRUE(std::regex_match(out, std::regex("move [a-h][1-8][a-h][1-8]\n\nPlease wait...\n\n"))) << out;
}

TEST(GameLoop, EndOfInputWhileThinkingEndsTheProgram) {
  vtest::TempDir dir;
  const int64_t start = NowMs();
  vtest::RunResult r = vtest::RunEngine("xboard\nnew\n" + LONG_CLOCK + "e2e4\n", dir.Path(), 10000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_LT(NowMs() - start, 3000);
  EXPECT_NE(r.Output.find(QUIT_TEXT), std::string::npos);
  EXPECT_EQ(dir.Read("log.txt"), "xboard\nnew\n" + LONG_CLOCK + "e2e4\n");
}

TEST(GameLoop, LinesReadWhileThinkingAreRunWholeAfterTheMove) {
  Engine e;
  e.Send("xboard\nnew\n" + LONG_CLOCK + "e2e4\n");
  Sleep(200);
  e.Send("result 1-0 {White mates}\nsetboard 8/8/8/8/8/8/8/K6k w - - 0 1\n");
  Sleep(100);
  ASSERT_GE(e.TimeTo("?\n", "move "), 0);
  EXPECT_GE(e.TimeTo("force\nperft 1\n", "Nodes searched:"), 0);
  EXPECT_EQ(e.Last(), "Nodes searched: 3") << "the set-up position, read whole while the engine thought";
}

TEST(GameLoop, FixedTimeAndFixedDepth) {
  {
    Engine e;
    const int64_t ms = e.TimeTo("xboard\nnew\nst 1\ntime 60000\notim 60000\ne2e4\n", "move ");
    ASSERT_GE(ms, 0);
    EXPECT_GT(ms, 400) << "most of the second is used";
    EXPECT_LT(ms, 1100) << "and not more";
  }
  {
    Engine e;
    const int64_t ms = e.TimeTo("xboard\nnew\n" + LONG_CLOCK + "sd 3\ne2e4\n", "move ");
    ASSERT_GE(ms, 0);
    EXPECT_LT(ms, 1500) << "three plies take no time";
  }
}

}  // namespace
