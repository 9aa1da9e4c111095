// Position and moves: the one global position, its keys, attack tables,
// move generators, make/unmake and move notation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/check.h"

using Bitboard = uint64_t;
using HashKey = uint64_t;
using Move = uint32_t;

// ---------------------------------------------------------------------------
// Colours, piece types and codes
// ---------------------------------------------------------------------------
// Colour values are 1 for White and 0 for Black everywhere. Arrays indexed by
// colour are indexed by that value: PawnCount[WHITE], KingSquare[BLACK].
constexpr int BLACK = 0;
constexpr int WHITE = 1;

constexpr int NO_PIECE = 0;
constexpr int PAWN = 1;
constexpr int KNIGHT = 2;
constexpr int BISHOP = 3;
constexpr int ROOK = 4;
constexpr int QUEEN = 5;
constexpr int KING = 6;

constexpr int BLACK_BIT = 8;  // PieceCode = type for White, 8 + type for Black

constexpr int PieceCodeOf(int colour, int type) { return colour == WHITE ? type : BLACK_BIT + type; }
constexpr int TypeOfCode(int code) { return code & 7; }
constexpr bool IsBlackCode(int code) { return (code & BLACK_BIT) != 0; }

// FEN letters: PNBRQK for White, pnbrqk for Black; 0 for any other character.
constexpr int PieceCodeOfLetter(char c) {
  switch (c) {
    case 'P': return PAWN;
    case 'N': return KNIGHT;
    case 'B': return BISHOP;
    case 'R': return ROOK;
    case 'Q': return QUEEN;
    case 'K': return KING;
    case 'p': return BLACK_BIT + PAWN;
    case 'n': return BLACK_BIT + KNIGHT;
    case 'b': return BLACK_BIT + BISHOP;
    case 'r': return BLACK_BIT + ROOK;
    case 'q': return BLACK_BIT + QUEEN;
    case 'k': return BLACK_BIT + KING;
    default: return NO_PIECE;
  }
}

// Index into PieceBB: White pawn..king = 0..5, Black pawn..king = 6..11.
constexpr int BBIndex(int colour, int type) { return (colour == WHITE ? 0 : 6) + type - 1; }
constexpr int BBIndexOfCode(int code) { return (IsBlackCode(code) ? 6 : 0) + TypeOfCode(code) - 1; }

// Squares: a1 = 0, h8 = 63.
constexpr int RankOf(int sq) { return sq >> 3; }
constexpr int FileOf(int sq) { return sq & 7; }
constexpr int SquareAt(int rank, int file) { return rank * 8 + file; }

enum Square : int {
  A1, B1, C1, D1, E1, F1, G1, H1,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A8, B8, C8, D8, E8, F8, G8, H8
};

// Diagonal occupancy coordinates: AntiDiagOcc[rank + file] holds the square
// as bit min(rank, 7 - file); DiagOcc[7 - rank + file] as bit min(rank, file).
constexpr int AntiDiagIndex(int sq) { return RankOf(sq) + FileOf(sq); }
constexpr int AntiDiagBit(int sq) { return RankOf(sq) < 7 - FileOf(sq) ? RankOf(sq) : 7 - FileOf(sq); }
constexpr int DiagIndex(int sq) { return 7 - RankOf(sq) + FileOf(sq); }
constexpr int DiagBit(int sq) { return RankOf(sq) < FileOf(sq) ? RankOf(sq) : FileOf(sq); }
// Bit of a square in the file-major RotatedOcc.
constexpr int RotatedIndex(int sq) { return FileOf(sq) * 8 + RankOf(sq); }

// ---------------------------------------------------------------------------
// Keys: 64-bit values whose two 32-bit halves are used separately by the
// hash-table index and the book file.
// ---------------------------------------------------------------------------
constexpr uint32_t KeyLow(HashKey k) { return static_cast<uint32_t>(k); }
constexpr uint32_t KeyHigh(HashKey k) { return static_cast<uint32_t>(k >> 32); }
constexpr HashKey KeyFromHalves(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }
// The side to move is folded in by complementing the key when Black moves.
constexpr HashKey FoldSide(HashKey k, int side) { return side == WHITE ? k : ~k; }

