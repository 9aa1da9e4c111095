// The console and xboard command loop: one line at a time, matched against the
// command table in its fixed order; anything else is tried as a move.
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "position/position.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

constexpr int LINE_SIZE = 256;  // at most 254 characters and the line end
constexpr int LOWERED_PREFIX = 16;
// Times beyond this (about eleven days) are cut, so that the time allocation's
// multiples of a budget stay far from overflow.
constexpr int64_t MAX_CENTISECONDS = 100000000;
constexpr int MAX_PERFT_DEPTH = 10;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void SkipBlanks(const char*& p) {
  while (*p && IsBlank(*p)) p++;
}

// Skips leading white space and the first word.
void SkipWord(const char*& p) {
  SkipBlanks(p);
  while (*p && !IsBlank(*p)) p++;
}

bool FirstWordIs(const char* line, const char* word) {
  const char* p = line;
  SkipBlanks(p);
  size_t n = std::strlen(word);
  return std::strncmp(p, word, n) == 0 && (p[n] == 0 || IsBlank(p[n]));
}

bool StartsWith(const char* line, const char* prefix) { return std::strncmp(line, prefix, std::strlen(prefix)) == 0; }

// A decimal integer read the way "%d" reads one (white space, a sign, digits),
// saturating at the int range. False, with p unchanged, when no digit follows.
bool ScanInt(const char*& p, int32_t& value) {
  const char* q = p;
  SkipBlanks(q);
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*q))) return false;
  int64_t v = 0;
  while (std::isdigit(static_cast<unsigned char>(*q))) {
    if (v <= INT32_MAX) v = v * 10 + (*q - '0');
    q++;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  value = static_cast<int32_t>(v);
  p = q;
  return true;
}

int32_t ClampTime(int64_t centiseconds) {
  if (centiseconds < 0) return 0;
  return static_cast<int32_t>(centiseconds > MAX_CENTISECONDS ? MAX_CENTISECONDS : centiseconds);
}

void GiveMoveToHuman() {
  Game.HumanColour = Pos.SideToMove;
  Game.EngineColour = Pos.SideToMove ^ 1;
}

void Quit() {
  std::printf("\nPlease wait...\n\n");
  std::fflush(stdout);
  Game.QuitRequested = 1;
  Game.GameOverMark = 0;
  CloseLogFiles();
}

void TakeBackOne() {
  History.GameMoveCount = ReplayGame(History.GameMoveCount - 1);
  RecomputeKeys();
  if (!Game.AnalyzeMode) GiveMoveToHuman();
}

void StepForwardOne() {
  int target = History.GameMoveCount + 1;
  if (target > MAX_GAME_MOVES) target = MAX_GAME_MOVES;
  History.GameMoveCount = ReplayGame(target);
  RecomputeKeys();
  GiveMoveToHuman();
}

// st and sd last until the next new or level command.
void ClearFixedLimits() {
  Clock.FixedMoveTime = 0;
  Clock.DepthLimit = 0;
}

// Seconds written with an optional fraction ("12", "0.1", ".5"), in
// centiseconds; digits past the hundredths are dropped.
bool ScanSecondsCs(const char*& p, int64_t& centiseconds) {
  const char* q = p;
  SkipBlanks(q);
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  const bool whole = std::isdigit(static_cast<unsigned char>(*q));
  if (!whole && !(*q == '.' && std::isdigit(static_cast<unsigned char>(q[1])))) return false;
  int64_t seconds = 0;
  for (; std::isdigit(static_cast<unsigned char>(*q)); q++)
    if (seconds <= MAX_CENTISECONDS) seconds = seconds * 10 + (*q - '0');
  int64_t fraction = 0;
  if (*q == '.') {
    q++;
    for (int digit = 0; std::isdigit(static_cast<unsigned char>(*q)); q++, digit++)
      if (digit < 2) fraction += (*q - '0') * (digit == 0 ? 10 : 1);
  }
  centiseconds = seconds * 100 + fraction;
  if (negative) centiseconds = -centiseconds;
  p = q;
  return true;
}

// "st SECONDS": a time per move, whole seconds or with a decimal fraction
// ("st 2.5"); 0, negative and unreadable values leave it unchanged.
void SetFixedMoveTime(const char* line) {
  const char* p = line;
  SkipWord(p);
  int64_t cs = 0;
  if (!ScanSecondsCs(p, cs) || (*p && !IsBlank(*p))) return;
  if (cs > 0) Clock.FixedMoveTime = ClampTime(cs);
}

