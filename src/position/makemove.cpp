// Make and unmake: every redundant representation is updated by XOR/OR of
// precomputed masks and keys. Key, PawnKey, EnPassantBB and CastleRights are
// saved and restored by the caller, so unmake does not reverse them.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "position/position.h"

namespace {

// Where each square sits in the two diagonal occupancy arrays.
struct DiagonalBits {
  uint8_t AntiIndex[64], AntiMask[64], DiagIndex[64], DiagMask[64];
  constexpr DiagonalBits() : AntiIndex{}, AntiMask{}, DiagIndex{}, DiagMask{} {
    for (int s = 0; s < 64; s++) {
      AntiIndex[s] = static_cast<uint8_t>(AntiDiagIndex(s));
      AntiMask[s] = static_cast<uint8_t>(1u << AntiDiagBit(s));
      DiagIndex[s] = static_cast<uint8_t>(::DiagIndex(s));
      DiagMask[s] = static_cast<uint8_t>(1u << DiagBit(s));
    }
  }
};
constexpr DiagonalBits Diagonals;

constexpr Bitboard Bit(int s) { return 1ull << s; }
constexpr Bitboard RotatedBit(int s) { return 1ull << RotatedIndex(s); }

// Toggles a square in every occupancy representation except the colour sets.
inline void ToggleOccupancy(int s) {
  Pos.AntiDiagOcc[Diagonals.AntiIndex[s]] ^= Diagonals.AntiMask[s];
  Pos.DiagOcc[Diagonals.DiagIndex[s]] ^= Diagonals.DiagMask[s];
  Pos.RotatedOcc ^= RotatedBit(s);
  Pos.AllOcc ^= Bit(s);
}

inline void ToggleLineBytes(int s) {
  Pos.AntiDiagOcc[Diagonals.AntiIndex[s]] ^= Diagonals.AntiMask[s];
  Pos.DiagOcc[Diagonals.DiagIndex[s]] ^= Diagonals.DiagMask[s];
  Pos.RotatedOcc ^= RotatedBit(s);
}

inline HashKey PieceKey(int colour, int type, int s) {
  return Zobrist.PieceKeys[(type - 1) * 2 + (colour == BLACK ? 1 : 0)][s];
}

inline void DropRight(int right) {
  if (Pos.CastleRights & right) {
    Pos.Key ^= CastleRightKey(CastleKeyIndex(right));
    Pos.CastleRights &= static_cast<uint8_t>(~right);
  }
}

// ImbalanceKey: minors count 1, rooks 16, queens 32 (White minus Black), plus
// 256 / 512 while White / Black has a queen.
constexpr int ImbalanceUnit[8] = {0, 0, 1, 1, 16, 32, 0, 0};
constexpr int QueenFlag(int colour) { return colour == WHITE ? 256 : 512; }

template <int Us>
inline void MoveRook(int from, int to) {
  Pos.Key ^= MoveKeys[MoveKeyRow(Us, ROOK)][from + 64 * to];
  Pos.Board[to] = static_cast<uint8_t>(PieceCodeOf(Us, ROOK));
  Pos.Board[from] = 0;
  const Bitboard both = Bit(from) | Bit(to);
  Pos.PieceBB[BBIndex(Us, ROOK)] ^= both;
  (Us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc) ^= both;
  ToggleOccupancy(from);
  ToggleOccupancy(to);
}

template <int Us>
inline void UnmoveRook(int from, int to) {
  Pos.Board[from] = static_cast<uint8_t>(PieceCodeOf(Us, ROOK));
  Pos.Board[to] = 0;
  const Bitboard both = Bit(from) | Bit(to);
  Pos.PieceBB[BBIndex(Us, ROOK)] ^= both;
  (Us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc) ^= both;
  ToggleOccupancy(from);
  ToggleOccupancy(to);
}

// A Chess960 castle lifts king and rook and then puts both down: any of the
// four squares may coincide. Unmake calls it with the squares swapped.
template <int Us>
inline void ShiftCastlePieces(int kingFrom, int rookFrom, int kingTo, int rookTo) {
  Bitboard& own = Us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc;
  Pos.Board[kingFrom] = Pos.Board[rookFrom] = 0;
  ToggleOccupancy(kingFrom);
  ToggleOccupancy(rookFrom);
  ToggleOccupancy(kingTo);
  ToggleOccupancy(rookTo);
  Pos.PieceBB[BBIndex(Us, KING)] ^= Bit(kingFrom) ^ Bit(kingTo);
  Pos.PieceBB[BBIndex(Us, ROOK)] ^= Bit(rookFrom) ^ Bit(rookTo);
  own ^= Bit(kingFrom) ^ Bit(rookFrom) ^ Bit(kingTo) ^ Bit(rookTo);
  Pos.Board[kingTo] = static_cast<uint8_t>(PieceCodeOf(Us, KING));
  Pos.Board[rookTo] = static_cast<uint8_t>(PieceCodeOf(Us, ROOK));
  Pos.KingSquare[Us] = static_cast<uint8_t>(kingTo);
}

// Where king and rook of a Chess960 castle land: g and f files towards h,
// c and d towards a.
template <int Us>
inline void CastleTargets(int kingFrom, int rookFrom, int& kingTo, int& rookTo) {
  constexpr int Home = Us == WHITE ? 0 : 56;
  kingTo = Home + (rookFrom > kingFrom ? 6 : 2);
  rookTo = Home + (rookFrom > kingFrom ? 5 : 3);
}

template <int Us>
void MakeCastle960(int f, int t) {
  const int ply = Tree.Ply;
  Tree.HalfmoveClock[ply + 1] = static_cast<int16_t>(Tree.HalfmoveClock[ply] + 1);
  if (Pos.EnPassantBB) {
    Pos.Key ^= Zobrist.EnPassantKeys[LowestSquare(Pos.EnPassantBB)];
    Pos.EnPassantBB = 0;
  }
  DropRight(Us == WHITE ? 1 : 4);
  DropRight(Us == WHITE ? 2 : 8);
  int kingTo, rookTo;
  CastleTargets<Us>(f, t, kingTo, rookTo);
  Pos.Key ^= PieceKey(Us, KING, f) ^ PieceKey(Us, KING, kingTo) ^ PieceKey(Us, ROOK, t) ^ PieceKey(Us, ROOK, rookTo);
  ShiftCastlePieces<Us>(f, t, kingTo, rookTo);
}

template <int Us>
void MakeMoveFor(Move move) {
  constexpr int Them = Us ^ 1;
  constexpr int Up = Us == WHITE ? 8 : -8;
  constexpr int Sign = Us == WHITE ? 1 : -1;
  constexpr int Home = Us == WHITE ? 0 : 56;          // a-file square of our back rank
  constexpr int ShortRight = Us == WHITE ? 1 : 4, LongRight = Us == WHITE ? 2 : 8;
  constexpr int EnemyShortRight = Us == WHITE ? 4 : 1, EnemyLongRight = Us == WHITE ? 8 : 2;

  const int f = MoveFrom(move), t = MoveTo(move);
  const int type = MoveType(move), captured = MoveCaptured(move);
  if (type == KING && Pos.Chess960 && Pos.Board[t] == PieceCodeOf(Us, ROOK)) {
    MakeCastle960<Us>(f, t);
    return;
  }
  const int fromTo = MoveFromTo(move);
  const Bitboard tBit = Bit(t), both = Bit(f) | tBit;
  Bitboard& own = Us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc;
  Bitboard& enemy = Us == WHITE ? Pos.BlackOcc : Pos.WhiteOcc;

  // The destination is set with OR: it stays set when a piece is captured there.
  Pos.AntiDiagOcc[Diagonals.AntiIndex[f]] ^= Diagonals.AntiMask[f];
  Pos.AntiDiagOcc[Diagonals.AntiIndex[t]] |= Diagonals.AntiMask[t];
  Pos.DiagOcc[Diagonals.DiagIndex[f]] ^= Diagonals.DiagMask[f];
  Pos.DiagOcc[Diagonals.DiagIndex[t]] |= Diagonals.DiagMask[t];
  Pos.RotatedOcc = (Pos.RotatedOcc ^ RotatedBit(f)) | RotatedBit(t);
  Pos.AllOcc = (Pos.AllOcc ^ Bit(f)) | tBit;
  Pos.Board[f] = 0;

  const int ply = Tree.Ply;
  Tree.HalfmoveClock[ply + 1] = static_cast<int16_t>(Tree.HalfmoveClock[ply] + 1);

  if (Pos.EnPassantBB) {
    Pos.Key ^= Zobrist.EnPassantKeys[LowestSquare(Pos.EnPassantBB)];
    Pos.EnPassantBB = 0;
  }

  switch (type) {
    case PAWN: {
      Tree.HalfmoveClock[ply + 1] = 0;
      Pos.PawnKey ^= MoveKeys[PawnMoveKeyRow(Us)][fromTo];
      Pos.Key ^= MoveKeys[MoveKeyRow(Us, PAWN)][fromTo];
      Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Us, PAWN));
      Pos.PieceBB[BBIndex(Us, PAWN)] ^= both;
      own ^= both;
      const int promotion = MovePromotion(move);
      if (promotion) {
        Pos.PieceBB[BBIndex(Us, PAWN)] ^= tBit;
        Pos.PawnKey ^= Zobrist.PawnKeys[Us][t];
        Pos.Key ^= PieceKey(Us, PAWN, t);
        Pos.Key ^= PieceKey(Us, promotion, t);
        Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Us, promotion));
        if (promotion == QUEEN && !Pos.PieceBB[BBIndex(Us, QUEEN)]) Pos.ImbalanceKey += QueenFlag(Us);
        Pos.PieceBB[BBIndex(Us, promotion)] |= tBit;
        Pos.Material += Sign * (PieceValue[promotion] - 100);
        Pos.PieceUnits[Us] = static_cast<int16_t>(Pos.PieceUnits[Us] + PieceUnitsOf[promotion]);
        Pos.PawnCount[Us]--;
        Pos.ImbalanceKey += Sign * ImbalanceUnit[promotion];
      } else if (captured == 0 && FileOf(f) != FileOf(t)) {
        // En passant: the enemy pawn stands behind the destination.
        const int victim = t - Up;
        Pos.Board[victim] = 0;
        Pos.PawnKey ^= Zobrist.PawnKeys[Them][victim];
        Pos.Key ^= PieceKey(Them, PAWN, victim);
        Pos.PieceBB[BBIndex(Them, PAWN)] ^= Bit(victim);
        enemy ^= Bit(victim);
        ToggleOccupancy(victim);
        Pos.Material += Sign * 100;
        Pos.PawnCount[Them]--;
      } else if (t - f == 2 * Up && (Attacks.Beside[t] & Pos.PieceBB[BBIndex(Them, PAWN)])) {
        // The target square is recorded only when an enemy pawn can use it.
        Pos.EnPassantBB = Bit(f + Up);
        Pos.Key ^= Zobrist.EnPassantKeys[f + Up];
      }
      break;
    }
    case KNIGHT:
    case BISHOP:
    case QUEEN:
      Pos.Key ^= MoveKeys[MoveKeyRow(Us, type)][fromTo];
      Pos.PieceBB[BBIndex(Us, type)] ^= both;
      own ^= both;
      Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Us, type));
      break;
    case ROOK:
      Pos.Key ^= MoveKeys[MoveKeyRow(Us, ROOK)][fromTo];
      Pos.PieceBB[BBIndex(Us, ROOK)] ^= both;
      own ^= both;
      Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Us, ROOK));
      // Two tests: a Chess960 square of a right already gone may be stale.
      if (f == CastleRookSquareOf(CastleKeyIndex(LongRight))) DropRight(LongRight);
      if (f == CastleRookSquareOf(CastleKeyIndex(ShortRight))) DropRight(ShortRight);
      break;
    default:  // king
      DropRight(ShortRight);
      DropRight(LongRight);
      Pos.Key ^= MoveKeys[MoveKeyRow(Us, KING)][fromTo];
      Pos.PieceBB[BBIndex(Us, KING)] ^= both;
      own ^= both;
      Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Us, KING));
      Pos.KingSquare[Us] = static_cast<uint8_t>(t);
      if (t - f == 2) MoveRook<Us>(Home + 7, Home + 5);
      else if (f - t == 2) MoveRook<Us>(Home, Home + 3);
      break;
  }

  if (captured) {
    if (captured > QUEEN) {
      std::printf("Error on performing a capture which its content is %d and movpiece=%d\n", captured, type);
      std::fflush(stdout);
      WaitKey();
      if (captured != KING) return;
      // Keep the records in step with the board so that unmake can restore them.
      Pos.PieceBB[BBIndex(Them, KING)] ^= tBit;
      enemy ^= tBit;
      return;
    }
    Tree.HalfmoveClock[ply + 1] = 0;
    Pos.Key ^= PieceKey(Them, captured, t);
    Pos.PieceBB[BBIndex(Them, captured)] ^= tBit;
    enemy ^= tBit;
    Pos.Material += Sign * PieceValue[captured];
    if (captured == PAWN) {
      Pos.PawnKey ^= Zobrist.PawnKeys[Them][t];
      Pos.PawnCount[Them]--;
    } else {
      Pos.PieceUnits[Them] = static_cast<int16_t>(Pos.PieceUnits[Them] - PieceUnitsOf[captured]);
      Pos.ImbalanceKey += Sign * ImbalanceUnit[captured];
      if (captured == ROOK) {
        if (t == CastleRookSquareOf(CastleKeyIndex(EnemyLongRight))) DropRight(EnemyLongRight);
        if (t == CastleRookSquareOf(CastleKeyIndex(EnemyShortRight))) DropRight(EnemyShortRight);
      } else if (captured == QUEEN && !Pos.PieceBB[BBIndex(Them, QUEEN)]) {
        Pos.ImbalanceKey -= QueenFlag(Them);
      }
    }
  }
}

