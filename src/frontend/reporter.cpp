// The front end's side of the search's door: the reporters of xboard and
// UCI. They format the thinking lines, fail-high and fail-low marks, the
// analysis status line and the UCI information lines (each put together in a
// buffer and written at once, then flushed), make the chat remarks around a
// search, and read the input when the search polls: the commands answered on
// the spot while thinking, pondering or analysing, and the queue of lines
// left for the command loop.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "search/search.h"

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

int64_t ElapsedCs() { return SearchElapsedCs(); }
int64_t ElapsedMs() { return ElapsedCs() * 10; }
int64_t SecondsCs() { return SearchSecondsCs(); }
int64_t Nps(int64_t elapsedCs) { return elapsedCs > 0 ? Srch.NodeCount * 100 / elapsedCs : 0; }

bool Generated(Move move) {
  const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
  for (int b = 0; b < BUCKET_COUNT; b++)
    for (int i = 0; i < buckets.Count[b]; i++)
      if (buckets.Moves[b][i] == move) return true;
  return false;
}

// Walks a line (0-terminated, at most MAX_LINE_MOVES moves) from the current
// position, handing write each move after making it. The PV rows can hold the
// tail of an older line behind a cut-off, so the first move that is not a
// legal move where it stands ends the walk: an interface is never shown an
// illegal move. The board is as before on return.
template <typename Write>
void WalkLine(const Move* line, Write write) {
  const int savedPly = Tree.Ply;
  const uint8_t savedSide = Pos.SideToMove;
  SavedState saved[MAX_LINE_MOVES];
  Move made[MAX_LINE_MOVES];
  int n = 0;
  Tree.Ply = WORK_PLY;
  for (; n < MAX_LINE_MOVES && line[n]; n++) {
    const Move move = line[n];
    GenerateAll();
    if (!Generated(move) || !KeepsOwnKingSafe(move)) break;
    saved[n] = SaveState();
    made[n] = move;
    MakeMove(move);
    write(move);
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

// The SAN of a line, each move followed by a blank.
void AppendSanLine(Text& text, const Move* line) {
  WalkLine(line, [&text](Move move) {
    char san[SAN_TEXT_SIZE];
    FormatSan(move, san, SAN_PV);
    text.Add("%s", san);
  });
}

// Coordinate text of a line, each move followed by a blank.
void AppendCoordLine(Text& text, const Move* line) {
  WalkLine(line, [&text](Move move) {
    char coord[6];
    MoveToCoord(move, coord);
    text.Add("%s ", coord);
  });
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

void PrintXboardPv(int score, int depth) {
  const Move* line = &Srch.PvTable[2][1];
  const int64_t elapsed = ElapsedCs();
  const int64_t nps = Nps(elapsed);
  Text text;
  text.Add("%d %d %" PRId64 " %" PRId64 " ", depth, score, SecondsCs(), Srch.NodeCount);
  AppendSanLine(text, line);
  if (elapsed > 0) text.Add(" Np:%" PRId64, nps);
  text.Add("\n");
  Emit(text);
  Tree.Ply = 1;
}

void PrintUciPv(int score, int depth) {
  const Move* line = &Srch.PvTable[2][1];
  const int64_t elapsed = ElapsedCs();
  const int64_t nps = Nps(elapsed);
  if (elapsed <= 0) return;
  Text text;
  text.Add("info depth %d ", depth);
  AppendUciScore(text, score);
  text.Add(" time %" PRId64 " nodes %" PRId64 " nps %" PRId64 " pv ", ElapsedMs(), Srch.NodeCount, nps);
  AppendCoordLine(text, line);
  text.Add("\n");
  Emit(text);
  Reported.FirstMove = line[0];
}

}  // namespace

UciReportState Reported;

void PrintPv(int score, int depth) {
  if (Settings.XboardOutput)
    PrintXboardPv(score, depth);
  else
    PrintUciPv(score, depth);
}

void PrintFinalInfo(Move best) {
  if (best == 0) {
    // No legal move: mated or stalemated.
    std::printf(KingAttacked(Pos.SideToMove) ? "info depth 0 score mate 0\n" : "info depth 0 score cp 0\n");
    std::fflush(stdout);
    return;
  }
  if (best == Reported.FirstMove) return;
  const int64_t ms = TickMs() - Srch.StartTicks;
  const int64_t nps = Srch.NodeCount * 1000 / (ms > 0 ? ms : 1);
  const int depth = Srch.CompletedDepth > 0 ? Srch.CompletedDepth : Srch.NodeCount > 0 ? 1 : 0;
  Text text;
  text.Add("info ");
  if (SearchConfig.MultiPvCount > 1) text.Add("multipv 1 ");
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
  Reported.FirstMove = best;
}

namespace {

// A fail-high or fail-low line: the move with its mark for xboard, a bound
// for UCI.
void PrintBoundLine(bool xboard, int score, int depth, Move move, const char* xboardMark, const char* uciBound) {
  Text text;
  if (xboard) {
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

void PrintFailHighAs(bool xboard, int score, int depth) {
  PrintBoundLine(xboard, score, depth, Srch.PvTable[2][1], "!!", "lowerbound");
}

void PrintFailLowAs(bool xboard, int score, int depth) {
  PrintBoundLine(xboard, score, depth, Srch.PvTable[0][1], " --", "upperbound");
}

}  // namespace

void PrintFailHigh(int score, int depth) { PrintFailHighAs(Settings.XboardOutput, score, depth); }

void PrintFailLow(int score, int depth) { PrintFailLowAs(Settings.XboardOutput, score, depth); }

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
}

void PrintMultiPv() {
  const int64_t elapsed = ElapsedCs();
  int count = SearchConfig.MultiPvCount;
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
      if (i == 1) Reported.FirstMove = r.FirstMove;
    }
  }
  std::fflush(stdout);
}

// ---------------------------------------------------------------------------
// Input while a search runs
// ---------------------------------------------------------------------------
namespace {

bool Is(const char* line, const char* form) { return std::strcmp(line, form) == 0; }

void AnswerPing(const char* line) {
  const char* p = SkipWord(line);
  int32_t n = 0;
  ReadInt(p, n);
  std::printf("pong %d\n", n);
  std::fflush(stdout);
}

void Stop() { StopSearchNow(); }

// Stops the search and leaves the line for the command loop.
void StopFor(const char* line) {
  QueuePendingLine(line);
  Stop();
}

void PonderHit() {
  Game.PonderingNow = 0;
  SearchPonderHit();
}

// While pondering: the clock updates, ping and the predicted move are taken
// in stride; anything else ends the ponder search.
void PonderingLine(const char* line) {
  if (ReadClockLine(line, SearchEngineClock, SearchOpponentClock)) return;
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
    SearchMoveNow();
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
    SearchUciPonderHit();
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

void ReadWaitingInput(bool uci) {
  char line[PENDING_LINE_SIZE];
  while (!SearchStopping() && InputWaiting()) {
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


// ---------------------------------------------------------------------------
// The two reporters
// ---------------------------------------------------------------------------
namespace {

// Chat remarks take the place of the thinking lines; they and the record of
// the line that stopped a search are the same for both protocols.
class FrontEndReporter : public SearchReporter {
 public:
  void SearchStarted() override {
    if (Settings.ChatMode && !Game.PonderingNow) ChatOpeningRemark();
    ClearIterationChat();
    Game.PendingInput[0] = 0;
  }
  void IterationStarted(int score) override {
    if (Settings.ChatMode) ChatIterationRemark(score);
  }
  void SearchFinished(int score) override {
    if (Settings.ChatMode && !Game.PonderingNow) ChatClosingRemark(score);
  }
  void Status() override { PrintStatus(); }
  void MultiPvLines() override { PrintMultiPv(); }
};

class XboardReporter final : public FrontEndReporter {
 public:
  void Line(int score, int depth) override { PrintXboardPv(score, depth); }
  void FailHigh(int score, int depth) override { PrintFailHighAs(true, score, depth); }
  void FailLow(int score, int depth) override { PrintFailLowAs(true, score, depth); }
  void Poll() override { ReadWaitingInput(false); }
};

class UciReporter final : public FrontEndReporter {
 public:
  void Line(int score, int depth) override { PrintUciPv(score, depth); }
  void FailHigh(int score, int depth) override { PrintFailHighAs(false, score, depth); }
  void FailLow(int score, int depth) override { PrintFailLowAs(false, score, depth); }
  void CurrentMove(Move move, int number, int depth) override { PrintCurrentMove(move, number, depth); }
  void Poll() override { ReadWaitingInput(true); }
};

XboardReporter XboardReport;
UciReporter UciReport;

}  // namespace

SearchReporter& ProtocolReporter() {
  if (Settings.XboardOutput) return XboardReport;
  return UciReport;
}
