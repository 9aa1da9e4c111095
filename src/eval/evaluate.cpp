// The evaluation driver: cache, drawn endings, material and imbalance, the
// lazy exit, the final scalings, and the side-to-move wrapper.
#include "eval/eval_internal.h"

namespace {

int Abs(int v) { return v < 0 ? -v : v; }

Bitboard Pieces(int colour, int type) { return Pos.PieceBB[BBIndex(colour, type)]; }

// King and one pawn against a lone minor piece, and rook and pawn against rook
// with the defending king in front of the pawn.
bool OnePawnDraw() {
  const int wUnits = Pos.PieceUnits[WHITE], bUnits = Pos.PieceUnits[BLACK];
  const bool whitePawn = Pos.PawnCount[WHITE] == 1;
  if (wUnits + bUnits == 3 && ((whitePawn && bUnits == 3) || (!whitePawn && wUnits == 3))) return true;
  if (wUnits == 5 && bUnits == 5) {
    if (whitePawn) {
      int pawn = LowestSquare(Pieces(WHITE, PAWN)), king = Pos.KingSquare[BLACK];
      return FileOf(king) == FileOf(pawn) && RankOf(pawn) < RankOf(king);
    }
    int pawn = LowestSquare(Pieces(BLACK, PAWN)), king = Pos.KingSquare[WHITE];
    return FileOf(king) == FileOf(pawn) && RankOf(king) < RankOf(pawn);
  }
  return false;
}

}  // namespace

bool WrongRookPawnDraw(int attacker) {
  const int defender = attacker ^ 1;
  const EvalTableSet& t = EvalTables;
  const Bitboard pawns = Pieces(attacker, PAWN);
  if (!pawns) return false;
  const bool attackerHasPieces = Pos.PieceUnits[attacker] != 0;
  if (Pos.PawnCount[defender] != 0 && !attackerHasPieces) return false;

  const int king = Pos.KingSquare[defender];
  const Bitboard bishops = Pieces(attacker, BISHOP);
  int pawn;
  Bitboard spoiler;  // attacking bishops that control the promotion square
  int kingFileLow;
  if ((pawns & ~t.FileMask[0]) == 0) {
    kingFileLow = 0;
    // The a-pawn nearest its own first rank decides; the promotion square is
    // a8 (light) for White and a1 (dark) for Black.
    pawn = attacker == WHITE ? 63 - __builtin_clzll(pawns) : LowestSquare(pawns);
    spoiler = attacker == WHITE ? t.LightSquares : t.DarkSquares;
  } else if ((pawns & ~t.FileMask[7]) == 0) {
    kingFileLow = 6;
    pawn = attacker == WHITE ? 63 - __builtin_clzll(pawns) : LowestSquare(pawns);
    spoiler = attacker == WHITE ? t.DarkSquares : t.LightSquares;
  } else {
    return false;
  }
  const int kingFile = FileOf(king);
  if (kingFile != kingFileLow && kingFile != kingFileLow + 1) return false;
  // Inside the square with the attacker to move.
  if (t.OutsideSquare[attacker][attacker][pawn][king]) return false;
  return !(attackerHasPieces && (bishops & spoiler));
}

int PawnlessMopUp() {
  const int wk = Pos.KingSquare[WHITE], bk = Pos.KingSquare[BLACK];
  const int d = Abs(FileOf(wk) - FileOf(bk)) + Abs(RankOf(wk) - RankOf(bk));
  if (Pos.Material <= 0) return 4 * d + 4 * Weights.Centre[BLACK][wk] - 30;
  return -4 * d - (4 * Weights.Centre[WHITE][bk] - 30);
}

int OppositeBishopsScale(int score) {
  const int wUnits = Pos.PieceUnits[WHITE], bUnits = Pos.PieceUnits[BLACK];
  if (wUnits >= 12 || bUnits >= 12 || !EvalTables.OppositeBishops[Ev.BishopColours]) return score;
  // Opposite-coloured bishops draw many endings: pull the score toward 0, and
  // toward the bare material when other pieces remain. Shifts round down.
  if (Abs(score) <= 200 && Abs(Pos.Material) <= 200) return (wUnits == 3 && bUnits == 3) ? score >> 2 : score;
  if (wUnits == 3 && bUnits == 3) return score >> 1;
  if (wUnits == bUnits) return ((score - Pos.Material) >> 1) + Pos.Material;
  return score;
}