// ---------------------------------------------------------------------------
// The Move word: from (0-5), to (6-11), moving type (12-14), captured type
// (15-17), promotion type (18-20). 0 is no move.
// ---------------------------------------------------------------------------
constexpr int MoveFrom(Move m) { return m & 63; }
constexpr int MoveTo(Move m) { return (m >> 6) & 63; }
constexpr int MoveType(Move m) { return (m >> 12) & 7; }
constexpr int MoveCaptured(Move m) { return (m >> 15) & 7; }
constexpr int MovePromotion(Move m) { return (m >> 18) & 7; }
constexpr Move MakeMoveWord(int from, int to, int type, int captured = 0, int promotion = 0) {
  return static_cast<Move>(from | to << 6 | type << 12 | captured << 15 | promotion << 18);
}
constexpr Move CAPTURE_MASK = 0x38000;
constexpr Move MOVE_WORD_MASK = 0x1FFFFF;  // every bit of the word; lists and tables may use the rest
constexpr bool IsCapture(Move m) { return (m & CAPTURE_MASK) != 0; }
// For a word with nothing above its bits (FitsMoveWord), as the generator's
// are: the promotion field is the top of the word, so one comparison tells.
constexpr bool IsPromotion(Move m) { return m >= (Move{1} << 18); }
// Neither capture nor promotion, and nothing above the word's bits.
constexpr bool IsQuiet(Move m) { return (m >> 15) == 0; }
// No bit is set above the word's 21.
constexpr bool FitsMoveWord(Move m) { return (m >> 21) == 0; }
// From and to together (bits 0-11): the 4096-entry index of the history
// table and the move keys.
constexpr int MoveFromTo(Move m) { return m & 0xFFF; }
// Captured and promotion types together (bits 15-20), captured | promotion << 3.
constexpr int MoveGainIndex(Move m) { return (m >> 15) & 63; }
// Mover and captured types (bits 12-17), mover | captured << 3.
constexpr int MoveMoverCapturedIndex(Move m) { return (m >> 12) & 63; }
// Mover, captured and promotion types (bits 12-20), mover | captured << 3 | promotion << 6.
constexpr int MoveTradeIndex(Move m) { return (m >> 12) & 511; }
constexpr Move WithPromotion(Move m, int promotion) { return m | static_cast<Move>(promotion) << 18; }
constexpr Move CASTLE_WK = 24964;  // e1-g1
constexpr Move CASTLE_WQ = 24708;  // e1-c1
constexpr Move CASTLE_BK = 28604;  // e8-g8
constexpr Move CASTLE_BQ = 28348;  // e8-c8

// ---------------------------------------------------------------------------
// Piece values
// ---------------------------------------------------------------------------
extern const int PieceValue[8];        // by type: 0 100 300 300 500 900 1000 0
extern const int PieceCodeValue[16];   // by code, negative for Black
extern const uint8_t PieceRank[8];     // 0 1 3 3 5 9 10 0
extern const int PieceUnitsOf[8];      // 0 0 3 3 5 9 0 0

