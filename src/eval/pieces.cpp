// Knights, bishops, rooks and queens; the bishop pair and bad bishops; fixed
// patterns (trapped bishops, early queen, blocked centre, undeveloped
// bishops, a rook boxed in by its own king).
#include "eval/eval_internal.h"

namespace {

constexpr Bitboard RANK_2 = 0x000000000000FF00ull;
constexpr Bitboard RANK_7 = 0x00FF000000000000ull;

Bitboard Pieces(int colour, int type) { return Pos.PieceBB[BBIndex(colour, type)]; }

int Max(int a, int b) { return a > b ? a : b; }

}  // namespace

int TrappedPieceTerms() {
  const uint8_t* board = Pos.Board;
  constexpr int BP = BLACK_BIT + PAWN, BB = BLACK_BIT + BISHOP;
  int score = 0;
  if ((board[A7] == BISHOP && board[B6] == BP) || (board[B8] == BISHOP && board[C7] == BP) ||
      (board[H7] == BISHOP && board[G6] == BP) || (board[G8] == BISHOP && board[F7] == BP))
    score -= 150;
  if ((board[A2] == BB && board[B3] == PAWN) || (board[B1] == BB && board[C2] == PAWN) ||
      (board[H2] == BB && board[G3] == PAWN) || (board[G1] == BB && board[F2] == PAWN))
    score += 150;
  if ((Pos.CastleRights & 3) && board[D1] != QUEEN) score -= 15;
  if ((Pos.CastleRights & 12) && board[D8] != BLACK_BIT + QUEEN) score += 15;
  return score;
}

int RookShutInTerms() {
  int score = 0;
  if (Pieces(WHITE, ROOK) & EvalTables.KingShutInMasks[WHITE][Pos.KingSquare[WHITE]]) score -= 30;
  if (Pieces(BLACK, ROOK) & EvalTables.KingShutInMasks[BLACK][Pos.KingSquare[BLACK]]) score += 30;
  return score;
}

