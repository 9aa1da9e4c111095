// Move generator speed: generator perft with make/unmake at every leaf.
#include <cstdio>

#include "frontend/frontend.h"
#include "platform/platform.h"
#include "position/position.h"
#include "tools/tools.h"

namespace {

void Run(const char* name, const char* line, int depth, uint64_t expected) {
  if (!SetupFen(line, 2, false)) {
    std::printf("%s: position refused\n", name);
    return;
  }
  const int64_t start = TickMs();
  const uint64_t nodes = Perft(depth);
  const double seconds = static_cast<double>(TickMs() - start) / 1000.0;
  std::printf("%-10s depth %d  nodes %llu%s  %.2f s  %.1f M nodes/s\n", name, depth,
              static_cast<unsigned long long>(nodes), nodes == expected ? "" : " (WRONG)", seconds,
              seconds > 0 ? static_cast<double>(nodes) / seconds / 1e6 : 0.0);
  std::fflush(stdout);
}

}  // namespace

int main() {
  InitAttackTables();
  Run("start", "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324ull);
  Run("kiwipete", "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 5,
      193690690ull);
  return 0;
}
