// Weight tables, their mirrors, the strength scaling and the derived tables.
#include <string>

#include "eval_test_util.h"
#include "support/engine_process.h"

namespace {

using evaltest::EvalTest;

// Every 64-square table with its two colour copies.
template <typename Fn>
void ForEachColourTable(Fn fn) {
  ScaledWeights& w = Weights;
  fn("PawnSquareBonus", w.PawnSquareBonus);
  fn("KnightSquareBonus", w.KnightSquareBonus);
  fn("BishopSquareBonus", w.BishopSquareBonus);
  fn("RookSquareBonus", w.RookSquareBonus);
  fn("Centre", w.Centre);
  fn("KingEndgameBoth", w.KingEndgameBoth);
  fn("KingEndgameKingSide", w.KingEndgameKingSide);
  fn("KingEndgameQueenSide", w.KingEndgameQueenSide);
  fn("IsolatedPenalty", w.IsolatedPenalty);
  fn("BackwardPenalty", w.BackwardPenalty);
  fn("OutpostBonus", w.OutpostBonus);
  fn("QueenSquareBonus", EvalTables.QueenSquareBonus);
}

TEST_F(EvalTest, FullStrengthTablesHoldTheirValues) {
  const ScaledWeights& w = Weights;
  // The 64-square tables are written 8th rank first: a1 is the last row's first value.
  EXPECT_EQ(w.KnightSquareBonus[WHITE][A1], -50);
  EXPECT_EQ(w.KnightSquareBonus[WHITE][A8], -60);
  EXPECT_EQ(w.PawnSquareBonus[WHITE][E3], 8);
  EXPECT_EQ(w.OutpostBonus[WHITE][D5], 15);
  EXPECT_EQ(w.BackwardPenalty[WHITE][A3], -1);
  EXPECT_EQ(w.KingEndgameKingSide[WHITE][A8], -90);
  EXPECT_EQ(EvalTables.QueenSquareBonus[WHITE][C1], -9);
  EXPECT_EQ(EvalTables.KingDangerBase[WHITE][G1], 0);
  EXPECT_EQ(EvalTables.KingDangerBase[WHITE][A8], 9);
  // Index tables at the ends of their runs.
  EXPECT_EQ(w.KingSafetyTable[23], 145);
  EXPECT_EQ(w.KingSafetyTable[63], 150);
  EXPECT_EQ(w.AttackMultiplier[33], 31);
  EXPECT_EQ(w.AttackMultiplier[34], 32);
  EXPECT_EQ(w.KingAttackTable[-8 + 8], -25);
  EXPECT_EQ(w.KingAttackTable[26 + 8], 170);
  EXPECT_EQ(w.KingAttackTable[119 + 8], 180);
  EXPECT_EQ(w.OutsidePasserBonus[19], 16);
  EXPECT_EQ(w.OutsidePasserBonus[127], 12);
  EXPECT_EQ(w.BishopPairBonus[8], 8);
  EXPECT_EQ(w.CastlingRightsBonus[12], -30);
  EXPECT_EQ(EvalTables.RookFileProximity[-1 + 8], 3);
  EXPECT_EQ(EvalTables.QueenFileProximity[2 + 8], 3);
}

TEST_F(EvalTest, BlackCopiesAreRankMirrors) {
  ForEachColourTable([](const char* name, const auto& table) {
    for (int s = 0; s < 64; s++) ASSERT_EQ(table[BLACK][s], table[WHITE][s ^ 56]) << name << " square " << s;
  });
  for (int s = 0; s < 64; s++)
    ASSERT_EQ(EvalTables.KingDangerBase[BLACK][s], EvalTables.KingDangerBase[WHITE][s ^ 56]);
}

TEST_F(EvalTest, HalfStrength) {
  ScaleEvalTables(50);
  const ScaledWeights& w = Weights;
  EXPECT_EQ(w.KnightSquareBonus[WHITE][A1], -25);
  EXPECT_EQ(w.KnightSquareBonus[BLACK][A8], -25);
  const int passed[8] = {0, 4, 8, 16, 30, 60, 80, 0};
  for (int r = 0; r < 8; r++) EXPECT_EQ(w.PassedBonus[r], passed[r]);
  EXPECT_EQ(w.KingAttackTable[27 + 8], 90);
  EXPECT_EQ(w.AttackMultiplier[0], 8);
  EXPECT_EQ(w.OutsidePasserBonus[0], 48);
  EXPECT_EQ(w.CastlingRightsBonus[12], -15);
  // Not scaled.
  EXPECT_EQ(EvalTables.QueenSquareBonus[WHITE][A1], -14);
  EXPECT_EQ(EvalTables.ImbalanceTable[136 + 1], 120);
  EXPECT_EQ(EvalTables.KingDangerBase[WHITE][H8], 9);
}

TEST_F(EvalTest, ThirdStrengthTruncatesTowardZero) {
  ScaleEvalTables(33);
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A1], -16);  // -16.5
  EXPECT_EQ(Weights.KingSafetyTable[24], 49);            // 49.5
  EXPECT_EQ(Weights.OutsidePasserBonus[0], 31);          // 31.68, a byte table
}