template <int Us>
void UnmakeMoveFor(Move move) {
  constexpr int Them = Us ^ 1;
  constexpr int Up = Us == WHITE ? 8 : -8;
  constexpr int Sign = Us == WHITE ? 1 : -1;
  constexpr int Home = Us == WHITE ? 0 : 56;

  const int f = MoveFrom(move), t = MoveTo(move);
  const int type = MoveType(move), captured = MoveCaptured(move);
  if (type == KING && WasCastle960(move)) {
    int kingTo, rookTo;
    CastleTargets<Us>(f, t, kingTo, rookTo);
    ShiftCastlePieces<Us>(kingTo, rookTo, f, t);
    return;
  }
  const Bitboard tBit = Bit(t), both = Bit(f) | tBit;
  Bitboard& own = Us == WHITE ? Pos.WhiteOcc : Pos.BlackOcc;
  Bitboard& enemy = Us == WHITE ? Pos.BlackOcc : Pos.WhiteOcc;

  ToggleLineBytes(f);
  ToggleLineBytes(t);
  Pos.AllOcc ^= both;
  Pos.Board[t] = 0;

  switch (type) {
    case PAWN: {
      Pos.Board[f] = static_cast<uint8_t>(PieceCodeOf(Us, PAWN));
      const int promotion = MovePromotion(move);
      if (promotion) {
        Pos.PieceBB[BBIndex(Us, PAWN)] ^= Bit(f);
        Pos.PieceBB[BBIndex(Us, promotion)] ^= tBit;
        Pos.Material -= Sign * (PieceValue[promotion] - 100);
        Pos.PieceUnits[Us] = static_cast<int16_t>(Pos.PieceUnits[Us] - PieceUnitsOf[promotion]);
        Pos.PawnCount[Us]++;
        Pos.ImbalanceKey -= Sign * ImbalanceUnit[promotion];
        if (promotion == QUEEN && !Pos.PieceBB[BBIndex(Us, QUEEN)]) Pos.ImbalanceKey -= QueenFlag(Us);
      } else {
        Pos.PieceBB[BBIndex(Us, PAWN)] ^= both;
        if (captured == 0 && FileOf(f) != FileOf(t)) {
          const int victim = t - Up;
          Pos.Board[victim] = static_cast<uint8_t>(PieceCodeOf(Them, PAWN));
          Pos.PieceBB[BBIndex(Them, PAWN)] ^= Bit(victim);
          enemy ^= Bit(victim);
          ToggleOccupancy(victim);
          Pos.Material -= Sign * 100;
          Pos.PawnCount[Them]++;
        }
      }
      own ^= both;
      break;
    }
    case KNIGHT:
    case BISHOP:
    case ROOK:
    case QUEEN:
      Pos.Board[f] = static_cast<uint8_t>(PieceCodeOf(Us, type));
      Pos.PieceBB[BBIndex(Us, type)] ^= both;
      own ^= both;
      break;
    default:  // king
      Pos.Board[f] = static_cast<uint8_t>(PieceCodeOf(Us, KING));
      Pos.PieceBB[BBIndex(Us, KING)] ^= both;
      own ^= both;
      Pos.KingSquare[Us] = static_cast<uint8_t>(f);
      if (t - f == 2) UnmoveRook<Us>(Home + 7, Home + 5);
      else if (f - t == 2) UnmoveRook<Us>(Home, Home + 3);
      break;
  }

  if (captured) {
    Pos.AllOcc ^= tBit;
    ToggleLineBytes(t);
    if (captured > QUEEN) {
      std::printf("Error on undoing a capture move, content is %d\n", captured);
      std::fflush(stdout);
      WaitKey();
      if (captured != KING) return;
      Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Them, KING));
      Pos.PieceBB[BBIndex(Them, KING)] ^= tBit;
      enemy ^= tBit;
      return;
    }
    Pos.Board[t] = static_cast<uint8_t>(PieceCodeOf(Them, captured));
    if (captured == QUEEN && !Pos.PieceBB[BBIndex(Them, QUEEN)]) Pos.ImbalanceKey += QueenFlag(Them);
    Pos.PieceBB[BBIndex(Them, captured)] ^= tBit;
    enemy ^= tBit;
    Pos.Material -= Sign * PieceValue[captured];
    if (captured == PAWN) {
      Pos.PawnCount[Them]++;
    } else {
      Pos.PieceUnits[Them] = static_cast<int16_t>(Pos.PieceUnits[Them] + PieceUnitsOf[captured]);
      Pos.ImbalanceKey -= Sign * ImbalanceUnit[captured];
    }
  }
}

}  // namespace

