// Thinking lines, fail-high and fail-low marks, the analysis status line and
// the UCI information lines. Each line is put together in a buffer and
// written at once, then flushed.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "search/search_internal.h"

using namespace search;

namespace {

constexpr int MAX_LINE_MOVES = 62;
constexpr int WORK_PLY = 11;  // the lists of the printed line are built here, clear of the root's
constexpr int TEXT_SIZE = MAX_LINE_MOVES * SAN_TEXT_SIZE + 256;

struct Text {
  char Data[TEXT_SIZE];
  int Length = 0;
  Text() { Data[0] = 0; }
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

void Text::Add(const char* format, ...) {
  if (Length >= TEXT_SIZE - 1) return;
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(Data + Length, TEXT_SIZE - Length, format, args);
  va_end(args);
  if (n > 0) Length = Length + n < TEXT_SIZE - 1 ? Length + n : TEXT_SIZE - 1;
}

void Emit(const Text& text) {
  std::fputs(text.Data, stdout);
  std::fflush(stdout);
}

int64_t ElapsedCs() { return (TickMs() - Srch.StartTicks) / 10; }
int64_t ElapsedMs() { return ElapsedCs() * 10; }
int64_t SecondsCs() { return (SecondsNow() - Srch.StartSeconds) * 100; }
int64_t Nps(int64_t elapsedCs) { return elapsedCs > 0 ? Srch.NodeCount * 100 / elapsedCs : 0; }

bool Generated(Move move) {
  const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
  for (int b = 0; b < BUCKET_COUNT; b++)
    for (int i = 0; i < buckets.Count[b]; i++)
      if (buckets.Moves[b][i] == move) return true;
  return false;
}

// The SAN of a line (0-terminated, at most MAX_LINE_MOVES moves) from the
// current position, each move followed by a blank. The moves are made on the
// board to name them and taken back; a move that does not belong to its
// position ends the text.
void AppendSanLine(Text& text, const Move* line) {
  const int savedPly = Tree.Ply;
  const uint8_t savedSide = Pos.SideToMove;
  SavedState saved[MAX_LINE_MOVES];
  Move made[MAX_LINE_MOVES];
  int n = 0;
  Tree.Ply = WORK_PLY;
  for (; n < MAX_LINE_MOVES && line[n]; n++) {
    const Move move = line[n];
    GenerateAll();
    if (!Generated(move)) break;
    saved[n] = SaveState();
    made[n] = move;
    MakeMove(move);
    char san[SAN_TEXT_SIZE];
    FormatSan(move, san, SAN_PV);
    text.Add("%s", san);
    Pos.SideToMove ^= 1;
  }
  while (n > 0) {
    n--;
    Pos.SideToMove ^= 1;
    UnmakeMove(made[n]);
    RestoreState(saved[n]);
  }
  Pos.SideToMove = savedSide;
  Tree.Ply = savedPly;
}

// Coordinate text of a line, each move followed by a blank.
void AppendCoordLine(Text& text, const Move* line) {
  for (int n = 0; n < MAX_LINE_MOVES && line[n]; n++) {
    char coord[6];
    MoveToCoord(line[n], coord);
    text.Add("%s ", coord);
  }
}

void AppendSanMove(Text& text, Move move) {
  const Move line[2] = {move, 0};
  AppendSanLine(text, line);
}

void AppendCoordMove(Text& text, Move move) {
  const Move line[2] = {move, 0};
  AppendCoordLine(text, line);
}

// UCI scores: centipawns, or the distance to mate in moves, negative when the
// engine is mated (-((10000 + score) / 2), rounding toward zero).
void AppendUciScore(Text& text, int score) {
  if (score >= 9500)
    text.Add("score mate %d", (MATE_SCORE - score) / 2);
  else if (score <= -9500)
    text.Add("score mate %d", -((MATE_SCORE + score) / 2));
  else
    text.Add("score cp %d", score);
}

void SetSpeed(int64_t nps) { Srch.Nps = static_cast<int32_t>(nps > INT32_MAX ? INT32_MAX : nps); }

}  // namespace

void PrintPv(int score, int depth) {
  const Move* line = &Srch.PvTable[2][1];
  const int64_t elapsed = ElapsedCs();
  const int64_t nps = Nps(elapsed);
  if (Settings.XboardOutput) {
    Text text;
    text.Add("%d %d %" PRId64 " %" PRId64 " ", depth, score, SecondsCs(), Srch.NodeCount);
    AppendSanLine(text, line);
    if (elapsed > 0) text.Add(" Np:%" PRId64, nps);
    text.Add("\n");
    Emit(text);
  }
  Tree.Ply = 1;
  if (elapsed > 0) SetSpeed(nps);
  if (Settings.XboardOutput || elapsed <= 0) return;

  Text text;
  text.Add("info depth %d ", depth);
  AppendUciScore(text, score);
  text.Add(" time %" PRId64 " nodes %" PRId64 " nps %" PRId64 " pv ", ElapsedMs(), Srch.NodeCount, nps);
  AppendCoordLine(text, line);
  text.Add("\n");
  Emit(text);
  Srch.ReportedMove = line[0];
}

void PrintFinalInfo(Move best) {
  if (best == 0) {
    // No legal move: mated or stalemated.
    std::printf(KingAttacked(Pos.SideToMove) ? "info depth 0 score mate 0\n" : "info depth 0 score cp 0\n");
    std::fflush(stdout);
    return;
  }
  if (best == Srch.ReportedMove) return;
  const int64_t ms = TickMs() - Srch.StartTicks;
  const int64_t nps = Srch.NodeCount * 1000 / (ms > 0 ? ms : 1);
  const int depth = Srch.CompletedDepth > 0 ? Srch.CompletedDepth : Srch.NodeCount > 0 ? 1 : 0;
  Text text;
  text.Add("info ");
  if (Settings.MultiPvCount > 1) text.Add("multipv 1 ");
  text.Add("depth %d ", depth);
  AppendUciScore(text, Srch.NodeCount > 0 ? Srch.LastRootScore : 0);
  text.Add(" time %" PRId64 " nodes %" PRId64 " nps %" PRId64 " pv ", ms > 0 ? ms : 0, Srch.NodeCount, nps);
  if (best == Srch.PvTable[0][1]) {
    AppendCoordLine(text, &Srch.PvTable[0][1]);
  } else {
    AppendCoordMove(text, best);
  }
  text.Add("\n");
  Emit(text);
  Srch.ReportedMove = best;
}

namespace {

// A fail-high or fail-low line: the move with its mark for xboard, a bound
// for UCI.
void PrintBoundLine(int score, int depth, Move move, const char* xboardMark, const char* uciBound) {
  Text text;
  if (Settings.XboardOutput) {
    text.Add("%d %d %" PRId64 " %" PRId64 " ", depth, score, SecondsCs(), Srch.NodeCount);
    AppendSanMove(text, move);
    text.Add("%s\n", xboardMark);
  } else {
    text.Add("info depth %d score cp %d %s time %" PRId64 " nodes %" PRId64 " pv ", depth, score, uciBound,
             SecondsCs() * 10, Srch.NodeCount);
    AppendCoordMove(text, move);
    text.Add("\n");
  }
  Emit(text);
}

}  // namespace

void PrintFailHigh(int score, int depth) { PrintBoundLine(score, depth, Srch.PvTable[2][1], "!!", "lowerbound"); }

void PrintFailLow(int score, int depth) { PrintBoundLine(score, depth, Srch.PvTable[0][1], " --", "upperbound"); }

void PrintCurrentMove(Move move, int number, int depth) {
  const int64_t elapsed = ElapsedCs();
  if (elapsed > 0) {
    char coord[6];
    MoveToCoord(move, coord);
    Text text;
    text.Add("info currmove %s currmovenumber %d depth %d nodes %" PRId64 " time %" PRId64 " nps %" PRId64 "\n",
             coord, number, depth, Srch.NodeCount, elapsed * 10, Nps(elapsed));
    std::fputs(text.Data, stdout);
  }
  std::fflush(stdout);
}

void PrintStatus() {
  const Move move = Tree.MoveAtPly[2];
  const int from = MoveFrom(move);
  const int to = MoveTo(move);
  const int total = Srch.RootMoveTotal > Srch.RootMovesSearched ? Srch.RootMoveTotal : Srch.RootMovesSearched;
  Text text;
  text.Add("stat01: %" PRId64 " %" PRId64 " %d %d %d %c%c%c%c\n", SecondsCs(), Srch.NodeCount, Srch.IterationDepth,
           total - Srch.RootMovesSearched, total, 'a' + FileOf(from), '1' + RankOf(from), 'a' + FileOf(to),
           '1' + RankOf(to));
  Emit(text);
  Srch.StatusNodes = Srch.NodeCount;
}

void PrintMultiPv(int, int, int) {
  const int64_t elapsed = ElapsedCs();
  int count = Settings.MultiPvCount;
  if (count > MAX_MULTI_PV) count = MAX_MULTI_PV;
  if (elapsed > 0 && Srch.NodeCount > Srch.Nps) {
    for (int i = 1; i <= count; i++) {
      const MultiPvRecord& r = MultiPv.MultiPvLine[i];
      if (r.FirstMove == 0) continue;  // no line has reached this place yet
      Text text;
      text.Add("info multipv %d depth %d ", i, r.Depth);
      AppendUciScore(text, r.Score);
      text.Add(" nodes %" PRId64 " time %" PRId64 " nps %" PRId64 " pv ", Srch.NodeCount, elapsed * 10, Nps(elapsed));
      Move line[MAX_LINE_MOVES + 1];
      line[0] = r.FirstMove;
      int n = 1;
      for (; n < MAX_LINE_MOVES && r.Rest[n - 1]; n++) line[n] = r.Rest[n - 1];
      line[n] = 0;
      AppendCoordLine(text, line);
      text.Add("\n");
      std::fputs(text.Data, stdout);
      if (i == 1) Srch.ReportedMove = r.FirstMove;
    }
  }
  std::fflush(stdout);
}
