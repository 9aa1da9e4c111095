// The exact text of the thinking lines, the fail-high and fail-low marks, the
// analysis status line and the UCI information lines.
#include <regex>
#include <string>

#include "platform/platform.h"
#include "position/test_positions.h"
#include "search/search_internal.h"
#include "search/search_test_util.h"

namespace {

using searchtest::SearchTest;

constexpr Move E2E4 = MakeMoveWord(12, 28, PAWN);
constexpr Move E7E5 = MakeMoveWord(52, 36, PAWN);
constexpr Move G1F3 = MakeMoveWord(6, 21, KNIGHT);
constexpr Move B8C6 = MakeMoveWord(57, 42, KNIGHT);

class OutputTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    Position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    Srch.NodeCount = 12345;
    Srch.Nps = 20000;
    const Move line[] = {0, E2E4, E7E5, G1F3, B8C6, 0};
    for (int i = 0; i < 6; i++) Srch.PvTable[2][i] = line[i];
    Tree.Ply = 1;
  }
  // Two seconds into the search by both clocks.
  static void TwoSecondsIn() {
    Srch.StartTicks = TickMs() - 2000;
    Srch.StartSeconds = SecondsNow() - 2;
  }
  // Within the first centisecond.
  static void JustStarted() {
    Srch.StartTicks = TickMs() + 1000;
    Srch.StartSeconds = SecondsNow();
  }
  template <typename F>
  static std::string Printed(F print) {
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
  }
};

bool Matches(const std::string& text, const std::string& pattern) {
  return std::regex_match(text, std::regex(pattern));
}

TEST_F(OutputTest, XboardThinkingLine) {
  Settings.XboardOutput = 1;
  TwoSecondsIn();
  const HashKey key = Pos.Key;
  const std::string out = Printed([] { PrintPv(37, 5); });
  // depth, score, centiseconds by the seconds clock, nodes, SAN each with a
  // blank, then the speed.
  EXPECT_TRUE(Matches(out, "5 37 (200|300) 12345 e4 e5 Nf3 Nc6  Np:61[0-9]{2}\n")) << out;
  EXPECT_GT(Srch.Nps, 6000) << "the speed is kept for the poll interval";
  EXPECT_EQ(Pos.Key, key);
  EXPECT_EQ(Pos.SideToMove, WHITE);
  EXPECT_EQ(Tree.Ply, 1);
  EXPECT_EQ(vtest::LegalMoves().size(), 20u) << "the line is taken back";
}

TEST_F(OutputTest, NoSpeedWithinTheFirstCentisecond) {
  Settings.XboardOutput = 1;
  JustStarted();
  EXPECT_TRUE(Matches(Printed([] { PrintPv(-12, 4); }), "4 -12 (0|100) 12345 e4 e5 Nf3 Nc6 \n"));
  Settings.XboardOutput = 0;
  EXPECT_EQ(Printed([] { PrintPv(-12, 4); }), "") << "no UCI line either";
}

TEST_F(OutputTest, LineStopsAtAMoveThatDoesNotFit) {
  Settings.XboardOutput = 1;
  JustStarted();
  Srch.PvTable[2][3] = E2E4;  // no white pawn on e2 any more
  EXPECT_TRUE(Matches(Printed([] { PrintPv(0, 4); }), "4 0 (0|100) 12345 e4 e5 \n"));
  Settings.XboardOutput = 0;
}

TEST_F(OutputTest, CastlingAndPromotionInTheThinkingLine) {
  Settings.XboardOutput = 1;
  JustStarted();
  Position("4k3/1P6/8/8/8/8/8/4K2R w K -");
  Srch.PvTable[2][1] = CASTLE_WK;
  Srch.PvTable[2][2] = MakeMoveWord(60, 59, KING);
  Srch.PvTable[2][3] = MakeMoveWord(49, 57, PAWN, 0, QUEEN);
  Srch.PvTable[2][4] = 0;
  EXPECT_TRUE(Matches(Printed([] { PrintPv(500, 6); }), "6 500 (0|100) 12345 0-0 Kd8 b8=Q\\+ \n"));
}

