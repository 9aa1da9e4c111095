// Time-safety benchmark: a small xboard referee that plays the engine against
// Fairy-Max (or against itself) over pipes at fast controls, keeps both
// clocks, judges moves and game ends with the engine's own rules, and reports
// forfeits and the longest move against its budget and against the clock.
//
//   time_safety [games] [opponent]     defaults: 50 and /usr/games/fairymax
//   ("self" as the opponent plays the engine against a second copy of itself)
//
// The games alternate colours, and every two games the control changes: 5
// seconds with 0.1 s a move ("level 0 0:05 0.1"), 40 moves in 10 seconds
// ("level 40 0:10 0"), and one second a move with nothing in hand ("level 0 0
// 1", the clock starting at one second).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "eval/eval.h"
#include "frontend/game_record.h"
#include "position/position.h"
#include "search/search.h"

#ifndef VESSIK_ENGINE_PATH
#define VESSIK_ENGINE_PATH "build/vessik"
#endif

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct Player {
  std::string Name;
  pid_t Pid = -1;
  int In = -1;
  int Out = -1;
  std::string Buffer;

  void Start(const std::string& path, const std::string& folder) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) std::exit(2);
    Pid = fork();
    if (Pid == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) dup2(devnull, 2);
      close(toChild[1]);
      close(fromChild[0]);
      if (chdir(folder.c_str()) != 0) _exit(126);
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    In = toChild[1];
    Out = fromChild[0];
  }
  void Send(const std::string& text) const {
    if (write(In, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    }
  }
  // Next line, or false when none arrives by the deadline (or the pipe closes).
  bool ReadLine(std::string& line, int64_t deadline) {
    for (;;) {
      const size_t nl = Buffer.find('\n');
      if (nl != std::string::npos) {
        line = Buffer.substr(0, nl);
        Buffer.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
      const int64_t left = deadline - NowMs();
      if (left <= 0) return false;
      pollfd p{Out, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char buf[4096];
      const ssize_t n = read(Out, buf, sizeof buf);
      if (n <= 0) return false;
      Buffer.append(buf, static_cast<size_t>(n));
    }
  }
  void Stop() {
    Send("quit\n");
    close(In);
    for (int i = 0; i < 100; i++) {
      if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
        close(Out);
        return;
      }
      usleep(10000);
    }
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    close(Out);
  }
};

struct Control {
  const char* Level;
  int64_t BaseMs;       // the clock at the start (and added again at each control)
  int64_t IncrementMs;
  int Moves;            // per control; 0 for an increment control
  // What the engine's level command makes of the line.
  int LevelMoves;
  int LevelMoveTime;
  int IncrementMode;
};

const Control CONTROLS[3] = {
    {"level 0 0:05 0.1", 5000, 100, 0, 1, 10, 1},
    {"level 40 0:10 0", 10000, 0, 40, 40, 0, 0},
    {"level 0 0 1", 1000, 1000, 0, 1, 100, 1},
};
constexpr int CONTROL_COUNT = 3;

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsResult(const std::string& line) {
  return StartsWith(line, "1-0") || StartsWith(line, "0-1") || StartsWith(line, "1/2-1/2") || StartsWith(line, "resign");
}

// The legal move named by coordinate text, or 0.
Move FindMove(const std::string& text) {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets buckets = Gen.RootBuckets[1];
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      const Move m = buckets.Moves[b][i];
      if (MoveToCoordString(m) == text && IsLegalGameMove(m)) return m;
    }
  }
  return 0;
}

bool InCheck() { return IsAttacked(Pos.KingSquare[Pos.SideToMove], Pos.SideToMove ^ 1); }

// The budget the engine gives itself for this move, by its own rule.
int EngineBudget(const Control& c, int64_t clockMs, int engineSearches) {
  Limits = SearchLimits{};
  Limits.EngineClock = static_cast<int32_t>(clockMs / 10);
  Limits.ClockKnown = true;
  Limits.LevelMoves = c.LevelMoves;
  Limits.LevelMoveTime = c.LevelMoveTime;
  Limits.IncrementMode = c.IncrementMode != 0;
  Srch.SearchCount = engineSearches;
  Limits.TestSuiteRunning = false;
  AllocateTimeXboard();
  return Limits.MoveTimeBudget;
}

