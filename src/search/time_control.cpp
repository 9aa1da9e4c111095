// Time allocation, the stop rules, and the look at standard input during a
// search: the commands answered on the spot while thinking, pondering or
// analysing, and the queue of lines left for the command loop.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/text.h"
#include "search/search_internal.h"

namespace {

constexpr int32_t MIN_INCREMENT_BUDGET = 70;  // centiseconds, when an increment is given
constexpr int32_t MAX_BAND_EXTRA = 24000;

int64_t ElapsedCs() { return (TickMs() - Srch.StartTicks) / 10; }
int64_t OwnClockElapsedCs() { return (TickMs() - Srch.ClockStartTicks) / 10; }

int32_t ToBudget(int64_t b) { return b < 1 ? 1 : b > INT32_MAX ? INT32_MAX : static_cast<int32_t>(b); }

// What is never spent of the clock on one move: the latency of the pipes and
// the GUI, and a process that is not scheduled for a moment.
int64_t ClockReserve(int64_t clock) {
  const int64_t share = clock / 20;
  return share > 30 ? share : 30;
}

// A fixed time per move is used up to a tenth before its end (between 5 and
// 30 centiseconds), so that the move reaches the GUI inside it.
int64_t FixedTimeReserve(int64_t budget) {
  const int64_t share = budget / 10;
  return share < 5 ? 5 : share > 30 ? 30 : share;
}

// No single move may take more than a quarter of the clock, whatever the
// rules above gave: the budget is the time the search aims at, and the stop
// rules may run to three times it.
int32_t CapByClock(int64_t budget) {
  if (Clock.ClockKnown) {
    int64_t cap = Clock.EngineClock / 4;
    if (cap < 1) cap = 1;
    if (budget > cap) budget = cap;
  }
  return ToBudget(budget);
}

// Budget with an increment (or none) once the clock is short: 60 seconds or less.
int64_t ShortClockBudget(int64_t t, int64_t inc) {
  int64_t b = inc > 0 ? t / 50 + inc : t / 40;
  if (inc == 0 && t < 2000) b /= 2;
  if (t <= 500) {
    b /= 2;
  } else if (inc > 0 && t <= 1500) {
    b = inc;
  }
  return b;
}

bool ClockIgnored() {
  return Srch.FixedDepth || Game.PonderingNow || Game.AnalyzeMode || Srch.UciPonder || Srch.UciInfinite;
}

bool HaveMove() { return Srch.PvTable[0][1] != 0 || Srch.RootBestMove != 0; }

// The clock rules of a running search; true when it must stop now.
bool TimeIsUp(bool fromSearch) {
  if (ClockIgnored()) return false;
  // Whatever the budget says, the clock itself is never run down.
  if (Clock.ClockKnown && HaveMove() &&
      OwnClockElapsedCs() >= Clock.EngineClock - ClockReserve(Clock.EngineClock))
    return true;

  const int64_t e = ElapsedCs();
  const int64_t b = Clock.MoveTimeBudget;
  if (Clock.FixedMoveTime > 0) return HaveMove() && e >= b - FixedTimeReserve(b);
  if (e < b || Srch.IterationDepth <= 2) return false;
  if (Srch.LowTime || Srch.TestSuiteRunning || !fromSearch) return true;

  const int64_t t = Clock.EngineClock;
  int64_t x = t - 5 * b > 0 ? (t - 5 * b) / 12 : 0;
  if (x > 9 * b) x = 9 * b;
  if (x > MAX_BAND_EXTRA) x = MAX_BAND_EXTRA;
  if (e <= b + x) return false;
  if (e >= 3 * b + x) return true;
  return !(t - 5 * b - x > 0 && t >= 1000);
}

bool Is(const char* line, const char* form) { return std::strcmp(line, form) == 0; }

void AnswerPing(const char* line) {
  const char* p = SkipWord(line);
  int32_t n = 0;
  ReadInt(p, n);
  std::printf("pong %d\n", n);
  std::fflush(stdout);
}

void Stop() { Srch.StopSearch = true; }

// Stops the search and leaves the line for the command loop.
void StopFor(const char* line) {
  QueuePendingLine(line);
  Stop();
}

void PonderHit() {
  Game.PonderingNow = 0;
  Srch.ClockStartTicks = TickMs();
  if (Clock.FixedMoveTime == 0) {
    int64_t b = Clock.MoveTimeBudget;
    if (5 * b <= Clock.EngineClock) b = b * 14 / 10;
    Clock.MoveTimeBudget = CapByClock(b);
  }
  if (ElapsedCs() >= Clock.MoveTimeBudget && Srch.IterationDepth > 2) Stop();
}

// While pondering: the clock updates, ping and the predicted move are taken
// in stride; anything else ends the ponder search.
void PonderingLine(const char* line) {
  if (ReadClockLine(line)) return;
  if (FirstWordIs(line, "ping")) {
    AnswerPing(line);
  } else if (Is(line, Game.PonderReplyText)) {
    PonderHit();
  } else {
    StopFor(line);
  }
}

// Thinking on the own move, analysing, or a UCI search.
void SearchingLine(const char* line) {
  if (Is(line, "?\n") || Is(line, "stop\n")) {
    // Without a move to play the request waits until there is one.
    if (Srch.PvTable[0][1])
      Stop();
    else
      Srch.MoveNowRequested = true;
    return;
  }
  if (FirstWordIs(line, "ping")) {
    // Thinking on its own move, the engine answers after the move: the pong
    // tells the interface that every command before the ping has taken effect.
    if (Settings.XboardOutput && !Game.AnalyzeMode) {
      if (!QueuePendingLine(line)) StopFor(line);
      return;
    }
    AnswerPing(line);
    return;
  }
  if (Is(line, "ponderhit\n")) {
    Srch.UciPonder = false;
    Srch.ClockStartTicks = TickMs();
    return;
  }
  // A takeback ends the search at once, and so does a change of sides; undo
  // while analysing waits its turn.
  const bool undo = Is(line, "undo\n");
  if ((IsTakebackLine(line) && !undo) || Is(line, "white\n") || Is(line, "black\n")) {
    StopFor(line);
    return;
  }
  if (!Game.AnalyzeMode) {
    if (undo)
      StopFor(line);
    else if (!QueuePendingLine(line))
      StopFor(line);
    return;
  }
  // Analysing: "." asks for the status line, which the search prints anyway.
  if (Is(line, ".\n")) return;
  if (undo) {
    if (!QueuePendingLine(line)) Stop();
    return;
  }
  StopFor(line);
}

// UCI: the interface may ask whether the engine is alive and may end the
// program at any time; the rest is as for xboard. Words, not whole lines, are
// compared: a UCI interface may add blanks.
void UciSearchingLine(const char* line) {
  if (FirstWordIs(line, "stop")) {
    SearchingLine("stop\n");
  } else if (FirstWordIs(line, "ponderhit")) {
    SearchingLine("ponderhit\n");
  } else if (FirstWordIs(line, "isready")) {
    std::printf("readyok\n");
    std::fflush(stdout);
  } else if (FirstWordIs(line, "quit")) {
    StopFor(line);
  } else {
    SearchingLine(line);
  }
}

void ReadWaitingInput() {
  char line[PENDING_LINE_SIZE];
  const bool uci = !Settings.XboardOutput;
  while (!Srch.StopSearch && InputWaiting()) {
    if (Game.PendingCount >= PENDING_LINES) {
      // The command loop has to catch up before anything more is read.
      Stop();
      return;
    }
    // A UCI line is never cut: one longer than a queue slot (a position with
    // many moves) stops the search, and the UCI loop reads its rest.
    const int n = ReadLine(line, PENDING_LINE_SIZE, !uci);
    if (uci && n == PENDING_LINE_SIZE - 1 && line[n - 1] != '\n') {
      // The UCI loop knows the start of a long line by its full length: a NUL
      // byte inside it must not make it look like a whole short line.
      for (int i = 0; i < n; i++)
        if (line[i] == 0) line[i] = ' ';
      if (Game.LogFile) std::fputs(line, Game.LogFile);
      StopFor(line);
      return;
    }
    if (n == 0) {
      // Nothing more can arrive: stop, and quit once the search is over.
      if (!Game.EndOfInputSeen) QueuePendingLine("quit\n");
      Game.EndOfInputSeen = true;
      Stop();
      return;
    }
    if (Game.LogFile) {
      std::fputs(line, Game.LogFile);
      std::fflush(Game.LogFile);
    }
    std::memcpy(Game.PendingInput, line, PENDING_LINE_SIZE);
    if (Game.PonderingNow)
      PonderingLine(line);
    else if (uci)
      UciSearchingLine(line);
    else
      SearchingLine(line);
  }
}

}  // namespace

