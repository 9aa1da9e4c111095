// The fresh in-process engine of the tests. Everything that knows how the
// engine's records are set up for a search lives here, so that the tests
// themselves speak only of positions, moves and results.
#include "support/engine.h"

#include "book/book.h"
#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "search/search.h"

namespace vtest {

namespace {

void AllocateSmallTables() {
  static bool done = false;
  if (done) return;
  SearchConfig.HashSize = 1u << 20;
  SearchConfig.EvalHashSize = 256u << 10;
  SearchConfig.PawnHashSize = 24u * 4096;
  ASSERT_EQ(AllocateTableBlocks(), 0);
  done = true;
}

// Every generated move of the position (a copy: the legality test generates too).
std::vector<Move> Generated() {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets b = Gen.RootBuckets[1];
  std::vector<Move> all;
  for (int i = 0; i < BUCKET_COUNT; i++) all.insert(all.end(), b.Moves[i], b.Moves[i] + b.Count[i]);
  return all;
}

}  // namespace

void FreshEngine() {
  AllocateSmallTables();
  SearchConfig.FutilityEnabled = true;
  SearchConfig.TacticalFactor = 30;
  EvalConfig.Strength = 100;
  SearchConfig.MultiPvCount = 1;
  Settings.XboardOutput = 0;
  Settings.ChatMode = false;
  SearchConfig.Quantization = false;
  SearchConfig.QuickPv = false;
  SearchConfig.AnalyseOption = false;
  Settings.OwnBook = true;
  Settings.MoveOverheadMs = 0;
  Game = GameRecord{};
  History = GameHistoryRecord{};
  Clock = Limits = SearchLimits{};
  Clock.FixedDepth = true;
  Tree.Ply = 1;
  ResetEvalTables();
  ResetSearchForNewGame();  // every start-up table, a new game, empty tables
  Book.BookLoaded = Book.RecordCount = 0;  // no Book.bin is read by the tests
  Tree.Ply = 1;
  Tree.MoveAtPly[1] = 0;
}

bool SetFen(const std::string& fen) {
  Tree.Ply = 1;
  return SetupFen(("setboard " + fen).c_str(), 1, true);
}

Move FindMove(const std::string& coord) {
  for (Move m : Generated())
    if (MoveToCoordString(m) == coord) return m;
  return 0;
}

std::vector<Move> LegalMoves() {
  std::vector<Move> legal;
  for (Move m : Generated())
    if (KeepsOwnKingSafe(m)) legal.push_back(m);
  return legal;
}

bool Play(const std::vector<std::string>& moves) {
  for (const std::string& coord : moves) {
    const Move m = FindMove(coord);
    if (m == 0 || !IsLegalGameMove(m) || History.GameMoveCount >= MAX_GAME_MOVES) return false;
    Game.CurrentMove = m;
    Game.ForceMode = 1;
    PlayCurrentMove();
  }
  Game.ForceMode = 0;
  return true;
}

std::string Coord(Move move) { return MoveToCoordString(move); }

SearchResult SearchDepth(int depth) {
  Tree.Ply = 1;
  const int score = SearchFromFrontEnd(1, depth);
  return {Srch.PvTable[0][1], Srch.PvTable[0][2], score, static_cast<long long>(Srch.NodeCount)};
}

}  // namespace vtest
