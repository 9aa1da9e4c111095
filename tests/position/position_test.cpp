// The position record, new game, the recompute operations and the move word.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "position/position.h"

namespace {

void ClearSetup() {
  Game.HasSetupStart = false;
  NewGame();
}

TEST(NewGame, StandardStartPosition) {
  ClearSetup();
  const uint8_t white[8] = {4, 2, 3, 5, 6, 3, 2, 4};
  const uint8_t black[8] = {12, 10, 11, 13, 14, 11, 10, 12};
  for (int f = 0; f < 8; f++) {
    EXPECT_EQ(Pos.Board[f], white[f]);
    EXPECT_EQ(Pos.Board[56 + f], black[f]);
    EXPECT_EQ(Pos.Board[8 + f], PAWN);
    EXPECT_EQ(Pos.Board[48 + f], BLACK_BIT + PAWN);
  }
  EXPECT_EQ(Pos.CastleRights, 15);
  EXPECT_EQ(Pos.KingSquare[WHITE], E1);
  EXPECT_EQ(Pos.KingSquare[BLACK], E8);
  EXPECT_EQ(Pos.Material, 0);
  EXPECT_EQ(Pos.PieceUnits[WHITE], 31);
  EXPECT_EQ(Pos.PieceUnits[BLACK], 31);
  EXPECT_EQ(Pos.PawnCount[WHITE], 8);
  EXPECT_EQ(Pos.PawnCount[BLACK], 8);
  EXPECT_EQ(Pos.ImbalanceKey, 904);
  EXPECT_EQ(Pos.RotatedOcc, 0xC3C3C3C3C3C3C3C3ull);
  EXPECT_EQ(Pos.SideToMove, WHITE);
  EXPECT_EQ(Pos.EnPassantBB, 0u);
  EXPECT_EQ(Game.GameHalfmoveClock, 0);
}

// Every redundant representation of the start position agrees with a fresh
// recompute from the board.
TEST(NewGame, RepresentationsAgreeWithRecompute) {
  ClearSetup();
  PositionRecord fromNewGame = Pos;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeKeys();
  EXPECT_EQ(std::memcmp(Pos.PieceBB, fromNewGame.PieceBB, sizeof Pos.PieceBB), 0);
  EXPECT_EQ(Pos.AllOcc, fromNewGame.AllOcc);
  EXPECT_EQ(Pos.WhiteOcc, fromNewGame.WhiteOcc);
  EXPECT_EQ(Pos.BlackOcc, fromNewGame.BlackOcc);
  EXPECT_EQ(Pos.RotatedOcc, fromNewGame.RotatedOcc);
  EXPECT_EQ(std::memcmp(Pos.DiagOcc, fromNewGame.DiagOcc, 16), 0);
  EXPECT_EQ(std::memcmp(Pos.AntiDiagOcc, fromNewGame.AntiDiagOcc, 16), 0);
  EXPECT_EQ(Pos.Material, fromNewGame.Material);
  EXPECT_EQ(Pos.PieceUnits[WHITE], fromNewGame.PieceUnits[WHITE]);
  EXPECT_EQ(Pos.Key, fromNewGame.Key);
  EXPECT_EQ(Pos.PawnKey, fromNewGame.PawnKey);
  EXPECT_EQ(ComputeImbalanceKey(), 904);
  // The a1-h8 diagonal is DiagOcc[7]: a1 (bit 0), b2 (bit 1), g7 (bit 6), h8 (bit 7).
  EXPECT_EQ(Pos.DiagOcc[7], 0xC3);
  // a8 alone on DiagOcc[0] and AntiDiagOcc[7], which runs a8..h1.
  EXPECT_EQ(Pos.DiagOcc[0], 0x01);
  EXPECT_EQ(Pos.AntiDiagOcc[7], 0xC3);
}

TEST(NewGame, ReturnsToTheSetUpStartAndRestartsTheClock) {
  ClearSetup();
  std::memset(Pos.Board, 0, 64);
  Pos.Board[E1] = KING;
  Pos.Board[E8] = BLACK_BIT + KING;
  Pos.Board[D2] = QUEEN;
  Pos.SideToMove = BLACK;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeCastleRights();
  RecomputeKeys();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  Game.HasSetupStart = true;
  SaveStartPosition();
  HashKey setupKey = Pos.Key;

  Pos.Board[D2] = 0;  // play around with the position
  Game.GameHalfmoveClock = 17;
  NewGame();
  EXPECT_EQ(Pos.Board[D2], QUEEN);
  EXPECT_EQ(Pos.SideToMove, BLACK);
  EXPECT_EQ(Pos.Key, setupKey);
  EXPECT_EQ(Pos.ImbalanceKey, 136 + 32 + 256);
  EXPECT_EQ(Game.GameHalfmoveClock, 0);

  ClearSetup();
  EXPECT_EQ(Pos.Board[D1], QUEEN);
  EXPECT_EQ(Pos.SideToMove, WHITE);
}

TEST(Recompute, EmptyBoardLeavesKingSquaresAlone) {
  ClearSetup();
  std::memset(Pos.Board, 0, 64);
  RecomputeBitboards();
  for (Bitboard bb : Pos.PieceBB) EXPECT_EQ(bb, 0u);
  EXPECT_EQ(Pos.AllOcc | Pos.WhiteOcc | Pos.BlackOcc, 0u);
  EXPECT_EQ(Pos.Material, 0);
  EXPECT_EQ(Pos.PawnCount[WHITE] + Pos.PawnCount[BLACK], 0);
  EXPECT_EQ(Pos.PieceUnits[WHITE] + Pos.PieceUnits[BLACK], 0);
  EXPECT_EQ(Pos.KingSquare[WHITE], E1);
  EXPECT_EQ(Pos.KingSquare[BLACK], E8);
}

TEST(Recompute, CastleRightsFromKingsAndRooks) {
  ClearSetup();
  RecomputeCastleRights();
  EXPECT_EQ(Pos.CastleRights, 15);
  Pos.Board[A1] = 0;
  Pos.Board[H8] = 0;
  RecomputeCastleRights();
  EXPECT_EQ(Pos.CastleRights, 1 | 8);
  Pos.Board[E1] = 0;
  Pos.Board[F1] = KING;
  RecomputeCastleRights();
  EXPECT_EQ(Pos.CastleRights, 8);
}

TEST(MoveWord, FieldsAndCoordinates) {
  Move e2e4 = MakeMoveWord(E2, E4, PAWN);
  EXPECT_EQ(MoveFrom(e2e4), E2);
  EXPECT_EQ(MoveTo(e2e4), E4);
  EXPECT_EQ(MoveType(e2e4), PAWN);
  EXPECT_EQ(MoveToCoordString(e2e4), "e2e4");
  EXPECT_EQ(MoveToCoordString(0), "a1a1");
  EXPECT_EQ(MoveToCoordString(MakeMoveWord(E7, E8, PAWN, 0, QUEEN)), "e7e8q");
  EXPECT_EQ(MoveToCoordString(MakeMoveWord(B2, A1, PAWN, ROOK, KNIGHT)), "b2a1n");
  EXPECT_EQ(MoveToCoordString(CASTLE_WK), "e1g1");
  EXPECT_EQ(MakeMoveWord(E1, G1, KING), CASTLE_WK);
  EXPECT_EQ(MakeMoveWord(E1, C1, KING), CASTLE_WQ);
  EXPECT_EQ(MakeMoveWord(E8, G8, KING), CASTLE_BK);
  EXPECT_EQ(MakeMoveWord(E8, C8, KING), CASTLE_BQ);
  char buffer[6];
  MoveToCoord(MakeMoveWord(A7, B8, PAWN, KNIGHT, BISHOP), buffer);
  EXPECT_STREQ(buffer, "a7b8b");
}

TEST(PieceCodes, ColourBitAndTables) {
  for (int type = PAWN; type <= KING; type++) {
    EXPECT_TRUE(IsBlackCode(PieceCodeOf(BLACK, type)));
    EXPECT_FALSE(IsBlackCode(PieceCodeOf(WHITE, type)));
    EXPECT_EQ(TypeOfCode(PieceCodeOf(BLACK, type)), type);
    EXPECT_EQ(PieceCodeValue[PieceCodeOf(BLACK, type)], -PieceValue[type]);
  }
  EXPECT_EQ(PieceRank[QUEEN], 9);
  EXPECT_EQ(PieceValue[KING], 1000);
}

}  // namespace
