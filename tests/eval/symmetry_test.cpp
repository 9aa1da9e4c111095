// Whole-evaluation checks over positions from random legal playouts: colour
// symmetry, cached against fresh scores, incremental against rebuilt state.
#include <random>
#include <vector>

#include "eval_test_util.h"

namespace {

using evaltest::EvalTest;
using evaltest::FlipColours;
using evaltest::FreshEvaluate;
using evaltest::SetPosition;

const char* const kOpenings[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "2r2rk1/pp3ppp/2n1bn2/q2p4/3P4/P1N1PN2/1P2BPPP/R2Q1RK1 w - -",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - -",
    "4k3/pp4pp/8/8/8/8/PPPP3P/4K3 b - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "2b1k3/3p4/8/8/8/8/3P4/2B1K3 w - -",
    "4k3/8/8/3n4/8/8/5B2/4K3 w - -",
    "r1b1k2r/ppppnppp/2n5/2b1P3/8/2P2N2/PP3PPP/RNBQKB1R w KQkq -",
};

struct Playout {
  std::mt19937 Random;
  explicit Playout(unsigned seed) : Random(seed) {}

  // The legal moves of the position (pseudo-legal moves that keep the king safe).
  std::vector<Move> LegalMoves() {
    GenerateAll();
    std::vector<Move> legal;
    const int side = Pos.SideToMove;
    const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
    for (int b = 0; b < BUCKET_COUNT; b++)
      for (int i = 0; i < buckets.Count[b]; i++) {
        Move m = buckets.Moves[b][i];
        SavedState saved = SaveState();
        Tree.MoveAtPly[Tree.Ply + 1] = m;
        MakeMove(m);
        bool ok = !IsAttacked(Pos.KingSquare[side], side ^ 1);
        UnmakeMove(m);
        RestoreState(saved);
        if (ok) legal.push_back(m);
      }
    return legal;
  }

  // Plays one random legal move; false when there is none.
  bool Step() {
    std::vector<Move> legal = LegalMoves();
    if (legal.empty()) return false;
    Move m = legal[Random() % legal.size()];
    Tree.MoveAtPly[Tree.Ply + 1] = m;
    MakeMove(m);
    Tree.MoveAtPly[Tree.Ply] = m;
    Pos.SideToMove = static_cast<uint8_t>(Pos.SideToMove ^ 1);
    return true;
  }
};

// True when the opposite-bishop scaling can apply: its arithmetic shifts
// round toward minus infinity, so a position and its twin may differ by one.
bool OppositeBishopEnding() {
  if (Pos.PieceUnits[WHITE] >= 12 || Pos.PieceUnits[BLACK] >= 12) return false;
  int colours = 0;
  for (int colour : {WHITE, BLACK})
    for (Bitboard b = Pos.PieceBB[BBIndex(colour, BISHOP)]; b;)
      colours |= EvalTables.BishopColourBit[colour][PopLowest(b)];
  return EvalTables.OppositeBishops[colours] != 0;
}

template <typename Check>
int ForEachPlayoutPosition(int gamesPerOpening, int plies, Check check) {
  int positions = 0;
  unsigned seed = 1;
  for (const char* fen : kOpenings) {
    for (int game = 0; game < gamesPerOpening; game++) {
      SetPosition(fen);
      Tree.Ply = 1;
      Tree.MoveAtPly[1] = 0;
      Tree.HalfmoveClock[1] = 0;
      Playout playout(seed++);
      for (int ply = 0; ply < plies; ply++) {
        check();
        positions++;
        if (::testing::Test::HasFatalFailure()) return positions;
        if (!playout.Step()) break;
      }
    }
  }
  return positions;
}

TEST_F(EvalTest, ColourFlippedTwinsScoreTheNegatedValue) {
  int rounded = 0;
  int positions = ForEachPlayoutPosition(8, 60, [&rounded]() {
    const PositionRecord saved = Pos;
    const int score = FreshEvaluate();
    const bool opposite = OppositeBishopEnding();
    FlipColours();
    const int twin = FreshEvaluate();
    Pos = saved;
    if (opposite && score + twin != 0) {
      ASSERT_EQ(score + twin, -1) << "opposite bishops, score " << score << " twin " << twin;
      rounded++;
      return;
    }
    ASSERT_EQ(score, -twin) << "position with " << Pos.PieceUnits[WHITE] << "/" << Pos.PieceUnits[BLACK]
                            << " units, side " << int(Pos.SideToMove);
  });
  EXPECT_GT(positions, 3000);
  RecordProperty("positions", positions);
  RecordProperty("roundedOppositeBishops", rounded);
}

TEST_F(EvalTest, CachedScoresAndRebuiltPositionsAgreeWithFreshOnes) {
  // The same playouts twice: first with the caches filling up across all of
  // them, then with every score computed afresh.
  std::vector<int> cached, fresh;
  std::vector<bool> comparable;
  ClearEvalCaches();
  ForEachPlayoutPosition(4, 80, [&]() {
    cached.push_back(Evaluate(-10000, 10000));
    // With a side that has no pieces the score may depend on the side to
    // move (rule of the square, pawn-ending race) while the cache is keyed
    // without it, so such positions may legitimately differ.
    comparable.push_back(Pos.PieceUnits[WHITE] != 0 && Pos.PieceUnits[BLACK] != 0);
  });
  ForEachPlayoutPosition(4, 80, [&]() {
    const int score = FreshEvaluate();
    fresh.push_back(score);
    // Every incremental field rebuilt from the board gives the same score.
    const PositionRecord saved = Pos;
    RecomputeBitboards();
    RecomputeRotated();
    RecomputeDiagonals();
    Pos.ImbalanceKey = ComputeImbalanceKey();
    RecomputeKeys();
    ASSERT_EQ(Pos.Key, saved.Key);
    ASSERT_EQ(Pos.PawnKey, saved.PawnKey);
    ASSERT_EQ(Pos.ImbalanceKey & 0x3FF, saved.ImbalanceKey & 0x3FF);
    ASSERT_EQ(FreshEvaluate(), score);
    Pos = saved;
  });
  ASSERT_EQ(cached.size(), fresh.size());
  EXPECT_GT(cached.size(), 2000u);
  for (size_t i = 0; i < cached.size(); i++) {
    if (!comparable[i]) continue;
    ASSERT_EQ(cached[i], fresh[i]) << "position " << i;
  }
}

}  // namespace