// ---------------------------------------------------------------------------
// The position record
// ---------------------------------------------------------------------------
// Written by make/unmake (the search and the front end's game moves) and by
// the set-up routines (new game, FEN, edit); everything else reads it.
struct PositionRecord {
  uint8_t Board[64];           // PieceCode of each square
  Bitboard PieceBB[12];        // White P N B R Q K, Black P N B R Q K
  Bitboard RotatedOcc;         // file-major occupancy: bit file * 8 + rank
  uint8_t AntiDiagOcc[16];     // by rank + file
  uint8_t DiagOcc[16];         // by 7 - rank + file
  Bitboard AllOcc;
  Bitboard BlackOcc;
  Bitboard WhiteOcc;
  HashKey ScratchKey;          // work area of RecomputeKeys
  HashKey ScratchPawnKey;
  Bitboard EnPassantBB;        // square passed over by a double step, or 0
  HashKey Key;
  HashKey PawnKey;
  int32_t Material;            // White minus Black, pawn 100 ... queen 900
  uint8_t PawnCount[2];        // by colour
  int16_t PieceUnits[2];       // knight/bishop 3, rook 5, queen 9, by colour
  uint8_t KingSquare[2];       // by colour
  uint8_t CastleRights;        // 1 WK, 2 WQ, 4 BK, 8 BQ
  // Chess960: castles are written king-takes-own-rook, and each right has its
  // rook's start square (by CastleKeyIndex). Unused in standard positions.
  uint8_t Chess960;
  uint8_t CastleRookSquare[4];
  // Kept with the record so that one copy (StartPosition) holds a whole set-up.
  uint8_t SideToMove;          // 1 White, 0 Black
  int32_t ImbalanceKey;        // material signature read by the evaluation
};
extern PositionRecord Pos;

// Per-ply bookkeeping of the current line. The root of a search is ply 1 and
// Ply stays 1 outside a search. Arrays are written one ply ahead, and a node at
// ply 63 still makes moves, so they hold index 64 (and one spare).
// Written by whoever makes moves on the board: the search inside a search,
// the front end's game replay outside one.
constexpr int MAX_PLY = 64;
constexpr int PLY_SLOTS = MAX_PLY + 2;
struct TreeRecord {
  int Ply;
  Move MoveAtPly[PLY_SLOTS];
  uint8_t InCheckAtPly[PLY_SLOTS];
  int16_t HalfmoveClock[PLY_SLOTS];
};
extern TreeRecord Tree;

// The game as the position layer sees it: the keys met (the repetition test
// reads them), the fifty-move count, and the start a new game returns to.
// Written by the front end's game routines (moves, set-up, new game); a search
// writes KeyHistory only beyond GameMoveCount, for the line it is in.
constexpr int MAX_GAME_MOVES = 2048;
constexpr int KEY_HISTORY_SIZE = MAX_GAME_MOVES + PLY_SLOTS + 2;
struct GameHistoryRecord {
  int GameMoveCount;
  HashKey KeyHistory[KEY_HISTORY_SIZE];
  int16_t GameHalfmoveClock;
  PositionRecord StartPosition;
  bool HasSetupStart;
  int16_t StartHalfmoveClock;  // halfmove clock of a set-up start (its FEN's counter)
};
extern GameHistoryRecord History;

// ---------------------------------------------------------------------------
// Position record operations
// ---------------------------------------------------------------------------
// Set by the front end (UCI_Chess960, xboard variant): the positions set up
// from now on are Chess960 positions.
extern bool Chess960Variant;
void NewGame();
void SaveStartPosition();
void RecomputeBitboards();
void RecomputeRotated();
void RecomputeDiagonals();
void RecomputeCastleRights();
// ImbalanceKey from the pieces on the board (used by the set-up commands).
int ComputeImbalanceKey();
void MoveToCoord(Move move, char* buffer);  // buffer holds 6 bytes
std::string MoveToCoordString(Move move);   // convenience for tests and tools

// ---------------------------------------------------------------------------
// Hash keys. The 964 Zobrist constants are compiled in; MoveKeys is built from
// them at start-up so that a moving piece costs one XOR.
// ---------------------------------------------------------------------------
struct ZobristConstants {
  HashKey PieceKeys[12][64];   // row (type - 1) * 2 + (1 for Black)
  HashKey CastleKeys[4];       // rights 1, 2, 4, 8 in that order
  HashKey EnPassantKeys[64];
  HashKey PawnKeys[2][64];     // by colour
};
extern const ZobristConstants Zobrist;
// Rows: WP, WP (pawn keys), WN, WB, WR, WQ, WK, BP, BP (pawn keys), BN, BB, BR, BQ, BK;
// column from + 64 * to, the low 12 bits of a Move.
extern HashKey MoveKeys[14][4096];