// "sd N": at most N iterations.
void SetDepthLimit(const char* line) {
  const char* p = line;
  SkipWord(p);
  int32_t depth;
  if (ScanInt(p, depth) && depth > 0) Clock.DepthLimit = depth;
}

void StartNewGame() {
  ResetSearchCounters();
  ResetGameChat();
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  StartGameRecord();
  Game.GameEnded = false;
  History.HasSetupStart = false;
  NewGame();
  Game.ForceMode = 0;
  Game.PonderingNow = 0;
  Pos.SideToMove = WHITE;
  Game.EngineColour = BLACK;
  Game.HumanColour = WHITE;
  Ev.LazyMargin = LAZY_MARGIN_START;
  Game.OutOfBook = 0;
  ClearFixedLimits();
}

// "level MOVES BASE INC": BASE in minutes or as minutes:seconds (xboard sends
// "0:10" for ten seconds), INC in seconds with an optional fraction ("0.1").
// Lines without the first two numbers, or with negative ones, set nothing.
void SetLevel(const char* line) {
  const char* p = line;
  SkipWord(p);
  int32_t moves = 0, minutes = 0;
  if (!ScanInt(p, moves) || !ScanInt(p, minutes)) return;
  int64_t baseSeconds = static_cast<int64_t>(minutes) * 60;
  if (*p == ':') {
    p++;
    int32_t seconds = 0;
    if (!std::isdigit(static_cast<unsigned char>(*p)) || !ScanInt(p, seconds)) return;
    baseSeconds += seconds;
  }
  int64_t increment = 0;
  ScanSecondsCs(p, increment);
  if (moves < 0 || minutes < 0 || increment < 0) return;
  ClearFixedLimits();
  if (moves != 0) {
    int32_t perMove = ClampTime(baseSeconds / moves * 100);
    Clock.MoveTimeBudget = perMove;
    Clock.LevelMoveTime = perMove;
    Clock.LevelMoves = moves;
    Game.IncrementMode = 0;
  } else {
    int32_t perMove = ClampTime(increment);
    Clock.MoveTimeBudget = perMove;
    Clock.LevelMoveTime = perMove;
    Clock.LevelMoves = 1;
    Game.IncrementMode = 1;
  }
}

// "white" and "black" hand the move to a side. The en passant square belonged
// to the other side's move and goes. A hand-over that would leave the king of
// the side not to move in check is not made: that king could be taken.
void SetSideToMove(int side) {
  if (side == Pos.SideToMove) return;
  if (IsAttacked(Pos.KingSquare[side ^ 1], side)) return;
  Pos.SideToMove = static_cast<uint8_t>(side);
  Pos.EnPassantBB = 0;
  Tree.MoveAtPly[1] = 0;
  RecomputeKeys();
}

void MakeBookCommand() {
  int side = Pos.SideToMove;
  ConsoleClear();
  std::printf("Make Book is in progress.");
  std::fflush(stdout);
  MakeBook();
  Pos.SideToMove = static_cast<uint8_t>(side);
  RebuildPosition();
  ConsoleClear();
}

int SquareOf(char file, char rank) { return ((file - 'a') + 8 * (rank - '1')) & 255; }

// The features of the engine, done=1 last: the interface reads no feature
// after it.
void AnswerProtover() {
  std::printf("feature myname=\"Vessik 4.2\"\n");
  std::printf("feature setboard=1\n");
  std::printf("feature analyze=1\n");
  std::printf("feature ping=1\n");
  std::printf("feature sigint=0\n");
  std::printf("feature sigterm=0\n");
  std::printf("feature memory=1\n");
  PrintXboardOptionFeatures();
  std::printf("feature done=1\n");
  std::fflush(stdout);
}

bool IsFileLetter(char c) { return c >= 'a' && c <= 'h'; }
bool IsRankDigit(char c) { return c >= '1' && c <= '8'; }

// A line that is recognisably a coordinate move, legal or not.
bool LooksLikeMove(const char* line) {
  return IsFileLetter(line[0]) && IsRankDigit(line[1]) && IsFileLetter(line[2]) && IsRankDigit(line[3]);
}

// "Illegal move: e2e5": the move as it came, without its line end.
void RefuseMove(const char* raw) {
  const char* p = raw;
  while (*p && !IsBlank(*p)) p++;
  std::printf("Illegal move: %.*s\n", static_cast<int>(p - raw), raw);
  std::fflush(stdout);
}