struct Totals {
  int Games = 0, Wins = 0, Draws = 0, Losses = 0;
  int EngineForfeits = 0, OpponentForfeits = 0, EngineIllegal = 0, OpponentIllegal = 0, EngineSilent = 0;
  int EngineFalseClaims = 0;
  double WorstBudgetRatio = 0;
  double WorstClockShare = 0;
  int64_t LeastClockLeftMs = INT64_MAX;
  int64_t EngineMoves = 0;
  double BudgetRatioSum = 0;
};

void PlayGame(int number, Player players[2], int engineSide, const Control& control, Totals& t) {
  // players[0] is the engine, players[1] the opponent; side: 1 White, 0 Black.
  NewGame();
  History.HasSetupStart = false;
  History.GameMoveCount = 0;
  History.GameHalfmoveClock = 0;
  Game.ForceMode = 1;
  Game.PonderingNow = 0;
  Game.AnalyzeMode = 1;  // the referee's board announces nothing
  Pos.SideToMove = WHITE;
  RecomputeKeys();
  for (int p = 0; p < 2; p++) {
    players[p].Send("new\neasy\n" + std::string(control.Level) + "\n");
  }
  int64_t clock[2] = {control.BaseMs, control.BaseMs};  // by player
  int movesMade[2] = {0, 0};
  int engineSearches = 0;
  std::string lastMove;
  std::string result = "*", reason = "move limit";
  double gameWorstRatio = 0;
  for (int ply = 0; ply < 400; ply++) {
    const int mover = Pos.SideToMove == engineSide ? 0 : 1;
    Player& p = players[mover];
    const std::string times = "time " + std::to_string(clock[mover] / 10) + "\notim " + std::to_string(clock[1 - mover] / 10) + "\n";
    const int budget = mover == 0 ? EngineBudget(control, clock[mover], engineSearches) : 0;
    const int64_t start = NowMs();
    p.Send(times + (lastMove.empty() ? "go\n" : lastMove + "\n"));
    std::string line, move;
    const int64_t deadline = start + clock[mover] + 5000;
    bool ended = false;
    while (p.ReadLine(line, deadline)) {
      if (StartsWith(line, "move ")) {
        move = line.substr(5);
        break;
      }
      if (IsResult(line)) {
        if (mover == 0 && StartsWith(line, "1/2-1/2") && !DrawnByRule()) t.EngineFalseClaims++;
        result = StartsWith(line, "resign") ? (Pos.SideToMove == WHITE ? "0-1" : "1-0") : line.substr(0, line.find(' '));
        reason = p.Name + ": " + line;
        ended = true;
        break;
      }
    }
    if (ended) break;
    const int64_t used = NowMs() - start;
    clock[mover] -= used;
    if (mover == 0) {
      t.EngineMoves++;
      engineSearches++;
      const double ratio = budget > 0 ? used / (10.0 * budget) : 0;
      t.BudgetRatioSum += ratio;
      if (ratio > gameWorstRatio) gameWorstRatio = ratio;
      if (ratio > t.WorstBudgetRatio) t.WorstBudgetRatio = ratio;
      const double share = double(used) / double(clock[mover] + used);
      if (share > t.WorstClockShare) t.WorstClockShare = share;
      if (clock[mover] < t.LeastClockLeftMs) t.LeastClockLeftMs = clock[mover];
    }
    if (move.empty()) {
      result = Pos.SideToMove == WHITE ? "0-1" : "1-0";
      reason = p.Name + " sent no move";
      if (mover == 0) t.EngineSilent++;
      break;
    }
    if (clock[mover] < 0) {
      result = Pos.SideToMove == WHITE ? "0-1" : "1-0";
      reason = p.Name + " forfeits on time";
      (mover == 0 ? t.EngineForfeits : t.OpponentForfeits)++;
      break;
    }
    const Move m = FindMove(move);
    if (m == 0) {
      result = Pos.SideToMove == WHITE ? "0-1" : "1-0";
      reason = p.Name + " illegal move " + move;
      (mover == 0 ? t.EngineIllegal : t.OpponentIllegal)++;
      break;
    }
    clock[mover] += control.IncrementMs;
    if (control.Moves > 0 && ++movesMade[mover] % control.Moves == 0) clock[mover] += control.BaseMs;
    Game.CurrentMove = m;
    PlayCurrentMove();
    // The mover's opponent hears the move next time; the mover already made it.
    lastMove = move;
    if (AnyLegalMove() == 0) {
      result = InCheck() ? (Pos.SideToMove == WHITE ? "0-1" : "1-0") : "1/2-1/2";
      reason = InCheck() ? "checkmate" : "stalemate";
      break;
    }
    if (DrawnByRule()) {
      result = "1/2-1/2";
      reason = "draw by rule";
      break;
    }
  }
  if (result == "*") result = "1/2-1/2";
  // Both players finish with the game before the next one: anything they still
  // had to say comes before their answer to the ping.
  for (int p = 0; p < 2; p++) {
    players[p].Send("result " + result + " {" + reason + "}\nforce\nping " + std::to_string(number) + "\n");
    std::string line;
    const std::string pong = "pong " + std::to_string(number);
    const int64_t deadline = NowMs() + 10000;
    while (players[p].ReadLine(line, deadline) && line != pong) {
    }
  }
  const bool engineWhite = engineSide == WHITE;
  const int score = result == "1/2-1/2" ? 1 : ((result == "1-0") == engineWhite ? 2 : 0);
  t.Games++;
  (score == 2 ? t.Wins : score == 1 ? t.Draws : t.Losses)++;
  std::printf("game %2d  %-20s engine %s  %-7s  %-40s  plies %3d  longest/budget %.2f  engine clock left %.2f s\n",
              number, control.Level, engineWhite ? "white" : "black", result.c_str(), reason.c_str(),
              History.GameMoveCount, gameWorstRatio, clock[0] / 1000.0);
  std::fflush(stdout);
}

