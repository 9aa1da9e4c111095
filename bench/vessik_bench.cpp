// "make bench": nodes per second of the search over the bench positions.
// An optional argument sets the depth in plies.
#include <cstdio>
#include <cstdlib>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"
#include "tools/tools.h"

int main(int argc, char** argv) {
  // The bench chooses its own settings and tables; the weights need only the
  // preparation that start-up gives them.
  MirrorEvalTables();
  SaveEvalTables();
  int depth = argc > 1 ? std::atoi(argv[1]) : BENCH_DEPTH;
  if (depth < 1 || depth > 60) depth = BENCH_DEPTH;
  std::printf("Bench: %d positions, depth %d\n", BenchPositionCount(), depth);
  return RunEngineBench(depth, true).Nodes > 0 ? 0 : 1;
}