// A move is accepted only when it is a generated move that does not leave the
// mover's own king attacked, and while the game record has room for it. Any
// other move is refused with a message, so that the interface takes it back.
bool AcceptMove(const char* line, const char* raw) {
  if (!LooksLikeMove(line)) return false;
  Move move = MoveFromText(line);
  if (History.GameMoveCount >= MAX_GAME_MOVES || move == 0 || !IsLegalGameMove(move)) {
    RefuseMove(raw);
    return false;
  }
  Game.GameMoves[History.GameMoveCount] = move;
  Game.CurrentMove = move;
  return true;
}

// "memory N": the tables' share of N megabytes; the game goes on.
void SetMemory(const char* line) {
  const char* p = line;
  SkipWord(p);
  int32_t mb;
  if (ScanInt(p, mb) && mb > 0) ResizeTables(mb, true);
}

// "option NAME=VALUE", from the line as typed: names keep their capitals.
void SetOptionFromInterface(const char* raw) {
  const char* p = raw;
  SkipWord(p);
  SkipBlanks(p);
  SetXboardOption(p);
}

// Commands of the interface that need nothing of the engine (the opponent's
// name and rating, a draw offer, the book and hint requests, ...), and the
// answers to the features.
bool IsQuietCommand(const char* line) {
  static const char* const words[] = {"xboard", "accepted", "rejected", "computer", "name", "random", "draw",
                                      "hint",   "bk",       "rating",   "ics"};
  for (const char* w : words)
    if (FirstWordIs(line, w)) return true;
  return false;
}

// Runs one command line; true when control goes back to the game loop.
// line is the working copy (first characters lower-cased), raw the line as read.
bool Execute(const char* line, const char* raw) {
  auto is = [line](const char* form) { return std::strcmp(line, form) == 0; };

  if (is("uci\n")) {
    UciHandshake();
    return true;
  }
  if (FirstWordIs(line, "protover")) {
    AnswerProtover();
    return false;
  }
  if (FirstWordIs(line, "ping")) {
    const char* p = line;
    SkipWord(p);
    int32_t n = 0;
    ScanInt(p, n);
    std::printf("pong %d\n", n);
    std::fflush(stdout);
    return false;
  }
  if (FirstWordIs(line, "setboard")) {
    SetupFen(raw, 1, true);
    return false;
  }
  if (is("two") || is("force\n")) {
    Game.ForceMode = 1;
    return false;
  }
  if (is("one")) {
    Game.ForceMode = 0;
    ConsoleGotoXY(1, 20);
    std::printf("One Player game.");
    std::fflush(stdout);
    return false;
  }
  if (is("exit") || is("quit\n")) {
    Quit();
    return true;
  }
  if (is("print")) {
    // Nothing later in the table matches "print".
    PrintGameListing();
    return false;
  }
  if (is("back") || is("undo") || is("undo\n") || is("retake") || is("retake\n") || is("back\n")) {
    if (History.GameMoveCount > 0) {
      TakeBackOne();
      if (Game.AnalyzeMode) return true;
    }
    return false;
  }
  if (is("go") || is("go\n")) {
    Game.ForceMode = 0;
    Game.EngineColour = Pos.SideToMove;
    Game.HumanColour = Pos.SideToMove ^ 1;
    Game.CurrentMove = 0;
    Game.PonderingNow = 0;
    return true;
  }
  // forward and save are typed by a person, with a line end.
  if (is("forward") || is("forward\n")) {
    if (History.GameMoveCount != 0) StepForwardOne();
    return false;
  }
  if (is("new") || is("new\n")) {
    StartNewGame();
    return Game.AnalyzeMode != 0;
  }
  if (is("save") || is("save\n")) {
    SaveGameDialogue();
    return false;
  }
  if (is("load") || is("load\n")) {
    LoadGameDialogue();
    return false;
  }
  if (is("makebook") || is("makebook\n")) {
    MakeBookCommand();
    return false;
  }
  if (is("white\n")) {
    SetSideToMove(WHITE);
    Game.HumanColour = WHITE;
    Game.EngineColour = BLACK;
    return false;
  }
  if (is("black\n")) {
    SetSideToMove(BLACK);
    Game.HumanColour = BLACK;
    Game.EngineColour = WHITE;
    return false;
  }
  if (StartsWith(line, "level")) {
    SetLevel(line);
    return false;
  }
  if (is("remove\n") || is("remove")) {
    if (History.GameMoveCount >= 2) {
      History.GameMoveCount -= 2;
      RebuildPosition();
    }
    return false;
  }
  if (is("edit\n")) {
    RunEditDialogue();
    return Game.QuitRequested != 0;
  }
  if (is("analyze\n")) {
    Game.AnalyzeMode = 1;
    Game.ForceMode = 0;
    return true;
  }
  if (is("exit\n")) {
    Game.AnalyzeMode = 0;
    Game.GameOverMark = 0;
    return false;
  }
  if (is("testepd\n") || is("testepd")) {
    RunEngineEpdTest();
    return false;
  }
  if (StartsWith(line, "time")) {
    const char* p = line + 4;
    int32_t value;
    if (ScanInt(p, value)) {
      Clock.EngineClock = value;
      Clock.ClockKnown = true;
    }
    return false;
  }
  if (StartsWith(line, "otim")) {
    const char* p = line + 4;
    int32_t value;
    if (ScanInt(p, value)) Clock.OpponentClock = value;
    return false;
  }
  if (StartsWith(line, "easy")) {
    Game.PonderEnabled = 0;
    return false;
  }
  if (StartsWith(line, "hard")) {
    Game.PonderEnabled = 1;
    return false;
  }
  if (FirstWordIs(line, "perft")) {
    const char* p = line;
    SkipWord(p);
    int32_t depth;
    if (ScanInt(p, depth) && depth >= 1 && depth <= MAX_PERFT_DEPTH) PerftDivide(depth);
    return false;
  }
  if (FirstWordIs(line, "st")) {
    SetFixedMoveTime(line);
    return false;
  }
  if (FirstWordIs(line, "sd")) {
    SetDepthLimit(line);
    return false;
  }
  if (FirstWordIs(line, "post")) {
    Clock.ThinkingOutput = true;
    return false;
  }
  if (FirstWordIs(line, "nopost")) {
    Clock.ThinkingOutput = false;
    return false;
  }
  if (FirstWordIs(line, "memory")) {
    SetMemory(line);
    return false;
  }
  if (FirstWordIs(line, "option")) {
    SetOptionFromInterface(raw);
    return false;
  }
  if (FirstWordIs(line, "result")) {
    // The game is over: the engine neither searches nor ponders until the
    // next game or set-up.
    Game.GameEnded = true;
    return false;
  }
  if (IsQuietCommand(line)) return false;
  return AcceptMove(line, raw);
}

}  // namespace

