// Front-end internals: replaying the game record, and the console's game
// files and listing.
#pragma once

#include "position/position.h"

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
