#include <cstring>

#include "position/position.h"

const int PieceValue[8] = {0, 100, 300, 300, 500, 900, 1000, 0};
const int PieceCodeValue[16] = {0, 100, 300, 300, 500, 900, 1000, 0, 0, -100, -300, -300, -500, -900, -1000, 0};
const uint8_t PieceRank[8] = {0, 1, 3, 3, 5, 9, 10, 0};
const int PieceUnitsOf[8] = {0, 0, 3, 3, 5, 9, 0, 0};

PositionRecord Pos;
TreeRecord Tree = {1, {}, {}, {}};
GameHistoryRecord History;
bool Chess960Variant = false;

namespace {

void SetCornerRookSquares() {
  constexpr uint8_t Corners[4] = {H1, A1, H8, A8};
  std::memcpy(Pos.CastleRookSquare, Corners, sizeof Corners);
}

constexpr uint8_t BackRank[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};

void SetStandardPosition() {
  std::memset(Pos.Board, 0, sizeof Pos.Board);
  for (int f = 0; f < 8; f++) {
    Pos.Board[f] = BackRank[f];
    Pos.Board[8 + f] = PAWN;
    Pos.Board[48 + f] = BLACK_BIT + PAWN;
    Pos.Board[56 + f] = BLACK_BIT + BackRank[f];
  }
  Pos.PieceBB[BBIndex(WHITE, PAWN)] = 0xFF00ull;
  Pos.PieceBB[BBIndex(WHITE, KNIGHT)] = 0x42ull;
  Pos.PieceBB[BBIndex(WHITE, BISHOP)] = 0x24ull;
  Pos.PieceBB[BBIndex(WHITE, ROOK)] = 0x81ull;
  Pos.PieceBB[BBIndex(WHITE, QUEEN)] = 0x08ull;
  Pos.PieceBB[BBIndex(WHITE, KING)] = 0x10ull;
  Pos.PieceBB[BBIndex(BLACK, PAWN)] = 0x00FF000000000000ull;
  Pos.PieceBB[BBIndex(BLACK, KNIGHT)] = 0x4200000000000000ull;
  Pos.PieceBB[BBIndex(BLACK, BISHOP)] = 0x2400000000000000ull;
  Pos.PieceBB[BBIndex(BLACK, ROOK)] = 0x8100000000000000ull;
  Pos.PieceBB[BBIndex(BLACK, QUEEN)] = 0x0800000000000000ull;
  Pos.PieceBB[BBIndex(BLACK, KING)] = 0x1000000000000000ull;
  Pos.RotatedOcc = 0xC3C3C3C3C3C3C3C3ull;
  Pos.BlackOcc = 0xFFFF000000000000ull;
  Pos.WhiteOcc = 0xFFFFull;
  Pos.AllOcc = 0xFFFF00000000FFFFull;
  Pos.KingSquare[WHITE] = E1;
  Pos.KingSquare[BLACK] = E8;
  Pos.SideToMove = WHITE;
  Pos.CastleRights = 15;
  Pos.Chess960 = Chess960Variant;
  SetCornerRookSquares();
  Pos.EnPassantBB = 0;
  Pos.Material = 0;
  Pos.PawnCount[WHITE] = Pos.PawnCount[BLACK] = 8;
  Pos.PieceUnits[WHITE] = Pos.PieceUnits[BLACK] = 31;
  Pos.ImbalanceKey = 904;
  RecomputeKeys();
  RecomputeDiagonals();
}

}  // namespace

void NewGame() {
  if (History.HasSetupStart) {
    Pos = History.StartPosition;
  } else {
    SetStandardPosition();
  }
  History.GameHalfmoveClock = History.HasSetupStart ? History.StartHalfmoveClock : 0;
  RecomputeKeys();
}

void SaveStartPosition() { History.StartPosition = Pos; }