Move MoveFromText(const char* text) {
  if (std::strlen(text) < 4) return 0;
  int from = SquareOf(text[0], text[1]);
  int to = SquareOf(text[2], text[3]);
  if (from > 63 || to > 63) return 0;
  int type = TypeOfCode(Pos.Board[from]);
  int captured = TypeOfCode(Pos.Board[to]);
  int promotion = 0;
  if (type == PAWN && (RankOf(to) == 0 || RankOf(to) == 7)) {
    switch (text[4]) {
      case 'b': promotion = BISHOP; break;
      case 'n': promotion = KNIGHT; break;
      case 'r': promotion = ROOK; break;
      default: promotion = QUEEN; break;
    }
  }
  return MakeMoveWord(from, to, type, captured, promotion);
}

void CommandLoop(bool pendingOnly) {
  char raw[LINE_SIZE];
  char line[LINE_SIZE];
  for (;;) {
    // Key presses are not discarded first, and nothing already buffered is
    // thrown away: on Linux both would eat lines a GUI or a person sent ahead.
    // Lines a search read (and logged) come before anything new.
    if (TakePendingLine(raw)) {
      raw[LINE_SIZE - 1] = 0;
    } else if (pendingOnly) {
      return;
    } else if (ReadLine(raw, LINE_SIZE, true) == 0) {
      // The end of input is a quit: nothing more can arrive.
      std::strcpy(raw, "quit\n");
    } else if (Game.LogFile) {
      std::fputs(raw, Game.LogFile);
      std::fflush(Game.LogFile);
    }
    std::strcpy(line, raw);
    for (int i = 0; i < LOWERED_PREFIX && line[i]; i++) {
      line[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    }
    // While analysing, every line goes back to the game loop, which analyses
    // the position as the line left it.
    if (Execute(line, raw) || Game.AnalyzeMode) return;
  }
}