int PieceTerms() {
  const EvalTableSet& t = EvalTables;
  const ScaledWeights& w = Weights;
  const uint8_t* board = Pos.Board;
  const Bitboard wp = Pieces(WHITE, PAWN), bp = Pieces(BLACK, PAWN);
  const int wk = Pos.KingSquare[WHITE], bk = Pos.KingSquare[BLACK];
  const int whiteFiles = Ev.PawnEntry->PawnFiles[0], blackFiles = Ev.PawnEntry->PawnFiles[1];
  const int openFiles = ~(whiteFiles | blackFiles) & 0xFF;
  int score = 0;
  int againstWhite = 0, againstBlack = 0;  // KingAttack of each king
  int colours = 0;

  // Knights: placement, outposts that no enemy pawn can ever attack.
  for (Bitboard b = Pieces(WHITE, KNIGHT); b;) {
    const int s = PopLowest(b);
    score += w.KnightSquareBonus[WHITE][s];
    const int o = w.OutpostBonus[WHITE][s];
    if (o != 0 && !(bp & t.OutpostSpan[WHITE][s])) {
      score += o;
      const int defenders = PopCount(wp & Attacks.PawnAttacks[BLACK][s]);
      const Bitboard sameColour = t.SquareColour[s] ? t.LightSquares : t.DarkSquares;
      if (defenders >= 2) score += o;
      else if (defenders == 1)
        score += (!Pieces(BLACK, KNIGHT) && !(Pieces(BLACK, BISHOP) & sameColour)) ? o : o >> 1;
    }
    againstBlack += t.Tropism[s][bk];
  }
  for (Bitboard b = Pieces(BLACK, KNIGHT); b;) {
    const int s = PopLowest(b);
    score -= w.KnightSquareBonus[BLACK][s];
    const int o = w.OutpostBonus[BLACK][s];
    if (o != 0 && !(wp & t.OutpostSpan[BLACK][s])) {
      score -= o;
      const int defenders = PopCount(bp & Attacks.PawnAttacks[WHITE][s]);
      const Bitboard sameColour = t.SquareColour[s] ? t.LightSquares : t.DarkSquares;
      if (defenders >= 2) score -= o;
      else if (defenders == 1)
        score -= (!Pieces(WHITE, KNIGHT) && !(Pieces(WHITE, BISHOP) & sameColour)) ? o : o >> 1;
    }
    againstWhite += t.Tropism[s][wk];
  }

  // Bishops: placement and mobility along both diagonals.
  for (Bitboard b = Pieces(WHITE, BISHOP); b;) {
    const int s = PopLowest(b);
    colours |= t.BishopColourBit[WHITE][s];
    score += w.BishopSquareBonus[WHITE][s] + t.BishopMobility[0][s][Pos.AntiDiagOcc[AntiDiagIndex(s)]] +
             t.BishopMobility[1][s][Pos.DiagOcc[DiagIndex(s)]];
    againstBlack += t.Tropism[s][bk];
  }
  for (Bitboard b = Pieces(BLACK, BISHOP); b;) {
    const int s = PopLowest(b);
    colours |= t.BishopColourBit[BLACK][s];
    score -= w.BishopSquareBonus[BLACK][s] + t.BishopMobility[0][s][Pos.AntiDiagOcc[AntiDiagIndex(s)]] +
             t.BishopMobility[1][s][Pos.DiagOcc[DiagIndex(s)]];
    againstWhite += t.Tropism[s][wk];
  }

  // Rooks: boxed in, seventh rank, open and half-open files.
  const Bitboard whiteHeavy = Pieces(WHITE, ROOK) | Pieces(WHITE, QUEEN);
  const Bitboard blackHeavy = Pieces(BLACK, ROOK) | Pieces(BLACK, QUEEN);
  for (Bitboard b = Pieces(WHITE, ROOK); b;) {
    const int s = PopLowest(b), f = FileOf(s);
    score += w.RookSquareBonus[WHITE][s];
    if ((f == 0 || board[s - 1]) && (f == 7 || board[s + 1])) score -= 20;
    if (RankOf(s) == 6 && (RankOf(bk) == 7 || (bp & RANK_7))) {
      score += 30;
      if (RankAttacksFrom(s) & whiteHeavy) score += 16;
    }
    int fp = 0;
    if (openFiles & t.FileBit[f]) {
      score += 24;
      fp = t.RookFileProximity[f - FileOf(bk) + 8];
    } else {
      if (openFiles && !(openFiles & RankReach(s))) score -= 12;
      if (!(whiteFiles & t.FileBit[f])) {
        score += 5;
        fp = t.RookFileProximity[f - FileOf(bk) + 8];
      } else if (!(wp & t.FileAbove[s])) {
        fp = t.RookFileProximity[f - FileOf(bk) + 8];
      }
    }
    againstBlack += Max(t.Tropism[s][bk], fp);
  }
  for (Bitboard b = Pieces(BLACK, ROOK); b;) {
    const int s = PopLowest(b), f = FileOf(s);
    score -= w.RookSquareBonus[BLACK][s];
    if ((f == 0 || board[s - 1]) && (f == 7 || board[s + 1])) score += 20;
    if (RankOf(s) == 1 && (RankOf(wk) == 0 || (wp & RANK_2))) {
      score -= 30;
      if (RankAttacksFrom(s) & blackHeavy) score -= 16;
    }
    int fp = 0;
    if (openFiles & t.FileBit[f]) {
      score -= 24;
      fp = t.RookFileProximity[f - FileOf(wk) + 8];
    } else {
      if (openFiles && !(openFiles & RankReach(s))) score += 12;
      if (!(blackFiles & t.FileBit[f])) {
        score -= 5;
        fp = t.RookFileProximity[f - FileOf(wk) + 8];
      } else if (!(bp & t.FileBelow[s])) {
        fp = t.RookFileProximity[f - FileOf(wk) + 8];
      }
    }
    againstWhite += Max(t.Tropism[s][wk], fp);
  }

  // Queens: placement, seventh rank beside a rook, the king file, and the
  // safer king.
  for (Bitboard b = Pieces(WHITE, QUEEN); b;) {
    const int s = PopLowest(b), f = FileOf(s);
    score += t.QueenSquareBonus[WHITE][s];
    if (RankOf(s) == 6 && (RankOf(bk) == 7 || (bp & RANK_7)) && (RankAttacksFrom(s) & Pieces(WHITE, ROOK)))
      score += 10;
    const int fp = (wp & t.FileAbove[s]) ? 0 : t.QueenFileProximity[f - FileOf(bk) + 8];
    if (Ev.KingDanger[WHITE] + 4 < Ev.KingDanger[BLACK]) score += 30;
    againstBlack += Max(t.QueenTropism[s][bk], fp);
    const int kf = FileOf(bk);
    if (Pos.PawnCount[WHITE] > 4 && ((f <= 1 && kf >= 5) || (f >= 6 && kf <= 2)))
      againstBlack = Max(againstBlack - 8, -8);
  }
  for (Bitboard b = Pieces(BLACK, QUEEN); b;) {
    const int s = PopLowest(b), f = FileOf(s);
    score -= t.QueenSquareBonus[BLACK][s];
    if (RankOf(s) == 1 && (RankOf(wk) == 0 || (wp & RANK_2)) && (RankAttacksFrom(s) & Pieces(BLACK, ROOK)))
      score -= 10;
    const int fp = (bp & t.FileBelow[s]) ? 0 : t.QueenFileProximity[f - FileOf(wk) + 8];
    if (Ev.KingDanger[BLACK] + 4 < Ev.KingDanger[WHITE]) score -= 30;
    againstWhite += Max(t.QueenTropism[s][wk], fp);
    const int kf = FileOf(wk);
    if (Pos.PawnCount[BLACK] > 4 && ((f <= 1 && kf >= 5) || (f >= 6 && kf <= 2)))
      againstWhite = Max(againstWhite - 8, -8);
  }

  Ev.KingAttack[WHITE] = static_cast<int8_t>(againstWhite);
  Ev.KingAttack[BLACK] = static_cast<int8_t>(againstBlack);
  Ev.BishopColours = static_cast<uint8_t>(colours);
  return score;
}

