// Evaluation: table-driven static score in centipawns from White's point of
// view, with the positional-strength scaling of the weight tables.
#pragma once

#include <cstdint>

#include "position/position.h"

// ---------------------------------------------------------------------------
// Weight tables. Every 64-square table is held twice, indexed by colour value:
// [WHITE] is the table as written for White, [BLACK] its rank mirror.
// ---------------------------------------------------------------------------

// The tables that the strength setting scales. One live copy and one base copy
// taken at start-up, so that rescaling never accumulates truncation.
struct ScaledWeights {
  int PawnSquareBonus[2][64];
  int KnightSquareBonus[2][64];
  int BishopSquareBonus[2][64];
  int RookSquareBonus[2][64];
  int Centre[2][64];
  int KingEndgameBoth[2][64];
  int KingEndgameKingSide[2][64];
  int KingEndgameQueenSide[2][64];
  int IsolatedPenalty[2][64];
  int BackwardPenalty[2][64];
  int OutpostBonus[2][64];
  int MobilityWeight[64];
  int KingSafetyTable[64];       // by danger index
  int AttackMultiplier[64];      // by danger index, in sixteenths
  int PassedBonus[8];            // by rank index from the pawn's own side
  int UnstoppableBonus[8];
  int KingSupportBonus[8];
  int BlockedPasserPenalty[8];
  int KingAttackTable[128];      // attack weight -8..119 at index weight + 8
  int8_t OutsidePasserBonus[128];  // by the opponent's PieceUnits
  int BishopPairBonus[16];       // by own PawnCount
  int8_t CastlingRightsBonus[16];  // by CastleRights
};

// Unscaled weights and every table derived at initialisation.
struct EvalTableSet {
  int QueenSquareBonus[2][64];
  uint8_t KingDangerBase[2][64];
  int8_t RookFileProximity[16];    // piece file - enemy king file, at index + 8
  int8_t QueenFileProximity[16];
  uint8_t OpenFileWeight[4];
  uint8_t HalfOpenFileWeight[4];
  uint8_t OppositeBishops[16];      // by BishopColours

  Bitboard FileMask[8];
  uint8_t FileBit[8];
  uint8_t SquareColour[64];         // 1 light, 0 dark
  uint8_t BishopColourBit[2][64];   // White 1 light / 2 dark, Black 4 light / 8 dark
  Bitboard LightSquares;
  Bitboard DarkSquares;

  Bitboard AdjacentFiles[64];
  Bitboard SupportSpan[2][64];
  Bitboard PassedSpan[2][64];
  Bitboard OutpostSpan[2][64];
  Bitboard FileBelow[64];           // file of s, ranks 0..rank(s)
  Bitboard FileAbove[64];           // file of s, ranks rank(s)..7
  Bitboard DuoSquares[64];
  uint8_t Tropism[64][64];
  uint8_t QueenTropism[64][64];
  // [pawn colour][side to move][pawn square][defending king square]: 1 when
  // the king cannot catch the pawn.
  uint8_t OutsideSquare[2][2][64][64];
  uint8_t KingBeside[64][64];       // [king][pawn]
  uint8_t KingBelow[64][64];
  uint8_t OutsideFiles[8][256];     // [file][enemy pawn-file mask]
  uint32_t ShelterFileTable[256][256];  // [White pawn files][Black pawn files]
  uint8_t CentreFileDanger[2][256];     // [0 d-file king, 1 e-file king][pawn files of both]
  uint8_t BishopMobility[2][64][256];   // [0 a8-h1 diagonal, 1 a1-h8 diagonal][square][occupancy]
  int8_t ImbalanceTable[1024];
  Bitboard KingShutInMasks[2][64];  // own rook squares that box the rook in, by king square
};

extern ScaledWeights Weights;      // in use
extern ScaledWeights BaseWeights;  // the copy the strength scaling starts from
extern EvalTableSet EvalTables;

// ---------------------------------------------------------------------------
// The evaluation and pawn caches. The blocks are allocated with the
// transposition table (search's AllocateTableBlocks, the one writer of the
// pointers and sizes); the entries are written only by the evaluation.
// ---------------------------------------------------------------------------
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

struct EvalCacheSet {
  EvalHashEntry* EvalTable;
  PawnHashEntry* PawnTable;
  uint32_t EvalHashMask;
  uint32_t PawnHashMask;
  // Sizes actually allocated (the settings may change before the next allocation).
  uint32_t EvalBytes;
  uint32_t PawnBytes;
};
extern EvalCacheSet EvalCaches;

// Masks from the sizes in use, evaluation and pawn caches emptied.
void ClearEvalCaches();

// The evaluation's own setting, written by the front end's option code.
struct EvalSettings {
  int32_t Strength;  // percent, 0..100: the scaling ScaleEvalTables applies
};
extern EvalSettings EvalConfig;

// ---------------------------------------------------------------------------
// Scratch state of the evaluation (one call at a time) and the lazy margin.
// ---------------------------------------------------------------------------
// Written only by the evaluation (the lazy margin also by the new-game reset).
struct EvalState {
  int32_t LazyMargin;          // 200 at a new game, grows to the largest swing seen
  uint8_t UnstoppablePasser;
  uint8_t EndgamePhase;        // either side below 15 piece units
  uint8_t PawnEnding;          // neither side has a piece
  uint8_t KingDanger[2];       // danger index of each king, by its colour
  int8_t KingAttack[2];        // attack weight against each king, by the king's colour
  uint8_t BishopColours;
  PawnHashEntry* PawnEntry;    // the pawn entry of the current call
};
extern EvalState Ev;

constexpr int LAZY_MARGIN_START = 200;

// ---------------------------------------------------------------------------
// Interfaces
// ---------------------------------------------------------------------------
// Builds the evaluation's tables (and the geometry tables they are derived
// from, when not built yet) and mirrors the weights for Black. Sets up no game.
void InitEvalTables();
void MirrorEvalTables();
void SaveEvalTables();
void ScaleEvalTables(int percent);
// Live and base weights back to the values compiled in.
void ResetEvalTables();

// White's point of view; alpha and beta only steer the lazy exit.
int Evaluate(int alpha, int beta);
// The side to move's point of view.
int EvaluateForSide(int alpha, int beta);