bool Handshake(Player& p) {
  p.Send("xboard\nprotover 2\n");
  std::string line;
  const int64_t deadline = NowMs() + 5000;
  while (p.ReadLine(line, deadline))
    if (line.find("done=1") != std::string::npos && line.find("myname") == std::string::npos) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const int games = argc > 1 ? std::atoi(argv[1]) : 50;
  const std::string opponent = argc > 2 ? argv[2] : "/usr/games/fairymax";
  const char* enginePath = std::getenv("VESSIK") ? std::getenv("VESSIK") : VESSIK_ENGINE_PATH;
  signal(SIGPIPE, SIG_IGN);

  SearchConfig.HashSize = 1u << 20;
  SearchConfig.EvalHashSize = 1u << 18;
  SearchConfig.PawnHashSize = 24u * 4096;
  if (AllocateTableBlocks() != 0) return 2;
  StartEngine();

  char folder[] = "/tmp/vessik-timebench-XXXXXX";
  if (!mkdtemp(folder)) return 2;
  Player players[2];
  players[0].Name = "vessik";
  players[0].Start(enginePath, folder);
  players[1].Name = opponent == "self" ? "vessik-2" : "opponent";
  players[1].Start(opponent == "self" ? enginePath : opponent, folder);
  for (Player& p : players) {
    if (!Handshake(p)) {
      std::fprintf(stderr, "%s did not answer protover\n", p.Name.c_str());
      return 2;
    }
  }
  std::printf("engine %s against %s, %d games\n", enginePath, opponent.c_str(), games);
  Totals t;
  for (int g = 0; g < games; g++) PlayGame(g + 1, players, g % 2 == 0 ? WHITE : BLACK, CONTROLS[(g / 2) % CONTROL_COUNT], t);
  for (Player& p : players) p.Stop();
  std::string cleanup = std::string("rm -rf '") + folder + "'";
  if (std::system(cleanup.c_str()) != 0) {
  }

  std::printf("\n%d games: +%d =%d -%d for the engine\n", t.Games, t.Wins, t.Draws, t.Losses);
  std::printf("time forfeits: engine %d, opponent %d; illegal moves: engine %d, opponent %d; "
              "engine without a move: %d; false draw claims by the engine: %d\n",
              t.EngineForfeits, t.OpponentForfeits, t.EngineIllegal, t.OpponentIllegal, t.EngineSilent,
              t.EngineFalseClaims);
  std::printf("engine moves %lld; mean move / budget %.2f; longest move / its budget %.2f; "
              "longest move / clock at its start %.2f; least clock left %.2f s\n",
              static_cast<long long>(t.EngineMoves), t.EngineMoves ? t.BudgetRatioSum / t.EngineMoves : 0.0,
              t.WorstBudgetRatio, t.WorstClockShare, t.LeastClockLeftMs / 1000.0);
  return t.EngineForfeits == 0 && t.EngineIllegal == 0 && t.EngineSilent == 0 && t.EngineFalseClaims == 0 ? 0 : 1;
}
