// Attack tables, sliding lookups, attack tests, pins and static exchange.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <random>
#include <utility>

#include "position/test_positions.h"

namespace {

using vtest::MustSetFen;

Bitboard Squares(std::initializer_list<int> squares) {
  Bitboard bb = 0;
  for (int s : squares) bb |= 1ull << s;
  return bb;
}

// An arbitrary board (kings not required), every representation recomputed.
void PlacePieces(std::initializer_list<std::pair<int, int>> pieces, int side = WHITE) {
  InitAttackTables();
  std::memset(Pos.Board, 0, 64);
  for (auto [sq, code] : pieces) Pos.Board[sq] = static_cast<uint8_t>(code);
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  Pos.SideToMove = static_cast<uint8_t>(side);
  Pos.CastleRights = 0;
  Pos.EnPassantBB = 0;
  RecomputeKeys();
  RefreshSliderSets();
}

constexpr int BP = BLACK_BIT + PAWN, BN = BLACK_BIT + KNIGHT, BB = BLACK_BIT + BISHOP, BR = BLACK_BIT + ROOK,
              BQ = BLACK_BIT + QUEEN, BK = BLACK_BIT + KING;

TEST(SlidingAttacks, StartPositionAndEmptyBoardExamples) {
  MustSetFen(vtest::START_FEN);
  EXPECT_EQ(RookAttacksFrom(A1), Squares({A2, B1}));
  EXPECT_EQ(BishopAttacksFrom(C1), Squares({B2, D2}));
  PlacePieces({{D4, QUEEN}});
  EXPECT_EQ(PopCount(QueenAttacksFrom(D4)), 27);
  EXPECT_EQ(QueenAttacksFrom(D4), Attacks.QueenRays[D4]);
}

TEST(SlidingAttacks, StopOnAndIncludeTheFirstBlocker) {
  PlacePieces({{A1, ROOK}, {A5, BP}, {E1, KNIGHT}});
  EXPECT_EQ(RookAttacksFrom(A1), Squares({A2, A3, A4, A5, B1, C1, D1, E1}));
  EXPECT_EQ(RankReach(A1), 0x1E);  // files b..e
}

// Ray walk on the board itself, the reference for every rotated lookup.
Bitboard WalkRays(int s, std::initializer_list<int> deltas) {
  Bitboard set = 0;
  for (int d : deltas) {
    int sq = s;
    while (true) {
      int next = sq + d;
      if (next < 0 || next > 63 || std::abs(FileOf(next) - FileOf(sq)) > 1) break;
      sq = next;
      set |= 1ull << sq;
      if (Pos.Board[sq]) break;
    }
  }
  return set;
}

TEST(SlidingAttacks, AgreeWithARayWalkOnRandomBoards) {
  InitAttackTables();
  std::mt19937 rng(12345);
  for (int round = 0; round < 400; round++) {
    std::memset(Pos.Board, 0, 64);
    int density = 2 + round % 6;
    for (int s = 0; s < 64; s++)
      if (rng() % density == 0) Pos.Board[s] = static_cast<uint8_t>(rng() % 2 ? PAWN : BP);
    RecomputeBitboards();
    RecomputeRotated();
    RecomputeDiagonals();
    for (int s = 0; s < 64; s++) {
      ASSERT_EQ(RankAttacksFrom(s), WalkRays(s, {1, -1})) << s;
      ASSERT_EQ(FileAttacksFrom(s), WalkRays(s, {8, -8})) << s;
      ASSERT_EQ(AntiDiagAttacksFrom(s), WalkRays(s, {7, -7})) << s;
      ASSERT_EQ(DiagAttacksFrom(s), WalkRays(s, {9, -9})) << s;
      ASSERT_EQ(RankReach(s), static_cast<uint8_t>(RankAttacksFrom(s) >> (RankOf(s) * 8)));
    }
  }
}

TEST(AttackTables, LinesBetweenSquares) {
  InitAttackTables();
  EXPECT_EQ(Attacks.InBetween[A1][H8], Squares({B2, C3, D4, E5, F6, G7}));
  EXPECT_EQ(Attacks.InBetween[H8][A1], Attacks.InBetween[A1][H8]);
  EXPECT_EQ(Attacks.InBetween[E1][E4], Squares({E2, E3}));
  EXPECT_EQ(Attacks.InBetween[E1][E2], 0u);
  EXPECT_EQ(Attacks.InBetween[E1][E1], 0u);
  EXPECT_EQ(Attacks.InBetween[E1][F3], 0u);
  EXPECT_EQ(Attacks.InBetween[H1][A2], 0u);  // no wrap along a "rank"
  // Target first, origin second: the step from the origin towards the target.
  EXPECT_EQ(Attacks.LineDir[E4][E1], 8);
  EXPECT_EQ(Attacks.LineDir[E1][E4], -8);
  EXPECT_EQ(Attacks.LineDir[H4][E1], 9);
  EXPECT_EQ(Attacks.LineDir[A5][E1], 7);
  EXPECT_EQ(Attacks.LineDir[A1][H1], -1);
  EXPECT_EQ(Attacks.LineDir[F3][E1], 0);
  EXPECT_EQ(Attacks.LineDir[E1][E1], 0);
  for (int a = 0; a < 64; a++)
    for (int b = 0; b < 64; b++)
      for (int kind = 0; kind < 5; kind++) ASSERT_EQ(Attacks.Reach[kind][a][b], Attacks.Reach[kind][b][a]);
  EXPECT_EQ(Attacks.Reach[2][A1][H8], 0);  // rook
  EXPECT_EQ(Attacks.Reach[3][A1][H8], 1);  // queen
  // Pawn attacks and neighbours do not wrap round the board edge.
  EXPECT_EQ(Attacks.PawnAttacks[WHITE][H2], Squares({G3}));
  EXPECT_EQ(Attacks.PawnAttacks[BLACK][A7], Squares({B6}));
  EXPECT_EQ(Attacks.Beside[H5], Squares({G5}));
  EXPECT_EQ(Attacks.Ray[RAY_SW][C3], Squares({B2, A1}));
}

TEST(AttackTests, AttackedSquares) {
  MustSetFen(vtest::START_FEN);
  EXPECT_FALSE(IsAttacked(E1, BLACK));
  EXPECT_TRUE(IsAttacked(F3, WHITE));
  EXPECT_FALSE(IsAttacked(E4, WHITE));
  EXPECT_TRUE(IsAttackedByBlack(F6));
  for (int knightSquare : {D3, F3}) {
    MustSetFen(vtest::START_FEN);
    Pos.Board[knightSquare] = BN;
    RecomputeBitboards();
    RecomputeRotated();
    RecomputeDiagonals();
    EXPECT_TRUE(IsAttacked(E1, BLACK)) << knightSquare;
    EXPECT_TRUE(IsAttackedByBlack(E1));
  }
}

TEST(AttackTests, AttackerSets) {
  PlacePieces({{E4, BP}, {D3, PAWN}, {F5, BP}, {C2, BISHOP}, {E1, ROOK}, {G6, BB}, {G5, BN}, {F4, KING},
               {H7, BQ}, {E8, BR}});
  // c2 and g6 are blocked by d3 and f5; the f5 pawn and the g5 knight attack e4.
  EXPECT_EQ(WhiteAttackersOf(E4), Squares({D3, E1, F4}));
  EXPECT_EQ(BlackAttackersOf(E4), Squares({F5, G5, E8}));
  EXPECT_EQ(AttackersOf(E4), Squares({D3, E1, F4, F5, G5, E8}));
  EXPECT_EQ(BlackAttackersOf(F4), 0u);
  EXPECT_FALSE(IsAttacked(E3, BLACK));
  EXPECT_TRUE(IsAttacked(D3, BLACK));  // the e4 pawn
}

TEST(Pins, PinnedOnlyWithAnEnemySliderOfTheRightKindBehind) {
  PlacePieces({{E1, KING}, {E3, KNIGHT}, {E7, BR}, {C3, BISHOP}, {A5, BB}, {G1, ROOK}, {H1, BQ},
               {F2, PAWN}, {H4, BR}, {E8, BK}, {B3, KNIGHT}});
  EXPECT_TRUE(IsPinnedToKing(WHITE, E3));   // file, rook behind
  EXPECT_TRUE(IsPinnedToKing(WHITE, G1));   // rank, queen behind
  EXPECT_FALSE(IsPinnedToKing(WHITE, F2));  // diagonal f2-g3-h4, but a rook cannot pin there
  EXPECT_TRUE(IsPinnedToKing(WHITE, C3));   // diagonal, bishop behind
  EXPECT_FALSE(IsPinnedToKing(WHITE, B3));  // no line to the king
  PlacePieces({{E1, KING}, {D2, KNIGHT}, {C3, PAWN}, {A5, BB}, {E8, BK}});
  EXPECT_FALSE(IsPinnedToKing(WHITE, D2));  // a second piece stands between
  EXPECT_FALSE(IsPinnedToKing(WHITE, C3));
  PlacePieces({{E1, KING}, {D2, KNIGHT}, {A5, BB}, {E8, BK}, {E7, BP}});
  EXPECT_TRUE(IsPinnedToKing(WHITE, D2));
  EXPECT_FALSE(IsPinnedToKing(BLACK, E7));  // only the enemy king on the line
}

TEST(StaticExchange, XrayThroughTheFirstCapturer) {
  PlacePieces({{A1, ROOK}, {A2, ROOK}, {A7, BP}, {A8, BR}, {H1, KING}, {H8, BK}});
  EXPECT_EQ(StaticExchange(A2, A7), 100);
}

TEST(StaticExchange, SimpleTrades) {
  // Pawn takes a knight that a pawn defends: 300 - 100.
  PlacePieces({{E4, PAWN}, {D5, BN}, {C6, BP}, {A1, KING}, {H8, BK}});
  EXPECT_EQ(StaticExchange(E4, D5), 200);
  // Queen takes a pawn that a pawn defends: 100 - 900.
  PlacePieces({{D1, QUEEN}, {D5, BP}, {E6, BP}, {A1, KING}, {H8, BK}});
  EXPECT_EQ(StaticExchange(D1, D5), -800);
  // Rook takes an undefended rook.
  PlacePieces({{A1, ROOK}, {A8, BR}, {H1, KING}, {H7, BK}});
  EXPECT_EQ(StaticExchange(A1, A8), 500);
  // A king may not take a defended piece: its capture costs 1000.
  PlacePieces({{E1, KING}, {E2, BN}, {E8, BR}, {H8, BK}});
  EXPECT_EQ(StaticExchange(E1, E2), 300 - 1000);
  // Black to move: the sign follows the side to move.
  PlacePieces({{E5, BP}, {D4, KNIGHT}, {C3, PAWN}, {A1, KING}, {H8, BK}}, BLACK);
  EXPECT_EQ(StaticExchange(E5, D4), 200);
  // A bishop behind a pawn joins along the diagonal.
  PlacePieces({{D4, PAWN}, {C3, BISHOP}, {E5, BN}, {F6, BP}, {A1, KING}, {H8, BK}});
  EXPECT_EQ(StaticExchange(D4, E5), 300);
}

TEST(PieceAttacks, QuickGeometricTest) {
  PlacePieces({{E2, PAWN}, {B1, KNIGHT}, {C1, BISHOP}, {D2, PAWN}, {A1, ROOK}, {E1, KING}, {H8, BK}});
  EXPECT_TRUE(PieceAttacks(PAWN, E2, E3));  // straight ahead counts
  EXPECT_TRUE(PieceAttacks(PAWN, E2, F3));
  EXPECT_FALSE(PieceAttacks(PAWN, E2, E4));
  EXPECT_TRUE(PieceAttacks(KNIGHT, B1, C3));
  EXPECT_FALSE(PieceAttacks(KNIGHT, B1, B3));
  EXPECT_FALSE(PieceAttacks(BISHOP, C1, E3));  // d2 blocks
  EXPECT_TRUE(PieceAttacks(BISHOP, C1, B2));
  EXPECT_TRUE(PieceAttacks(ROOK, A1, A8));
  EXPECT_TRUE(PieceAttacks(KING, E1, F2));
  Pos.SideToMove = BLACK;
  EXPECT_TRUE(PieceAttacks(PAWN, E2, D1));
}

}  // namespace