int BishopPairTerms() {
  const EvalTableSet& t = EvalTables;
  const Bitboard wp = Pieces(WHITE, PAWN), bp = Pieces(BLACK, PAWN);
  int score = 0;
  switch (Ev.BishopColours & 3) {
    case 3: score += Weights.BishopPairBonus[Pos.PawnCount[WHITE] & 15]; break;
    case 1: score -= 4 * PopCount(wp & t.LightSquares); break;
    case 2: score -= 4 * PopCount(wp & t.DarkSquares); break;
    default: break;
  }
  switch (Ev.BishopColours & 12) {
    case 12: score -= Weights.BishopPairBonus[Pos.PawnCount[BLACK] & 15]; break;
    case 4: score += 4 * PopCount(bp & t.LightSquares); break;
    case 8: score += 4 * PopCount(bp & t.DarkSquares); break;
    default: break;
  }
  return score;
}

int DevelopmentTerms() {
  const uint8_t* board = Pos.Board;
  constexpr int BP = BLACK_BIT + PAWN, BB = BLACK_BIT + BISHOP;
  int score = 0;
  if (board[D3] && board[D2] == PAWN) score -= 23;
  if (board[E3] && board[E2] == PAWN) score -= 23;
  if (board[D6] && board[D7] == BP) score += 23;
  if (board[E6] && board[E7] == BP) score += 23;
  if (board[F1] == BISHOP) {
    if (board[E2]) score -= Pos.KingSquare[WHITE] == E1 ? 24 : 12;
    if (board[D3]) score -= 5;
  }
  if (board[C1] == BISHOP) {
    if (board[D2]) score -= 12;
    if (board[E3]) score -= 5;
  }
  if (board[F8] == BB) {
    if (board[E7]) score += Pos.KingSquare[BLACK] == E8 ? 24 : 12;
    if (board[D6]) score += 5;
  }
  if (board[C8] == BB) {
    if (board[D7]) score += 12;
    if (board[E6]) score += 5;
  }
  return score;
}
