// Test tools: perft (move path enumeration) and the EPD test runner.
#pragma once

#include <cstdint>
#include <cstdio>

#include "search/search.h"

// Leaf count of the legal move tree of the current position, `depth` plies
// deep (depth 0 gives 1), played from Ply 1 with the engine's own make/unmake.
// Generator form: GenerateAll at every node, a legality test after each make.
uint64_t Perft(int depth);
// The search's path: GenerateCaptures then GenerateQuiet when not in check,
// GenerateEvasions (trusted, no legality test) when in check.
uint64_t PerftSearchPath(int depth);
// Generator form, printing "<move>: <count>" for each legal root move in
// generation order, a blank line and "Nodes searched: <total>". Returns the total.
uint64_t PerftDivide(int depth);

// Runs the EPD test suite (the console's "testepd"): each position searched
// with the caller's limits (its budget and test-suite switch set here, and
// left so) and reporter. Prompt answers are copied to log (may be null);
// bookMove, when not null, gives the book move a position is played from
// without a search.
void RunEpdTest(SearchLimits& limits, SearchReporter& reporter, FILE* log, Move (*bookMove)());

// The benchmark: every bench position searched to `depth` plies from cleared
// tables (a new game for the search each time), silently, without a clock and
// without the book, with the settings and table sizes of a UCI session at its
// defaults whatever the engine's own are: the node total depends on nothing
// but the search. setUp sets the position from a "position fen ..." line
// (false when it refuses it). With verbose set it prints a line per position; it always
// ends with "Nodes searched: N" and "Nodes/second: N". Afterwards the settings,
// tables (emptied), position and game are the engine's own again.
constexpr int BENCH_DEPTH = 8;
struct BenchResult {
  uint64_t Nodes;
  int64_t Milliseconds;
};
BenchResult RunBench(int depth, bool verbose, bool (*setUp)(const char* fenLine));
int BenchPositionCount();
const char* BenchPosition(int index);