TEST_F(EvalTest, ZeroStrengthClearsEveryScaledTableAndRescalingStartsFromTheBase) {
  ScaleEvalTables(0);
  ForEachColourTable([](const char* name, const auto& table) {
    if (std::string(name) == "QueenSquareBonus") return;
    for (int c = 0; c < 2; c++)
      for (int s = 0; s < 64; s++) ASSERT_EQ(table[c][s], 0) << name;
  });
  for (int i = 0; i < 64; i++) {
    ASSERT_EQ(Weights.KingSafetyTable[i], 0);
    ASSERT_EQ(Weights.AttackMultiplier[i], 0);
    ASSERT_EQ(Weights.MobilityWeight[i], 0);
  }
  for (int i = 0; i < 128; i++) {
    ASSERT_EQ(Weights.KingAttackTable[i], 0);
    ASSERT_EQ(Weights.OutsidePasserBonus[i], 0);
  }
  for (int i = 0; i < 16; i++) {
    ASSERT_EQ(Weights.BishopPairBonus[i], 0);
    ASSERT_EQ(Weights.CastlingRightsBonus[i], 0);
  }
  for (int r = 0; r < 8; r++) ASSERT_EQ(Weights.UnstoppableBonus[r] | Weights.PassedBonus[r], 0);
  EXPECT_EQ(EvalTables.QueenSquareBonus[WHITE][A1], -14);

  ScaleEvalTables(33);
  ScaleEvalTables(100);
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A1], -50);
  EXPECT_EQ(Weights.KingAttackTable[27 + 8], 180);
  EXPECT_EQ(Weights.PassedBonus[6], 160);
}

TEST_F(EvalTest, OptionFileStrengthScalesTheTables) {
  vtest::TempDir dir;
  dir.Write("option.txt", "STRENGTH 50\nEND.\n");
  testing::internal::CaptureStdout();
  ReadOptionFile(dir.File("option.txt").c_str());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("WARNING: Vessik uses 50% of its strength!\n"), std::string::npos);
  EXPECT_EQ(Weights.PassedBonus[6], 80);
  EXPECT_EQ(Weights.KnightSquareBonus[BLACK][H8], -25);
  // The base copy is the full-strength table.
  EXPECT_EQ(BaseWeights.PassedBonus[6], 160);
  ResetEvalTables();
}

TEST_F(EvalTest, BishopMobilityLeavesOutBothEndsOfTheReach) {
  // a1 on an empty long diagonal reaches b2..h8; c3, d4, e5, f6, g7 count.
  const uint8_t aloneOnDiagonal = 1;  // only a1's own bit
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][aloneOnDiagonal], 4 + 9 + 9 + 4 + 1);
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][0], 27);
  for (int o = 0; o < 256; o++) ASSERT_EQ(EvalTables.BishopMobility[0][A1][o], 0);
  // A blocker on d4 (bit 3) ends the reach there: b2, c3, d4 leave c3 alone.
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][1 | 8], 4);

  // A strength change reaches the mobility at the next initialisation only.
  ScaleEvalTables(50);
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][0], 27);
  InitEvalTables();
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][0], 2 + 4 + 4 + 2 + 0);
}

TEST_F(EvalTest, ShelterFileTableAndCentreFileDanger) {
  EXPECT_EQ(EvalTables.ShelterFileTable[0xFF][0xFF], 0u);
  // Files a, b, c open, everything else closed.
  uint32_t word = EvalTables.ShelterFileTable[0xF8][0xF8];
  EXPECT_EQ(word & 0xFF, 11u);
  EXPECT_EQ((word >> 8) & 0xFF, 0u);
  EXPECT_EQ((word >> 16) & 0xFF, 11u);
  EXPECT_EQ(word >> 24, 0u);
  // Queen side with Black pawns only (half-open for White): White 10 - 6,
  // Black 0 + 10 / 2 with no open file.
  word = EvalTables.ShelterFileTable[0xF8][0xFF];
  EXPECT_EQ(word & 0xFF, 4u);
  EXPECT_EQ((word >> 16) & 0xFF, 5u);

  EXPECT_EQ(EvalTables.CentreFileDanger[0][0xFF], 0);
  EXPECT_EQ(EvalTables.CentreFileDanger[0][0xFF & ~(4 | 8 | 16)], 8);
  EXPECT_EQ(EvalTables.CentreFileDanger[1][0xFF & ~16], 4);
  EXPECT_EQ(EvalTables.CentreFileDanger[1][0xFF & ~(8 | 32)], 4);
}

