// The game loop: the engine searches for its move (or analyses), ponders on
// the reply it expects, or waits for commands; it plays and announces moves,
// detects mate, claims draws, resigns, and rebuilds the position from the
// game record.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/check.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "position/position.h"
#include "search/search.h"

namespace {

constexpr uint8_t RESIGNED = 9;
constexpr int RESIGN_SCORE = -700;
constexpr int RESIGN_SEARCHES = 3;
constexpr int MAX_SEARCH_DEPTH = 60;
constexpr int PREDICTION_BUDGET = 20;       // centiseconds
constexpr int PREDICTION_DEPTH = 4 * 60;    // plus the tactical factor
constexpr int LEARNED_MOVE_INDEX = 12;      // the engine's seventh move when it plays White

bool InGeneratedMoves(Move move) {
  const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      if (buckets.Moves[b][i] == move) return true;
    }
  }
  return false;
}

// The evasion generator can list a move that still leaves the king attacked
// (an en passant capture that opens a line to it), so each is tried.
bool HasLegalEvasion() {
  Tree.Ply = 1;
  GenerateEvasions();
  const PlyMoveList& list = Gen.MoveList[1];
  for (int i = 0; i < list.End; i++)
    if (KeepsOwnKingSafe(list.Moves[i])) return true;
  return false;
}

void OpenLogFiles() {
  // A folder that cannot be written to leaves both null: the engine plays on
  // and every write to them is skipped.
  Game.LogFile = std::fopen("log.txt", "w");
  Game.ErrorFile = std::fopen("Error.txt", "w");
}

void StartGameLoop() {
  Settings.XboardOutput = 1;
  SearchConfig.MultiPvCount = 1;
  Clock.UciInfinite = false;
  Clock.UciPonder = false;
  Game.OutOfBook = 0;
  Game.IncrementMode = 0;
  Game.PonderEnabled = 1;
  History.GameHalfmoveClock = 0;
  Srch.SearchAge = 0;
  Clock.TestSuiteRunning = false;
  ClearHashTables();
  Game.AnalyzeMode = 0;
  Game.QuitRequested = 0;
  History.HasSetupStart = false;
  Ev.LazyMargin = LAZY_MARGIN_START;
  ResetSearchCounters();
  std::memset(History.KeyHistory, 0, sizeof History.KeyHistory);
  Clock.MoveTimeBudget = 2000;
  Clock.ClockKnown = false;
  Clock.FixedMoveTime = 0;
  Clock.DepthLimit = 0;
  Pos.EnPassantBB = 0;
  StartEngine();  // every table, a new game, empty tables and the book
  StartGameRecord();
  Game.EngineColour = BLACK;
  Game.HumanColour = WHITE;
  Pos.SideToMove = WHITE;
  Game.PonderingNow = 0;
  Game.ForceMode = 0;
  std::memset(Game.GameMoves, 0, sizeof Game.GameMoves);
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  Game.CurrentMove = 0;
  ClearPendingLines();
  Game.EndOfInputSeen = false;
  // Real play: the search watches the clock and the input and reports.
  Clock.InputPollingAllowed = true;
  Clock.ThinkingOutput = true;
  Clock.FixedDepth = false;
  OpenLogFiles();
}

// Reports a key mismatch after a rebuild and ends the process: the engine
// must not go on with an inconsistent position.
[[noreturn]] void KeyMismatch(const char* what) {
  std::printf("%d %d %d %d %s\n", 1, 1, 1, 1, what);
  std::fflush(stdout);
  if (Game.ErrorFile) {
    std::fprintf(Game.ErrorFile, "%s depth=%d number=%d, ponder=%d\n", what, Tree.Ply, History.GameMoveCount,
                 Game.PonderingNow);
    std::fflush(Game.ErrorFile);
  }
  CloseLogFiles();
  std::exit(3);
}

void ZeroRow0AfterFirstZero() {
  Move* row = Srch.PvTable[0];
  int col = 1;
  while (col < PV_SIZE && row[col]) col++;
  for (; col < PV_SIZE; col++) row[col] = 0;
}

void ClearRow0() { std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]); }

