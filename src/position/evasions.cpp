// Check evasions (trusted by the search to be legal) and the test that a
// stored move (hash move, killer) can be played in the current position.
#include "position/movegen_internal.h"

using namespace movegen;

namespace {

template <int Us>
inline uint32_t ScoreEvasion(Move move) {
  int score;
  if (move < 0x8000) {
    const int ply = Tree.Ply;
    if (move == Hints.Killer1[ply]) {
      score = -2100;
    } else if (move == Hints.Killer2[ply]) {
      score = -2101;
    } else {
      if (IsSeventhRankPush(move)) Gen.SeventhRankPush = true;
      score = static_cast<int>(Hints.History[Us][MoveFromTo(move)]);
    }
  } else {
    int v = PieceValue[MoveCaptured(move)] + PieceValue[MovePromotion(move)];
    if (v - PieceValue[MoveType(move)] < 0) {
      EnsureSliderSets();
      int s = StaticExchange(MoveFrom(move), MoveTo(move));
      score = s < 0 ? s - 2200 : s - 2000;
    } else {
      score = v - 2000;
    }
  }
  return static_cast<uint32_t>(score + 1);
}

template <int Us, int Type, typename Add>
inline void AddUnpinnedPieceMoves(Bitboard target, Add& add) {
  Bitboard pieces = Pos.PieceBB[BBIndex(Us, Type)];
  while (pieces) {
    int from = PopLowest(pieces);
    Bitboard targets = PieceMoves<Type>(from) & target;
    if (!targets || IsPinnedToKing(Us, from)) continue;
    while (targets) {
      int to = PopLowest(targets);
      add(Word(from, to, Type, CapturedOn(to)));
    }
  }
}

template <int Us, int Delta, typename Add>
inline void AddUnpinnedPawnMoves(Bitboard targets, Add& add) {
  while (targets) {
    int to = PopLowest(targets);
    if (IsPinnedToKing(Us, to - Delta)) continue;
    Move base = Word(to - Delta, to, PAWN, CapturedOn(to));
    if (OnPromotionRank(to)) AddPromotions<PROMOTE_QRBN>(base, add);
    else add(base);
  }
}

template <int Us>
void GenerateEvasionsFor() {
  using S = SideOf<Us>;
  const int ply = Tree.Ply;
  PlyMoveList& list = Gen.MoveList[ply];
  int n = 0;
  Gen.SlidersFresh = false;
  auto add = [&list, &n](Move move) {
    if (n < MOVE_LIST_SIZE) {
      list.Moves[n] = move;
      list.Scores[n] = ScoreEvasion<Us>(move);
      n++;
    }
  };

  const int k = Pos.KingSquare[Us];
  const Bitboard checkers = Us == WHITE ? BlackAttackersOf(k) : WhiteAttackersOf(k);
  const int checkerCount = PopCount(checkers);
  // Steps from the king towards the checkers: the square behind the king on
  // such a line stays attacked once the king has left it.
  int d1 = 0, d2 = 0;
  Bitboard target = 0;
  int checker = -1;
  if (checkers) {
    Bitboard rest = checkers;
    checker = PopLowest(rest);
    if (TypeOfCode(Pos.Board[checker]) != PAWN) d1 = Attacks.LineDir[checker][k];
    if (rest) {
      int second = LowestSquare(rest);
      if (TypeOfCode(Pos.Board[second]) != PAWN) d2 = Attacks.LineDir[second][k];
    } else {
      target = Attacks.InBetween[checker][k] | Attacks.SetMask[checker];
    }
  }

  Bitboard kingTargets = Attacks.KingAttacks[k] & ~OccupancyOf(Us);
  while (kingTargets) {
    int s = PopLowest(kingTargets);
    int dir = Attacks.LineDir[k][s];
    if ((d1 && dir == d1) || (d2 && dir == d2)) continue;
    if (IsAttacked(s, S::Them)) continue;
    add(Word(k, s, KING, CapturedOn(s)));
  }

  if (checkerCount != 1) {
    // Double check: only the king can move.
    list.End = n;
    Gen.EvasionCount[ply] = n;
    return;
  }

  // Pieces that capture the checker or step in between; a pinned piece never can.
  AddUnpinnedPieceMoves<Us, KNIGHT>(target, add);
  AddUnpinnedPieceMoves<Us, BISHOP>(target, add);
  AddUnpinnedPieceMoves<Us, ROOK>(target, add);
  AddUnpinnedPieceMoves<Us, QUEEN>(target, add);

  const Bitboard empty = ~Pos.AllOcc;
  const Bitboard pawns = Pos.PieceBB[BBIndex(Us, PAWN)];
  const Bitboard single = ShiftPawns<S::Up>(pawns) & empty;
  AddUnpinnedPawnMoves<Us, 2 * S::Up>(ShiftPawns<S::Up>(single & S::ThirdRank) & empty & target, add);
  AddUnpinnedPawnMoves<Us, S::Up>(single & target, add);
  // The checker is taken en passant only when it is the pawn that has just
  // double-stepped, that is when the en passant square lies right behind it.
  Bitboard prey = target & OccupancyOf(S::Them);
  if (Pos.EnPassantBB && TypeOfCode(Pos.Board[checker]) == PAWN &&
      Pos.EnPassantBB == Attacks.SetMask[checker + S::Up])
    prey |= Pos.EnPassantBB;
  // White takes towards the a-file first, Black towards the h-file first.
  constexpr int FirstCapture = Us == WHITE ? S::CaptureA : S::CaptureH;
  constexpr int SecondCapture = Us == WHITE ? S::CaptureH : S::CaptureA;
  AddUnpinnedPawnMoves<Us, FirstCapture>(ShiftPawns<FirstCapture>(pawns) & prey, add);
  AddUnpinnedPawnMoves<Us, SecondCapture>(ShiftPawns<SecondCapture>(pawns) & prey, add);

  list.End = n;
  Gen.EvasionCount[ply] = n;
}

}  // namespace