constexpr int PieceKeyRow(int code) { return (TypeOfCode(code) - 1) * 2 + (IsBlackCode(code) ? 1 : 0); }
// MoveKeys row of a moving piece (the PieceKeys-based row for pawns).
constexpr int MoveKeyRow(int colour, int type) { return (colour == WHITE ? 0 : 7) + (type == PAWN ? 0 : type); }
constexpr int PawnMoveKeyRow(int colour) { return colour == WHITE ? 1 : 8; }
// CastleKeys index of a right bit (1, 2, 4, 8).
constexpr int CastleKeyIndex(int rightBit) { return rightBit == 1 ? 0 : rightBit == 2 ? 1 : rightBit == 4 ? 2 : 3; }

// Rook start square of a right (CastleKeyIndex order): the corners in
// standard positions, the set-up's squares in Chess960 ones.
inline int CastleRookSquareOf(int index) {
  constexpr uint8_t Corners[4] = {H1, A1, H8, A8};
  return Pos.Chess960 ? Pos.CastleRookSquare[index] : Corners[index];
}
// The key of a held right: CastleKeys for the standard rook files, its own
// constant for any other file.
HashKey CastleRightKey(int index);
void RecomputeKeys();
void BuildMoveKeys();

// ---------------------------------------------------------------------------
// Attack detection: tables built once at start-up (InitAttackTables builds
// them all, once; the evaluation's start-up calls it), sliding lookups over
// the rotated and diagonal occupancy bytes.
// ---------------------------------------------------------------------------
struct AttackTableSet {
  Bitboard KnightAttacks[64];
  Bitboard KingAttacks[64];
  Bitboard PawnAttacks[2][64];        // by colour: squares a pawn of that colour on s attacks
  Bitboard BishopRays[64];
  Bitboard RookRays[64];
  Bitboard QueenRays[64];
  Bitboard Ray[8][64];                // directions +8, +9, +7, +1, -8, -9, -7, -1
  Bitboard InBetween[64][64];
  int8_t LineDir[64][64];             // [target][origin]: step from origin towards target
  uint8_t Reach[5][64][64];           // knight, bishop, rook, queen, king (index type - 2)
  Bitboard Beside[64];
  Bitboard RankAttacks[64][256];
  Bitboard FileAttacks[64][256];
  Bitboard AntiDiagAttacks[64][256];
  Bitboard DiagAttacks[64][256];
  uint8_t RankReach8[8][256];
  Bitboard SetMask[64];
  Bitboard ClearMask[64];
  Bitboard RotatedSetMask[64];
  uint8_t LowestBit16[65536];
  uint8_t PopCount16[65536];
  uint8_t HighestBit8[256];
  uint8_t LowestBit8[256];
  // Slider sets for the x-ray step of StaticExchange; not kept by make/unmake,
  // recomputed (RefreshSliderSets) before a batch of exchange evaluations.
  Bitboard AllDiagSliders;
  Bitboard AllLineSliders;
};
extern AttackTableSet Attacks;

// Ray direction indices, in the order of the Ray table.
constexpr int RAY_N = 0, RAY_NE = 1, RAY_NW = 2, RAY_E = 3, RAY_S = 4, RAY_SW = 5, RAY_SE = 6, RAY_W = 7;

