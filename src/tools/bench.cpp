// The benchmark: a fixed set of positions, each searched to a fixed depth from
// cleared tables. Its total node count is the search's signature: any change
// to what the search does changes it.
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "platform/platform.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

const char* const BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQK2R w KQkq - 0 5",
    "rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4",
    "rnbqkb1r/1p2pppp/p2p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R w KQkq - 0 6",
    "rnbqkbnr/ppp2ppp/4p3/3pP3/3P4/8/PPP2PPP/RNBQKBNR b KQkq - 0 3",
    "rnbq1rk1/ppp1ppbp/3p1np1/8/2PPP3/2N2N2/PP2BPPP/R1BQK2R b KQ - 3 6",
    "r1bq1rk1/2p1bppp/p1np1n2/1p2p3/4P3/1BP2N1P/PP1P1PPP/RNBQR1K1 b - - 0 9",
    "rn1qkbnr/pp2pppp/2p5/5b2/3PN3/8/PPP2PPP/R1BQKBNR w KQkq - 1 5",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r2q1rk1/pp2bppp/2n1bn2/3p4/3N4/2N1B1P1/PP2PPBP/R2Q1RK1 w - - 0 11",
    "r1bq1rk1/pp3ppp/2n1pn2/2b5/2BP4/2N2N2/PP3PPP/R1BQ1RK1 w - - 0 9",
    "8/5pk1/6p1/3R4/r5P1/7P/5PK1/8 w - - 0 40",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
    "8/3k4/2n1p3/1p1pP3/1P1P1B2/4K3/8/8 w - - 0 45",
    "8/6k1/5pp1/7p/7P/5QP1/q4PK1/8 w - - 0 50",
    "2r3k1/5ppp/p3p3/1p6/3R4/P3P3/1P3PPP/6K1 w - - 0 30",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPPQ2PP/2KR3R w - - 0 13",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/2KR1B1R b - - 2 9",
    "2rq1rk1/pb2bppp/1pn1pn2/2pp4/3P4/1P2PN2/PBPNBPPP/2RQ1RK1 w - - 0 11",
    "8/p4pk1/1p2p1p1/3nP3/5P2/1B4P1/P5KP/8 w - - 0 35",
    "2r2rk1/1q3ppp/p3p3/1p1pP3/3P4/P2Q4/1P3PPP/2R2RK1 w - - 0 22",
    "r2qr1k1/1b1nbppp/p2p1n2/1p2p3/3PP3/1BP2N1P/PP1N1PPP/R1BQR1K1 w - - 0 13",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9",
    "8/8/1k6/2p5/2P1K3/1P6/8/8 w - - 0 1",
    "6k1/5p2/4p1p1/3pP3/3P1P2/6P1/5BK1/3r4 w - - 0 40",
    "r3r1k1/pp3pbp/1qp3p1/2B5/2BP2b1/Q1n2N2/P4PPP/3R1K1R b - - 0 18",
    "3r2k1/p4ppp/1p6/2p5/2P5/1P3NPb/P3PP1P/3R2K1 w - - 0 25",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
};

}  // namespace

int BenchPositionCount() { return static_cast<int>(sizeof BenchPositions / sizeof BenchPositions[0]); }

const char* BenchPosition(int index) { return BenchPositions[index]; }

