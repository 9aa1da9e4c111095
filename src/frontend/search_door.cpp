// The front end's way into the search: the limits of a search from the game,
// the book probe before it, and the routines that set up the tables for the
// engine's start, a new game and a new table size.
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "search/search.h"
#include "tools/tools.h"

SearchLimits Clock;
GameRecord Game;

SearchLimits& LimitsForSearch(int depthHint, int maxDepth) {
  Clock.DepthHint = depthHint;
  Clock.MaxDepth = maxDepth;
  Clock.XboardOutput = Settings.XboardOutput != 0;
  Clock.ChatMode = Settings.ChatMode;
  Clock.MoveOverheadMs = Settings.MoveOverheadMs;
  Clock.IncrementMode = Game.IncrementMode != 0;
  Clock.PonderingNow = Game.PonderingNow != 0;
  Clock.AnalyzeMode = Game.AnalyzeMode != 0;
  Clock.LastGameMove = History.GameMoveCount > 0 ? Game.GameMoves[History.GameMoveCount - 1] : 0;
  return Clock;
}

Move FrontEndBookMove(bool infinite) {
  if (!Settings.OwnBook || !Book.BookLoaded || History.HasSetupStart || Game.AnalyzeMode || infinite) return 0;
  const Move move = ProbeBook();
  if (move == 0) Game.OutOfBook = 1;
  return move;
}

int SearchFromFrontEnd(int depthHint, int maxDepth) {
  Reported.FirstMove = 0;
  const Move book = FrontEndBookMove(Clock.UciInfinite);
  if (book) {
    // A book move is played without a search: nothing searched, no score.
    RecordMoveWithoutSearch(book);
    return 0;
  }
  return Think(LimitsForSearch(depthHint, maxDepth), ProtocolReporter());
}

void ResetTablesAndBook() {
  ResetTablesForNewGame();
  LoadBook();
}

void StartGameRecord() {
  Game.GameOverMark = 0;
  Game.ResignCount = 0;
  History.GameMoveCount = 0;
  Tree.MoveAtPly[1] = 0;  // no move leads to the new start
}

void StartEngine() { ResetTablesAndBook(); }

// With keepGame the position, the game record and its repetition history
// stay as they were, so board, record and repetition history keep agreeing.
void ResizeTables(int totalMb, bool keepGame) {
  static HashKey keyHistory[KEY_HISTORY_SIZE];
  const PositionRecord position = Pos;
  const int16_t halfmoveClock = History.GameHalfmoveClock;
  std::memcpy(keyHistory, History.KeyHistory, sizeof keyHistory);
  if (AllocateHashTables(totalMb)) {
    ResetTablesAndBook();
    ClearHashTables();
  }
  if (!keepGame) return;
  Pos = position;
  History.GameHalfmoveClock = halfmoveClock;
  std::memcpy(History.KeyHistory, keyHistory, sizeof keyHistory);
}

namespace {
bool SetUpFenLine(const char* line) { return SetupFen(line, 2, false); }
Move BookMoveForTools() { return FrontEndBookMove(Clock.UciInfinite); }
}  // namespace

BenchResult RunEngineBench(int depth, bool verbose) { return RunBench(depth, verbose, SetUpFenLine); }

void RunEngineEpdTest() {
  RunEpdTest(LimitsForSearch(1, 1), ProtocolReporter(), Game.LogFile, BookMoveForTools);
}