void MakeMove(Move move) {
  if (Pos.SideToMove == WHITE) MakeMoveFor<WHITE>(move);
  else MakeMoveFor<BLACK>(move);
  VESSIK_ASSERT(PositionIsConsistent());
}

void UnmakeMove(Move move) {
  if (Pos.SideToMove == WHITE) UnmakeMoveFor<WHITE>(move);
  else UnmakeMoveFor<BLACK>(move);
  VESSIK_ASSERT(PositionIsConsistent());
}

bool PositionIsConsistent() {
  Bitboard pieces[12] = {};
  Bitboard white = 0, black = 0, rotated = 0;
  uint8_t anti[16] = {}, diag[16] = {};
  int material = 0, pawns[2] = {}, units[2] = {}, kings[2] = {}, kingSquare[2] = {-1, -1};
  for (int s = 0; s < 64; s++) {
    const int code = Pos.Board[s];
    if (!code) continue;
    const int type = TypeOfCode(code);
    if (type == 7 || code == BLACK_BIT) return false;
    const int colour = IsBlackCode(code) ? BLACK : WHITE;
    pieces[BBIndex(colour, type)] |= Bit(s);
    (colour == WHITE ? white : black) |= Bit(s);
    rotated |= RotatedBit(s);
    anti[Diagonals.AntiIndex[s]] |= Diagonals.AntiMask[s];
    diag[Diagonals.DiagIndex[s]] |= Diagonals.DiagMask[s];
    material += PieceCodeValue[code] * (type != KING);
    if (type == PAWN) pawns[colour]++;
    units[colour] += PieceUnitsOf[type];
    if (type == KING) {
      kings[colour]++;
      kingSquare[colour] = s;
    }
  }
  if (std::memcmp(pieces, Pos.PieceBB, sizeof pieces) != 0) return false;
  if (white != Pos.WhiteOcc || black != Pos.BlackOcc || (white | black) != Pos.AllOcc) return false;
  if (rotated != Pos.RotatedOcc) return false;
  if (std::memcmp(anti, Pos.AntiDiagOcc, 16) != 0 || std::memcmp(diag, Pos.DiagOcc, 16) != 0) return false;
  if (material != Pos.Material) return false;
  for (int colour : {BLACK, WHITE}) {
    if (pawns[colour] != Pos.PawnCount[colour] || units[colour] != Pos.PieceUnits[colour]) return false;
    if (kings[colour] == 1 && kingSquare[colour] != Pos.KingSquare[colour]) return false;
  }
  return Pos.ImbalanceKey == ComputeImbalanceKey();
}

bool KeepsOwnKingSafe(Move move) {
  const int mover = Pos.SideToMove;
  const SavedState saved = SaveState();
  MakeMove(move);
  const bool safe = !KingAttacked(mover);
  UnmakeMove(move);
  RestoreState(saved);
  return safe;
}
