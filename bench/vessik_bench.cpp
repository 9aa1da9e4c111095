// "make bench": nodes per second of the search over the bench positions.
// An optional argument sets the depth in plies.
#include <cstdio>
#include <cstdlib>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"
#include "tools/tools.h"

int main(int argc, char** argv) {
  // The tables and settings of a UCI session with its default 16 MB.
  Settings.HashSize = 8u << 20;
  Settings.EvalHashSize = 2u << 20;
  Settings.PawnHashSize = RoundTableBytes(6u << 20, sizeof(PawnHashEntry));
  Settings.TacticalFactor = 30;
  Settings.FutilityEnabled = true;
  Settings.Strength = 100;
  Settings.MultiPvCount = 1;
  Settings.XboardOutput = 0;
  if (AllocateTableBlocks() != 0) {
    std::printf("could not allocate the hash tables\n");
    return 1;
  }
  int depth = argc > 1 ? std::atoi(argv[1]) : BENCH_DEPTH;
  if (depth < 1 || depth > 60) depth = BENCH_DEPTH;
  std::printf("Bench: %d positions, depth %d\n", BenchPositionCount(), depth);
  RunBench(depth, true);
  return 0;
}
