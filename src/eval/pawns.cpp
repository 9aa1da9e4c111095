// Pawn structure (cached by PawnKey), passed pawns against the rest of the
// position, and the king race of pawn endings.
#include "eval/eval_internal.h"

namespace {

constexpr Bitboard Bit(int sq) { return 1ull << sq; }
constexpr Bitboard PAWN_RANKS = 0x00FFFFFFFFFFFF00ull;

// Positions of the pawn entry's per-colour bytes.
constexpr int WHITE_FILES = 0, BLACK_FILES = 1;
constexpr int WHITE_QUEEN_SIDE = 0, WHITE_KING_SIDE = 1, BLACK_QUEEN_SIDE = 2, BLACK_KING_SIDE = 3;

// Weakness of one wing's pawn cover: +1/+1 for the rook file and the bishop
// file, +2/+1 for the knight file, the second count only when the first
// square is empty too; -1 when the knight-file pawn on the third rank has a
// neighbour there.
uint8_t CoverWeakness(uint8_t start, Bitboard pawns, int rookNear, int rookFar, int knightNear, int knightFar,
                      int bishopNear, int bishopFar) {
  uint8_t w = start;
  if (!(pawns & Bit(rookNear))) {
    w += 1;
    if (!(pawns & Bit(rookFar))) w += 1;
  }
  if (!(pawns & Bit(knightNear))) {
    w += 2;
    if (!(pawns & Bit(knightFar))) w += 1;
  }
  if (!(pawns & Bit(bishopNear))) {
    w += 1;
    if (!(pawns & Bit(bishopFar))) w += 1;
  }
  if ((pawns & Bit(knightFar)) && (pawns & (Bit(rookFar) | Bit(bishopFar)))) w -= 1;
  return w;
}

}  // namespace

