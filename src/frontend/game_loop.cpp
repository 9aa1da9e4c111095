// The game loop: game-state resets, the log files, playing the current move
// with the mate test, and rebuilding the position from the game record.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "position/position.h"
#include "search/search.h"

namespace {

bool OwnKingAttacked(int mover) {
  return mover == WHITE ? IsAttackedByBlack(Pos.KingSquare[WHITE]) : IsAttackedByWhite(Pos.KingSquare[BLACK]);
}

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
  int mover = Pos.SideToMove;
  for (int i = 0; i < list.End; i++) {
    Move m = list.Moves[i];
    SavedState saved = SaveState();
    MakeMove(m);
    bool legal = !OwnKingAttacked(mover);
    UnmakeMove(m);
    RestoreState(saved);
    if (legal) return true;
  }
  return false;
}

void OpenLogFiles() {
  Game.LogFile = std::fopen("log.txt", "w");
  Game.ErrorFile = std::fopen("Error.txt", "w");
}

void StartGameLoop() {
  Settings.XboardOutput = 1;
  Settings.MultiPvCount = 1;
  Game.OutOfBook = 0;
  Srch.DepthHint = 0;
  Game.IncrementMode = 0;
  Game.GameOverMark = 0;
  Game.ResignCount = 0;
  Game.PonderEnabled = 1;
  Game.GameHalfmoveClock = 0;
  Srch.SearchAge = 0;
  Srch.SearchCount = 0;
  Srch.PreviousScore = 0;
  ClearHashTables();
  Game.AnalyzeMode = 0;
  Game.QuitRequested = 0;
  Game.HasSetupStart = false;
  Ev.LazyMargin = LAZY_MARGIN_START;
  Srch.Nps = 20000;
  Srch.NpsQuarter = 10000000;
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
  std::memset(Game.KeyHistory, 0, sizeof Game.KeyHistory);
  Clock.MoveTimeBudget = 2000;
  Pos.EnPassantBB = 0;
  InitEvalTables();  // every start-up table, a new game and the book
  Game.GameMoveCount = 0;
  Game.EngineColour = BLACK;
  Game.HumanColour = WHITE;
  Pos.SideToMove = WHITE;
  Game.PonderingNow = 0;
  Game.ForceMode = 0;
  std::memset(Game.GameMoves, 0, sizeof Game.GameMoves);
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  Game.CurrentMove = 0;
  OpenLogFiles();
}

// Reports a key mismatch after a rebuild and ends the process: the engine
// must not go on with an inconsistent position.
[[noreturn]] void KeyMismatch(const char* what) {
  std::printf("%d %d %d %d %s\n", 1, 1, 1, 1, what);
  std::fflush(stdout);
  if (Game.ErrorFile) {
    std::fprintf(Game.ErrorFile, "%s depth=%d number=%d, ponder=%d\n", what, Tree.Ply, Game.GameMoveCount,
                 Game.PonderingNow);
    std::fflush(Game.ErrorFile);
  }
  CloseLogFiles();
  std::exit(3);
}

}  // namespace

void CloseLogFiles() {
  if (Game.ErrorFile) std::fclose(Game.ErrorFile);
  if (Game.LogFile) std::fclose(Game.LogFile);
  Game.ErrorFile = nullptr;
  Game.LogFile = nullptr;
}

bool IsLegalGameMove(Move move) {
  Tree.Ply = 1;
  GenerateAll();
  if (!InGeneratedMoves(move)) return false;
  int mover = Pos.SideToMove;
  SavedState saved = SaveState();
  MakeMove(move);
  bool legal = !OwnKingAttacked(mover);
  UnmakeMove(move);
  RestoreState(saved);
  return legal;
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
  Game.KeyHistory[index] = Pos.Key;
  Tree.Ply = 1;
  Tree.HalfmoveClock[1] = Game.GameHalfmoveClock;
  Tree.MoveAtPly[2] = move;
  MakeMove(move);
  Game.GameHalfmoveClock = Tree.HalfmoveClock[2];
  if (san) FormatSan(move, san, SAN_CONSOLE);
  Pos.SideToMove ^= 1;
  return true;
}

int ReplayGame(int moves) {
  if (moves > MAX_GAME_MOVES) moves = MAX_GAME_MOVES;
  BeginReplay();
  int made = 0;
  while (made < moves && ReplayMove(made)) made++;
  return made;
}

void RebuildPosition() {
  Game.GameMoveCount = ReplayGame(Game.GameMoveCount);
  HashKey key = Pos.Key;
  HashKey pawnKey = Pos.PawnKey;
  RecomputeKeys();
  if (Pos.PawnKey != pawnKey) KeyMismatch("Error on Search PawnHashKey");
  if (Pos.Key != key) KeyMismatch("Error on Search HashKey");
  RecomputeKeys();
}

void PlayCurrentMove() {
  Move move = Game.CurrentMove;
  Game.CurrentMove = 0;  // played once; a later pass must not make it again
  if (move == 0 || Game.GameMoveCount >= MAX_GAME_MOVES) return;
  RecomputeKeys();
  Game.KeyHistory[Game.GameMoveCount] = Pos.Key;
  Game.GameMoves[Game.GameMoveCount] = move;
  Tree.Ply = 1;
  GenerateAll();
  Tree.HalfmoveClock[1] = Game.GameHalfmoveClock;
  Tree.MoveAtPly[2] = move;
  MakeMove(move);
  Game.GameHalfmoveClock = Tree.HalfmoveClock[2];
  Game.GameMoveCount++;
  if (Pos.SideToMove == Game.EngineColour && Game.ForceMode == 0) {
    char coord[6];
    MoveToCoord(move, coord);
    std::printf("move %s\n", coord);
    std::fflush(stdout);
  }
  Pos.SideToMove ^= 1;
  if (OwnKingAttacked(Pos.SideToMove) && !HasLegalEvasion()) {
    std::printf(Pos.SideToMove == WHITE ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
    std::fflush(stdout);
  }
}

void GameLoop() {
  StartGameLoop();
  for (;;) {
    // Searching and pondering join here with the search; until then every
    // pass waits for a command and plays what it hands back.
    CommandLoop(false);
    if (Game.QuitRequested) break;
    if (Game.AnalyzeMode) continue;
    PlayCurrentMove();
  }
  CloseLogFiles();
}