// Table builders, each building the tables named.
void BuildInBetween();
void BuildStepTables();       // KnightAttacks, KingAttacks, PawnAttacks, BishopRays, RookRays, QueenRays
void BuildSlidingTables();    // RankAttacks, FileAttacks, AntiDiagAttacks, DiagAttacks, RankReach8
void BuildBitTables();        // PopCount16, LowestBit16, HighestBit8, LowestBit8
void BuildBeside();
void BuildLineDir();
void BuildRays();             // Ray
void BuildReach();
void BuildMasks();            // SetMask, ClearMask, RotatedSetMask
void InitAttackTables();      // all of the above (and MoveKeys)

inline int LowestSquare(Bitboard bb) { return __builtin_ctzll(bb); }
inline int PopLowest(Bitboard& bb) {
  int sq = __builtin_ctzll(bb);
  bb &= bb - 1;
  return sq;
}
inline int PopCount(Bitboard bb) { return __builtin_popcountll(bb); }

inline Bitboard RankAttacksFrom(int s) {
  return Attacks.RankAttacks[s][(Pos.AllOcc >> (RankOf(s) * 8)) & 0xFF];
}
inline Bitboard FileAttacksFrom(int s) {
  return Attacks.FileAttacks[s][(Pos.RotatedOcc >> (FileOf(s) * 8)) & 0xFF];
}
inline Bitboard AntiDiagAttacksFrom(int s) { return Attacks.AntiDiagAttacks[s][Pos.AntiDiagOcc[AntiDiagIndex(s)]]; }
inline Bitboard DiagAttacksFrom(int s) { return Attacks.DiagAttacks[s][Pos.DiagOcc[DiagIndex(s)]]; }
inline Bitboard BishopAttacksFrom(int s) { return AntiDiagAttacksFrom(s) | DiagAttacksFrom(s); }
inline Bitboard RookAttacksFrom(int s) { return RankAttacksFrom(s) | FileAttacksFrom(s); }
inline Bitboard QueenAttacksFrom(int s) { return BishopAttacksFrom(s) | RookAttacksFrom(s); }
inline uint8_t RankReach(int s) { return Attacks.RankReach8[FileOf(s)][(Pos.AllOcc >> (RankOf(s) * 8)) & 0xFF]; }

bool IsAttacked(int s, int side);
bool IsAttackedByWhite(int s);
bool IsAttackedByBlack(int s);
// True when the king of that colour stands attacked.
inline bool KingAttacked(int colour) {
  return colour == WHITE ? IsAttackedByBlack(Pos.KingSquare[WHITE]) : IsAttackedByWhite(Pos.KingSquare[BLACK]);
}
Bitboard AttackersOf(int s);
Bitboard WhiteAttackersOf(int s);
Bitboard BlackAttackersOf(int s);
bool IsPinnedToKing(int side, int s);
bool PieceAttacks(int type, int from, int to);
int StaticExchange(int from, int to);
void RefreshSliderSets();

// ---------------------------------------------------------------------------
// Move generation. Lists are per ply and never written past their end: a
// generator stops adding when a list or bucket is full (no legal chess
// position comes near these capacities).
// ---------------------------------------------------------------------------
constexpr int MOVE_LIST_SIZE = 256;
constexpr int BUCKET_COUNT = 26;
constexpr int BUCKET_SIZE = 256;

struct PlyMoveList {
  Move Moves[MOVE_LIST_SIZE];
  uint32_t Scores[MOVE_LIST_SIZE];
  int End;  // slot after the last generated move
};

struct PlyBuckets {
  Move Moves[BUCKET_COUNT][BUCKET_SIZE];
  uint16_t Count[BUCKET_COUNT];
};

struct MoveGenState {
  PlyMoveList MoveList[PLY_SLOTS];
  Move QuiescenceList[PLY_SLOTS][MOVE_LIST_SIZE];
  int QuiescenceEnd;                 // end of the last quiescence list generated
  PlyBuckets RootBuckets[PLY_SLOTS];
  int EvasionCount[PLY_SLOTS];
  int RecaptureSquare;
  bool SeventhRankPush;
  bool SlidersFresh;
  uint8_t QuietBucket[6][64];        // by moving type - 1 and destination
};
extern MoveGenState Gen;

