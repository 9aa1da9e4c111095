// The weight tables: Black copies that mirror the White ones, the strength
// scaling (from the base copy, truncated toward zero, through option.txt), and
// the derived tables whose rules are not visible in a single position.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "eval/eval_internal.h"
#include "frontend/frontend.h"
#include "support/engine.h"
#include "support/engine_process.h"

namespace {

class WeightTables : public vtest::EngineTest {};

// The eleven colour tables lead the scaled weights.
static_assert(offsetof(ScaledWeights, MobilityWeight) == 11 * sizeof(int[2][64]));

void ExpectMirrored() {
  int tables[13][2][64];
  std::memcpy(tables, &Weights, 11 * sizeof tables[0]);
  std::memcpy(tables[11], EvalTables.QueenSquareBonus, sizeof tables[11]);
  for (int c : {WHITE, BLACK})
    for (int s = 0; s < 64; s++) tables[12][c][s] = EvalTables.KingDangerBase[c][s];
  for (int t = 0; t < 13; t++)
    for (int s = 0; s < 64; s++) ASSERT_EQ(tables[t][BLACK][s], tables[t][WHITE][s ^ 56]) << t << " on " << s;
}

TEST_F(WeightTables, BlackCopiesAreRankMirrorsAtAnyStrength) {
  // Written 8th rank first: a1 is the last row's first value.
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A1], -50);
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A8], -60);
  ExpectMirrored();
  ScaleEvalTables(33);
  ExpectMirrored();
}

TEST_F(WeightTables, StrengthScalesFromTheBaseAndTruncatesTowardZero) {
  ScaleEvalTables(50);
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A1], -25);
  EXPECT_EQ(Weights.KnightSquareBonus[BLACK][A8], -25);
  EXPECT_EQ(Weights.PassedBonus[6], 80);
  EXPECT_EQ(Weights.KingAttackTable[27 + 8], 90);
  EXPECT_EQ(Weights.CastlingRightsBonus[12], -15);
  // Neither the queen squares, the imbalance nor the king's base danger scale.
  EXPECT_EQ(EvalTables.QueenSquareBonus[WHITE][A1], -14);
  EXPECT_EQ(EvalTables.ImbalanceTable[136 + 1], 120);
  EXPECT_EQ(EvalTables.KingDangerBase[WHITE][H8], 9);
  ScaleEvalTables(33);
  EXPECT_EQ(Weights.KnightSquareBonus[WHITE][A1], -16);  // -16.5
  EXPECT_EQ(Weights.KingSafetyTable[24], 49);            // 49.5
  EXPECT_EQ(Weights.OutsidePasserBonus[0], 31);          // 31.68, a byte table
  // The bishop mobility is derived from a scaled table at initialisation only.
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][1], 27);
  InitEvalTables();
  EXPECT_EQ(EvalTables.BishopMobility[1][A1][1], 1 + 2 + 2 + 1 + 0);
  ScaleEvalTables(0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&Weights);
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof Weights, [](unsigned char b) { return b == 0; }));
  ScaleEvalTables(100);
  EXPECT_EQ(std::memcmp(&Weights, &BaseWeights, sizeof Weights), 0) << "rescaling kept a truncation";
}

TEST_F(WeightTables, OptionFileStrengthScalesTheTables) {
  vtest::TempDir dir;
  dir.Write("option.txt", "STRENGTH 50\nEND.\n");
  const std::string out = vtest::Printed([&] { ReadOptionFile(dir.File("option.txt").c_str()); });
  EXPECT_NE(out.find("WARNING: Vessik uses 50% of its strength!\n"), std::string::npos);
  EXPECT_EQ(Weights.PassedBonus[6], 80);
  EXPECT_EQ(Weights.KnightSquareBonus[BLACK][H8], -25);
  EXPECT_EQ(BaseWeights.PassedBonus[6], 160);
}

TEST_F(WeightTables, ImbalanceRulesAndColourSwaps) {
  auto at = [](int minors, int majors, bool whiteQueen, bool blackQueen) {
    return EvalTables.ImbalanceTable[(minors + 8) | (majors + 8) << 4 | whiteQueen << 8 | blackQueen << 9];
  };
  // Minor pieces ahead, rooks ahead (a queen counts two), a White and a Black queen present: the bonus.
  const int rules[][5] = {{0, 0, 1, 1, 0},     {1, 0, 0, 0, 120},   {2, -1, 0, 0, 120}, {1, -1, 0, 0, -30},
                          {3, -2, 1, 1, 120},  {2, -2, 1, 1, 0},    {1, 3, 0, 0, 0},    {0, 1, 0, 0, 120},
                          {0, 0, 1, 0, 60}};
  for (const auto& r : rules) EXPECT_EQ(at(r[0], r[1], r[2], r[3]), r[4]) << r[0] << " " << r[1] << " " << r[2] << r[3];
  for (int a = -7; a <= 7; a++)
    for (int b = -7; b <= 7; b++)
      for (int q = 0; q < 4; q++) ASSERT_EQ(at(a, b, q & 1, q >> 1), -at(-a, -b, q >> 1, q & 1)) << a << b << q;
  // The rule of the square for Black is the White rule mirrored, with the other side to move.
  for (int p = 8; p < 56; p++)
    for (int k = 0; k < 64; k++)
      for (int stm : {WHITE, BLACK})
        ASSERT_EQ(EvalTables.OutsideSquare[WHITE][stm][p][k], EvalTables.OutsideSquare[BLACK][stm ^ 1][p ^ 56][k ^ 56]);
}

}  // namespace
