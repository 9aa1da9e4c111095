// UCI front-end internals shared by its files (and its tests).
#pragma once

#include <cstdint>

#include "platform/text.h"

// Room for one input line. Far longer than any position line whose moves
// fit the game record; a longer line is dropped whole rather than cut into a
// different position or a different go.
constexpr int UCI_LINE_SIZE = 65536;

// The values of the last go line that do not belong to the clock (the clocks
// go to Clock: UciTime, UciIncrement, UciMovesToGo).
struct UciGoValues {
  bool Infinite;
  bool Ponder;
  bool ClockGiven;         // wtime or btime on this line
  int32_t MoveTimeMs;      // 0: no fixed time
  int64_t Nodes;           // 0: no node limit
  int32_t Depth;           // 0: no depth limit
  bool Perft;              // the line asks for a perft divide ...
  int32_t PerftDepth;      // ... to this depth
};
extern UciGoValues UciGo;

// Reads the go line into UciGo and Clock. The clocks keep their values from
// one go to the next unless the line gives them again; increments, moves to
// go and everything else belong to one line.
void ParseGo(const char* line);
// The switches, limits and time budget of the search that the go line asks for.
void PrepareUciSearch();
// Back to an idle engine: no infinite or ponder search, no limits.
void FinishUciSearch();
// After a go infinite or go ponder search that ended by itself: reads lines
// until "stop" (or "ponderhit" for ponder) or the end of the input, answering
// "isready" at once and keeping every other line for after bestmove.
void WaitForSearchEnd();

// Keeps a line for the loop after the lines the search left: in the search's
// queue when it fits there, otherwise as the one held line. False when the
// line could only be held (nothing more can be kept until the loop runs).
bool KeepUciLine(const char* line);

// One line from standard input, copied to log.txt; a line longer than the
// buffer is read to its end and comes back empty. False at the end of input.
bool ReadInputLine(char* buffer, int size);
// One line for the UCI loop: the lines a search left first (a long one with
// the rest of it from standard input), then the held line, then standard
// input. False at the end of input.
bool ReadUciLine(char* buffer, int size);
// Executes one line of UCI mode as the loop does; false after quit.
bool UciExecuteLine(const char* line);
// The loop of UCI mode; returns after quit or at the end of input.
void UciLoop();
