// King safety (pawn cover and open files), king placement in the endgame and
// the king attack product.
#include "eval/eval_internal.h"

int DangerIndex(int danger) {
  // The index is an 8-bit sum whose one negative part is the -1 correction of
  // a shelter byte; real sums stay far below 64. A sum that went below zero
  // and wrapped reads as no danger at all.
  danger &= 0xFF;
  if (danger >= 128) return 0;
  return danger > 63 ? 63 : danger;
}

int KingShelter() {
  const EvalTableSet& t = EvalTables;
  const PawnHashEntry& e = *Ev.PawnEntry;
  const int files = e.PawnFiles[0] | e.PawnFiles[1];
  const int wk = Pos.KingSquare[WHITE], bk = Pos.KingSquare[BLACK];

  uint8_t white = t.KingDangerBase[WHITE][wk];
  if (FileOf(wk) <= 3) {
    if (FileOf(wk) == 3) white += t.CentreFileDanger[0][files];
    white += e.ShelterWeakness[0];
  } else {
    if (FileOf(wk) == 4) white += t.CentreFileDanger[1][files];
    white += e.ShelterWeakness[1];
  }
  uint8_t black = t.KingDangerBase[BLACK][bk];
  if (FileOf(bk) <= 3) {
    if (FileOf(bk) == 3) black += t.CentreFileDanger[0][files];
    black += e.ShelterWeakness[2];
  } else {
    if (FileOf(bk) == 4) black += t.CentreFileDanger[1][files];
    black += e.ShelterWeakness[3];
  }
  int dangerWhite = DangerIndex(white), dangerBlack = DangerIndex(black);
  // Without the enemy queen a king is far safer.
  if (!Pos.PieceBB[BBIndex(WHITE, QUEEN)]) dangerBlack >>= 1;
  if (!Pos.PieceBB[BBIndex(BLACK, QUEEN)]) dangerWhite >>= 1;
  Ev.KingDanger[WHITE] = static_cast<uint8_t>(dangerWhite);
  Ev.KingDanger[BLACK] = static_cast<uint8_t>(dangerBlack);
  return Weights.KingSafetyTable[dangerBlack] - Weights.KingSafetyTable[dangerWhite] +
         Weights.CastlingRightsBonus[Pos.CastleRights & 15];
}

int KingPlacementTerms() {
  const PawnHashEntry& e = *Ev.PawnEntry;
  const int files = e.PawnFiles[0] | e.PawnFiles[1];
  const bool queenSide = (files & 0x0F) != 0, kingSide = (files & 0xF0) != 0;
  const int (*table)[64];
  if (queenSide && kingSide) table = Weights.KingEndgameBoth;
  else if (kingSide) table = Weights.KingEndgameKingSide;
  else if (queenSide) table = Weights.KingEndgameQueenSide;
  else return 0;
  return table[WHITE][Pos.KingSquare[WHITE]] - table[BLACK][Pos.KingSquare[BLACK]];
}

namespace {
int AttackValue(int colour) {
  int weight = Ev.KingAttack[colour];
  VESSIK_ASSERT(weight >= -8 && weight <= 119);
  if (weight < -8) weight = -8;
  if (weight > 119) weight = 119;
  return (Weights.KingAttackTable[weight + 8] * Weights.AttackMultiplier[Ev.KingDanger[colour] & 63]) >> 4;
}
}  // namespace

int KingAttackProduct() { return AttackValue(BLACK) - AttackValue(WHITE); }