TEST_F(EvalTest, ImbalanceTableRules) {
  auto at = [](int minors, int majors, bool whiteQueen, bool blackQueen) {
    return EvalTables.ImbalanceTable[(minors + 8) | (majors + 8) << 4 | (whiteQueen ? 256 : 0) |
                                     (blackQueen ? 512 : 0)];
  };
  EXPECT_EQ(EvalTables.ImbalanceTable[904 & 0x3FF], 0);  // the start position
  EXPECT_EQ(at(1, 0, false, false), 120);
  EXPECT_EQ(at(-1, 0, false, false), -120);
  EXPECT_EQ(at(2, -1, false, false), 120);   // two minors for a rook
  EXPECT_EQ(at(1, -1, false, false), -30);   // the exchange for a minor
  EXPECT_EQ(at(-1, 1, false, false), 30);
  EXPECT_EQ(at(-2, 1, false, false), -120);
  EXPECT_EQ(at(3, -2, true, true), 120);     // three minors for a queen
  EXPECT_EQ(at(2, -2, true, true), 0);
  EXPECT_EQ(at(1, 3, false, false), 0);
  EXPECT_EQ(at(0, 1, false, false), 120);
  EXPECT_EQ(at(0, 0, true, false), 60);
  EXPECT_EQ(at(0, 0, false, true), -60);
  // Swapping the colours negates every entry.
  for (int a = -7; a <= 7; a++)
    for (int b = -7; b <= 7; b++)
      for (int q = 0; q < 4; q++)
        ASSERT_EQ(at(a, b, q & 1, q & 2), -at(-a, -b, q & 2, q & 1)) << a << " " << b << " " << q;
}

TEST_F(EvalTest, GeometryTables) {
  const EvalTableSet& t = EvalTables;
  EXPECT_EQ(t.Tropism[D4][D4], 3);
  EXPECT_EQ(t.Tropism[A1][C3], 3);
  EXPECT_EQ(t.Tropism[A1][D1], 2);
  EXPECT_EQ(t.Tropism[A1][E8], 0);
  EXPECT_EQ(t.QueenTropism[A1][B2], 4);
  EXPECT_EQ(t.QueenTropism[A1][E5], 1);

  EXPECT_TRUE(t.KingBeside[H7][G7]);
  EXPECT_TRUE(t.KingBeside[F8][G7]);
  EXPECT_FALSE(t.KingBeside[F6][G7]);
  EXPECT_FALSE(t.KingBeside[G8][G7]);
  EXPECT_TRUE(t.KingBelow[F6][G7]);
  EXPECT_FALSE(t.KingBelow[F8][G7]);

  EXPECT_FALSE(t.OutsideFiles[0][0]);
  EXPECT_TRUE(t.OutsideFiles[0][1 << 2]);   // a-file passer, enemy pawns on c only
  EXPECT_FALSE(t.OutsideFiles[1][1 << 2]);
  EXPECT_TRUE(t.OutsideFiles[7][1 << 5]);
  EXPECT_FALSE(t.OutsideFiles[6][1 << 5]);

  // White pawn on e5 (rank index 4), Black king on e8: inside either way.
  EXPECT_FALSE(t.OutsideSquare[WHITE][BLACK][E5][E8]);
  EXPECT_FALSE(t.OutsideSquare[WHITE][WHITE][E5][E8]);
  // Black king on a5 (four files away): caught only with Black to move.
  EXPECT_FALSE(t.OutsideSquare[WHITE][BLACK][E5][A5]);
  EXPECT_TRUE(t.OutsideSquare[WHITE][WHITE][E5][A5]);
  // Behind the pawn.
  EXPECT_TRUE(t.OutsideSquare[WHITE][BLACK][E5][E3]);
  // The Black rules are the rank mirror with the side to move swapped.
  for (int p = 8; p < 56; p++)
    for (int k = 0; k < 64; k++)
      for (int stm = 0; stm < 2; stm++)
        ASSERT_EQ(t.OutsideSquare[WHITE][stm][p][k], t.OutsideSquare[BLACK][stm ^ 1][p ^ 56][k ^ 56]);

  EXPECT_EQ(t.KingShutInMasks[WHITE][C1], (1ull << A1) | (1ull << B1) | (1ull << A2));
  EXPECT_EQ(t.KingShutInMasks[WHITE][E1], 0u);
  EXPECT_EQ(t.KingShutInMasks[WHITE][A8], 0u);
  EXPECT_EQ(t.KingShutInMasks[BLACK][G8], (1ull << H8) | (1ull << H7));

  EXPECT_EQ(t.PassedSpan[WHITE][E4], 0x3838383800000000ull);
  EXPECT_EQ(t.PassedSpan[WHITE][E8], 0u);
  EXPECT_EQ(t.PassedSpan[BLACK][E1], 0u);
  EXPECT_EQ(t.SupportSpan[WHITE][E3], 0x0000000000282828ull);
  EXPECT_EQ(t.OutpostSpan[WHITE][D5], 0x1414140000000000ull);
  EXPECT_EQ(t.DuoSquares[A4], 1ull << B4);
}

}  // namespace
