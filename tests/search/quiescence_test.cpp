// The capture search: king captures, stand pat, the futility and exchange
// filters, the order of the kept captures, and the ply limit.
#include <string>
#include <vector>

#include "eval/eval_test_util.h"
#include "search/search_test_util.h"

namespace {

using searchtest::Coord;
using searchtest::SearchTest;

class QuiescenceTest : public SearchTest {
 protected:
  void Node(const std::string& fen) {
    Position(fen);
    Tree.Ply = 2;
    Srch.NodeCount = 0;
  }
  void TearDown() override { Tree.Ply = 1; }
};

TEST_F(QuiescenceTest, CapturableKingReturnsBetaWithoutSearching) {
  // White to move with Black's king in the rook's line: the last move was illegal.
  evaltest::SetPosition("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");
  Tree.Ply = 2;
  Srch.NodeCount = 0;
  EXPECT_EQ(CaptureSearch(-300, 1000), 1000);
  EXPECT_EQ(Srch.NodeCount, 1);
}

TEST_F(QuiescenceTest, StandPatAtOrAboveBetaIsReturnedAsIs) {
  Node("4k3/8/8/8/8/8/8/Q3K3 w - - 0 1");
  const int standPat = EvaluateForSide(-MATE_SCORE, MATE_SCORE);
  ASSERT_GT(standPat, 100);
  EXPECT_EQ(CaptureSearch(-MATE_SCORE, 100), standPat);
  EXPECT_EQ(Srch.NodeCount, 1);
}

TEST_F(QuiescenceTest, ExchangeFilter) {
  // A queen taking a pawn that a pawn defends loses 800: never searched.
  Node("4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1");
  CaptureSearch(-MATE_SCORE, MATE_SCORE);
  EXPECT_EQ(Srch.NodeCount, 1);
  // A pawn taking a defended knight gains at once: searched.
  Node("4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1");
  CaptureSearch(-MATE_SCORE, MATE_SCORE);
  EXPECT_GT(Srch.NodeCount, 1);
}

TEST_F(QuiescenceTest, KeptCapturesBestKeyFirstThenGenerationOrder) {
  // Pawn takes pawn twice (key 1 each, a-side first) and knight takes rook (key 5).
  Node("4k3/8/8/1p1p2r1/2P5/5N2/8/4K3 w - - 0 1");
  CaptureSearch(-MATE_SCORE, MATE_SCORE);
  std::vector<std::string> kept;
  for (int i = 0; i < 3; i++) kept.push_back(Coord(Gen.QuiescenceList[2][i] & 0xFFFFFF));
  EXPECT_EQ(kept, (std::vector<std::string>{"f3g5", "c4b5", "c4d5"}));
  EXPECT_EQ(Gen.QuiescenceList[2][0] >> 24, 5u);
  EXPECT_EQ(Gen.QuiescenceList[2][1] >> 24, 1u);
}

TEST_F(QuiescenceTest, FutilityDropsCapturesFarBelowAlpha) {
  // Needing a rook, a pawn capture is not tried ...
  Node("3rk3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1");
  CaptureSearch(600, 700);
  EXPECT_EQ(Srch.NodeCount, 1);
  Node("3rk3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1");
  CaptureSearch(-MATE_SCORE, MATE_SCORE);
  EXPECT_GT(Srch.NodeCount, 1);
  // ... unless it leaves the opponent with at most three units of pieces.
  Node("2b1k3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1");
  CaptureSearch(600, 700);
  EXPECT_GT(Srch.NodeCount, 1);
}

TEST_F(QuiescenceTest, PlyLimitReturnsBetaAndEndsTheLine) {
  Node("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
  Tree.Ply = MAX_PLY;
  Srch.PvTable[MAX_PLY][MAX_PLY] = 12345;
  EXPECT_EQ(CaptureSearch(-50, 70), 70);
  EXPECT_EQ(Srch.PvTable[MAX_PLY][MAX_PLY], 0u);
}

}  // namespace