void Announce(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

// Runs the command loop; afterwards the game loop plays the move it accepted,
// if any.
void RunCommands(bool pendingOnly) {
  Game.CurrentMove = 0;
  CommandLoop(pendingOnly);
  if (!Game.QuitRequested) PlayCurrentMove();
}

// A game record without room for another move ends the game with a draw
// claim: nothing may be written past it.
bool RecordFull() { return History.GameMoveCount >= MAX_GAME_MOVES; }

void ClaimDrawForFullRecord() {
  Announce("1/2-1/2 {Draw}\n");
  Game.GameOverMark = RESIGNED;
}

// Book learning after a resignation: the book move the engine played as its
// seventh move is no longer offered in this position. Only for games from the
// standard start whose record holds that move.
void LearnFromLoss() {
  const int side = Pos.SideToMove;
  const int index = LEARNED_MOVE_INDEX + (side == WHITE ? 0 : 1);
  if (!History.HasSetupStart && History.GameMoveCount > index && ReplayGame(index) == index) {
    RecomputeKeys();
    ForgetBookMove(FoldSide(Pos.Key, side), Game.GameMoves[index]);
  }
  RebuildPosition();
}

void Resign() {
  Announce(Pos.SideToMove == WHITE ? "0-1 {White resigns}\n" : "1-0 {Black resigns}\n");
  LearnFromLoss();
  Game.GameOverMark = RESIGNED;
}

bool ReplyPlayable(Move reply) {
  return reply != 0 && History.GameMoveCount + 1 < MAX_GAME_MOVES && IsLegalGameMove(reply);
}

// A short search for the opponent's most likely reply when the last line gave
// none: a fixed 4-ply root search, silent and without input polling.
Move PredictReply() {
  Game.PonderingNow = 0;
  Clock.MoveTimeBudget = PREDICTION_BUDGET;
  return SearchLikelyReply(LimitsForSearch(1, 1), SearchConfig.TacticalFactor + PREDICTION_DEPTH);
}

// Pondering: the expected reply is made on the board as if it had been
// played, and the next pass searches on it while the opponent thinks.
void Ponder() {
  RebuildPosition();
  Move reply = Srch.PvTable[2][2];
  Srch.RootBestMove = Srch.PvTable[2][1];
  if (!ReplyPlayable(reply) && Game.OutOfBook) reply = PredictReply();
  if (!ReplyPlayable(reply)) {
    do {
      RunCommands(false);
    } while (Game.GameOverMark == RESIGNED && !Game.QuitRequested);
    return;
  }
  Game.CurrentMove = reply;
  char coord[6];
  MoveToXboardText(reply, coord);
  std::snprintf(Game.PonderReplyText, sizeof Game.PonderReplyText, "%s\n", coord);
  Game.PonderingNow = 1;
  Game.GameMoves[History.GameMoveCount] = reply;
  History.KeyHistory[History.GameMoveCount] = Pos.Key;
  // The engine's move and the expected reply drop out of the last line.
  Move* row = Srch.PvTable[0];
  for (int col = 0; col + 2 < PV_SIZE; col++) row[col] = row[col + 2];
  row[PV_SIZE - 2] = row[PV_SIZE - 1] = 0;
  int col = 0;
  while (col < PV_SIZE && row[col]) col++;
  for (; col < PV_SIZE; col++) row[col] = 0;
  PlayCurrentMove();
}

// The engine's move after a search that ran to its end (or was told to move):
// results first, then the move, which is always a legal one.
void FinishSearch(int score, bool verdict) {
  if (verdict) {
    if (score < RESIGN_SCORE)
      Game.ResignCount++;
    else
      Game.ResignCount = 0;
  }
  bool claimed = false;
  if (verdict && Srch.DrawFlag && DrawnByRule()) {
    Announce("1/2-1/2 {Draw}\n");
    claimed = true;
  }
  if (verdict && !claimed && (Game.ResignCount >= RESIGN_SEARCHES || score == -MATE_SCORE)) {
    Resign();
    return;
  }
  Move move = Srch.PvTable[0][1];
  // The search only ever returns a legal root move; the fallback keeps a
  // Release engine playing should that ever break.
  VESSIK_ASSERT(move == 0 || IsLegalGameMove(move));
  if (move && !IsLegalGameMove(move)) move = AnyLegalMove();
  if (move == 0) {
    // Stopped before it had a move: the next pass searches again. Without
    // any legal move (stalemate) the game is over for the engine.
    if (!Srch.StopSearch && AnyLegalMove() == 0) Game.GameOverMark = RESIGNED;
    return;
  }
  Game.CurrentMove = move;
  Game.GameMoves[History.GameMoveCount] = move;
  History.KeyHistory[History.GameMoveCount] = Pos.Key;
  PlayCurrentMove();
}

void SearchAndPlay() {
  if (Pos.SideToMove != Game.EngineColour && !Game.AnalyzeMode) {
    PlayCurrentMove();
    return;
  }
  if (RecordFull() && !Game.AnalyzeMode) {
    ClaimDrawForFullRecord();
    return;
  }
  const int hint = Game.PonderingNow && !Game.AnalyzeMode && Srch.DepthHint >= 3 ? Srch.DepthHint - 2 : 1;
  if (hint == 1) ClearRow0();
  ZeroRow0AfterFirstZero();
  const int limit = Clock.DepthLimit;
  const int score = SearchFromFrontEnd(hint, limit > 0 && limit < MAX_SEARCH_DEPTH ? limit : MAX_SEARCH_DEPTH);
  ZeroRow0AfterFirstZero();
  // A search stopped before it had any move has no verdict on the position.
  const bool verdict = Srch.PvTable[0][1] != 0 || !Srch.StopSearch;

  if (Game.AnalyzeMode) {
    RebuildPosition();
    if (!Srch.StopSearch) {
      // The analysis has run to its end: wait for the next command.
      RunCommands(false);
    } else {
      RunCommands(true);
    }
    return;
  }
  if (IsTakebackLine(Game.PendingInput)) {
    // Only a ponder search has a move on the board that the GUI never made.
    if (Game.PonderingNow && History.GameMoveCount > 0) History.GameMoveCount--;
    Game.PonderingNow = 0;
    RebuildPosition();
    RunCommands(false);
    return;
  }
  if (Game.PonderingNow) {
    // The opponent did not play the expected move: take it back and run the
    // line that stopped the ponder search.
    Game.PonderingNow = 0;
    Srch.DepthHint = 0;
    ClearRow0();
    if (History.GameMoveCount == 0) {
      Announce("\nZero num_ply!");
      WaitKey();
    } else {
      History.GameMoveCount--;
    }
    RebuildPosition();
    RunCommands(false);
    return;
  }
  FinishSearch(score, verdict);
}

void GamePass() {
  // After "result" the game is over: analysis goes on, play does not.
  const bool playing = !Game.GameEnded && Pos.SideToMove != Game.HumanColour && !Game.ForceMode;
  const bool search = Game.GameOverMark != RESIGNED && (Game.AnalyzeMode || playing);
  if (search) {
    SearchAndPlay();
  } else if (!Game.ForceMode && Game.PonderEnabled && Game.GameOverMark == 0 && !Game.GameEnded) {
    Ponder();
  } else {
    RunCommands(false);
  }
}

bool BareOrSingleMinor(int side) {
  const int units = Pos.PieceUnits[side];
  return units == 0 || (units == 3 && PopCount(Pos.PieceBB[BBIndex(side, KNIGHT)] | Pos.PieceBB[BBIndex(side, BISHOP)]) == 1);
}

bool InsufficientMaterial() {
  if (Pos.PawnCount[WHITE] || Pos.PawnCount[BLACK]) return false;
  const bool white = BareOrSingleMinor(WHITE);
  const bool black = BareOrSingleMinor(BLACK);
  if (!white || !black) return false;
  if (Pos.PieceUnits[WHITE] == 0 || Pos.PieceUnits[BLACK] == 0) return true;
  // One minor piece each: dead only with two bishops on squares of one colour.
  constexpr Bitboard DARK = 0xAA55AA55AA55AA55ull;
  const Bitboard wb = Pos.PieceBB[BBIndex(WHITE, BISHOP)];
  const Bitboard bb = Pos.PieceBB[BBIndex(BLACK, BISHOP)];
  return wb && bb && ((wb & DARK) != 0) == ((bb & DARK) != 0);
}

}  // namespace