TEST_F(OutputTest, UciInformationLines) {
  Settings.XboardOutput = 0;
  TwoSecondsIn();
  EXPECT_TRUE(Matches(Printed([] { PrintPv(37, 5); }),
                      "info depth 5 score cp 37 time 20[0-9]0 nodes 12345 nps 61[0-9]{2} pv e2e4 e7e5 g1f3 b8c6 \n"));
  EXPECT_TRUE(Matches(Printed([] { PrintPv(9996, 5); }), "info depth 5 score mate 2 time .*\n"));
  EXPECT_TRUE(Matches(Printed([] { PrintPv(-9997, 5); }), "info depth 5 score mate -1 time .*\n"));
  EXPECT_TRUE(Matches(Printed([] { PrintPv(9400, 5); }), "info depth 5 score cp 9400 time .*\n"));
  EXPECT_TRUE(Matches(Printed([] { PrintPv(-9500, 5); }), "info depth 5 score mate -250 time .*\n"));
}

TEST_F(OutputTest, FailHighAndFailLowMarks) {
  Srch.PvTable[2][1] = G1F3;
  Srch.PvTable[0][1] = E2E4;
  JustStarted();
  Settings.XboardOutput = 1;
  EXPECT_TRUE(Matches(Printed([] { PrintFailHigh(60, 7); }), "7 60 (0|100) 12345 Nf3 !!\n"));
  EXPECT_TRUE(Matches(Printed([] { PrintFailLow(-20, 7); }), "7 -20 (0|100) 12345 e4  --\n"));
  Settings.XboardOutput = 0;
  EXPECT_TRUE(Matches(Printed([] { PrintFailHigh(60, 7); }),
                      "info depth 7 score cp 60 lowerbound time (0|1000) nodes 12345 pv g1f3 \n"));
  EXPECT_TRUE(Matches(Printed([] { PrintFailLow(-20, 7); }),
                      "info depth 7 score cp -20 upperbound time (0|1000) nodes 12345 pv e2e4 \n"));
}

TEST_F(OutputTest, CurrentMoveLine) {
  TwoSecondsIn();
  EXPECT_TRUE(Matches(Printed([] { PrintCurrentMove(G1F3, 3, 8); }),
                      "info currmove g1f3 currmovenumber 3 depth 8 nodes 12345 time 20[0-9]0 nps 61[0-9]{2}\n"));
  JustStarted();
  EXPECT_EQ(Printed([] { PrintCurrentMove(G1F3, 3, 8); }), "");
}

TEST_F(OutputTest, AnalysisStatusLine) {
  JustStarted();
  Srch.IterationDepth = 6;
  Srch.RootMoveTotal = 20;
  Srch.RootMovesSearched = 3;
  Tree.MoveAtPly[2] = G1F3;
  EXPECT_TRUE(Matches(Printed([] { PrintStatus(); }), "stat01: (0|100) 12345 6 17 20 g1f3\n"));
  EXPECT_EQ(Srch.StatusNodes, 12345);
  Srch.RootMoveTotal = 2;
  EXPECT_TRUE(Matches(Printed([] { PrintStatus(); }), "stat01: (0|100) 12345 6 0 3 g1f3\n"))
      << "never a negative count";
}

TEST_F(OutputTest, MultiPvLinesGiveMatesAsMates) {
  TwoSecondsIn();
  Settings.MultiPvCount = 2;
  Srch.Nps = 1000;
  MultiPv = MultiPvState{};
  MultiPv.MultiPvLine[1] = {7, 9990, E2E4, {E7E5, G1F3, 0}};
  MultiPv.MultiPvLine[2] = {7, 15, G1F3, {0}};
  const std::string out = Printed([] { PrintMultiPv(2, 15, 7); });
  EXPECT_TRUE(Matches(out,
                      "info multipv 1 depth 7 score mate 5 nodes 12345 time 20[0-9]0 nps 61[0-9]{2} pv e2e4 e7e5 g1f3 \n"
                      "info multipv 2 depth 7 score cp 15 nodes 12345 time 20[0-9]0 nps 61[0-9]{2} pv g1f3 \n"))
      << out;
  Srch.Nps = 20000000;
  EXPECT_EQ(Printed([] { PrintMultiPv(2, 15, 7); }), "") << "not before a second's worth of nodes";
  Settings.MultiPvCount = 1;
}

}  // namespace