int32_t PollInterval() {
  int32_t interval = Srch.Nps / 100;
  if (interval < POLL_MIN_NODES) interval = POLL_MIN_NODES;
  if (Clock.NodeLimit > 0) {
    const int64_t left = Clock.NodeLimit - Srch.NodeCount;
    if (left < interval) interval = left > 1 ? static_cast<int32_t>(left) : 1;
  }
  return interval;
}

bool QueuePendingLine(const char* line) {
  if (Game.PendingCount >= PENDING_LINES) return false;
  char* slot = Game.PendingLines[(Game.PendingHead + Game.PendingCount) % PENDING_LINES];
  std::strncpy(slot, line, PENDING_LINE_SIZE - 1);
  slot[PENDING_LINE_SIZE - 1] = 0;
  Game.PendingCount++;
  return true;
}

bool TakePendingLine(char* line) {
  if (Game.PendingCount <= 0) return false;
  std::memcpy(line, Game.PendingLines[Game.PendingHead], PENDING_LINE_SIZE);
  Game.PendingHead = (Game.PendingHead + 1) % PENDING_LINES;
  Game.PendingCount--;
  return true;
}

void ClearPendingLines() {
  Game.PendingHead = 0;
  Game.PendingCount = 0;
  Game.PendingInput[0] = 0;
}