int PawnStructure() {
  const uint32_t keyLow = KeyLow(Pos.PawnKey), keyHigh = KeyHigh(Pos.PawnKey);
  PawnHashEntry& e = EvalCaches.PawnTable[keyLow & EvalCaches.PawnHashMask];
  Ev.PawnEntry = &e;
  // A cleared entry carries key 0, which is also the key of a board without
  // pawns: such a board is always evaluated afresh so that the cleared
  // payload is never taken for it.
  if (e.KeyLow == keyLow && e.KeyHigh == keyHigh && Pos.PawnKey != 0) return e.Score;

  e.PassedSet = 0;
  e.PawnFiles[WHITE_FILES] = e.PawnFiles[BLACK_FILES] = 0;
  const EvalTableSet& t = EvalTables;
  const ScaledWeights& w = Weights;
  // Pawns only ever stand on ranks 2 to 7; a hand-edited board with one on
  // the first or last rank must not send the look-ups below off the board.
  const Bitboard wp = Pos.PieceBB[BBIndex(WHITE, PAWN)] & PAWN_RANKS;
  const Bitboard bp = Pos.PieceBB[BBIndex(BLACK, PAWN)] & PAWN_RANKS;
  int score = 0;

  for (Bitboard b = wp; b;) {
    const int s = PopLowest(b), r = RankOf(s), f = FileOf(s);
    bool isolated = false, backward = false, passed = false, duo = false;
    score += w.PawnSquareBonus[WHITE][s];
    e.PawnFiles[WHITE_FILES] |= t.FileBit[f];
    if (!(wp & t.AdjacentFiles[s])) {
      isolated = true;
      score += w.IsolatedPenalty[WHITE][s];
    }
    if (PopCount(wp & t.FileMask[f]) >= 2) {
      score -= 5;
      if (bp & Bit(s + 8)) score -= 12;
    }
    if (!isolated && !(wp & t.SupportSpan[WHITE][s])) {
      backward = true;
      score += w.BackwardPenalty[WHITE][s];
    }
    if ((isolated || backward) && (bp & Bit(s + 8))) score -= 12;
    const int attackers = PopCount(bp & Attacks.PawnAttacks[WHITE][s + 8]);
    if (attackers > 0 && !(bp & Bit(s + 8)) && attackers >= PopCount(wp & Attacks.PawnAttacks[BLACK][s + 8]))
      score -= 12;
    if (!(bp & t.PassedSpan[WHITE][s])) {
      if (wp & t.FileAbove[s + 8]) {
        score += w.PassedBonus[r] / 2;
      } else {
        passed = true;
        score += w.PassedBonus[r];
        e.PassedSet |= Bit(s);
      }
    } else if (!(bp & t.FileAbove[s]) && !(wp & Attacks.PawnAttacks[BLACK][s])) {
      score -= 10;
      if (isolated || backward) score -= 10;
    }
    if (wp & t.DuoSquares[s]) {
      duo = true;
      score += 2;
    }
    if (passed && !isolated) score += 15;
    if (passed && duo) score += 14;
  }

  for (Bitboard b = bp; b;) {
    const int s = PopLowest(b), r = 7 - RankOf(s), f = FileOf(s);
    bool isolated = false, backward = false, passed = false, duo = false;
    score -= w.PawnSquareBonus[BLACK][s];
    e.PawnFiles[BLACK_FILES] |= t.FileBit[f];
    if (!(bp & t.AdjacentFiles[s])) {
      isolated = true;
      score -= w.IsolatedPenalty[BLACK][s];
    }
    if (PopCount(bp & t.FileMask[f]) >= 2) {
      score += 5;
      if (wp & Bit(s - 8)) score += 12;
    }
    if (!isolated && !(bp & t.SupportSpan[BLACK][s])) {
      backward = true;
      score -= w.BackwardPenalty[BLACK][s];
    }
    if ((isolated || backward) && (wp & Bit(s - 8))) score += 12;
    const int attackers = PopCount(wp & Attacks.PawnAttacks[BLACK][s - 8]);
    if (attackers > 0 && !(wp & Bit(s - 8)) && attackers >= PopCount(bp & Attacks.PawnAttacks[WHITE][s - 8]))
      score += 12;
    if (!(wp & t.PassedSpan[BLACK][s])) {
      if (bp & t.FileBelow[s - 8]) {
        score -= w.PassedBonus[r] / 2;
      } else {
        passed = true;
        score -= w.PassedBonus[r];
        e.PassedSet |= Bit(s);
      }
    } else if (!(wp & t.FileBelow[s]) && !(bp & Attacks.PawnAttacks[WHITE][s])) {
      score += 10;
      if (isolated || backward) score += 10;
    }
    if (bp & t.DuoSquares[s]) {
      duo = true;
      score -= 2;
    }
    if (passed && !isolated) score -= 15;
    if (passed && duo) score -= 14;
  }

  const uint32_t open = t.ShelterFileTable[e.PawnFiles[WHITE_FILES]][e.PawnFiles[BLACK_FILES]];
  e.ShelterWeakness[WHITE_QUEEN_SIDE] = CoverWeakness(static_cast<uint8_t>(open), wp, A2, A3, B2, B3, C2, C3);
  e.ShelterWeakness[WHITE_KING_SIDE] = CoverWeakness(static_cast<uint8_t>(open >> 8), wp, H2, H3, G2, G3, F2, F3);
  e.ShelterWeakness[BLACK_QUEEN_SIDE] = CoverWeakness(static_cast<uint8_t>(open >> 16), bp, A7, A6, B7, B6, C7, C6);
  e.ShelterWeakness[BLACK_KING_SIDE] = CoverWeakness(static_cast<uint8_t>(open >> 24), bp, H7, H6, G7, G6, F7, F6);

  e.KeyLow = keyLow;
  e.KeyHigh = keyHigh;
  e.Score = static_cast<int16_t>(score);
  return score;
}