namespace {

// The tables of a UCI session with its default 16 MB: 8 MB of transposition
// table, 2 MB of evaluation cache, 6 MB (rounded to whole entries) of pawn cache.
constexpr uint32_t BENCH_HASH_BYTES = 8u << 20;
constexpr uint32_t BENCH_EVAL_BYTES = 2u << 20;
uint32_t BenchPawnBytes() { return RoundTableBytes(6u << 20, sizeof(PawnHashEntry)); }

bool BenchTablesInPlace() {
  return Tables.DepthPreferredTable != nullptr && Tables.HashBytes == BENCH_HASH_BYTES &&
         EvalCaches.EvalBytes == BENCH_EVAL_BYTES && EvalCaches.PawnBytes == BenchPawnBytes();
}

// The settings of a UCI session at its defaults, whatever option.txt or the
// interface had chosen.
void UseBenchSettings() {
  SearchConfig.FutilityEnabled = true;
  SearchConfig.TacticalFactor = 30;
  EvalConfig.Strength = 100;
  SearchConfig.AnalyseOption = false;
  SearchConfig.Quantization = false;
  SearchConfig.QuickPv = false;
  SearchConfig.MultiPvCount = 1;
  ScaleEvalTables(100);
}

// Everything the bench changes and gives back afterwards. Static: the game
// history alone is tens of kilobytes.
struct SavedEngine {
  SearchSettings Search;
  EvalSettings Eval;
  ScaledWeights Weights;
  PositionRecord Pos;
  GameHistoryRecord History;
  TreeRecord Tree;
  uint32_t HashBytes, EvalBytes, PawnBytes;
};
SavedEngine Saved;

void GiveBackSettings() {
  SearchConfig = Saved.Search;
  EvalConfig = Saved.Eval;
  Weights = Saved.Weights;
}

}  // namespace

BenchResult RunBench(int depth, bool verbose, bool (*setUp)(const char* fenLine)) {
  Saved.Search = SearchConfig;
  Saved.Eval = EvalConfig;
  Saved.Weights = Weights;
  Saved.Pos = Pos;
  Saved.History = History;
  Saved.Tree = Tree;
  Saved.HashBytes = Tables.HashBytes;
  Saved.EvalBytes = EvalCaches.EvalBytes;
  Saved.PawnBytes = EvalCaches.PawnBytes;

  UseBenchSettings();
  const bool resized = !BenchTablesInPlace();
  if (resized && AllocateTableBlocks(BENCH_HASH_BYTES, BENCH_EVAL_BYTES, BenchPawnBytes()) != 0) {
    GiveBackSettings();
    std::printf("HASH is too large\n");
    std::fflush(stdout);
    return {0, 0};
  }
  // The bench searches silently, to the depth alone, never from the book.
  SearchLimits limits{};
  limits.FixedDepth = true;
  SearchReporter silent;

  BenchResult total = {0, 0};
  char line[160];
  for (int i = 0; i < BenchPositionCount(); i++) {
    History.HasSetupStart = false;
    ResetSearchForNewGame();
    LoadBook();
    std::snprintf(line, sizeof line, "position fen %s", BenchPositions[i]);
    if (!setUp(line)) continue;
    // A set-up position is never looked up in the book.
    History.HasSetupStart = true;
    const int64_t start = TickMs();
    limits.DepthHint = 1;
    limits.MaxDepth = depth;
    Think(limits, silent);
    const int64_t ms = TickMs() - start;    total.Nodes += static_cast<uint64_t>(Srch.NodeCount);
    total.Milliseconds += ms;
    if (verbose) {
      char move[6];
      MoveToCoord(Srch.PvTable[0][1], move);
      std::printf("Position %2d: %-5s %10lld nodes %7lld ms %9lld nps\n", i + 1, move,
                  static_cast<long long>(Srch.NodeCount), static_cast<long long>(ms),
                  static_cast<long long>(ms > 0 ? Srch.NodeCount * 1000 / ms : 0));
      std::fflush(stdout);
    }
  }
  const int64_t nps = total.Milliseconds > 0 ? static_cast<int64_t>(total.Nodes) * 1000 / total.Milliseconds : 0;
  std::printf("\nTotal time (ms) : %lld\n", static_cast<long long>(total.Milliseconds));
  std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(total.Nodes));
  std::printf("Nodes/second: %lld\n", static_cast<long long>(nps));
  std::fflush(stdout);

  // Back to the engine as it was, with empty tables of its own size. When the
  // old size cannot be had again, the bench's tables stay in use.
  if (resized && Saved.HashBytes != 0) AllocateTableBlocks(Saved.HashBytes, Saved.EvalBytes, Saved.PawnBytes);
  GiveBackSettings();
  ResetTablesForNewGame();
  LoadBook();
  Pos = Saved.Pos;
  History = Saved.History;
  Tree = Saved.Tree;
  ResetTranspositionTables();
  ClearHashTables();
  Tree.Ply = 1;
  return total;
}
