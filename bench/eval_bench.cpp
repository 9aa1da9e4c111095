// Evaluations per second over a fixed set of positions: the openings below
// and the positions of deterministic random playouts from them. Every
// evaluation runs in full: its evaluation-cache and pawn-cache slots are
// emptied first (the same as clearing both caches). A second figure keeps the
// pawn cache, as the search sees it most of the time.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"

namespace {

const char* const kOpenings[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "2r2rk1/pp3ppp/2n1bn2/q2p4/3P4/P1N1PN2/1P2BPPP/R2Q1RK1 w - -",
    "4k3/pp4pp/8/8/8/8/PPPP3P/4K3 b - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
};

bool PlayRandomMove(std::mt19937& random) {
  GenerateAll();
  std::vector<Move> legal;
  const int side = Pos.SideToMove;
  const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
  for (int b = 0; b < BUCKET_COUNT; b++)
    for (int i = 0; i < buckets.Count[b]; i++) {
      Move m = buckets.Moves[b][i];
      SavedState saved = SaveState();
      MakeMove(m);
      bool ok = !IsAttacked(Pos.KingSquare[side], side ^ 1);
      UnmakeMove(m);
      RestoreState(saved);
      if (ok) legal.push_back(m);
    }
  if (legal.empty()) return false;
  Move m = legal[random() % legal.size()];
  Tree.MoveAtPly[Tree.Ply + 1] = m;
  MakeMove(m);
  Tree.MoveAtPly[Tree.Ply] = m;
  Pos.SideToMove = static_cast<uint8_t>(side ^ 1);
  return true;
}

void ForgetCachedScores() {
  EvalHashEntry& e = EvalCaches.EvalTable[KeyLow(Pos.Key) & EvalCaches.EvalHashMask];
  e.KeyLow = e.KeyHigh = 0;
  PawnHashEntry& p = EvalCaches.PawnTable[KeyLow(Pos.PawnKey) & EvalCaches.PawnHashMask];
  p.KeyLow = p.KeyHigh = 0;
}

void ForgetCachedScore() {
  EvalHashEntry& e = EvalCaches.EvalTable[KeyLow(Pos.Key) & EvalCaches.EvalHashMask];
  e.KeyLow = e.KeyHigh = 0;
}

template <typename Prepare>
double EvaluationsPerSecond(const std::vector<PositionRecord>& positions, int rounds, Prepare prepare,
                            long long& checksum) {
  auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < rounds; round++)
    for (const PositionRecord& p : positions) {
      Pos = p;
      prepare();
      checksum += Evaluate(-10000, 10000);
    }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return static_cast<double>(rounds) * static_cast<double>(positions.size()) / seconds;
}

}  // namespace

int main() {
  SearchConfig.HashSize = 4u << 20;
  SearchConfig.EvalHashSize = 2u << 20;
  SearchConfig.PawnHashSize = RoundTableBytes(3u << 20, sizeof(PawnHashEntry));
  if (AllocateTableBlocks() != 0) {
    std::printf("cannot allocate the tables\n");
    return 1;
  }
  ClearHashTables();
  StartEngine();
  Tree.Ply = 1;

  std::vector<PositionRecord> positions;
  std::mt19937 random(12345);
  char line[256];
  for (const char* fen : kOpenings) {
    for (int game = 0; game < 16; game++) {
      std::snprintf(line, sizeof line, "setboard %s\n", fen);
      if (!SetupFen(line, 1, false)) {
        std::printf("bad position %s\n", fen);
        return 1;
      }
      for (int ply = 0; ply < 60; ply++) {
        positions.push_back(Pos);
        if (!PlayRandomMove(random)) break;
      }
    }
  }

  long long checksum = 0;
  EvaluationsPerSecond(positions, 5, ForgetCachedScores, checksum);  // warm up
  const int rounds = 200;
  double cold = EvaluationsPerSecond(positions, rounds, ForgetCachedScores, checksum);
  double pawnsCached = EvaluationsPerSecond(positions, rounds, ForgetCachedScore, checksum);
  std::printf("positions: %zu, rounds: %d\n", positions.size(), rounds);
  std::printf("full evaluations, both caches cleared: %.0f per second\n", cold);
  std::printf("pawn cache kept, evaluation cache cleared: %.0f per second\n", pawnsCached);
  std::printf("checksum %lld\n", checksum);
  return 0;
}