int PassedPawnTerms() {
  const EvalTableSet& t = EvalTables;
  const ScaledWeights& w = Weights;
  const PawnHashEntry& e = *Ev.PawnEntry;
  const Bitboard whitePawns = Pos.PieceBB[BBIndex(WHITE, PAWN)];
  const Bitboard whiteRooks = Pos.PieceBB[BBIndex(WHITE, ROOK)], blackRooks = Pos.PieceBB[BBIndex(BLACK, ROOK)];
  const int wk = Pos.KingSquare[WHITE], bk = Pos.KingSquare[BLACK];
  const int wUnits = Pos.PieceUnits[WHITE], bUnits = Pos.PieceUnits[BLACK];
  const int stm = Pos.SideToMove;
  int result = 0;

  for (Bitboard b = e.PassedSet; b;) {
    const int s = PopLowest(b), f = FileOf(s);
    if (whitePawns & Bit(s)) {
      const int r = RankOf(s);
      const bool stopEmpty = Pos.Board[s + 8] == 0;
      if (t.KingBeside[wk][s]) {
        result += w.KingSupportBonus[r];
        if (s >= A7 && stopEmpty && bUnits > 0 && !t.KingBelow[bk][s]) result += 150;
      }
      if (!stopEmpty) result -= w.BlockedPasserPenalty[r];
      if (whiteRooks & Attacks.Ray[RAY_S][s]) result += stopEmpty ? 40 : 20;
      if (blackRooks & Attacks.Ray[RAY_S][s]) result -= 40;
      if (t.OutsideFiles[f][e.PawnFiles[BLACK_FILES]]) result += w.OutsidePasserBonus[bUnits & 127];
      if (bUnits == 0 && t.OutsideSquare[WHITE][stm][s][bk] && !(Pos.AllOcc & Attacks.Ray[RAY_N][s])) {
        Ev.UnstoppablePasser = 1;
        result += w.UnstoppableBonus[r];
      }
    } else {
      const int r = 7 - RankOf(s);
      const bool stopEmpty = Pos.Board[s - 8] == 0;
      if (t.KingBelow[bk][s]) {
        result -= w.KingSupportBonus[r];
        if (s < A3 && stopEmpty && wUnits > 0 && !t.KingBeside[wk][s]) result -= 150;
      }
      if (!stopEmpty) result += w.BlockedPasserPenalty[r];
      if (blackRooks & Attacks.Ray[RAY_N][s]) result -= stopEmpty ? 40 : 20;
      if (whiteRooks & Attacks.Ray[RAY_N][s]) result += 40;
      if (t.OutsideFiles[f][e.PawnFiles[WHITE_FILES]]) result -= w.OutsidePasserBonus[wUnits & 127];
      if (wUnits == 0 && t.OutsideSquare[BLACK][stm][s][wk] && !(Pos.AllOcc & Attacks.Ray[RAY_S][s])) {
        Ev.UnstoppablePasser = 1;
        result -= w.UnstoppableBonus[r];
      }
    }
  }
  return result;
}

int PawnEndingKings() {
  const PawnHashEntry& e = *Ev.PawnEntry;
  const int files = e.PawnFiles[WHITE_FILES] | e.PawnFiles[BLACK_FILES];
  const int lo = files ? __builtin_ctz(files) : 7;
  const int hi = files ? 31 - __builtin_clz(files) : 0;
  const int wf = FileOf(Pos.KingSquare[WHITE]), bf = FileOf(Pos.KingSquare[BLACK]);
  const int m = Pos.SideToMove == WHITE ? 1 : 0;
  int result = 0;
  if (wf + m > bf + 1) {
    if (wf < lo) result += 150;
  } else if (wf - m < bf - 1) {
    if (wf > hi) result += 150;
  }
  if (bf > wf + m) {
    if (bf < lo) result -= 150;
  } else if (bf < wf - m) {
    if (bf > hi) result -= 150;
  }
  return result;
}