void RecomputeBitboards() {
  std::memset(Pos.PieceBB, 0, sizeof Pos.PieceBB);
  Pos.WhiteOcc = Pos.BlackOcc = Pos.AllOcc = 0;
  Pos.Material = 0;
  Pos.PawnCount[WHITE] = Pos.PawnCount[BLACK] = 0;
  Pos.PieceUnits[WHITE] = Pos.PieceUnits[BLACK] = 0;
  for (int sq = 0; sq < 64; sq++) {
    int code = Pos.Board[sq];
    int type = TypeOfCode(code);
    if (type == NO_PIECE || type == 7) continue;
    int colour = IsBlackCode(code) ? BLACK : WHITE;
    Bitboard bit = 1ull << sq;
    Pos.PieceBB[BBIndex(colour, type)] |= bit;
    (colour == WHITE ? Pos.WhiteOcc : Pos.BlackOcc) |= bit;
    if (type != KING) Pos.Material += colour == WHITE ? PieceValue[type] : -PieceValue[type];
    if (type == PAWN) Pos.PawnCount[colour]++;
    Pos.PieceUnits[colour] += PieceUnitsOf[type];
    if (type == KING) Pos.KingSquare[colour] = static_cast<uint8_t>(sq);
  }
  Pos.AllOcc = Pos.WhiteOcc | Pos.BlackOcc;
}

void RecomputeRotated() {
  Pos.RotatedOcc = 0;
  Pos.AllOcc = 0;
  for (int i = 0; i < 64; i++) {
    if (Pos.Board[(i & 7) * 8 + (i >> 3)]) Pos.RotatedOcc |= 1ull << i;
    if (Pos.Board[i]) Pos.AllOcc |= 1ull << i;
  }
}

void RecomputeDiagonals() {
  std::memset(Pos.AntiDiagOcc, 0, sizeof Pos.AntiDiagOcc);
  std::memset(Pos.DiagOcc, 0, sizeof Pos.DiagOcc);
  for (int sq = 0; sq < 64; sq++) {
    if (!Pos.Board[sq]) continue;
    Pos.AntiDiagOcc[AntiDiagIndex(sq)] |= static_cast<uint8_t>(1u << AntiDiagBit(sq));
    Pos.DiagOcc[DiagIndex(sq)] |= static_cast<uint8_t>(1u << DiagBit(sq));
  }
}

void RecomputeCastleRights() {
  Pos.CastleRights = 0;
  if (Pos.Board[E1] == KING) {
    if (Pos.Board[H1] == ROOK) Pos.CastleRights |= 1;
    if (Pos.Board[A1] == ROOK) Pos.CastleRights |= 2;
  }
  if (Pos.Board[E8] == BLACK_BIT + KING) {
    if (Pos.Board[H8] == BLACK_BIT + ROOK) Pos.CastleRights |= 4;
    if (Pos.Board[A8] == BLACK_BIT + ROOK) Pos.CastleRights |= 8;
  }
  SetCornerRookSquares();
}

int ComputeImbalanceKey() {
  int count[16] = {};
  for (int sq = 0; sq < 64; sq++) count[Pos.Board[sq] & 15]++;
  int wMinor = count[KNIGHT] + count[BISHOP];
  int bMinor = count[BLACK_BIT + KNIGHT] + count[BLACK_BIT + BISHOP];
  int key = 136 + (wMinor - bMinor) + 16 * (count[ROOK] - count[BLACK_BIT + ROOK]) +
            32 * (count[QUEEN] - count[BLACK_BIT + QUEEN]);
  if (count[QUEEN] > 0) key += 256;
  if (count[BLACK_BIT + QUEEN] > 0) key += 512;
  return key;
}

void MoveToCoord(Move move, char* buffer) {
  static const char PromotionLetters[] = " pnbrqk";
  int from = MoveFrom(move), to = MoveTo(move);
  buffer[0] = static_cast<char>('a' + FileOf(from));
  buffer[1] = static_cast<char>('1' + RankOf(from));
  buffer[2] = static_cast<char>('a' + FileOf(to));
  buffer[3] = static_cast<char>('1' + RankOf(to));
  int promotion = MovePromotion(move);
  if (promotion) {
    buffer[4] = PromotionLetters[promotion];
    buffer[5] = 0;
  } else {
    buffer[4] = 0;
  }
}

std::string MoveToCoordString(Move move) {
  char buffer[6];
  MoveToCoord(move, buffer);
  return buffer;
}
