// The UCI go command: its parameters, the search switches and limits they
// set, the wait for "stop" after an infinite or ponder search, and the lines
// kept for the loop meanwhile.
#include <cstdio>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "frontend/uci_internal.h"
#include "position/position.h"
#include "search/search.h"

namespace {

// Clock values beyond this (about eleven days) are cut, so that multiples of
// a budget stay far from overflow.
constexpr int64_t MAX_CENTISECONDS = 100000000;
constexpr int MAX_DEPTH = 60;

int32_t Centiseconds(int64_t ms) {
  if (ms < 0) return 0;
  const int64_t cs = ms / 10;
  return static_cast<int32_t>(cs > MAX_CENTISECONDS ? MAX_CENTISECONDS : cs);
}

int32_t ClampInt(int64_t v, int32_t low, int32_t high) {
  return static_cast<int32_t>(v < low ? low : v > high ? high : v);
}

}  // namespace

void ParseGo(const char* line) {
  UciGoValues& g = UciGo;
  Clock.UciMovesToGo = 0;
  Clock.UciIncrement[WHITE] = Clock.UciIncrement[BLACK] = 0;
  g.Infinite = g.Ponder = false;
  g.ClockGiven = false;
  g.MoveTimeMs = 0;
  g.Nodes = 0;
  g.Depth = 0;
  g.Perft = false;
  g.PerftDepth = 0;

  WordReader words(line);
  Word w, value;
  words.Next(w);  // "go"
  while (words.Next(w)) {
    int64_t n = 0;
    // A parameter that takes a value reads the next word; one that is not a
    // number is skipped like any unknown word.
    auto number = [&]() { return words.Next(value) && value.ToInt(n); };
    if (w.Is("wtime")) {
      if (number()) Clock.UciTime[WHITE] = Centiseconds(n), g.ClockGiven = true;
    } else if (w.Is("btime")) {
      if (number()) Clock.UciTime[BLACK] = Centiseconds(n), g.ClockGiven = true;
    } else if (w.Is("winc")) {
      if (number()) Clock.UciIncrement[WHITE] = Centiseconds(n);
    } else if (w.Is("binc")) {
      if (number()) Clock.UciIncrement[BLACK] = Centiseconds(n);
    } else if (w.Is("movestogo")) {
      if (number()) Clock.UciMovesToGo = ClampInt(n, 0, 100000);
    } else if (w.Is("infinite")) {
      g.Infinite = true;
    } else if (w.Is("ponder")) {
      g.Ponder = true;
    } else if (w.Is("movetime")) {
      if (number()) g.MoveTimeMs = ClampInt(n, 1, 1000000000);
    } else if (w.Is("depth")) {
      if (number()) g.Depth = ClampInt(n, 1, MAX_DEPTH);
    } else if (w.Is("nodes")) {
      if (number()) g.Nodes = n < 1 ? 1 : n;
    } else if (w.Is("perft")) {
      g.Perft = true;
      if (number()) g.PerftDepth = ClampInt(n, 0, 1000);
    }
  }
}

void PrepareUciSearch() {
  const UciGoValues& g = UciGo;
  Clock.MoveOverheadMs = Settings.MoveOverheadMs;
  AllocateTimeUci(Clock);
  const bool limits = g.MoveTimeMs > 0 || g.Nodes > 0 || g.Depth > 0;
  // Clocks from an earlier go do not bound a search that names its own limits.
  if (limits && !g.ClockGiven) Clock.ClockKnown = false;
  if (g.MoveTimeMs > 0) {
    // Whole centiseconds, at least one; the stop rule keeps a reserve.
    Clock.FixedMoveTime = g.MoveTimeMs >= 10 ? g.MoveTimeMs / 10 : 1;
    Clock.MoveTimeBudget = Clock.FixedMoveTime;
  }
  Clock.NodeLimit = g.Nodes;

  Clock.UciInfinite = g.Infinite;
  Clock.UciPonder = g.Ponder;
  Clock.InputPollingAllowed = true;
  Clock.ThinkingOutput = true;
  // Only a depth or node limit (or "stop") ends a search without a clock.
  Clock.FixedDepth = !g.ClockGiven && g.MoveTimeMs == 0 && (g.Nodes > 0 || g.Depth > 0 || g.Infinite);
  Game.PonderingNow = 0;
  Game.AnalyzeMode = 0;
}

void FinishUciSearch() {
  Clock.UciInfinite = false;
  Clock.UciPonder = false;
  Clock.FixedDepth = false;
  Clock.FixedMoveTime = 0;
  Clock.NodeLimit = 0;
}

void WaitForSearchEnd() {
  static char line[UCI_LINE_SIZE];
  for (;;) {
    if (!ReadInputLine(line, sizeof line)) {
      KeepUciLine("quit\n");
      return;
    }
    WordReader words(line);
    Word w;
    if (!words.Next(w)) continue;
    if (w.Is("stop")) return;
    if (w.Is("ponderhit") && Clock.UciPonder) return;
    if (w.Is("isready")) {
      std::printf("readyok\n");
      std::fflush(stdout);
      continue;
    }
    // Everything else runs after bestmove, in order; quit, and a line that
    // finds no room, end the wait at once.
    if (!KeepUciLine(line) || w.Is("quit")) return;
  }
}