bool IsTakebackLine(const char* line) {
  static const char* const lines[] = {"undo\n", "retake\n", "back\n", "force\n", "remove\n"};
  for (const char* l : lines)
    if (std::strcmp(line, l) == 0) return true;
  return false;
}

bool ReadClockLine(const char* line, void (*engine)(int32_t), void (*opponent)(int32_t)) {
  const bool own = std::strncmp(line, "time", 4) == 0;
  if (!own && std::strncmp(line, "otim", 4) != 0) return false;
  const char* p = line + 4;
  int32_t value;
  if (ReadInt(p, value)) (own ? engine : opponent)(value);
  return true;
}

// The first legal move of the position, or 0 when there is none.
Move AnyLegalMove() {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets buckets = Gen.RootBuckets[1];
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      if (IsLegalGameMove(buckets.Moves[b][i])) return buckets.Moves[b][i];
    }
  }
  return 0;
}

bool DrawnByRule() {
  RecomputeKeys();
  const bool inCheck = KingAttacked(Pos.SideToMove);
  const bool canMove = inCheck ? HasLegalEvasion() : AnyLegalMove() != 0;
  if (!canMove) return !inCheck;
  if (History.GameHalfmoveClock >= 100) return true;
  const int here = History.GameMoveCount;
  int seen = 0;
  for (int d = 2; d <= History.GameHalfmoveClock && here - d >= 0; d += 2)
    if (History.KeyHistory[here - d] == Pos.Key) seen++;
  if (seen >= 2) return true;
  return InsufficientMaterial();
}

void CloseLogFiles() {
  if (Game.ErrorFile) std::fclose(Game.ErrorFile);
  if (Game.LogFile) std::fclose(Game.LogFile);
  Game.ErrorFile = nullptr;
  Game.LogFile = nullptr;
}

