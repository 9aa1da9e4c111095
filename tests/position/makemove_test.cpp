// Make and unmake: incremental updates against fresh recomputes, exact
// restoration with the caller's saved state, and the special moves.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "position/test_positions.h"

namespace {

using vtest::Child;
using vtest::MustSetFen;

// Key and PawnKey as RecomputeKeys gives them, leaving the position untouched.
std::pair<HashKey, HashKey> RecomputedKeys() {
  PositionRecord saved;
  std::memcpy(&saved, &Pos, sizeof Pos);
  RecomputeKeys();
  std::pair<HashKey, HashKey> keys{Pos.Key, Pos.PawnKey};
  std::memcpy(&Pos, &saved, sizeof Pos);
  return keys;
}

// Every pseudo-legal move (legal or not) is made, checked and unmade; the
// legal ones are followed further down.
void CheckRoundTrips(int depth, uint64_t& moves) {
  GenerateAll();
  std::vector<Move> all = vtest::BucketMoves();
  for (Move m : all) {
    PositionRecord before;
    std::memcpy(&before, &Pos, sizeof Pos);
    const SavedState saved = SaveState();
    const int16_t clock = Tree.HalfmoveClock[Tree.Ply];
    Tree.MoveAtPly[Tree.Ply + 1] = m;
    MakeMove(m);
    moves++;
    ASSERT_TRUE(PositionIsConsistent()) << "after make of " << vtest::Coord(m);
    auto [key, pawnKey] = RecomputedKeys();
    ASSERT_EQ(Pos.Key, key) << vtest::Coord(m);
    ASSERT_EQ(Pos.PawnKey, pawnKey) << vtest::Coord(m);
    const bool capture = MoveCaptured(m) || (MoveType(m) == PAWN && FileOf(MoveFrom(m)) != FileOf(MoveTo(m)));
    ASSERT_EQ(Tree.HalfmoveClock[Tree.Ply + 1], capture || MoveType(m) == PAWN ? 0 : clock + 1);
    const int us = Pos.SideToMove;
    if (depth > 1 && !IsAttacked(Pos.KingSquare[us], us ^ 1)) {
      Pos.SideToMove ^= 1;
      Tree.Ply++;
      CheckRoundTrips(depth - 1, moves);
      Tree.Ply--;
      Pos.SideToMove ^= 1;
      if (::testing::Test::HasFatalFailure()) return;
    }
    UnmakeMove(m);
    RestoreState(saved);
    ASSERT_TRUE(PositionIsConsistent()) << "after unmake of " << vtest::Coord(m);
    ASSERT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << "not restored after " << vtest::Coord(m);
    ASSERT_EQ(Tree.HalfmoveClock[Tree.Ply], clock);
  }
}

TEST(MakeUnmake, RestoresEveryFieldAndKeepsKeysExact) {
  uint64_t moves = 0;
  for (const char* fen : vtest::SixPositions()) {
    MustSetFen(fen);
    CheckRoundTrips(3, moves);
    ASSERT_FALSE(HasFatalFailure()) << fen;
  }
  for (const char* fen : vtest::TrickyPositions()) {
    MustSetFen(fen);
    CheckRoundTrips(3, moves);
    ASSERT_FALSE(HasFatalFailure()) << fen;
  }
  EXPECT_GT(moves, 300000u);
}

TEST(MakeUnmake, DoubleStepSetsTheTargetOnlyBesideAnEnemyPawn) {
  MustSetFen(vtest::START_FEN);
  Child e4(MakeMoveWord(E2, E4, PAWN));
  EXPECT_EQ(Pos.EnPassantBB, 0u);
  const HashKey afterDoubleStep = Pos.Key;
  {
    Child d5(MakeMoveWord(D7, D5, PAWN));
    EXPECT_EQ(Pos.EnPassantBB, 0u);
    Child e5(MakeMoveWord(E4, E5, PAWN));
    Child f5(MakeMoveWord(F7, F5, PAWN));
    EXPECT_EQ(Pos.EnPassantBB, 1ull << F6);
    EXPECT_EQ(Pos.Key, RecomputedKeys().first);
  }
  // Same placement from a set-up: same key, no en passant component.
  Tree.Ply = 1;
  MustSetFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  EXPECT_EQ(Pos.EnPassantBB, 0u);
  EXPECT_EQ(Pos.Key, afterDoubleStep);
}

TEST(MakeUnmake, EnPassantCaptureRemovesThePawnBehind) {
  MustSetFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  Tree.HalfmoveClock[1] = 7;
  const HashKey pawnKey = Pos.PawnKey;
  const Move ep = MakeMoveWord(E5, D6, PAWN);
  Tree.MoveAtPly[2] = ep;
  const SavedState saved = SaveState();
  MakeMove(ep);
  EXPECT_EQ(Pos.Board[D5], 0);
  EXPECT_EQ(Pos.Board[D6], PAWN);
  EXPECT_EQ(Pos.PawnCount[BLACK], 0);
  EXPECT_EQ(Pos.PawnCount[WHITE], 1);
  EXPECT_EQ(Pos.Material, 100);
  EXPECT_NE(Pos.PawnKey, pawnKey);
  EXPECT_EQ(Tree.HalfmoveClock[2], 0);
  EXPECT_EQ(Pos.EnPassantBB, 0u);
  EXPECT_TRUE(PositionIsConsistent());
  UnmakeMove(ep);
  RestoreState(saved);
  EXPECT_EQ(Pos.Board[D5], BLACK_BIT + PAWN);
  EXPECT_TRUE(PositionIsConsistent());
  Tree.HalfmoveClock[1] = 0;
}

TEST(MakeUnmake, CastlingRightsFallWithKingAndRookMoves) {
  MustSetFen("r3k2r/8/8/8/8/8/6b1/R3K2R w KQkq - 0 1");
  {
    Child rook(MakeMoveWord(A1, A2, ROOK));
    EXPECT_EQ(Pos.CastleRights, 1 | 4 | 8);
  }
  {
    Child takes(MakeMoveWord(H1, H8, ROOK, ROOK));
    EXPECT_EQ(Pos.CastleRights, 2 | 8);  // h1 leaves, and the rook on h8 is gone
  }
  {
    Child king(MakeMoveWord(E1, D1, KING));
    EXPECT_EQ(Pos.CastleRights, 4 | 8);
    Child blackRook(MakeMoveWord(A8, A7, ROOK));
    EXPECT_EQ(Pos.CastleRights, 4);
    // With its rights gone, a king move changes the key by the move alone.
    const HashKey before = Pos.Key;
    Child whiteKing(MakeMoveWord(D1, E1, KING));
    EXPECT_EQ(Pos.Key, before ^ MoveKeys[MoveKeyRow(WHITE, KING)][D1 + 64 * E1]);
    Child blackKing(MakeMoveWord(E8, F8, KING));
    EXPECT_EQ(Pos.CastleRights, 0);
  }
  {
    Child castle(CASTLE_WK);
    EXPECT_EQ(Pos.Board[F1], ROOK);
    EXPECT_EQ(Pos.Board[G1], KING);
    EXPECT_EQ(Pos.Board[H1], 0);
    EXPECT_EQ(Pos.KingSquare[WHITE], G1);
    EXPECT_EQ(Pos.CastleRights, 4 | 8);
    EXPECT_TRUE(PositionIsConsistent());
    Child castleLong(CASTLE_BQ);
    EXPECT_EQ(Pos.Board[D8], BLACK_BIT + ROOK);
    EXPECT_EQ(Pos.Board[C8], BLACK_BIT + KING);
    EXPECT_EQ(Pos.CastleRights, 0);
    EXPECT_EQ(Pos.Key, RecomputedKeys().first);
  }
  EXPECT_EQ(Pos.CastleRights, 15);
}

TEST(MakeUnmake, QueenPromotionAndItsCaptureKeepTheMaterialSignature) {
  MustSetFen("4k3/P7/8/8/8/8/r7/4K3 w - - 0 1");
  const int material = Pos.Material, units = Pos.PieceUnits[WHITE], imbalance = Pos.ImbalanceKey;
  EXPECT_EQ(imbalance, 136 - 16);
  {
    Child promote(MakeMoveWord(A7, A8, PAWN, 0, QUEEN));
    EXPECT_EQ(Pos.Material, material + 800);
    EXPECT_EQ(Pos.PieceUnits[WHITE], units + 9);
    EXPECT_EQ(Pos.PawnCount[WHITE], 0);
    EXPECT_EQ(Pos.ImbalanceKey, imbalance + 256 + 32);
    Child recapture(MakeMoveWord(A2, A8, ROOK, QUEEN));
    EXPECT_EQ(Pos.ImbalanceKey, imbalance);
    EXPECT_EQ(Pos.Material, material - 100);
    EXPECT_TRUE(PositionIsConsistent());
  }
  EXPECT_EQ(Pos.ImbalanceKey, imbalance);
  EXPECT_EQ(Pos.Material, material);
  {
    Child underPromote(MakeMoveWord(A7, A8, PAWN, 0, KNIGHT));
    EXPECT_EQ(Pos.Material, material + 200);
    EXPECT_EQ(Pos.ImbalanceKey, imbalance + 1);
  }
}

TEST(MakeUnmake, CapturingTheLastQueenClearsItsFlag) {
  MustSetFen("4k3/8/8/8/8/8/1q6/Q3K3 w - - 0 1");
  const int imbalance = Pos.ImbalanceKey;
  EXPECT_EQ(imbalance, 136 + 256 + 512);
  Child takes(MakeMoveWord(A1, B2, QUEEN, QUEEN));
  EXPECT_EQ(Pos.ImbalanceKey, imbalance + 32 - 512);
  EXPECT_EQ(Pos.Material, 900);
  EXPECT_EQ(Pos.PieceUnits[BLACK], 0);
}

TEST(MakeUnmake, HalfmoveClock) {
  MustSetFen(vtest::START_FEN);
  Tree.HalfmoveClock[1] = 5;
  {
    Child knight(MakeMoveWord(G1, F3, KNIGHT));
    EXPECT_EQ(Tree.HalfmoveClock[2], 6);
    Child pawn(MakeMoveWord(E7, E5, PAWN));
    EXPECT_EQ(Tree.HalfmoveClock[3], 0);
    Child capture(MakeMoveWord(F3, E5, KNIGHT, PAWN));
    EXPECT_EQ(Tree.HalfmoveClock[4], 0);
  }
  Tree.HalfmoveClock[1] = 0;
}

}  // namespace
