// Iterative deepening and the root: results at the root (mate, stalemate,
// draws, a single reply), quantization, MultiPV, determinism, and a search
// that leaves the position and the game as it found them.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "frontend/game_record.h"
#include "position/test_positions.h"
#include "search/search_internal.h"
#include "search/search_test_util.h"
#include "tools/tools.h"

namespace {

using searchtest::BestMove;
using searchtest::Coord;
using searchtest::SearchTest;

class RootTest : public SearchTest {
 protected:
  // Plays moves given in coordinates as game moves (recorded, keys kept).
  void PlayGameMoves(const std::vector<std::string>& moves) {
    for (const std::string& text : moves) {
      Tree.Ply = 1;
      GenerateAll();
      Move move = 0;
      for (Move m : vtest::BucketMoves())
        if (Coord(m) == text) move = m;
      ASSERT_NE(move, 0u) << text;
      Game.GameMoves[Game.GameMoveCount] = move;
      ASSERT_TRUE(ReplayMove(Game.GameMoveCount)) << text;
      Game.GameMoveCount++;
    }
    RecomputeKeys();
  }
};

TEST_F(RootTest, Quantize) {
  EXPECT_EQ(Quantize(0), 3);
  EXPECT_EQ(Quantize(-100), -97);
  EXPECT_EQ(Quantize(250), 253);
  EXPECT_EQ(Quantize(-89), -88);
  EXPECT_EQ(Quantize(1), 3);
  EXPECT_EQ(Quantize(3), 6);
  EXPECT_EQ(Quantize(99), 100);
  EXPECT_EQ(Quantize(-1), 0);
  EXPECT_EQ(Quantize(-4), -3);
  EXPECT_EQ(Quantize(-300), -297);
}

TEST_F(RootTest, CheckmatedAtTheRoot) {
  Position("6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1");
  EXPECT_EQ(Think(1, 5), -MATE_SCORE);
  EXPECT_EQ(Srch.RootLegalMoves, 0);
  EXPECT_FALSE(Srch.DrawFlag);
}

TEST_F(RootTest, StalemateSetsTheDrawFlag) {
  Position("k7/8/1Q6/8/8/8/8/K7 b - - 0 1");
  EXPECT_EQ(Think(1, 5), 0);
  EXPECT_EQ(Srch.RootLegalMoves, 0);
  EXPECT_TRUE(Srch.DrawFlag);
  EXPECT_EQ(Srch.PvTable[0][1], 0u);
}

TEST_F(RootTest, NoMoveOfAnEarlierSearchIsEverPlayed) {
  Position(vtest::START_FEN);
  Think(1, 3);
  ASSERT_NE(Srch.PvTable[0][1], 0u);
  ASSERT_TRUE(searchtest::NewSearchPosition("k7/8/1Q6/8/8/8/8/K7 b - - 0 1"));
  Think(1, 3);
  EXPECT_EQ(Srch.PvTable[0][1], 0u);
  EXPECT_EQ(Srch.RootBestMove, 0u);
}

TEST_F(RootTest, SingleLegalMoveStopsAfterIterationThree) {
  Position("k7/8/8/8/8/8/1r6/K7 w - - 0 1");
  Think(1, 12);
  EXPECT_EQ(Srch.IterationDepth, 3);
  EXPECT_EQ(BestMove(), "a1b2");
  EXPECT_EQ(Srch.RootLegalMoves, 1);
}

TEST_F(RootTest, MateFoundEndsTheIterations) {
  Position("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
  EXPECT_EQ(Think(1, 20), MATE_SCORE - 2);
  EXPECT_EQ(Srch.IterationDepth, 1);
  EXPECT_EQ(BestMove(), "d1d8");
}

TEST_F(RootTest, ThirdOccurrenceAtTheRootIsADraw) {
  // Knights out and back twice: the start position comes round again.
  Position(vtest::START_FEN);
  PlayGameMoves({"g1f3", "g8f6", "f3g1", "f6g8"});
  Game.GameHalfmoveClock = 4;
  Think(1, 3);
  EXPECT_FALSE(Srch.DrawFlag);  // the second occurrence is searched normally
  EXPECT_NE(Srch.PvTable[0][1], 0u);

  Position(vtest::START_FEN);
  PlayGameMoves({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
  Game.GameHalfmoveClock = 8;
  Think(1, 3);
  EXPECT_TRUE(Srch.DrawFlag);
  EXPECT_NE(Srch.PvTable[0][1], 0u);  // the search goes on and still gives a move
}

TEST_F(RootTest, FiftyMovesAtTheRootIsADraw) {
  Position("4k3/8/8/8/8/8/R7/4K3 w - - 0 1");
  Game.GameHalfmoveClock = 100;
  Think(1, 2);
  EXPECT_TRUE(Srch.DrawFlag);
}

TEST_F(RootTest, SameSearchSameNodesSameMove) {
  for (const char* fen : {vtest::KIWIPETE_FEN, vtest::MIDDLEGAME_FEN}) {
    Position(fen);
    const int score = Think(1, 6);
    const int64_t nodes = Srch.NodeCount;
    const std::string move = BestMove();
    const Move reply = Srch.PvTable[0][2];
    Position(fen);
    EXPECT_EQ(Think(1, 6), score) << fen;
    EXPECT_EQ(Srch.NodeCount, nodes) << fen;
    EXPECT_EQ(BestMove(), move) << fen;
    EXPECT_EQ(Srch.PvTable[0][2], reply) << fen;
  }
}

// Position, keys and every incremental field as the search found them; the
// move found and its expected reply legal one after the other.
TEST_F(RootTest, ThinkLeavesThePositionAndTheGameAsFound) {
  std::vector<std::string> fens(vtest::SixPositions().begin(), vtest::SixPositions().end());
  for (const char* fen : vtest::TrickyPositions()) fens.push_back(fen);
  for (int i = 0; i < BenchPositionCount(); i++) fens.push_back(BenchPosition(i));
  for (size_t i = 0; i < fens.size(); i++) {
    Position(fens[i]);
    if (i % 3 == 0) {
      // Some positions reached by game moves, so the record has something to keep.
      Tree.Ply = 1;
      std::vector<Move> legal = vtest::LegalMoves();
      if (legal.empty()) continue;
      PlayGameMoves({Coord(legal[i % legal.size()])});
    }
    const PositionRecord before = Pos;
    const int moves = Game.GameMoveCount;
    const int16_t clock = Game.GameHalfmoveClock;
    std::vector<HashKey> keys(Game.KeyHistory, Game.KeyHistory + moves);
    std::vector<Move> record(Game.GameMoves, Game.GameMoves + moves);

    Think(1, 4);

    EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << fens[i];
    EXPECT_EQ(Tree.Ply, 1);
    EXPECT_EQ(Game.GameMoveCount, moves);
    EXPECT_EQ(Game.GameHalfmoveClock, clock);
    EXPECT_EQ(std::vector<HashKey>(Game.KeyHistory, Game.KeyHistory + moves), keys) << fens[i];
    EXPECT_EQ(std::vector<Move>(Game.GameMoves, Game.GameMoves + moves), record) << fens[i];
    const HashKey key = Pos.Key, pawnKey = Pos.PawnKey;
    RecomputeKeys();
    EXPECT_EQ(Pos.Key, key);
    EXPECT_EQ(Pos.PawnKey, pawnKey);

    const Move best = Srch.PvTable[0][1], reply = Srch.PvTable[0][2];
    if (vtest::LegalMoves().empty()) {
      EXPECT_EQ(best, 0u) << fens[i];
      continue;
    }
    std::vector<Move> legal = vtest::LegalMoves();
    ASSERT_NE(std::find(legal.begin(), legal.end(), best), legal.end()) << fens[i];
    if (reply) {
      vtest::Child child(best);
      std::vector<Move> replies = vtest::LegalMoves();
      EXPECT_NE(std::find(replies.begin(), replies.end(), reply), replies.end()) << fens[i];
    }
  }
}

TEST_F(RootTest, MultiPvKeepsTheBestLinesInOrder) {
  Settings.MultiPvCount = 3;
  Position(vtest::KIWIPETE_FEN);
  Think(1, 4);
  const MultiPvRecord* lines = MultiPv.MultiPvLine;
  EXPECT_EQ(lines[1].FirstMove, Srch.PvTable[0][1]);
  for (int i = 1; i <= 3; i++) {
    EXPECT_EQ(lines[i].Depth, 4) << i;
    EXPECT_NE(lines[i].FirstMove, 0u) << i;
  }
  EXPECT_GE(lines[1].Score, lines[2].Score);
  EXPECT_GE(lines[2].Score, lines[3].Score);
  EXPECT_NE(lines[1].FirstMove, lines[2].FirstMove);
  EXPECT_NE(lines[2].FirstMove, lines[3].FirstMove);
  EXPECT_NE(lines[1].FirstMove, lines[3].FirstMove);
  EXPECT_EQ(MultiPv.WorstMultiPvScore, lines[3].Score);
  // The reply to ponder on belongs to the line of the move played, not to
  // the line searched last.
  EXPECT_NE(lines[1].Rest[0], 0u);
  EXPECT_EQ(Srch.PvTable[0][2], lines[1].Rest[0]);
  EXPECT_EQ(Srch.PvTable[0][3], lines[1].Rest[1]);
  // The best line agrees with the single-line search of the same depth.
  const MultiPvRecord best = lines[1];
  Settings.MultiPvCount = 1;
  Position(vtest::KIWIPETE_FEN);
  const int single = Think(1, 4);
  EXPECT_EQ(Srch.PvTable[0][1], best.FirstMove);
  EXPECT_NEAR(single, best.Score, 30);
}

TEST_F(RootTest, EmptyBookLeavesTheSearchToRun) {
  Position(vtest::START_FEN);
  Book.BookLoaded = true;
  Game.OutOfBook = 0;
  Think(1, 2);
  EXPECT_EQ(Game.OutOfBook, 1);
  EXPECT_NE(Srch.PvTable[0][1], 0u);
  Book.BookLoaded = false;
}

}  // namespace
