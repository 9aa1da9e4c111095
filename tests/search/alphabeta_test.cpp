// The alpha-beta node: draws in the tree, mate and stalemate, the ply limit,
// and the depth arithmetic of the null move and the extension taper.
#include <string>

#include "search/search_internal.h"
#include "search/search_test_util.h"

namespace {

using searchtest::SearchTest;

class AlphaBetaTest : public SearchTest {
 protected:
  // A node at ply 3 of a search of the given iteration depth.
  void Node(const std::string& fen) {
    Position(fen);
    Tree.Ply = 3;
    Tree.MoveAtPly[3] = 0;
    Tree.HalfmoveClock[3] = 0;
    Tree.InCheckAtPly[3] = search::OwnKingAttacked() ? 1 : 0;
    Srch.ExtensionFlag[1] = Srch.ExtensionFlag[2] = Srch.ExtensionFlag[3] = 0;
    Srch.IterationDepth = 4;
    Srch.NodeCount = 0;
    Srch.StopSearch = false;
    Srch.PollingEnabled = false;
    Srch.FutilityActive = true;
  }
  void TearDown() override { Tree.Ply = 1; }
};

constexpr const char* BUSY_FEN = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 1";

TEST_F(AlphaBetaTest, RepetitionInTheTreeScoresZeroAtOnce) {
  Node(BUSY_FEN);
  Game.GameMoveCount = 6;
  Tree.HalfmoveClock[3] = 4;
  // The node's entry is 6 + 3 - 1 = 8; the same position four half-moves back.
  Game.KeyHistory[4] = Pos.Key;
  EXPECT_EQ(Search(-200, 200, 4 * ONE_PLY, 1), 0);
  EXPECT_EQ(Srch.NodeCount, 1);
  EXPECT_EQ(Srch.RepetitionSeen, 1);
  EXPECT_EQ(Game.KeyHistory[8], Pos.Key);
  // Beyond the reach of the halfmove clock the same key does not count.
  Node(BUSY_FEN);
  Game.GameMoveCount = 6;
  Tree.HalfmoveClock[3] = 1;
  Game.KeyHistory[4] = Pos.Key;
  EXPECT_FALSE(IsDraw());
  // Early in a game the look back stops at the first entry.
  Node(BUSY_FEN);
  Game.GameMoveCount = 0;
  Tree.HalfmoveClock[3] = 60;
  EXPECT_FALSE(IsDraw());
}

TEST_F(AlphaBetaTest, FiftyMovesScoreZero) {
  Node(BUSY_FEN);
  Tree.HalfmoveClock[3] = 100;
  EXPECT_EQ(Search(-200, 200, 4 * ONE_PLY, 1), 0);
  EXPECT_EQ(Srch.NodeCount, 1);
  Node(BUSY_FEN);
  Tree.HalfmoveClock[3] = 99;
  EXPECT_FALSE(IsDraw());
}

TEST_F(AlphaBetaTest, BareMinorPiecesScoreZero) {
  Node("4k3/8/8/3n4/8/8/8/3BK3 w - - 0 1");
  EXPECT_EQ(Search(-200, 200, 4 * ONE_PLY, 1), 0);
  EXPECT_EQ(Srch.NodeCount, 1);
  Node("4k3/8/8/3r4/8/8/8/3BK3 w - - 0 1");  // a rook is more than a minor piece
  EXPECT_FALSE(IsDraw());
}

TEST_F(AlphaBetaTest, MateAndStalemateInTheTree) {
  Node("6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1");
  EXPECT_EQ(Search(-MATE_SCORE, MATE_SCORE, 2 * ONE_PLY, 1), 3 - MATE_SCORE);
  Node("k7/8/1Q6/8/8/8/8/K7 b - - 0 1");
  EXPECT_EQ(Search(-100, 100, 2 * ONE_PLY, 1), 0);
}

TEST_F(AlphaBetaTest, PlyLimitReturnsBetaWithoutCounting) {
  Node(BUSY_FEN);
  Tree.Ply = MAX_PLY;
  EXPECT_EQ(Search(-30, 40, 4 * ONE_PLY, 1), 40);
  EXPECT_EQ(Srch.NodeCount, 0);
}

TEST_F(AlphaBetaTest, NullMoveDepths) {
  EXPECT_EQ(search::NullMoveDepth(420, 9), 180);
  EXPECT_EQ(search::NullMoveDepth(300, 9), 120);
  EXPECT_EQ(search::NullMoveDepth(300, 8), 60);  // few pieces: the larger reduction
  // 20 left is below one ply: the capture search answers, then the check probe.
  EXPECT_EQ(search::NullMoveDepth(200, 9), 20);
}

TEST_F(AlphaBetaTest, ExtensionTaper) {
  // Ply 15 of a 5-ply iteration: 45 * (20 - 15) / 10.
  EXPECT_EQ(search::TaperExtension(45, 15, 5), 22);
  EXPECT_EQ(search::TaperExtension(45, 21, 5), 0);
  EXPECT_EQ(search::TaperExtension(45, 10, 5), 45);  // up to twice the depth: whole
}

TEST_F(AlphaBetaTest, NodeFindsTheWinAndLeavesItsLine) {
  // White mates with Rd8; the node's line starts with it.
  Node("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
  const int score = Search(-MATE_SCORE, MATE_SCORE, 2 * ONE_PLY, 1);
  EXPECT_EQ(score, MATE_SCORE - 4);
  EXPECT_EQ(searchtest::Coord(Srch.PvTable[3][3]), "d1d8");
  EXPECT_EQ(Srch.PvTable[3][4], 0u);
}

}  // namespace
