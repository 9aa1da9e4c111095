// Search: hash tables, move ordering, quiescence and alpha-beta search,
// iterative deepening, time control with input polling, search output.
#pragma once

#include <cstdint>

#include "position/position.h"

// ---------------------------------------------------------------------------
// Hash tables
// ---------------------------------------------------------------------------
// Transposition entry, 16 bytes: data low (score + 65536 in bits 0-16, depth in
// bits 17-29, bound in bits 30-31), data high (age in bits 0-2, mate threat in
// bit 3, move in bits 4-24), then the key halves.
struct HashEntry {
  uint32_t DataLow;
  uint32_t DataHigh;
  uint32_t KeyLow;
  uint32_t KeyHigh;
};
static_assert(sizeof(HashEntry) == 16);

struct EvalHashEntry {
  uint32_t KeyLow;
  uint32_t KeyHigh;
  int32_t Score;  // White's point of view
  uint32_t Unused;
};
static_assert(sizeof(EvalHashEntry) == 16);

struct PawnHashEntry {
  uint32_t KeyLow;
  uint32_t KeyHigh;
  uint64_t PassedSet;
  int16_t Score;
  uint8_t PawnFiles[2];         // byte 18 White, byte 19 Black
  uint8_t ShelterWeakness[4];   // White queen side, White king side, Black queen side, Black king side
};
static_assert(sizeof(PawnHashEntry) == 24);

// The four table blocks and the usable, 16-byte aligned bases inside them.
struct HashTableSet {
  void* Blocks[4];                  // two transposition halves, evaluation, pawns
  HashEntry* DepthPreferredTable;
  HashEntry* AlwaysReplaceTable;
  EvalHashEntry* EvalTable;
  PawnHashEntry* PawnTable;
  uint32_t HashMask;
  uint32_t EvalHashMask;
  uint32_t PawnHashMask;
  // Sizes of the tables actually allocated (the settings may be changed by a
  // later reading of the options, the tables only by a reallocation).
  uint32_t HashBytes;
  uint32_t EvalBytes;
  uint32_t PawnBytes;
};
extern HashTableSet Tables;

// entry size * the highest power of two not above bytes / entry size.
uint32_t RoundTableBytes(uint32_t bytes, uint32_t entrySize);

// Allocates the four blocks for the sizes in Settings (HashSize covers both
// transposition halves). On failure nothing is installed, the previous blocks
// stay in use, and the result names the block that failed: 1 transposition,
// 2 evaluation, 3 pawns. 0 on success.
int AllocateTableBlocks();

// Bound codes of a transposition entry, and the probe's "nothing usable".
constexpr int HASH_EXACT = 0;
constexpr int HASH_UPPER = 1;
constexpr int HASH_LOWER = 2;
constexpr int HASH_MISS = 3;
// Data low word of an entry that only carries a move: score -65536, depth
// 2400, lower bound, so it can never cause a cut-off.
constexpr uint32_t MOVE_ONLY_DATA = 0x92C00000u;
// Data words of an empty entry: no score, age 7, no move.
constexpr uint32_t EMPTY_DATA_LOW = 0;
constexpr uint32_t EMPTY_DATA_HIGH = 7;

// Looks the position up in both transposition tables. move is in/out (the
// caller sets it to 0); nullAllowed is cleared when the entry says a null move
// would fail low. Returns the stored bound, or HASH_MISS.
int ProbeHash(int depth, int& score, Move& move, int& mateThreat, int pieceUnits, int& nullAllowed, int beta);
void StoreHash(int score, int depth, int bound, int mateThreat, Move move);
// Places a principal-variation move in the table without a search result.
void StoreHashMove(Move move);
// Empties every table and the ordering state (history, killers, last line).
void ClearHashTables();
// HashMask from the size in use, both transposition tables emptied, and the
// position keys recomputed from the board.
void ResetTranspositionTables();
// Masks from the sizes in use, evaluation and pawn caches emptied.
void ClearEvalCaches();
// UCI sizing of the three tables from one total in megabytes; prints the sizes.
void SizeHashTables(int totalMb);
// UCI reallocation. A failed allocation keeps the tables and sizes in use.
void AllocateHashTables(int totalMb);
// The next search's age: 1..7, wrapping from 7 to 1.
void AdvanceSearchAge();

// ---------------------------------------------------------------------------
// Search state
// ---------------------------------------------------------------------------
constexpr int MATE_SCORE = 10000;
constexpr int MATE_THRESHOLD = 9800;
constexpr int ONE_PLY = 60;
constexpr int GOOD_CAPTURE = 10000;
constexpr int PV_SIZE = 65;

struct SearchState {
  int64_t StartSeconds;  // calendar seconds at the start of the current search
  int64_t StartTicks;    // millisecond ticks at the start of the current search

  // Move ordering (killers per ply, history per side indexed by from + 64 * to).
  Move Killer1[PLY_SLOTS];
  Move Killer2[PLY_SLOTS];
  uint32_t HistoryTable[2][4096];  // by colour value

  // Principal variations: row p holds the line found at ply p from column p;
  // row 2 from column 1 is the current root line, row 0 the last completed one.
  Move PvTable[PV_SIZE][PV_SIZE];
  Move RootHashMove;
  Move RootBestMove;

  // Age of the transposition entries written by the current search: 0 at the
  // start of the game loop, then 1..7.
  int SearchAge;
  // Repetitions met by the draw test of the current node; a probe then uses
  // only the move of an entry.
  int RepetitionSeen;

  // Kept between searches for the front end and the time allocation.
  int SearchCount;      // searches of this game that were not ponder searches
  int PreviousScore;    // result of the previous search
  int DepthHint;        // iteration depth the last search reached
  bool DrawFlag;        // the last search found the game drawn
  int32_t Nps;          // speed estimate, nodes per second
  int32_t NpsQuarter;   // its poll-interval companion
};
extern SearchState Srch;

// Time-control inputs from the protocol (all times in centiseconds).
struct TimeControlState {
  int32_t MoveTimeBudget;  // budget of the current move
  int32_t LevelMoveTime;   // per-move time of the level command; the increment in increment mode
  int32_t LevelMoves;      // moves per control (1 in increment mode)
  int32_t EngineClock;     // "time"
  int32_t OpponentClock;   // "otim"
};
extern TimeControlState Clock;

// Small move-indexed value tables, built by BuildCaptureValueTables():
// CaptureGain by bits 15-20 (captured | promotion << 3): value of the captured
// piece plus the full value of the promotion piece, 100 for neither (en passant).
// MaterialGain by the same index: captured value plus promotion value - 100, 100 for neither.
// TradeTable by bits 12-20 (mover | captured << 3 | promotion << 6): MaterialGain - value of the mover.
struct CaptureValueTables {
  int CaptureGain[64];
  int MaterialGain[64];
  int TradeTable[512];
  uint8_t RecaptureTable[64];  // by bits 12-17 (mover | captured << 3), built by BuildRecaptureTable()
};
extern CaptureValueTables CaptureValues;

void BuildCaptureValueTables();
void BuildRecaptureTable();