void AllocateTimeXboard() {
  if (Srch.TestSuiteRunning) return;
  if (Clock.FixedMoveTime > 0) {
    Clock.MoveTimeBudget = Clock.FixedMoveTime;
    return;
  }
  const int64_t t = Clock.EngineClock;
  const int64_t inc = Clock.LevelMoveTime;
  // Before any level command the budget stays as the game loop set it.
  int64_t b = Clock.MoveTimeBudget;
  if (!Game.IncrementMode && Clock.LevelMoves > 0) {
    const int64_t left = Clock.LevelMoves - ((Game.GameMoveCount / 2) % Clock.LevelMoves);
    b = (t / left) * 3 / 4;
    if (left < 2) b /= 2;
  } else if (Game.IncrementMode) {
    if (t > 6000)
      b = inc > 0 ? t / 40 + inc / 2 : t / 40;
    else
      b = ShortClockBudget(t, inc);
  }
  if (Srch.SearchCount == 0 && 10 * b < t) b = b * 3 / 2;
  if (inc > 0 && b < MIN_INCREMENT_BUDGET) b = MIN_INCREMENT_BUDGET;
  Clock.MoveTimeBudget = CapByClock(b);
}

void AllocateTimeUci() {
  const int side = Pos.SideToMove;
  // The move overhead is never spent: the clock counts as that much shorter
  // for the budget and for every stop rule, on top of their own reserves.
  int64_t t = Clock.UciTime[side];
  if (t > 0) {
    t -= (Settings.MoveOverheadMs + 9) / 10;
    if (t < 1) t = 1;
  }
  const int64_t inc = Clock.UciIncrement[side];
  const int64_t togo = Clock.UciMovesToGo;
  Clock.EngineClock = static_cast<int32_t>(t);
  Clock.OpponentClock = Clock.UciTime[side ^ 1];
  Clock.ClockKnown = t > 0;
  int64_t b;
  if (togo > 0) {
    b = (t / togo) * 3 / 4;
    if (togo < 2) b /= 2;
  } else if (t > 6000) {
    b = inc > 0 ? t / 40 + inc / 2 : t / 50;
  } else {
    b = ShortClockBudget(t, inc);
  }
  if (inc > 0 && b < MIN_INCREMENT_BUDGET) b = MIN_INCREMENT_BUDGET;
  Clock.MoveTimeBudget = CapByClock(b);
}

void PollInput(bool fromSearch) {
  if (Srch.MoveNowRequested && Srch.PvTable[0][1]) {
    Stop();
    return;
  }
  // A node limit ends a timed search as well as one without a clock, once
  // there is a move to play; it waits while pondering or searching infinitely.
  if (Clock.NodeLimit > 0 && Srch.NodeCount >= Clock.NodeLimit && HaveMove() && !Srch.UciPonder &&
      !Srch.UciInfinite) {
    Stop();
    return;
  }
  if (TimeIsUp(fromSearch)) {
    Stop();
    return;
  }
  ReadWaitingInput();
}
