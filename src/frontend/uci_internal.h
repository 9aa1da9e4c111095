// UCI front-end internals shared by its files (and its tests).
#pragma once

#include <cstdint>

// A white-space delimited word of a line, in place.
struct UciWord {
  const char* Text = nullptr;
  int Length = 0;
  bool Is(const char* s) const;
  // A decimal integer with an optional sign and nothing else; false otherwise.
  bool ToInt(int64_t& value) const;
};

class UciWordReader {
 public:
  explicit UciWordReader(const char* line) : p_(line) {}
  bool Next(UciWord& word);  // false at the end of the line

 private:
  const char* p_;
};

// The values of the last go line. The clocks keep their values from one go
// to the next unless the line gives them again; everything else is reset by
// each go.
struct UciGoValues {
  int32_t WhiteTime;       // centiseconds
  int32_t BlackTime;
  int32_t WhiteIncrement;  // centiseconds
  int32_t BlackIncrement;
  int32_t MovesToGo;       // 0: the rest of the game
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

// Reads the go line into UciGo.
void ParseGo(const char* line);
// The switches, limits and time budget of the search that the go line asks for.
void PrepareUciSearch();
// Back to an idle engine: no infinite or ponder search, no limits.
void FinishUciSearch();
// After a go infinite or go ponder search that ended by itself: reads lines
// until "stop" (or "ponderhit" for ponder) or the end of the input, answering
// "isready" at once and keeping every other line for the loop.
void WaitForSearchEnd();

// Lines that arrived while a search ran and wait for the loop, oldest first.
void KeepPendingLine(const char* line);
bool TakePendingLine(char* buffer, int size);
void ClearPendingLines();

// One line for the UCI loop: a kept line first, then standard input (copied
// to log.txt). False at the end of input.
bool ReadUciLine(char* buffer, int size);
// The loop of UCI mode; returns after quit or at the end of input.
void UciLoop();