// What the generators order by besides the moves themselves: killers, history
// and the last completed line belong to the search, which points these at its
// own state when it initialises (SetOrderingHints). Until then they point at
// empty tables, so tools and tests that only generate moves need no search.
struct OrderingHints {
  const Move* Killer1;              // by ply
  const Move* Killer2;              // by ply
  const uint32_t (*History)[4096];  // by colour value, from + 64 * to
  const Move* LastLine;             // the last completed line, by ply
  const Move* RootHashMove;
};
extern OrderingHints Hints;
// Added to the exchange value of a capture in the staged capture lists, so
// that every capture scores above the quiet moves.
constexpr int GOOD_CAPTURE = 10000;

void BuildQuietBuckets();
void GenerateAll();
void GenerateCaptures();
void GenerateQuiet();
void GenerateEvasions();
void GenerateQuiescenceCaptures();
bool IsMovePossible(Move move);
// Chess960 castles, written king to own rook. Before make: the word's
// destination holds the mover's rook. After make (SideToMove still the
// mover's): the board is not what a plain king step leaves.
inline bool IsCastle960(Move m) {
  return Pos.Chess960 && MoveType(m) == KING && Pos.Board[MoveTo(m)] == PieceCodeOf(Pos.SideToMove, ROOK);
}
inline bool WasCastle960(Move m) {
  if (!Pos.Chess960 || MoveType(m) != KING || MoveCaptured(m)) return false;
  const int f = MoveFrom(m), t = MoveTo(m);
  return Pos.Board[t] != PieceCodeOf(Pos.SideToMove, KING) || Pos.Board[f] != 0 ||
         !(Attacks.KingAttacks[f] & (1ull << t));
}

// ---------------------------------------------------------------------------
// Make and unmake. The caller saves Key, PawnKey, EnPassantBB and CastleRights
// before MakeMove and writes them back after UnmakeMove; it also flips
// SideToMove and moves Ply itself.
// ---------------------------------------------------------------------------
void MakeMove(Move move);
void UnmakeMove(Move move);
// True when every incremental representation (bitboards, occupancies, rotated
// and diagonal bytes, counters, king squares, ImbalanceKey) agrees with Board.
// Keys are left out: make leaves their restore to the caller.
bool PositionIsConsistent();

// The four values the caller of make/unmake keeps.
struct SavedState {
  HashKey Key;
  HashKey PawnKey;
  Bitboard EnPassantBB;
  uint8_t CastleRights;
};
inline SavedState SaveState() { return {Pos.Key, Pos.PawnKey, Pos.EnPassantBB, Pos.CastleRights}; }
inline void RestoreState(const SavedState& s) {
  Pos.Key = s.Key;
  Pos.PawnKey = s.PawnKey;
  Pos.EnPassantBB = s.EnPassantBB;
  Pos.CastleRights = s.CastleRights;
}
// Tries a generated move: true when it does not leave the mover's own king
// attacked. The position, keys and state are as before on return.
bool KeepsOwnKingSafe(Move move);

// ---------------------------------------------------------------------------
// Move notation
// ---------------------------------------------------------------------------
enum SanStyle { SAN_CONSOLE, SAN_PV, SAN_BOOK };
// Disambiguation adds at most one character per bucket, so even a board full
// of twins stays well inside this.
constexpr int SAN_TEXT_SIZE = 48;
// Writes the SAN of a move that has just been made (SideToMove still the
// mover's; its position's moves in RootBuckets[Ply] from GenerateAll).
void FormatSan(Move move, char* text, SanStyle style);
void PrintCoordMove(Move move);
// The move as the xboard front end sends it (buffer of 6, as MoveToCoord): coordinates, and
// O-O / O-O-O for a Chess960 castle. Called before the move is made.
void MoveToXboardText(Move move, char* buffer);
