// Front-end internals: replaying the game record, and the console's game
// files and listing.
#pragma once

#include <cstdio>

#include "position/position.h"

// The game record: the moves played, the front end's flags, the lines a
// search read but did not act on, and the log files. Written only by the
// front end (the command and game loops, and its reporter while a search
// polls the input).
constexpr int PENDING_LINES = 32;
constexpr int PENDING_LINE_SIZE = 256;  // at most 254 characters and the line end
struct GameRecord {
  Move GameMoves[MAX_GAME_MOVES];  // from the start position; History.GameMoveCount of them

  int EngineColour;      // 1 White, 0 Black
  int HumanColour;
  int ForceMode;
  int AnalyzeMode;
  int QuitRequested;
  uint8_t PonderEnabled;
  uint8_t PonderingNow;
  uint8_t GameOverMark;  // 9 = the engine has resigned
  bool GameEnded;        // the interface sent "result": no play until a new game or set-up
  uint8_t ResignCount;
  uint8_t OutOfBook;
  uint8_t IncrementMode;
  // Lines read while a search ran: PendingInput is the last one read (the
  // one that stopped the search, if one did); every line that still has to
  // be executed waits in PendingLines, oldest first, for the command loop.
  char PendingInput[PENDING_LINE_SIZE];
  char PendingLines[PENDING_LINES][PENDING_LINE_SIZE];
  int PendingHead;
  int PendingCount;
  bool EndOfInputSeen;   // a search met the end of input and queued a "quit"
  char PonderReplyText[8];  // the predicted reply as the opponent would send it: "e7e8q\n"
  Move CurrentMove;      // the move the game loop plays next; 0 for none
  FILE* LogFile;         // log.txt: every input line; null when it could not be opened
  FILE* ErrorFile;       // Error.txt: key-consistency reports; null likewise
};
extern GameRecord Game;

// True when move is one of the moves GenerateAll produces here (at ply 1) and
// does not leave the mover's king attacked. Leaves RootBuckets[1] filled.
bool IsLegalGameMove(Move move);
// The first legal move of the position, or 0 when there is none.
Move AnyLegalMove();

// Sets up the game's start position: the standard one, or the set-up position
// when the game started from one, with its own side to move and en passant
// square.
void BeginReplay();

// Makes GameMoves[index] on the board the way recorded moves are always
// replayed (key into KeyHistory, ply 1, the game halfmove clock through make,
// side toggled). A recorded move that is not legal here (a stale entry beyond
// the record, a damaged file) is not made: the result is then false and the
// position is unchanged. With san non-null the move's console-style SAN is
// written there (SAN_TEXT_SIZE bytes).
bool ReplayMove(int index, char* san = nullptr);

// BeginReplay, then replays the first `moves` recorded moves, stopping at a 0
// entry or at a move that cannot be made. Returns the number made (the caller
// sets GameMoveCount and recomputes the keys).
int ReplayGame(int moves);

// Makes the position on the board the start of the game record when its side
// to move is not the one the record gives it (after "white" or "black"), so
// that board and record agree before a move is recorded or the game saved.
void AlignRecordWithBoard();

// Compares the incremental keys with keys computed afresh from the board; on
// a mismatch it reports to standard output and Error.txt and ends the process.
void VerifyPositionKeys();

// The Move word that a coordinate move such as e2e4 or e7e8n names in the
// current position (pieces taken from the board; a pawn reaching the last rank
// promotes to a queen unless a fifth letter b, n or r says otherwise), or 0
// when the text names no squares on the board. Not checked for legality.
Move MoveFromText(const char* text);

// A placement the engine can play from: one king per side and no pawn on the
// first or eighth rank. (Whether the side not to move is in check is a
// question for the whole position.)
bool PlacementPlayable(const uint8_t* board);

// Closes Error.txt and then log.txt (each only if it is open).
void CloseLogFiles();

// Console commands on the game files N.dat / N.txt and the move listing.
void SaveGameDialogue();
void LoadGameDialogue();
void PrintGameListing();
