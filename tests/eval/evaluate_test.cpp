// The evaluation driver: drawn endings, the lazy exit, the final scalings,
// the cache, and the start position.
#include "eval_test_util.h"

namespace {

using evaltest::EvalTest;
using evaltest::FreshEvaluate;
using evaltest::SetPosition;

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TEST_F(EvalTest, StartPositionScoresZeroForEitherSideToMove) {
  SetPosition(kStart);
  EXPECT_EQ(Pos.ImbalanceKey, 904);
  EXPECT_EQ(EvalTables.ImbalanceTable[Pos.ImbalanceKey & 0x3FF], 0);
  EXPECT_EQ(FreshEvaluate(), 0);
  EXPECT_EQ(Ev.KingDanger[WHITE], 4);
  EXPECT_EQ(Ev.KingDanger[BLACK], 4);
  EXPECT_EQ(Ev.EndgamePhase, 0);
  EXPECT_EQ(DevelopmentTerms(), 0);
  EXPECT_EQ(TrappedPieceTerms(), 0);
  EXPECT_EQ(RookShutInTerms(), 0);
  SetPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -");
  EXPECT_EQ(FreshEvaluate(), 0);
  EXPECT_EQ(EvaluateForSide(-10000, 10000), 0);
}

TEST_F(EvalTest, OnePawnEndingsThatCannotBeWon) {
  SetPosition("8/8/4k3/8/8/3P4/8/4K2n w - -");  // pawn against knight
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("8/8/4k3/8/8/3P4/8/4K2b b - -");  // pawn against bishop
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("8/8/4k3/8/8/3p4/8/4K2N w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("8/8/4k3/8/8/3P4/8/4K2N w - -");  // pawn and knight against the king
  EXPECT_GT(FreshEvaluate(), 300);

  // Rook and pawn against rook: the defending king in front of the pawn.
  SetPosition("3k4/8/8/3P4/8/8/r7/4K2R w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("4k3/8/8/3P4/8/8/r7/4K2R w - -");
  EXPECT_NE(FreshEvaluate(), 0);
  SetPosition("4k2r/8/8/R7/3p4/8/8/3K4 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("3k3r/8/8/R7/3p4/8/8/4K3 w - -");
  EXPECT_NE(FreshEvaluate(), 0);
}

TEST_F(EvalTest, WrongRookPawnEndingsAreDrawn) {
  SetPosition("k7/8/8/8/8/8/P7/K7 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("1k6/8/8/8/8/P7/P7/K7 b - -");  // doubled a-pawns
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("k7/8/8/8/8/8/P7/K1B5 w - -");  // a bishop of the wrong colour
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("k7/8/8/8/8/8/P7/K2B4 w - -");  // light squares, the colour of a8
  EXPECT_GT(FreshEvaluate(), 300);
  SetPosition("2k5/8/8/8/8/8/P7/K7 w - -");   // king too far from the corner file
  EXPECT_GT(FreshEvaluate(), 50);

  SetPosition("7k/8/8/8/8/8/7P/K2B4 w - -");  // h-pawn, light bishop: the wrong one
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("7k/8/8/8/8/8/7P/K1B5 w - -");  // dark bishop controls h8
  EXPECT_GT(FreshEvaluate(), 300);

  // Black's pawns: the a1 corner is dark.
  SetPosition("k7/p7/8/8/8/8/8/1K6 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("k1b5/p7/8/8/8/8/8/1K6 w - -");  // c8 is light: no help
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("k2b4/p7/8/8/8/8/8/1K6 w - -");  // d8 is dark: controls a1
  EXPECT_LT(FreshEvaluate(), -300);
}

TEST_F(EvalTest, MinorPieceAloneCannotWin) {
  SetPosition("8/8/4k3/8/8/8/8/2N1K3 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("8/8/4k1b1/8/8/8/8/4K3 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  SetPosition("8/8/4k3/8/8/8/8/1NN1K3 w - -");  // 6 units: not caught here
  EXPECT_GT(FreshEvaluate(), 300);
}

TEST_F(EvalTest, BareKingsAndTheLazyExit) {
  // White king a1, Black king c1, White to move: the pawn-ending rule gives
  // Black 150 before the lazy test; the full path scores 0.
  SetPosition("8/8/8/8/8/8/8/K1k5 w - -");
  EXPECT_EQ(FreshEvaluate(), 0);
  ClearEvalCaches();
  EXPECT_EQ(Evaluate(-10000, -350), -150 - 200);
  EXPECT_EQ(Evaluate(50, 10000), -150 + 200);
  // Neither lazy return was stored.
  const EvalHashEntry& slot = Tables.EvalTable[KeyLow(Pos.Key) & Tables.EvalHashMask];
  EXPECT_FALSE(slot.KeyLow == KeyLow(Pos.Key) && slot.KeyHigh == KeyHigh(Pos.Key));
  EXPECT_EQ(Evaluate(-349, 10000), 0);  // inside the margin: full path

  Ev.LazyMargin = 500;
  ClearEvalCaches();
  EXPECT_EQ(Evaluate(-10000, -650), -650);
}

TEST_F(EvalTest, QueenAgainstBareKing) {
  // Material 900, queen a1 (-14), imbalance +120, queen tropism 1 into the
  // attack product (2), mop-up -4 * 5 - (4 * 18 - 30).
  SetPosition("8/8/8/3k4/8/8/8/Q3K3 w - -");
  EXPECT_EQ(FreshEvaluate(), 900 - 14 + 120 + 2 - 20 - 42);
  SetPosition("q3k3/8/8/8/3K4/8/8/8 b - -");
  EXPECT_EQ(FreshEvaluate(), -(900 - 14 + 120 + 2 - 20 - 42));
}

TEST_F(EvalTest, NoPawnsForTheStrongerSide) {
  SetPosition("8/8/8/8/8/8/8/8 w - -");
  Pos.Material = 200;  // rook against a minor piece
  Pos.PieceUnits[WHITE] = 5;
  Pos.PieceUnits[BLACK] = 3;
  Pos.PawnCount[WHITE] = Pos.PawnCount[BLACK] = 0;
  EXPECT_EQ(NoPawnsScale(350), 150);
  EXPECT_EQ(NoPawnsScale(150), 0);
  EXPECT_EQ(NoPawnsScale(-50), 0);  // Black: only 3 units
  Pos.Material = 900;
  EXPECT_EQ(NoPawnsScale(1000), 1000);
  Pos.PawnCount[WHITE] = 1;
  Pos.Material = 200;
  EXPECT_EQ(NoPawnsScale(350), 350);
  Pos.PieceUnits[BLACK] = 5;
  Pos.Material = -100;
  EXPECT_EQ(NoPawnsScale(-120), 0);
  EXPECT_EQ(NoPawnsScale(-350), -150);
}

TEST_F(EvalTest, OppositeColouredBishopsRoundDown) {
  Pos.PieceUnits[WHITE] = Pos.PieceUnits[BLACK] = 3;
  Pos.Material = 100;
  Ev.BishopColours = 1 | 8;  // White light, Black dark
  EXPECT_EQ(OppositeBishopsScale(-161), -41);
  EXPECT_EQ(OppositeBishopsScale(161), 40);
  EXPECT_EQ(OppositeBishopsScale(-201), -101);  // outside 200: halved
  Ev.BishopColours = 1 | 4;                      // same colour: untouched
  EXPECT_EQ(OppositeBishopsScale(-161), -161);
  Ev.BishopColours = 2 | 4;
  Pos.PieceUnits[WHITE] = Pos.PieceUnits[BLACK] = 8;  // bishop and rook each
  Pos.Material = 100;
  EXPECT_EQ(OppositeBishopsScale(150), 150);
  EXPECT_EQ(OppositeBishopsScale(401), ((401 - 100) >> 1) + 100);
  Pos.PieceUnits[BLACK] = 11;
  EXPECT_EQ(OppositeBishopsScale(401), 401);
  Pos.PieceUnits[WHITE] = Pos.PieceUnits[BLACK] = 12;
  EXPECT_EQ(OppositeBishopsScale(401), 401);

  // In a real position: kings, pawns and one bishop each on opposite colours.
  SetPosition("4k3/2p5/3b4/8/8/3B4/2P1P3/4K3 w - -");
  int score = FreshEvaluate();
  EXPECT_EQ(Ev.BishopColours, 1 | 8);
  EXPECT_LE(score < 0 ? -score : score, 60);
}

TEST_F(EvalTest, UnstoppablePasserReturnsEarlyAndLeavesTheCache) {
  // Black king on e6: outside the b-pawn's square only with White to move.
  SetPosition("8/8/1P2k3/8/8/8/8/K7 w - -");
  ClearEvalCaches();
  int score = Evaluate(-10000, 10000);
  EXPECT_EQ(Ev.UnstoppablePasser, 1);
  EXPECT_GT(score, 100 + Weights.UnstoppableBonus[5]);
  const EvalHashEntry& slot = Tables.EvalTable[KeyLow(Pos.Key) & Tables.EvalHashMask];
  EXPECT_NE(slot.KeyLow, KeyLow(Pos.Key));
  // With Black to move the king is inside the square.
  SetPosition("8/8/1P2k3/8/8/8/8/K7 b - -");
  FreshEvaluate();
  EXPECT_EQ(Ev.UnstoppablePasser, 0);
}

TEST_F(EvalTest, LazyMarginGrowsToTheLargestSwing) {
  SetPosition("r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2N2N2/PPPP1PPP/R1BQK2R w KQkq -");
  Ev.LazyMargin = 0;
  ClearEvalCaches();
  int full = Evaluate(-10000, 10000);
  int swing = Ev.LazyMargin;
  // base is the score before the full terms; the lazy exit at margin 0 shows it.
  ClearEvalCaches();
  Ev.LazyMargin = 0;
  int base = Evaluate(-10000, -10000);
  EXPECT_EQ(swing, full > base ? full - base : base - full);
  Ev.LazyMargin = swing + 1;
  ClearEvalCaches();
  Evaluate(-10000, 10000);
  EXPECT_EQ(Ev.LazyMargin, swing + 1);
}

TEST_F(EvalTest, CachedScoresAreReturnedUntilTheCacheIsCleared) {
  SetPosition("r1bqkb1r/pppp1ppp/2n2n2/4p3/4P3/2N2N2/PPPP1PPP/R1BQKB1R w KQkq -");
  int first = FreshEvaluate();
  Weights.KnightSquareBonus[WHITE][C3] += 50;
  EXPECT_EQ(Evaluate(-10000, 10000), first);
  EXPECT_EQ(FreshEvaluate(), first + 50);
  // The other side to move shares the entry.
  Pos.SideToMove = BLACK;
  EXPECT_EQ(Evaluate(-10000, 10000), first + 50);
  EXPECT_EQ(EvaluateForSide(-10000, 10000), -(first + 50));
}

TEST_F(EvalTest, PawnlessMopUpDrivesTheDefendingKingToTheEdge) {
  SetPosition("8/8/8/8/3k4/8/8/R3K3 w - -");  // Black king on d4
  int centre = PawnlessMopUp();
  SetPosition("k7/8/8/8/8/8/8/R3K3 w - -");   // Black king in the corner
  int corner = PawnlessMopUp();
  EXPECT_GT(corner, centre);
  // Black ahead: the same rule from Black's side.
  SetPosition("r3k3/8/8/8/8/8/8/K7 w - -");
  EXPECT_EQ(PawnlessMopUp(), 4 * (4 + 7) + 4 * Weights.Centre[BLACK][A1] - 30);
}

}  // namespace