bool IsLegalGameMove(Move move) {
  Tree.Ply = 1;
  GenerateAll();
  return InGeneratedMoves(move) && KeepsOwnKingSafe(move);
}

void BeginReplay() {
  // NewGame restores a set-up start with its side to move and en passant
  // square (and the key that includes it), and restarts the halfmove clock.
  NewGame();
  Tree.Ply = 1;
}

bool ReplayMove(int index, char* san) {
  Move move = Game.GameMoves[index];
  if (move == 0 || !IsLegalGameMove(move)) return false;
  History.KeyHistory[index] = Pos.Key;
  Tree.Ply = 1;
  Tree.HalfmoveClock[1] = History.GameHalfmoveClock;
  Tree.MoveAtPly[2] = move;
  MakeMove(move);
  History.GameHalfmoveClock = Tree.HalfmoveClock[2];
  if (san) FormatSan(move, san, SAN_CONSOLE);
  Pos.SideToMove ^= 1;
  return true;
}

int ReplayGame(int moves) {
  if (moves > MAX_GAME_MOVES) moves = MAX_GAME_MOVES;
  BeginReplay();
  int made = 0;
  while (made < moves && ReplayMove(made)) made++;
  // The move into the position, for the stored-move test at the root: the
  // last one replayed, or at a set-up start the double step behind its en
  // passant square.
  if (made > 0) {
    Tree.MoveAtPly[1] = Game.GameMoves[made - 1];
  } else if (Pos.EnPassantBB) {
    const int square = LowestSquare(Pos.EnPassantBB);
    const int step = Pos.SideToMove == WHITE ? 8 : -8;
    Tree.MoveAtPly[1] = MakeMoveWord(square + step, square - step, PAWN);
  } else {
    Tree.MoveAtPly[1] = 0;
  }
  return made;
}

void VerifyPositionKeys() {
  HashKey key = Pos.Key;
  HashKey pawnKey = Pos.PawnKey;
  RecomputeKeys();
  if (Pos.PawnKey != pawnKey) KeyMismatch("Error on Search PawnHashKey");
  if (Pos.Key != key) KeyMismatch("Error on Search HashKey");
  RecomputeKeys();
}

void RebuildPosition() {
  History.GameMoveCount = ReplayGame(History.GameMoveCount);
  VerifyPositionKeys();
}

void AlignRecordWithBoard() {
  const int startSide = History.HasSetupStart ? History.StartPosition.SideToMove : WHITE;
  if (Pos.SideToMove == (startSide ^ (History.GameMoveCount & 1))) return;
  // "white" or "black" handed the move to the other side: no replay of the
  // record leads to this position any more, so it becomes the game's start.
  RecomputeKeys();
  History.StartHalfmoveClock = History.GameHalfmoveClock;
  History.GameMoveCount = 0;
  History.HasSetupStart = true;
  SaveStartPosition();
}

void PlayCurrentMove() {
  Move move = Game.CurrentMove;
  Game.CurrentMove = 0;  // played once; a later pass must not make it again
  if (move == 0) return;
  AlignRecordWithBoard();
  if (RecordFull()) return;
  RecomputeKeys();
  History.KeyHistory[History.GameMoveCount] = Pos.Key;
  Game.GameMoves[History.GameMoveCount] = move;
  Tree.Ply = 1;
  GenerateAll();
  Tree.HalfmoveClock[1] = History.GameHalfmoveClock;
  Tree.MoveAtPly[2] = move;
  char text[6];
  MoveToXboardText(move, text);  // before make: a castle is told from the board
  MakeMove(move);
  History.GameHalfmoveClock = Tree.HalfmoveClock[2];
  History.GameMoveCount++;
  Tree.MoveAtPly[1] = move;
  // Neither the expected reply of a ponder search nor a move made while
  // analysing is a move of the game that anyone should hear about.
  const bool real = !Game.PonderingNow && !Game.AnalyzeMode;
  const bool engineMove = real && Pos.SideToMove == Game.EngineColour && Game.ForceMode == 0;
  if (engineMove) {
    std::printf("move %s\n", text);
    std::fflush(stdout);
  }
  Pos.SideToMove ^= 1;
  if (real && KingAttacked(Pos.SideToMove) && !HasLegalEvasion()) {
    Announce(Pos.SideToMove == WHITE ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
  } else if (engineMove && RecordFull()) {
    ClaimDrawForFullRecord();
  }
}

void GameLoop() {
  StartGameLoop();
  while (!Game.QuitRequested) {
    // Lines a search read but did not act on are run before anything else.
    if (Game.PendingCount > 0)
      RunCommands(true);
    else
      GamePass();
  }
  CloseLogFiles();
}
