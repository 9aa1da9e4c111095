// The console and xboard command loop: one line at a time, matched against the
// command table in its fixed order; anything else is tried as a move.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "platform/text.h"
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
  const char* q = SkipBlanks(p);
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  if (!IsDigit(*q) && !(*q == '.' && IsDigit(q[1]))) return false;
  int64_t seconds = 0;
  for (; IsDigit(*q); q++)
    if (seconds <= MAX_CENTISECONDS) seconds = seconds * 10 + (*q - '0');
  int64_t fraction = 0;
  if (*q == '.') {
    q++;
    for (int digit = 0; IsDigit(*q); q++, digit++)
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
  const char* p = SkipWord(line);
  int64_t cs = 0;
  if (!ScanSecondsCs(p, cs) || (*p && !IsBlank(*p))) return;
  if (cs > 0) Clock.FixedMoveTime = ClampTime(cs);
}

// "sd N": at most N iterations.
void SetDepthLimit(const char* line) {
  const char* p = SkipWord(line);
  int32_t depth;
  if (ReadInt(p, depth) && depth > 0) Clock.DepthLimit = depth;
}

void StartNewGame() {
  ResetSearchCounters();
  ResetGameChat();
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  StartGameRecord();
  Game.GameEnded = false;
  History.HasSetupStart = false;
  Chess960Variant = false;  // a new game is normal chess until a variant command
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
  const char* p = SkipWord(line);
  int32_t moves = 0, minutes = 0;
  if (!ReadInt(p, moves) || !ReadInt(p, minutes)) return;
  int64_t baseSeconds = static_cast<int64_t>(minutes) * 60;
  if (*p == ':') {
    p++;
    int32_t seconds = 0;
    if (!IsDigit(*p) || !ReadInt(p, seconds)) return;
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
  std::printf("feature variants=\"normal,fischerandom\"\n");
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

// "O-O" or "O-O-O" (also with zeros, a check mark or a line end) in a
// Chess960 game: the generated castle to that side, or 0.
Move Castle960OfText(const char* line) {
  if (!Pos.Chess960) return 0;
  int n = 0;
  while (line[n] == 'o' || line[n] == 'O' || line[n] == '0' || line[n] == '-') n++;
  if ((n != 3 && n != 5) || (line[n] && line[n] != '+' && line[n] != '#' && !IsBlank(line[n]))) return 0;
  for (int i = 0; i < n; i++)
    if ((line[i] == '-') != (i % 2 == 1)) return 0;
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets& buckets = Gen.RootBuckets[1];
  for (int b = 0; b < BUCKET_COUNT; b++)
    for (int i = 0; i < buckets.Count[b]; i++) {
      const Move m = buckets.Moves[b][i];
      if (IsCastle960(m) && (MoveTo(m) > MoveFrom(m)) == (n == 3)) return m;
    }
  return 0;
}

// A move is accepted only when it is a generated move that does not leave the
// mover's own king attacked, and while the game record has room for it. Any
// other move is refused with a message, so that the interface takes it back.
bool AcceptMove(const char* line, const char* raw) {
  Move move = Castle960OfText(line);
  if (move == 0 && !LooksLikeMove(line)) return false;
  if (move == 0) move = MoveFromText(line);
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
  const char* p = SkipWord(line);
  int32_t mb;
  if (ReadInt(p, mb) && mb > 0) ResizeTables(mb, true);
}

// "option NAME=VALUE", from the line as typed: names keep their capitals.
void SetOptionFromInterface(const char* raw) {
  SetXboardOption(SkipBlanks(SkipWord(raw)));
}

// --- The commands ------------------------------------------------------------
// Each takes the working line (its first characters lower-cased) and the line
// as read, and is true when control goes back to the game loop.

// A command that only runs an action and goes on reading.
template <void (*Action)()>
bool Run(const char*, const char*) {
  Action();
  return false;
}

// Likewise with the working line.
template <void (*Action)(const char*)>
bool RunOnLine(const char* line, const char*) {
  Action(line);
  return false;
}

// Likewise with the line as read.
template <void (*Action)(const char*)>
bool RunOnRaw(const char*, const char* raw) {
  Action(raw);
  return false;
}

bool Uci(const char*, const char*) {
  UciHandshake();
  return true;
}

bool Ping(const char* line, const char*) {
  const char* p = SkipWord(line);
  int32_t n = 0;
  ReadInt(p, n);
  std::printf("pong %d\n", n);
  std::fflush(stdout);
  return false;
}

// The FEN keeps its letter case: it comes from the line as read.
bool SetBoard(const char*, const char* raw) {
  SetupFen(raw, 1, true);
  return false;
}

bool Force(const char*, const char*) {
  Game.ForceMode = 1;
  return false;
}

bool OnePlayer(const char*, const char*) {
  Game.ForceMode = 0;
  ConsoleGotoXY(1, 20);
  std::printf("One Player game.");
  std::fflush(stdout);
  return false;
}

bool QuitCommand(const char*, const char*) {
  Quit();
  return true;
}

bool TakeBack(const char*, const char*) {
  if (History.GameMoveCount > 0) {
    TakeBackOne();
    if (Game.AnalyzeMode) return true;
  }
  return false;
}

bool Go(const char*, const char*) {
  Game.ForceMode = 0;
  Game.EngineColour = Pos.SideToMove;
  Game.HumanColour = Pos.SideToMove ^ 1;
  Game.CurrentMove = 0;
  Game.PonderingNow = 0;
  return true;
}

bool Forward(const char*, const char*) {
  if (History.GameMoveCount != 0) StepForwardOne();
  return false;
}

bool New(const char*, const char*) {
  StartNewGame();
  return Game.AnalyzeMode != 0;
}

bool White(const char*, const char*) {
  SetSideToMove(WHITE);
  Game.HumanColour = WHITE;
  Game.EngineColour = BLACK;
  return false;
}

bool Black(const char*, const char*) {
  SetSideToMove(BLACK);
  Game.HumanColour = BLACK;
  Game.EngineColour = WHITE;
  return false;
}

bool Remove(const char*, const char*) {
  if (History.GameMoveCount >= 2) {
    History.GameMoveCount -= 2;
    RebuildPosition();
  }
  return false;
}

bool Edit(const char*, const char*) {
  RunEditDialogue();
  return Game.QuitRequested != 0;
}

bool Analyze(const char*, const char*) {
  Game.AnalyzeMode = 1;
  Game.ForceMode = 0;
  return true;
}

bool ExitAnalysis(const char*, const char*) {
  Game.AnalyzeMode = 0;
  Game.GameOverMark = 0;
  return false;
}

void SetEngineClock(int32_t cs) {
  Clock.EngineClock = cs;
  Clock.ClockKnown = true;
}
void SetOpponentClock(int32_t cs) { Clock.OpponentClock = cs; }

bool ClockLine(const char* line, const char*) {
  ReadClockLine(line, SetEngineClock, SetOpponentClock);
  return false;
}

bool Easy(const char*, const char*) {
  Game.PonderEnabled = 0;
  return false;
}

bool Hard(const char*, const char*) {
  Game.PonderEnabled = 1;
  return false;
}

bool Perft(const char* line, const char*) {
  const char* p = SkipWord(line);
  int32_t depth;
  if (ReadInt(p, depth) && depth >= 1 && depth <= MAX_PERFT_DEPTH) PerftDivide(depth);
  return false;
}

bool Post(const char*, const char*) {
  Clock.ThinkingOutput = true;
  return false;
}

bool NoPost(const char*, const char*) {
  Clock.ThinkingOutput = false;
  return false;
}

// "variant fischerandom" or "variant normal": the set-ups that follow
// (setboard) are Chess960 ones, or not.
bool Variant(const char* line, const char*) {
  const char* p = SkipBlanks(SkipWord(line));
  if (FirstWordIs(p, "fischerandom") || FirstWordIs(p, "normal")) {
    Chess960Variant = FirstWordIs(p, "fischerandom");
    if (!History.HasSetupStart && History.GameMoveCount == 0) NewGame();
  }
  return false;
}

// The game is over: the engine neither searches nor ponders until the next
// game or set-up.
bool Result(const char*, const char*) {
  Game.GameEnded = true;
  return false;
}

// Commands of the interface that need nothing of the engine (the opponent's
// name and rating, a draw offer, the book and hint requests, ...), and the
// answers to the features.
bool Quiet(const char*, const char*) { return false; }

// LINE: the whole line, "\n" included when the form has it (a form without
// one matches only a last line that has no line end). WORD: the first word.
// PREFIX: the first characters.
enum Match { LINE, WORD, PREFIX };

struct Command {
  const char* Form;
  Match Kind;
  bool (*Run)(const char* line, const char* raw);
};

// In the order of testing: the first row that matches runs. "exit" quits
// while "exit\n" ends an analysis, and "print" matches no later row.
const Command Commands[] = {
    {"uci\n", LINE, Uci},
    {"protover", WORD, Run<AnswerProtover>},
    {"ping", WORD, Ping},
    {"setboard", WORD, SetBoard},
    {"two", LINE, Force},
    {"force\n", LINE, Force},
    {"one", LINE, OnePlayer},
    {"exit", LINE, QuitCommand},
    {"quit\n", LINE, QuitCommand},
    {"print", LINE, Run<PrintGameListing>},
    {"back", LINE, TakeBack},
    {"undo", LINE, TakeBack},
    {"undo\n", LINE, TakeBack},
    {"retake", LINE, TakeBack},
    {"retake\n", LINE, TakeBack},
    {"back\n", LINE, TakeBack},
    {"go", LINE, Go},
    {"go\n", LINE, Go},
    // forward and save are typed by a person, with a line end.
    {"forward", LINE, Forward},
    {"forward\n", LINE, Forward},
    {"new", LINE, New},
    {"new\n", LINE, New},
    {"save", LINE, Run<SaveGameDialogue>},
    {"save\n", LINE, Run<SaveGameDialogue>},
    {"load", LINE, Run<LoadGameDialogue>},
    {"load\n", LINE, Run<LoadGameDialogue>},
    {"makebook", LINE, Run<MakeBookCommand>},
    {"makebook\n", LINE, Run<MakeBookCommand>},
    {"white\n", LINE, White},
    {"black\n", LINE, Black},
    {"level", PREFIX, RunOnLine<SetLevel>},
    {"remove\n", LINE, Remove},
    {"remove", LINE, Remove},
    {"edit\n", LINE, Edit},
    {"analyze\n", LINE, Analyze},
    {"exit\n", LINE, ExitAnalysis},
    {"testepd\n", LINE, Run<RunEngineEpdTest>},
    {"testepd", LINE, Run<RunEngineEpdTest>},
    {"time", PREFIX, ClockLine},
    {"otim", PREFIX, ClockLine},
    {"easy", PREFIX, Easy},
    {"hard", PREFIX, Hard},
    {"perft", WORD, Perft},
    {"st", WORD, RunOnLine<SetFixedMoveTime>},
    {"sd", WORD, RunOnLine<SetDepthLimit>},
    {"post", WORD, Post},
    {"nopost", WORD, NoPost},
    {"memory", WORD, RunOnLine<SetMemory>},
    {"option", WORD, RunOnRaw<SetOptionFromInterface>},
    {"variant", WORD, Variant},
    {"result", WORD, Result},
    {"xboard", WORD, Quiet},
    {"accepted", WORD, Quiet},
    {"rejected", WORD, Quiet},
    {"computer", WORD, Quiet},
    {"name", WORD, Quiet},
    {"random", WORD, Quiet},
    {"draw", WORD, Quiet},
    {"hint", WORD, Quiet},
    {"bk", WORD, Quiet},
    {"rating", WORD, Quiet},
    {"ics", WORD, Quiet},
};

bool Matches(const Command& c, const char* line) {
  switch (c.Kind) {
    case LINE: return std::strcmp(line, c.Form) == 0;
    case WORD: return FirstWordIs(line, c.Form);
    case PREFIX: return std::strncmp(line, c.Form, std::strlen(c.Form)) == 0;
  }
  return false;
}

// Runs one command line; true when control goes back to the game loop. A
// line that is no command is tried as a move.
bool Execute(const char* line, const char* raw) {
  for (const Command& c : Commands)
    if (Matches(c, line)) return c.Run(line, raw);
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
  // A Chess960 castle is written king takes own rook.
  if (type == KING && IsCastle960(MakeMoveWord(from, to, KING))) return MakeMoveWord(from, to, KING);
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
