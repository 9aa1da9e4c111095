// UCI front end: the handshake, the loop of UCI mode, the options, position
// set-up from words, the go command with its limits, bestmove and ponder, and
// the perft and bench commands that testers use.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "frontend/uci_internal.h"
#include "platform/check.h"
#include "platform/platform.h"
#include "position/position.h"
#include "search/search.h"
#include "tools/tools.h"

UciGoValues UciGo;

namespace {

char LineBuffer[UCI_LINE_SIZE];
char FenBuffer[UCI_LINE_SIZE];
// A line kept for the loop that did not fit the search's queue.
char HeldLine[UCI_LINE_SIZE];
bool LineHeld = false;

constexpr int MAX_PERFT_DEPTH = 10;
constexpr int MAX_UCI_DEPTH = 60;

void PrintIdAndOptions() {
  std::printf("id name Vessik 4.2\n");
  std::printf("id author Ardelis\n");
  PrintUciOptions();
  std::printf("uciok\n");
  std::fflush(stdout);
}

void Quit() {
  std::printf("\nPlease wait...\n\n");
  std::fflush(stdout);
  Game.QuitRequested = 1;
  Game.GameOverMark = 0;
  CloseLogFiles();
}

int Clamp(int64_t value, int low, int high) {
  return static_cast<int>(value < low ? low : value > high ? high : value);
}

// --- Options ----------------------------------------------------------------

constexpr int OPTION_NAME_SIZE = 64;

// setoption name NAME [value VALUE]: NAME is every word up to "value", with
// single blanks between them; VALUE is the word after it.
void SetOption(WordReader& words) {
  Word w;
  if (!words.Next(w) || !w.Is("name")) return;
  char name[OPTION_NAME_SIZE];
  int length = 0;
  bool value = false;
  while (words.Next(w)) {
    if (w.Is("value")) {
      value = true;
      break;
    }
    if (length > 0 && length < OPTION_NAME_SIZE - 1) name[length++] = ' ';
    for (int i = 0; i < w.Length && length < OPTION_NAME_SIZE - 1; i++) name[length++] = w.Text[i];
  }
  name[length] = 0;
  Word v;
  if (value && !words.Next(v)) v = Word{"", 0};
  SetUciOption(name, length, value ? v.Text : nullptr, value ? v.Length : 0);
}

// --- Positions ----------------------------------------------------------------

// The legal move a coordinate word names here, or 0.
Move LegalMoveOfWord(const Word& w) {
  if (w.Length < 4 || w.Length > 5) return 0;
  char text[6] = {};
  for (int i = 0; i < w.Length; i++) {
    const char c = w.Text[i];
    text[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const Move move = MoveFromText(text);
  return move != 0 && IsLegalGameMove(move) ? move : 0;
}

// Makes a move on the board only, keeping the game's halfmove clock.
void MakeBoardMove(Move move) {
  Tree.Ply = 1;
  Tree.HalfmoveClock[1] = History.GameHalfmoveClock;
  Tree.MoveAtPly[2] = move;
  MakeMove(move);
  History.GameHalfmoveClock = Tree.HalfmoveClock[2];
  Pos.SideToMove ^= 1;
}

// After the start of a game: the moves of the position line go into the game
// record and onto the board; the first one that is not legal here ends the
// list, as does the end of the record. The replay then gives the keys, the
// repetition history and the halfmove clock.
void RecordMoves(WordReader& words) {
  Game.GameOverMark = 0;
  Game.GameEnded = false;
  Game.ForceMode = 0;
  Game.PonderingNow = 0;
  Game.EngineColour = BLACK;
  Game.HumanColour = WHITE;
  History.GameMoveCount = 0;
  Tree.Ply = 1;
  Word w;
  while (History.GameMoveCount < MAX_GAME_MOVES && words.Next(w)) {
    const Move move = LegalMoveOfWord(w);
    if (move == 0) break;
    Game.GameMoves[History.GameMoveCount] = move;
    if (!ReplayMove(History.GameMoveCount)) break;
    History.GameMoveCount++;
  }
  RebuildPosition();
}

void PositionStartpos(WordReader& words) {
  History.HasSetupStart = false;
  NewGame();
  Word w;
  if (!words.Next(w) || !w.Is("moves")) {
    WordReader none("");
    RecordMoves(none);
    return;
  }
  RecordMoves(words);
}

void PositionFen(WordReader& words) {
  // The FEN fields up to "moves": placement, side, castling, en passant and
  // the halfmove counter (any but the first may be missing); the move
  // counter is not read.
  std::strcpy(FenBuffer, "position fen");
  size_t used = std::strlen(FenBuffer);
  Word w;
  bool moves = false;
  for (int field = 0; words.Next(w); field++) {
    if (w.Is("moves")) {
      moves = true;
      break;
    }
    if (field >= 5) continue;
    FenBuffer[used++] = ' ';
    std::memcpy(FenBuffer + used, w.Text, static_cast<size_t>(w.Length));
    used += static_cast<size_t>(w.Length);
    FenBuffer[used] = 0;
  }
  // A FEN that cannot be set up leaves the position and the game as they were.
  if (!SetupFen(FenBuffer, 2, true)) return;
  // The FEN is the start of the game record: its moves count for repetitions
  // and the fifty-move rule as those of a game from the standard position.
  WordReader none("");
  RecordMoves(moves ? words : none);
}

void SetPosition(const char* line) {
  WordReader words(line);
  Word w;
  words.Next(w);  // "position"
  if (!words.Next(w)) return;
  if (w.Is("startpos")) {
    PositionStartpos(words);
  } else if (w.Is("fen")) {
    PositionFen(words);
  }
}

// --- go -----------------------------------------------------------------------

// Prints the move to play and, when the line goes on with a legal reply, the
// move to ponder on. Only a position without a legal move gets the null move:
// a search stopped before it had a move (a stop or the end of input at once)
// still answers with a legal one.
void PrintBestMove() {
  Move best = Srch.PvTable[0][1];
  Move reply = Srch.PvTable[0][2];
  if (best == 0) {
    best = AnyLegalMove();  // stopped before the search had a move
    reply = 0;
  }
  char bestText[6] = "0000";
  char replyText[6];
  // A search that had a legal move to play found one.
  VESSIK_ASSERT(best == 0 || IsLegalGameMove(best));
  if (best != 0 && !IsLegalGameMove(best)) best = 0;
  PrintFinalInfo(best);
  if (best == 0) {
    std::printf("bestmove 0000\n");
    std::fflush(stdout);
    return;
  }
  MoveToCoord(best, bestText);
  bool ponder = false;
  if (reply != 0) {
    const SavedState saved = SaveState();
    MakeBoardMove(best);
    ponder = IsLegalGameMove(reply);
    Pos.SideToMove ^= 1;
    UnmakeMove(best);
    RestoreState(saved);
    Tree.Ply = 1;
    History.GameHalfmoveClock = Tree.HalfmoveClock[1];
    MoveToCoord(reply, replyText);
  }
  if (ponder) {
    std::printf("bestmove %s ponder %s\n", bestText, replyText);
  } else {
    std::printf("bestmove %s\n", bestText);
  }
  std::fflush(stdout);
}

void Go(const char* line) {
  ParseGo(line);
  if (UciGo.Perft) {
    if (UciGo.PerftDepth >= 1 && UciGo.PerftDepth <= MAX_PERFT_DEPTH) PerftDivide(UciGo.PerftDepth);
    return;
  }
  PrepareUciSearch();
  const int maxDepth = UciGo.Depth > 0 ? Clamp(UciGo.Depth, 1, MAX_UCI_DEPTH) : MAX_UCI_DEPTH;
  SearchFromFrontEnd(1, maxDepth);
  Clock.MoveTimeBudget = 500;
  // "go infinite" and "go ponder" answer only once the interface has ended
  // them, even when the search came to its end by itself.
  if ((Clock.UciInfinite || Clock.UciPonder) && !Srch.StopSearch && !Srch.MoveNowRequested) WaitForSearchEnd();
  FinishUciSearch();
  PrintBestMove();
}

// --- The loop -------------------------------------------------------------------

// Executes one line; false after quit.
bool Execute(const char* line) {
  WordReader words(line);
  Word w;
  if (!words.Next(w)) return true;

  if (w.Is("quit")) {
    Quit();
    return false;
  }
  if (w.Is("isready")) {
    std::printf("readyok\n");
    std::fflush(stdout);
  } else if (w.Is("setoption")) {
    SetOption(words);
  } else if (w.Is("ucinewgame")) {
    // A new game shares nothing with the last one: no stored positions,
    // evaluations, history or killers.
    ClearHashTables();
  } else if (w.Is("position")) {
    SetPosition(line);
  } else if (w.Is("go")) {
    Go(line);
  } else if (w.Is("uci")) {
    // An interface that asks again gets its answer again.
    PrintIdAndOptions();
  } else if (w.Is("bench")) {
    RunEngineBench(BENCH_DEPTH, true);
  }
  return true;
}

}  // namespace

bool UciExecuteLine(const char* line) { return Execute(line); }

bool ReadInputLine(char* buffer, int size) {
  const int n = ReadLine(buffer, size, false);
  if (n == 0) return false;
  if (buffer[n - 1] != '\n' && n == size - 1) {
    // Longer than the buffer: the rest is read and the whole line dropped.
    char rest[256];
    int m;
    while ((m = ReadLine(rest, sizeof rest, false)) > 0 && rest[m - 1] != '\n') {
    }
    buffer[0] = 0;
    return true;
  }
  if (Game.LogFile) {
    std::fputs(buffer, Game.LogFile);
    std::fflush(Game.LogFile);
  }
  return true;
}

bool KeepUciLine(const char* line) {
  if (std::strlen(line) < static_cast<size_t>(PENDING_LINE_SIZE) && QueuePendingLine(line)) return true;
  if (!LineHeld) {
    const size_t n = std::strlen(line);
    const size_t copied = n < static_cast<size_t>(UCI_LINE_SIZE) ? n : UCI_LINE_SIZE - 1;
    std::memcpy(HeldLine, line, copied);
    HeldLine[copied] = 0;
    LineHeld = true;
  }
  return false;
}

bool ReadUciLine(char* buffer, int size) {
  if (size > PENDING_LINE_SIZE && TakePendingLine(buffer)) {
    const int n = static_cast<int>(std::strlen(buffer));
    // The start of a line too long for the queue: its rest is still the next
    // thing on standard input (none at the end of input). A shorter line
    // without its line end was cut by a NUL byte and is whole as it is.
    if (n == PENDING_LINE_SIZE - 1 && buffer[n - 1] != '\n' && !InputEnded()) {
      if (!ReadInputLine(buffer + n, size - n)) return true;
      if (buffer[n] == 0) buffer[0] = 0;  // too long as a whole: dropped
    }
    return true;
  }
  if (LineHeld) {
    const size_t n = std::strlen(HeldLine);
    const size_t copied = n < static_cast<size_t>(size) ? n : static_cast<size_t>(size) - 1;
    std::memcpy(buffer, HeldLine, copied);
    buffer[copied] = 0;
    LineHeld = false;
    return true;
  }
  return ReadInputLine(buffer, size);
}

void UciLoop() {
  for (;;) {
    // The end of input is a quit: nothing more can arrive.
    if (!ReadUciLine(LineBuffer, UCI_LINE_SIZE)) {
      Quit();
      return;
    }
    if (!Execute(LineBuffer)) return;
  }
}

void UciHandshake() {
  Settings.XboardOutput = 0;
  ResetUciOptions();
  PrintIdAndOptions();
  ResizeTables(16, false);
  UciLoop();
}
