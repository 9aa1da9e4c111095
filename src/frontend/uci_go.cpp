// The UCI go command: its parameters, the search switches and limits they
// set, the wait for "stop" after an infinite or ponder search, and the lines
// kept for the loop meanwhile.
#include <cstdio>
#include <cstring>

#include "frontend/frontend.h"
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

// Lines read while a search ran, one after the other with their line ends.
constexpr int PENDING_BYTES = 1 << 17;
char Pending[PENDING_BYTES];
int PendingUsed = 0;

}  // namespace

void ParseGo(const char* line) {
  UciGoValues& g = UciGo;
  g.MovesToGo = 0;
  g.WhiteIncrement = g.BlackIncrement = 0;
  g.Infinite = g.Ponder = false;
  g.ClockGiven = false;
  g.MoveTimeMs = 0;
  g.Nodes = 0;
  g.Depth = 0;
  g.Perft = false;
  g.PerftDepth = 0;

  UciWordReader words(line);
  UciWord w, value;
  words.Next(w);  // "go"
  while (words.Next(w)) {
    int64_t n = 0;
    // A parameter that takes a value reads the next word; one that is not a
    // number is skipped like any unknown word.
    auto number = [&]() { return words.Next(value) && value.ToInt(n); };
    if (w.Is("wtime")) {
      if (number()) g.WhiteTime = Centiseconds(n), g.ClockGiven = true;
    } else if (w.Is("btime")) {
      if (number()) g.BlackTime = Centiseconds(n), g.ClockGiven = true;
    } else if (w.Is("winc")) {
      if (number()) g.WhiteIncrement = Centiseconds(n);
    } else if (w.Is("binc")) {
      if (number()) g.BlackIncrement = Centiseconds(n);
    } else if (w.Is("movestogo")) {
      if (number()) g.MovesToGo = ClampInt(n, 0, 100000);
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
  const bool white = Pos.SideToMove == WHITE;
  Clock.EngineClock = white ? g.WhiteTime : g.BlackTime;
  Clock.OpponentClock = white ? g.BlackTime : g.WhiteTime;
  AllocateTimeUci();

  Srch.UciInfinite = g.Infinite;
  Srch.UciPonder = g.Ponder;
  Srch.InputPollingAllowed = true;
  Srch.ThinkingOutput = true;
  // A line that sets only a fixed time, a node or depth limit, or infinite
  // search has no clock: only its own limits (or "stop") end the search.
  Srch.FixedDepth = !g.ClockGiven && (g.MoveTimeMs > 0 || g.Nodes > 0 || g.Depth > 0 || g.Infinite);
}

void FinishUciSearch() {
  Srch.UciInfinite = false;
  Srch.UciPonder = false;
  Srch.FixedDepth = false;
}

void WaitForSearchEnd() {
  static char line[PENDING_BYTES / 2];
  for (;;) {
    if (!ReadUciLine(line, sizeof line)) {
      KeepPendingLine("quit\n");
      return;
    }
    UciWordReader words(line);
    UciWord w;
    if (!words.Next(w)) continue;
    if (w.Is("stop")) return;
    if (w.Is("ponderhit") && Srch.UciPonder) return;
    if (w.Is("isready")) {
      std::printf("readyok\n");
      std::fflush(stdout);
      continue;
    }
    KeepPendingLine(line);
    if (w.Is("quit")) return;
  }
}

void KeepPendingLine(const char* line) {
  const int n = static_cast<int>(std::strlen(line));
  const bool ended = n > 0 && line[n - 1] == '\n';
  const int need = n + (ended ? 0 : 1);
  if (PendingUsed + need > PENDING_BYTES) return;
  std::memcpy(Pending + PendingUsed, line, static_cast<size_t>(n));
  if (!ended) Pending[PendingUsed + n] = '\n';
  PendingUsed += need;
}

bool TakePendingLine(char* buffer, int size) {
  if (PendingUsed == 0) return false;
  const char* end = static_cast<const char*>(std::memchr(Pending, '\n', static_cast<size_t>(PendingUsed)));
  const int length = static_cast<int>(end - Pending) + 1;
  const int copied = length < size ? length : size - 1;
  std::memcpy(buffer, Pending, static_cast<size_t>(copied));
  buffer[copied] = 0;
  std::memmove(Pending, Pending + length, static_cast<size_t>(PendingUsed - length));
  PendingUsed -= length;
  return true;
}

void ClearPendingLines() { PendingUsed = 0; }
