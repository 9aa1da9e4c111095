// The alpha-beta search below the root: draws, the transposition probe, the
// null move with its mate-threat flag, futility pruning, extensions and
// reductions, and the principal-variation scheme.
#include "search/search_internal.h"

using namespace search;

namespace {

// Squares of the side to move's pieces (not pawns) that the pawn which has
// just moved attacks from its new square. Returns how many (at most 2).
inline int PawnAttackedPieces(int* squares) {
  const Move last = Tree.MoveAtPly[Tree.Ply];
  // A promoted pawn attacks nothing as a pawn.
  if (MoveType(last) != PAWN || MovePromotion(last) != 0) return 0;
  const int t = MoveTo(last);
  const int us = Pos.SideToMove;
  const int towardA = us == WHITE ? t - 9 : t + 7;
  const int towardH = us == WHITE ? t - 7 : t + 9;
  int n = 0;
  auto record = [&](int sq) {
    if (sq < 0 || sq > 63) return;
    const int code = Pos.Board[sq];
    if (code == 0 || TypeOfCode(code) == PAWN) return;
    if ((IsBlackCode(code) ? BLACK : WHITE) != us) return;
    squares[n++] = sq;
  };
  if (FileOf(t) != 0) record(towardA);
  if (FileOf(t) != 7) record(towardH);
  return n;
}

inline bool FromAttackedSquare(Move m, const int* squares, int n) {
  const int from = MoveFrom(m);
  for (int i = 0; i < n; i++)
    if (squares[i] == from) return true;
  return false;
}

}  // namespace

bool IsDraw() {
  const int ply = Tree.Ply;
  const int here = History.GameMoveCount + ply - 1;
  VESSIK_ASSERT(here >= 0 && here < KEY_HISTORY_SIZE);
  History.KeyHistory[here] = Pos.Key;
  const int clock = Tree.HalfmoveClock[ply];
  if (clock >= 100) return true;
  Srch.RepetitionSeen = 0;
  for (int d = 2; d <= clock + 2 && here - d >= 0; d += 2) {
    if (History.KeyHistory[here - d] == Pos.Key) {
      Srch.RepetitionSeen = 1;
      return true;
    }
  }
  return Pos.PawnCount[WHITE] == 0 && Pos.PawnCount[BLACK] == 0 && Pos.PieceUnits[WHITE] < 5 &&
         Pos.PieceUnits[BLACK] < 5;
}

int HeavyCheckProbe(int alpha) {
  if (IsDraw()) return 0;
  const int ply = Tree.Ply;
  Srch.ExtensionFlag[ply + 1] = 1;
  Tree.InCheckAtPly[ply + 1] = 1;
  const int us = Pos.SideToMove;
  const Bitboard own = us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc;
  const Bitboard targets = Attacks.KingAttacks[Pos.KingSquare[us ^ 1]] & ~own;

  for (int type : {ROOK, QUEEN}) {
    Bitboard pieces = Pos.PieceBB[BBIndex(us, type)];
    while (pieces) {
      const int from = PopLowest(pieces);
      Bitboard reach = (type == ROOK ? RookAttacksFrom(from) : QueenAttacksFrom(from)) & targets;
      while (reach) {
        const int to = PopLowest(reach);
        const Move m = MakeMoveWord(from, to, type, TypeOfCode(Pos.Board[to]));
        const SavedState saved = SaveState();
        EnterChild(m);
        if (!EnemyKingAttacked() || OwnKingAttacked()) {
          LeaveChild(m, saved);
          continue;
        }
        Descend();
        const int score = -Search(-alpha - 1, -alpha, 0, 1);
        Ascend();
        LeaveChild(m, saved);
        if (Srch.StopSearch) return alpha;
        if (score > alpha) return score;
      }
    }
  }
  return alpha;
}

