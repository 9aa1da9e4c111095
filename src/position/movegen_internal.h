// Helpers shared by the move generators (not part of the position interface).
#pragma once

#include "position/position.h"

namespace movegen {

constexpr Bitboard FILE_A = 0x0101010101010101ull;
constexpr Bitboard FILE_H = 0x8080808080808080ull;
constexpr Bitboard RankMask(int rank) { return 0xFFull << (rank * 8); }

// Colour-dependent constants of the side to move.
template <int Us>
struct SideOf {
  static constexpr int Them = Us == WHITE ? BLACK : WHITE;
  static constexpr int Up = Us == WHITE ? 8 : -8;
  // Captures towards the a-file side and towards the h-file side.
  static constexpr int CaptureA = Us == WHITE ? 7 : -9;
  static constexpr int CaptureH = Us == WHITE ? 9 : -7;
  static constexpr Bitboard LastRank = RankMask(Us == WHITE ? 7 : 0);
  static constexpr Bitboard SeventhRank = RankMask(Us == WHITE ? 6 : 1);
  // Destinations of a single step from which a double step may follow.
  static constexpr Bitboard ThirdRank = RankMask(Us == WHITE ? 2 : 5);
  static constexpr int KingHome = Us == WHITE ? E1 : E8;
  static constexpr int RightShort = Us == WHITE ? 1 : 4;
  static constexpr int RightLong = Us == WHITE ? 2 : 8;
  static constexpr Move CastleShort = Us == WHITE ? CASTLE_WK : CASTLE_BK;
  static constexpr Move CastleLong = Us == WHITE ? CASTLE_WQ : CASTLE_BQ;
};

// Pawn targets of a whole pawn set shifted by delta (+-7, +-8, +-9), with the
// pawns that would wrap round the board edge left out.
template <int Delta>
inline Bitboard ShiftPawns(Bitboard pawns) {
  if constexpr (Delta == 7 || Delta == -9) pawns &= ~FILE_A;
  if constexpr (Delta == 9 || Delta == -7) pawns &= ~FILE_H;
  if constexpr (Delta > 0) return pawns << Delta;
  else return pawns >> -Delta;
}

inline Move Word(int from, int to, int type, int captured, int promotion = 0) {
  return MakeMoveWord(from, to, type, captured, promotion);
}

// Value a capture or promotion wins, by move bits 15-20 (captured | promotion
// << 3): the captured piece plus the whole promotion piece, 100 for neither
// (en passant). Folded at compile time so the generators need no start-up.
struct CaptureGainTable {
  int Value[64];
  constexpr CaptureGainTable() : Value() {
    constexpr int value[8] = {0, 100, 300, 300, 500, 900, 1000, 0};
    for (int index = 0; index < 64; index++) {
      const int captured = index & 7, promotion = index >> 3;
      Value[index] = captured == 0 && promotion == 0 ? 100 : value[captured] + value[promotion];
    }
  }
};
inline constexpr CaptureGainTable CaptureGain{};

inline int CapturedOn(int sq) { return Pos.Board[sq] & 7; }

template <int Type>
inline Bitboard PieceMoves(int from) {
  if constexpr (Type == KNIGHT) return Attacks.KnightAttacks[from];
  else if constexpr (Type == BISHOP) return BishopAttacksFrom(from);
  else if constexpr (Type == ROOK) return RookAttacksFrom(from);
  else if constexpr (Type == QUEEN) return QueenAttacksFrom(from);
  else return Attacks.KingAttacks[from];
}

// Castling is checked completely: right, empty squares, and no attack on the
// king's square, the square it crosses and the square it lands on.
template <int Us>
inline bool CanCastleShort() {
  using S = SideOf<Us>;
  constexpr int k = S::KingHome;
  if (!(Pos.CastleRights & S::RightShort)) return false;
  if (Pos.AllOcc & ((1ull << (k + 1)) | (1ull << (k + 2)))) return false;
  return !IsAttacked(k, S::Them) && !IsAttacked(k + 1, S::Them) && !IsAttacked(k + 2, S::Them);
}

template <int Us>
inline bool CanCastleLong() {
  using S = SideOf<Us>;
  constexpr int k = S::KingHome;
  if (!(Pos.CastleRights & S::RightLong)) return false;
  if (Pos.AllOcc & ((1ull << (k - 1)) | (1ull << (k - 2)) | (1ull << (k - 3)))) return false;
  return !IsAttacked(k, S::Them) && !IsAttacked(k - 1, S::Them) && !IsAttacked(k - 2, S::Them);
}

inline Bitboard OccupancyOf(int colour) { return colour == WHITE ? Pos.WhiteOcc : Pos.BlackOcc; }

// The squares from a to b on one rank, both included.
inline Bitboard RankSpan(int a, int b) {
  if (a > b) {
    const int c = a;
    a = b;
    b = c;
  }
  return (2ull << b) - (1ull << a);
}

// A Chess960 castle towards h (short) or towards a: every square the king or
// the rook crosses or lands on is empty but for the two of them, and no square
// of the king's path is attacked, nor its target once the rook has left its
// start (the rook may be what screens the target from a rank slider).
template <int Us>
inline bool CanCastle960(bool isShort) {
  using S = SideOf<Us>;
  constexpr int Home = Us == WHITE ? 0 : 56;
  const int index = CastleKeyIndex(isShort ? S::RightShort : S::RightLong);
  if (!(Pos.CastleRights & (isShort ? S::RightShort : S::RightLong))) return false;
  const int king = Pos.KingSquare[Us], rook = Pos.CastleRookSquare[index];
  const int kingTo = Home + (isShort ? 6 : 2), rookTo = Home + (isShort ? 5 : 3);
  const Bitboard pieces = (1ull << king) | (1ull << rook);
  if (Pos.AllOcc & ~pieces & (RankSpan(king, kingTo) | RankSpan(rook, rookTo))) return false;
  for (Bitboard path = RankSpan(king, kingTo); path;)
    if (IsAttacked(PopLowest(path), S::Them)) return false;
  const Bitboard after = (Pos.AllOcc & ~pieces) | (1ull << kingTo) | (1ull << rookTo);
  const Bitboard sliders = Pos.PieceBB[BBIndex(S::Them, ROOK)] | Pos.PieceBB[BBIndex(S::Them, QUEEN)];
  return !(Attacks.RankAttacks[kingTo][(after >> Home) & 0xFF] & sliders);
}

// The castles of the side to move, short first.
template <int Us, typename Add>
inline void AddCastles(Add& add) {
  using S = SideOf<Us>;
  if (!Pos.Chess960) {
    if (CanCastleShort<Us>()) add(S::CastleShort);
    if (CanCastleLong<Us>()) add(S::CastleLong);
    return;
  }
  const int king = Pos.KingSquare[Us];
  if (CanCastle960<Us>(true)) add(Word(king, Pos.CastleRookSquare[CastleKeyIndex(S::RightShort)], KING, 0));
  if (CanCastle960<Us>(false)) add(Word(king, Pos.CastleRookSquare[CastleKeyIndex(S::RightLong)], KING, 0));
}

inline void EnsureSliderSets() {
  if (!Gen.SlidersFresh) {
    RefreshSliderSets();
    Gen.SlidersFresh = true;
  }
}

// A pawn move to the seventh rank (rank index 6) or the second (rank index 1):
// bits 9-14 hold the destination rank and the moving type.
inline bool IsSeventhRankPush(Move m) {
  Move bits = m & 0x7E00;
  return bits == 0x1C00 || bits == 0x1200;
}

enum PromotionOrder { PROMOTE_QNRB, PROMOTE_QRBN, PROMOTE_Q_ONLY };

template <PromotionOrder Order, typename Add>
inline void AddPromotions(Move base, Add& add) {
  if constexpr (Order == PROMOTE_QNRB) {
    add(WithPromotion(base, QUEEN));
    add(WithPromotion(base, KNIGHT));
    add(WithPromotion(base, ROOK));
    add(WithPromotion(base, BISHOP));
  } else if constexpr (Order == PROMOTE_QRBN) {
    add(WithPromotion(base, QUEEN));
    add(WithPromotion(base, ROOK));
    add(WithPromotion(base, BISHOP));
    add(WithPromotion(base, KNIGHT));
  } else {
    add(WithPromotion(base, QUEEN));
  }
}

inline bool OnPromotionRank(int sq) { return sq < 8 || sq >= 56; }

// Pawn moves to every square of targets, each coming from to - Delta.
template <int Delta, PromotionOrder Order, typename Add>
inline void AddPawnMoves(Bitboard targets, Add& add) {
  while (targets) {
    int to = PopLowest(targets);
    Move base = Word(to - Delta, to, PAWN, CapturedOn(to));
    if (OnPromotionRank(to)) AddPromotions<Order>(base, add);
    else add(base);
  }
}

template <int Us, int Type, typename Add>
inline void AddPieceMoves(Bitboard allowed, Add& add) {
  Bitboard pieces = Pos.PieceBB[BBIndex(Us, Type)];
  while (pieces) {
    int from = PopLowest(pieces);
    Bitboard targets = PieceMoves<Type>(from) & allowed;
    while (targets) {
      int to = PopLowest(targets);
      add(Word(from, to, Type, CapturedOn(to)));
    }
  }
}

template <int Us, typename Add>
inline void AddAllPieceMoves(Bitboard allowed, Add& add) {
  AddPieceMoves<Us, KNIGHT>(allowed, add);
  AddPieceMoves<Us, BISHOP>(allowed, add);
  AddPieceMoves<Us, ROOK>(allowed, add);
  AddPieceMoves<Us, QUEEN>(allowed, add);
  AddPieceMoves<Us, KING>(allowed, add);
}

}  // namespace movegen