int NoPawnsScale(int score) {
  // The stronger side without pawns needs more than a minor piece to win.
  if (score >= 0 && Pos.PawnCount[WHITE] == 0) {
    if (Pos.PieceUnits[WHITE] < 4) score = 0;
    else if (Pos.Material < 301) score = score - 200 > 0 ? score - 200 : 0;
  }
  if (score < 0 && Pos.PawnCount[BLACK] == 0) {
    if (Pos.PieceUnits[BLACK] < 4) score = 0;
    else if (Pos.Material > -301) score = score + 200 < 0 ? score + 200 : 0;
  }
  return score;
}

int Evaluate(int alpha, int beta) {
  const uint32_t keyLow = KeyLow(Pos.Key), keyHigh = KeyHigh(Pos.Key);
  EvalHashEntry& slot = EvalCaches.EvalTable[keyLow & EvalCaches.EvalHashMask];
  if (slot.KeyLow == keyLow && slot.KeyHigh == keyHigh) return slot.Score;

  Ev.UnstoppablePasser = 0;
  const int wUnits = Pos.PieceUnits[WHITE], bUnits = Pos.PieceUnits[BLACK];
  const int wPawns = Pos.PawnCount[WHITE], bPawns = Pos.PawnCount[BLACK];

  if (wPawns + bPawns == 1 && OnePawnDraw()) return 0;

  if (wUnits == 0 && wPawns <= 1 && bUnits < 4 && bPawns >= 1 && !Pieces(BLACK, KNIGHT) && WrongRookPawnDraw(BLACK))
    return 0;
  if (bUnits == 0 && bPawns <= 1 && wUnits < 4 && wPawns >= 1 && !Pieces(WHITE, KNIGHT) && WrongRookPawnDraw(WHITE))
    return 0;

  Ev.EndgamePhase = (wUnits < 15 || bUnits < 15) ? 1 : 0;
  Ev.PawnEnding = (wUnits + bUnits == 0) ? 1 : 0;

  int score = Pos.Material + PawnStructure();

  if (Ev.PawnEntry->PassedSet) {
    score += PassedPawnTerms();
    if (Ev.UnstoppablePasser) return score;
  }
  if (Ev.PawnEnding) score += PawnEndingKings();
  if (!Ev.EndgamePhase) {
    score += KingShelter();
  } else {
    Ev.KingDanger[WHITE] = Ev.KingDanger[BLACK] = 0;
  }
  score += TrappedPieceTerms();
  if (wUnits > 3 || bUnits > 3) score += EvalTables.ImbalanceTable[Pos.ImbalanceKey & 0x3FF];

  const int base = score;
  if (base - Ev.LazyMargin >= beta) return base - Ev.LazyMargin;
  if (base + Ev.LazyMargin <= alpha) return base + Ev.LazyMargin;

  score += RookShutInTerms();
  if (Ev.EndgamePhase) score += KingPlacementTerms();
  score += PieceTerms();
  score += BishopPairTerms();
  if (!Ev.EndgamePhase) score += DevelopmentTerms();
  score += KingAttackProduct();

  if (Pos.Material != 0 && wPawns + bPawns == 0) score += PawnlessMopUp();

  score = NoPawnsScale(OppositeBishopsScale(score));

  const int swing = Abs(score - base);
  if (swing > Ev.LazyMargin) Ev.LazyMargin = swing;

  slot.KeyLow = keyLow;
  slot.KeyHigh = keyHigh;
  slot.Score = score;
  return score;
}

int EvaluateForSide(int alpha, int beta) {
  if (Pos.SideToMove == WHITE) return Evaluate(alpha, beta);
  return -Evaluate(-beta, -alpha);
}
