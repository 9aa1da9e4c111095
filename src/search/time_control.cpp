// Time allocation and the stop rules of a running search, and the answers a
// reporter gives when it has read the input (stop, move now, ponder hit, the
// clock updates while pondering).
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
int32_t CapByClock(const SearchLimits& clock, int64_t budget) {
  if (clock.ClockKnown) {
    int64_t cap = clock.EngineClock / 4;
    if (cap < 1) cap = 1;
    if (budget > cap) budget = cap;
  }
  return ToBudget(budget);
}
int32_t CapByClock(int64_t budget) { return CapByClock(Limits, budget); }

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
  return Limits.FixedDepth || Limits.PonderingNow || Limits.AnalyzeMode || Limits.UciPonder || Limits.UciInfinite;
}

bool HaveMove() { return Srch.PvTable[0][1] != 0 || Srch.RootBestMove != 0; }

// The clock rules of a running search; true when it must stop now.
bool TimeIsUp(bool fromSearch) {
  if (ClockIgnored()) return false;
  // Whatever the budget says, the clock itself is never run down.
  if (Limits.ClockKnown && HaveMove() &&
      OwnClockElapsedCs() >= Limits.EngineClock - ClockReserve(Limits.EngineClock))
    return true;

  const int64_t e = ElapsedCs();
  const int64_t b = Limits.MoveTimeBudget;
  if (Limits.FixedMoveTime > 0) return HaveMove() && e >= b - FixedTimeReserve(b);
  if (e < b || Srch.IterationDepth <= 2) return false;
  if (Srch.LowTime || Limits.TestSuiteRunning || !fromSearch) return true;

  const int64_t t = Limits.EngineClock;
  int64_t x = t - 5 * b > 0 ? (t - 5 * b) / 12 : 0;
  if (x > 9 * b) x = 9 * b;
  if (x > MAX_BAND_EXTRA) x = MAX_BAND_EXTRA;
  if (e <= b + x) return false;
  if (e >= 3 * b + x) return true;
  return !(t - 5 * b - x > 0 && t >= 1000);
}

}  // namespace

SearchLimits Limits;

int64_t SearchElapsedCs() { return ElapsedCs(); }
int64_t SearchSecondsCs() { return (SecondsNow() - Srch.StartSeconds) * 100; }

void StopSearchNow() { Srch.StopSearch = true; }
bool SearchStopping() { return Srch.StopSearch; }

void SearchMoveNow() {
  // Without a move to play the request waits until there is one.
  if (Srch.PvTable[0][1])
    StopSearchNow();
  else
    Srch.MoveNowRequested = true;
}

void SearchPonderHit() {
  Limits.PonderingNow = false;
  Srch.ClockStartTicks = TickMs();
  if (Limits.FixedMoveTime == 0) {
    int64_t b = Limits.MoveTimeBudget;
    if (5 * b <= Limits.EngineClock) b = b * 14 / 10;
    Limits.MoveTimeBudget = CapByClock(b);
  }
  if (ElapsedCs() >= Limits.MoveTimeBudget && Srch.IterationDepth > 2) StopSearchNow();
}

void SearchUciPonderHit() {
  Limits.UciPonder = false;
  Srch.ClockStartTicks = TickMs();
}

void SearchEngineClock(int32_t centiseconds) {
  Limits.EngineClock = centiseconds;
  Limits.ClockKnown = true;
}

void SearchOpponentClock(int32_t centiseconds) { Limits.OpponentClock = centiseconds; }

int32_t PollInterval() {
  int32_t interval = Srch.Nps / 100;
  if (interval < POLL_MIN_NODES) interval = POLL_MIN_NODES;
  if (Limits.NodeLimit > 0) {
    const int64_t left = Limits.NodeLimit - Srch.NodeCount;
    if (left < interval) interval = left > 1 ? static_cast<int32_t>(left) : 1;
  }
  return interval;
}

void AllocateTimeXboard() {
  if (Limits.TestSuiteRunning) return;
  if (Limits.FixedMoveTime > 0) {
    Limits.MoveTimeBudget = Limits.FixedMoveTime;
    return;
  }
  const int64_t t = Limits.EngineClock;
  const int64_t inc = Limits.LevelMoveTime;
  // Before any level command the budget stays as the game loop set it.
  int64_t b = Limits.MoveTimeBudget;
  if (!Limits.IncrementMode && Limits.LevelMoves > 0) {
    const int64_t left = Limits.LevelMoves - ((History.GameMoveCount / 2) % Limits.LevelMoves);
    b = (t / left) * 3 / 4;
    if (left < 2) b /= 2;
  } else if (Limits.IncrementMode) {
    if (t > 6000)
      b = inc > 0 ? t / 40 + inc / 2 : t / 40;
    else
      b = ShortClockBudget(t, inc);
  }
  if (Srch.SearchCount == 0 && 10 * b < t) b = b * 3 / 2;
  if (inc > 0 && b < MIN_INCREMENT_BUDGET) b = MIN_INCREMENT_BUDGET;
  Limits.MoveTimeBudget = CapByClock(b);
}

void AllocateTimeUci() { AllocateTimeUci(Limits); }

void AllocateTimeUci(SearchLimits& clock) {
  const int side = Pos.SideToMove;
  // The move overhead is never spent: the clock counts as that much shorter
  // for the budget and for every stop rule, on top of their own reserves.
  int64_t t = clock.UciTime[side];
  if (t > 0) {
    t -= (clock.MoveOverheadMs + 9) / 10;
    if (t < 1) t = 1;
  }
  const int64_t inc = clock.UciIncrement[side];
  const int64_t togo = clock.UciMovesToGo;
  clock.EngineClock = static_cast<int32_t>(t);
  clock.OpponentClock = clock.UciTime[side ^ 1];
  clock.ClockKnown = t > 0;
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
  clock.MoveTimeBudget = CapByClock(clock, b);
}

void PollInput(bool fromSearch) {
  if (Srch.MoveNowRequested && Srch.PvTable[0][1]) {
    StopSearchNow();
    return;
  }
  // A node limit ends a timed search as well as one without a clock, once
  // there is a move to play; it waits while pondering or searching infinitely.
  if (Limits.NodeLimit > 0 && Srch.NodeCount >= Limits.NodeLimit && HaveMove() && !Limits.UciPonder &&
      !Limits.UciInfinite) {
    StopSearchNow();
    return;
  }
  if (TimeIsUp(fromSearch)) {
    StopSearchNow();
    return;
  }
  ActiveReporter().Poll();
}
