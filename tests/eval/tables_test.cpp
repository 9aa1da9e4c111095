// The weight tables as colour properties that no single position shows: the
// Black copies mirror the White ones at any strength, and the imbalance and
// the rule of the square swap with the colours.
#include <cstddef>
#include <cstring>

#include "eval/eval_internal.h"
#include "support/engine.h"

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

TEST_F(WeightTables, ImbalanceAndTheRuleOfTheSquareSwapWithTheColours) {
  auto at = [](int minors, int majors, bool whiteQueen, bool blackQueen) {
    return EvalTables.ImbalanceTable[(minors + 8) | (majors + 8) << 4 | whiteQueen << 8 | blackQueen << 9];
  };
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