void GenerateEvasions() {
  if (Pos.SideToMove == WHITE) GenerateEvasionsFor<WHITE>();
  else GenerateEvasionsFor<BLACK>();
}

// ---------------------------------------------------------------------------
// IsMovePossible: exact against the pseudo-legal generators, so that a
// corrupted or foreign word (a hash collision, a stale killer) can never reach
// make. Castling is accepted without looking at the king's destination; the
// legality test after make rejects a castling into check.
// ---------------------------------------------------------------------------

namespace {

template <int Us>
bool CastlingPossible(Move move) {
  using S = SideOf<Us>;
  constexpr int k = S::KingHome;
  constexpr int Them = S::Them;
  if (Pos.Chess960) return false;  // its castles are king-to-rook words
  if (move == S::CastleShort) {
    return (Pos.CastleRights & S::RightShort) && !(Pos.AllOcc & ((1ull << (k + 1)) | (1ull << (k + 2)))) &&
           !IsAttacked(k, Them) && !IsAttacked(k + 1, Them);
  }
  if (move == S::CastleLong) {
    return (Pos.CastleRights & S::RightLong) &&
           !(Pos.AllOcc & ((1ull << (k - 1)) | (1ull << (k - 2)) | (1ull << (k - 3)))) && !IsAttacked(k, Them) &&
           !IsAttacked(k - 1, Them);
  }
  return false;
}

template <int Us>
bool PawnMovePossible(Move move, int from, int to) {
  using S = SideOf<Us>;
  const bool promotes = MovePromotion(move) != 0;
  if (OnPromotionRank(to) != promotes) return false;
  if (promotes && (MovePromotion(move) < KNIGHT || MovePromotion(move) > QUEEN)) return false;
  const bool diagonal = (Attacks.PawnAttacks[Us][from] & Attacks.SetMask[to]) != 0;
  if (MoveCaptured(move)) return diagonal;
  if (to == from + S::Up) return true;
  if (to == from + 2 * S::Up) {
    return (Attacks.SetMask[from] & ShiftPawns<-S::Up>(S::ThirdRank)) && Pos.Board[from + S::Up] == 0;
  }
  if (!diagonal) return false;
  // En passant: the previous move must be the enemy double step past `to`.
  const Move last = Tree.MoveAtPly[Tree.Ply];
  return MoveType(last) == PAWN && MoveFrom(last) == to + S::Up && MoveTo(last) == to - S::Up &&
         Pos.EnPassantBB == Attacks.SetMask[to];
}

}  // namespace

bool IsMovePossible(Move move) {
  if (move == 0 || !FitsMoveWord(move)) return false;
  const int us = Pos.SideToMove;
  const int from = MoveFrom(move), to = MoveTo(move);
  const int type = MoveType(move), captured = MoveCaptured(move);
  if (type < PAWN || type > KING) return false;
  if (Pos.Board[from] != PieceCodeOf(us, type)) return false;
  if (IsCastle960(move)) {
    if (captured || MovePromotion(move)) return false;
    const int index = CastleKeyIndex(us == WHITE ? (to > from ? 1 : 2) : (to > from ? 4 : 8));
    if (Pos.CastleRookSquare[index] != to) return false;
    return us == WHITE ? CanCastle960<WHITE>(to > from) : CanCastle960<BLACK>(to > from);
  }
  if (captured == 0) {
    if (Pos.Board[to] != 0) return false;
  } else {
    if (captured == KING || Pos.Board[to] != PieceCodeOf(us ^ 1, captured)) return false;
  }
  if (type != PAWN && MovePromotion(move) != 0) return false;
  const Bitboard toBit = Attacks.SetMask[to];
  switch (type) {
    case PAWN:
      return us == WHITE ? PawnMovePossible<WHITE>(move, from, to) : PawnMovePossible<BLACK>(move, from, to);
    case KNIGHT:
      return (Attacks.KnightAttacks[from] & toBit) != 0;
    case BISHOP:
      return (BishopAttacksFrom(from) & toBit) != 0;
    case ROOK:
      return (RookAttacksFrom(from) & toBit) != 0;
    case QUEEN:
      return (QueenAttacksFrom(from) & toBit) != 0;
    default:
      if (Attacks.KingAttacks[from] & toBit) return true;
      return us == WHITE ? CastlingPossible<WHITE>(move) : CastlingPossible<BLACK>(move);
  }
}