int Search(int alpha, int beta, int depth, int nullAllowed) {
  // 1. The clock, the input and the analysis status line.
  if (--Srch.PollCountdown < 0) {
    Srch.PollCountdown = PollInterval();
    if (!Srch.StopSearch && Srch.PollingEnabled) {
      PollInput(true);
      if (Limits.AnalyzeMode && Limits.ThinkingOutput && Srch.NodeCount - Srch.StatusNodes > 2 * int64_t{Srch.Nps}) {
        ActiveReporter().Status();
        Srch.StatusNodes = Srch.NodeCount;
      }
    }
  }
  if (Srch.StopSearch) return alpha;

  const int ply = Tree.Ply;
  if (ply >= MAX_PLY) return beta;

  // 2. Draws.
  Srch.NodeCount++;
  if (IsDraw()) {
    if (beta > 0) EndPvHere();
    return 0;
  }

  // 3. The transposition tables.
  const int us = Pos.SideToMove;
  const int units = Pos.PieceUnits[us];
  Srch.HashMoveAtPly[ply] = 0;
  int hashScore = 0, mateThreat = 0;
  switch (ProbeHash(depth, hashScore, Srch.HashMoveAtPly[ply], mateThreat, units, nullAllowed, beta)) {
    case HASH_EXACT:
      if (hashScore < beta) {
        Srch.PvTable[ply][ply] = Srch.HashMoveAtPly[ply];
        Srch.PvTable[ply][ply + 1] = 0;
      }
      return hashScore;
    case HASH_UPPER:
      if (alpha >= hashScore) return hashScore;
      break;
    case HASH_LOWER:
      if (hashScore >= beta) return hashScore;
      break;
    default:
      break;
  }

  // 4. Pieces the pawn that has just moved attacks.
  int attacked[2];
  const int attackedCount = PawnAttackedPieces(attacked);
  const bool inCheck = Tree.InCheckAtPly[ply] != 0;

  // 5. Null move.
  if (nullAllowed && !inCheck && units >= 5 && SideMaterial() + 300 > beta && attackedCount == 0) {
    const HashKey key = Pos.Key, pawnKey = Pos.PawnKey;
    const Bitboard enPassant = Pos.EnPassantBB;
    if (enPassant) {
      Pos.Key ^= Zobrist.EnPassantKeys[LowestSquare(enPassant)];
      Pos.EnPassantBB = 0;
    }
    Tree.HalfmoveClock[ply + 1] = static_cast<int16_t>(Tree.HalfmoveClock[ply] + 1);
    Tree.InCheckAtPly[ply + 1] = 0;
    Tree.MoveAtPly[ply + 1] = 0;
    Srch.ExtensionFlag[ply + 1] = 1;
    Descend();
    const int reduced = NullMoveDepth(depth, units);
    int score;
    if (reduced >= ONE_PLY) {
      score = -Search(-beta, -beta + 1, reduced, 0);
    } else {
      score = -CaptureSearch(-beta, -beta + 1);
      if (score >= beta && depth >= 2 * ONE_PLY) score = -HeavyCheckProbe(-beta);
    }
    Ascend();
    Pos.Key = key;
    Pos.PawnKey = pawnKey;
    Pos.EnPassantBB = enPassant;
    if (Srch.StopSearch) return alpha;
    // Passing lets the opponent mate at once.
    if (score == ply - (MATE_SCORE - 2)) mateThreat = 1;
    if (score >= beta) {
      StoreHash(beta, depth, HASH_LOWER, mateThreat, Srch.HashMoveAtPly[ply]);
      return beta;
    }
  }

  // 6. Futility: near the leaves, far below alpha, quiet moves cannot help.
  bool futile = false;
  int futilityBase = 0;
  if (Srch.FutilityActive && depth >= 2 * ONE_PLY && depth < 4 * ONE_PLY && ply > 4 && !mateThreat && !inCheck) {
    futilityBase = depth < 3 * ONE_PLY ? EvaluateSide(-MATE_SCORE, alpha - 198) + 200
                                       : EvaluateSide(-MATE_SCORE, alpha - 498) + 500;
    futile = alpha >= futilityBase;
  }

  // 7. Recaptures of the previous move may be extended.
  const Move last = Tree.MoveAtPly[ply];
  const bool recaptureEligible = !Srch.ExtensionFlag[ply] && !Srch.ExtensionFlag[ply - 1] &&
                                 (ply < 3 || !Srch.ExtensionFlag[ply - 2]) &&
                                 CaptureValues.RecaptureTable[MoveMoverCapturedIndex(last)];
  const int lastTo = MoveTo(last);
  const int enemyKing = Pos.KingSquare[us ^ 1];
  const int iteration = Srch.IterationDepth;

  // 8. The moves.
  int best = -MATE_SCORE - 1;
  int moves = 0;
  Move bestMove = 0;
  Srch.PickStage[ply] = 0;
  for (;;) {
    const Move m = inCheck ? NextEvasion() : NextMove();
    if (m == 0) break;
    Tree.MoveAtPly[ply + 1] = m;

    if (futile && moves > 0) {
      const int promotion = MovePromotion(m);
      const int gain = PieceValue[MoveCaptured(m)] + (promotion ? PieceValue[promotion] - 100 : 0);
      if (alpha >= futilityBase + gain && !(recaptureEligible && MoveTo(m) == lastTo) &&
          !IsSeventhRankPawnMove(m) && !FromAttackedSquare(m, attacked, attackedCount) &&
          !PieceAttacks(MoveType(m), MoveTo(m), enemyKing)) {
        moves++;
        best = alpha;
        continue;
      }
    }

    const SavedState saved = SaveState();
    MakeMove(m);
    PrefetchChildEntries();
    // Every move is tested: the evasion list can hold an en passant capture
    // that uncovers the king along the rank.
    if (OwnKingAttacked()) {
      LeaveChild(m, saved);
      continue;
    }
    const bool givesCheck = EnemyKingAttacked();
    Tree.InCheckAtPly[ply + 1] = givesCheck ? 1 : 0;

    moves++;
    Srch.ExtensionFlag[ply + 1] = 0;
    int e = 0;
    if (givesCheck) e += ONE_PLY;
    if (mateThreat) e += depth < 7 * ONE_PLY ? 45 : 30;
    if (e == 0 && recaptureEligible && MoveTo(m) == lastTo) {
      e += 45;
      Srch.ExtensionFlag[ply + 1] = 1;
    }
    if (IsSeventhRankPawnMove(m)) e += 45;
    if (inCheck && Gen.EvasionCount[ply] == 1) e += 45;
    if (FromAttackedSquare(m, attacked, attackedCount)) e += MoveType(m) == QUEEN ? 45 : 15;
    if (e > ONE_PLY) e = ONE_PLY;
    if (!givesCheck) e = TaperExtension(e, ply, iteration);

    int newDepth = depth + e - ONE_PLY;
    // Reductions, seen from the mover.
    if (Srch.FutilityActive && newDepth >= 3 * ONE_PLY && newDepth < 4 * ONE_PLY &&
        alpha >= SideMaterial() + 901) {
      newDepth -= ONE_PLY;
    } else if (newDepth >= 2 * ONE_PLY && newDepth < 3 * ONE_PLY) {
      const int v = EvaluateSide(alpha - 303, alpha - 297);
      if (alpha > v + 300) newDepth -= ONE_PLY;
    }

    Descend();
    int score;
    if (moves <= 1) {
      score = -Child(-beta, -alpha, newDepth);
    } else {
      score = -Child(-alpha - 1, -alpha, newDepth);
      if (score > alpha && score < beta && !Srch.StopSearch) score = -Child(-beta, -alpha, newDepth);
    }
    Ascend();
    LeaveChild(m, saved);
    if (Srch.StopSearch) return alpha;

    if (score > best) best = score;
    if (score > alpha) {
      if (score >= beta) {
        StoreHash(score, depth, HASH_LOWER, mateThreat, m);
        UpdateKillersAndHistory(m, depth);
        return score;
      }
      alpha = score;
      bestMove = m;
    }
  }

  // 9. Mate, stalemate, or the node's result.
  if (moves == 0) {
    const int score = inCheck ? ply - MATE_SCORE : 0;
    if (alpha <= score && score < beta) EndPvHere();
    return score;
  }
  if (bestMove == 0) {
    StoreHash(best, depth, HASH_UPPER, mateThreat, Srch.HashMoveAtPly[ply]);
    return best;
  }
  StoreHash(alpha, depth, HASH_EXACT, mateThreat, bestMove);
  UpdateKillersAndHistory(bestMove, depth);
  UpdatePv(bestMove);
  return best;
}
