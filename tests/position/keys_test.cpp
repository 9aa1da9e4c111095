// Zobrist constants, key recompute, the from-to key tables and side folding.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "position/position.h"

namespace {

TEST(ZobristConstants, AreNonZeroAndDistinct) {
  std::set<HashKey> seen;
  auto add = [&](HashKey k) {
    EXPECT_NE(k, 0u);
    seen.insert(k);
  };
  for (auto& row : Zobrist.PieceKeys)
    for (HashKey k : row) add(k);
  for (HashKey k : Zobrist.CastleKeys) add(k);
  for (HashKey k : Zobrist.EnPassantKeys) add(k);
  for (auto& row : Zobrist.PawnKeys)
    for (HashKey k : row) add(k);
  EXPECT_EQ(seen.size(), 964u);
}

// The shipped Book.bin was written with these values; they must never change.
TEST(ZobristConstants, AreFixedAcrossBuilds) {
  EXPECT_EQ(Zobrist.PieceKeys[0][0], 0xc765c0ec3ccf526dull) << std::hex << Zobrist.PieceKeys[0][0];
  EXPECT_EQ(Zobrist.CastleKeys[3], 0x1f08afa349e6934aull) << std::hex << Zobrist.CastleKeys[3];
  EXPECT_EQ(Zobrist.PawnKeys[1][63], 0xab5ed7876a1930c5ull) << std::hex << Zobrist.PawnKeys[1][63];
}

void StartPosition() {
  Game.HasSetupStart = false;
  NewGame();
}

TEST(Keys, RecomputeCoversPiecesCastlingAndEnPassant) {
  StartPosition();
  HashKey expected = 0, expectedPawns = 0;
  for (int sq = 0; sq < 64; sq++) {
    int code = Pos.Board[sq];
    if (!code) continue;
    expected ^= Zobrist.PieceKeys[PieceKeyRow(code)][sq];
    if (TypeOfCode(code) == PAWN) expectedPawns ^= Zobrist.PawnKeys[IsBlackCode(code) ? BLACK : WHITE][sq];
  }
  for (HashKey c : Zobrist.CastleKeys) expected ^= c;
  EXPECT_EQ(Pos.Key, expected);
  EXPECT_EQ(Pos.PawnKey, expectedPawns);

  Pos.EnPassantBB = 1ull << E3;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, expected ^ Zobrist.EnPassantKeys[E3]);
  Pos.EnPassantBB = 0;
  Pos.CastleRights = 15 & ~2;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, expected ^ Zobrist.CastleKeys[1]);
  EXPECT_EQ(Pos.PawnKey, expectedPawns);
}

TEST(Keys, SideToMoveIsNotInTheKeyButFoldsIn) {
  StartPosition();
  HashKey white = Pos.Key;
  Pos.SideToMove = BLACK;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, white);
  EXPECT_EQ(FoldSide(Pos.Key, WHITE), white);
  EXPECT_EQ(FoldSide(Pos.Key, BLACK), ~white);
  EXPECT_EQ(KeyLow(FoldSide(white, BLACK)), ~KeyLow(white));
  EXPECT_EQ(KeyHigh(FoldSide(white, BLACK)), ~KeyHigh(white));
  EXPECT_EQ(KeyFromHalves(KeyLow(white), KeyHigh(white)), white);
}

// Moving a piece by one MoveKeys XOR gives the key that a recompute gives.
TEST(Keys, MoveKeysMatchRecomputeForEveryPieceKind) {
  BuildMoveKeys();
  StartPosition();
  struct Case {
    int from, to;
  } cases[] = {{G1, F3}, {E2, E4}, {D8, D5}, {B8, C6}, {E1, E2}, {A8, A3}, {F8, B4}, {E7, E5}};
  for (const auto& c : cases) {
    int code = Pos.Board[c.from];
    ASSERT_NE(code, 0);
    int colour = IsBlackCode(code) ? BLACK : WHITE;
    int type = TypeOfCode(code);
    HashKey key = Pos.Key ^ MoveKeys[MoveKeyRow(colour, type)][c.from + 64 * c.to];
    HashKey pawnKey = Pos.PawnKey;
    if (type == PAWN) pawnKey ^= MoveKeys[PawnMoveKeyRow(colour)][c.from + 64 * c.to];
    Pos.Board[c.to] = static_cast<uint8_t>(code);
    Pos.Board[c.from] = 0;
    RecomputeKeys();
    EXPECT_EQ(Pos.Key, key) << c.from << "-" << c.to;
    EXPECT_EQ(Pos.PawnKey, pawnKey) << c.from << "-" << c.to;
  }
}

TEST(Keys, RowHelpersFollowTheTableOrders) {
  EXPECT_EQ(PieceKeyRow(PAWN), 0);
  EXPECT_EQ(PieceKeyRow(BLACK_BIT + PAWN), 1);
  EXPECT_EQ(PieceKeyRow(KING), 10);
  EXPECT_EQ(PieceKeyRow(BLACK_BIT + KING), 11);
  EXPECT_EQ(MoveKeyRow(WHITE, PAWN), 0);
  EXPECT_EQ(PawnMoveKeyRow(WHITE), 1);
  EXPECT_EQ(MoveKeyRow(WHITE, KNIGHT), 2);
  EXPECT_EQ(MoveKeyRow(WHITE, KING), 6);
  EXPECT_EQ(MoveKeyRow(BLACK, PAWN), 7);
  EXPECT_EQ(PawnMoveKeyRow(BLACK), 8);
  EXPECT_EQ(MoveKeyRow(BLACK, KING), 13);
}

}  // namespace
