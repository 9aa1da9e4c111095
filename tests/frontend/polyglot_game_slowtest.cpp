// A whole game in UCI through a real UCI client: Debian's polyglot turns each
// side's UCI into xboard, and this driver plays the interface: it keeps the
// clocks, sends the moves, checks every move on its own board and ends the
// game by the rules.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/game_record.h"
#include "position/position.h"
#include "support/engine_process.h"
#include "support/fen_board.h"

namespace {

const char* POLYGLOT = "/usr/games/polyglot";

constexpr int64_t BASE_MS = 10000;
constexpr int64_t INCREMENT_MS = 100;
constexpr int MAX_PLIES = 600;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One side: polyglot with the engine behind it, spoken to in xboard.
class Player {
 public:
  Player(const std::string& dir, bool ponder)
      : process_(dir, POLYGLOT, {"-noini", "-ec", VESSIK_BINARY, "-ed", dir}) {
    process_.Send("xboard\nprotover 2\n");
    ready_ = !process_.WaitFor("feature done=0", 20000).empty();
    process_.Send("accepted usermove\nnew\nlevel 0 0:10 0.1\npost\n");
    process_.Send(ponder ? "hard\n" : "easy\n");
  }
  bool Ready() const { return ready_; }
  void Send(const std::string& text) { process_.Send(text); }

  // The next "move" line's move, or "" after timeoutMs; lines of complaint on
  // the way are kept.
  std::string WaitForMove(int64_t timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    std::string line;
    for (;;) {
      const int64_t left = deadline - NowMs();
      if (left <= 0 || !process_.ReadLine(line, static_cast<int>(left))) return "";
      if (line.rfind("move ", 0) == 0) return line.substr(5);
      if (line.rfind("Illegal", 0) == 0 || line.rfind("Error", 0) == 0 || line.rfind("tellusererror", 0) == 0 ||
          line.rfind("resign", 0) == 0)
        complaints_ += line + "\n";
    }
  }
  const std::string& Complaints() const { return complaints_; }
  int Quit() {
    process_.Send("quit\n");
    return process_.Wait(10000);
  }

 private:
  vtest::EngineProcess process_;
  bool ready_ = false;
  std::string complaints_;
};

bool BareMaterial() {
  if (Pos.PawnCount[WHITE] || Pos.PawnCount[BLACK]) return false;
  return Pos.PieceUnits[WHITE] + Pos.PieceUnits[BLACK] <= 3;
}

TEST(PolyglotGame, AWholeGameWithPonderingOnBothSides) {
  if (access(POLYGLOT, X_OK) != 0) GTEST_SKIP() << "polyglot is not installed (apt-get install polyglot)";
  vtest::TempDir whiteDir, blackDir;
  std::unique_ptr<Player> players[2];
  players[WHITE] = std::make_unique<Player>(whiteDir.Path(), true);
  players[BLACK] = std::make_unique<Player>(blackDir.Path(), true);
  ASSERT_TRUE(players[WHITE]->Ready() && players[BLACK]->Ready());

  vtest::LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  int64_t clock[2] = {BASE_MS, BASE_MS};
  std::map<HashKey, int> seen;
  int fifty = 0;
  std::string moves, result;
  std::string last;
  for (int ply = 0; ply < MAX_PLIES; ply++) {
    const int side = Pos.SideToMove;
    Player& mover = *players[side];
    char times[64];
    std::snprintf(times, sizeof times, "time %lld\notim %lld\n", static_cast<long long>(clock[side] / 10),
                  static_cast<long long>(clock[side ^ 1] / 10));
    const int64_t start = NowMs();
    mover.Send(times);
    mover.Send(ply == 0 ? "go\n" : "usermove " + last + "\n");
    const std::string text = mover.WaitForMove(clock[side] + 5000);
    const int64_t used = NowMs() - start;
    ASSERT_FALSE(text.empty()) << "no move from " << (side == WHITE ? "White" : "Black") << " after " << moves;
    clock[side] -= used;
    ASSERT_GT(clock[side], 0) << "lost on time at ply " << ply << " after " << moves;
    clock[side] += INCREMENT_MS;

    const Move move = vtest::FindGenerated(text);
    ASSERT_TRUE(move != 0 && IsLegalGameMove(move)) << "illegal move " << text << " after " << moves;
    fifty = (MoveType(move) == PAWN || MoveCaptured(move) != 0) ? 0 : fifty + 1;
    Tree.Ply = 1;
    Tree.HalfmoveClock[1] = 0;
    MakeMove(move);
    Pos.SideToMove ^= 1;
    moves += text + " ";
    last = text;

    const HashKey key = Pos.SideToMove == WHITE ? Pos.Key : ~Pos.Key;
    if (AnyLegalMove() == 0) {
      const int us = Pos.SideToMove;
      const bool check = IsAttacked(Pos.KingSquare[us], us ^ 1);
      result = check ? (us == WHITE ? "0-1 mate" : "1-0 mate") : "1/2-1/2 stalemate";
    } else if (++seen[key] >= 3) {
      result = "1/2-1/2 repetition";
    } else if (fifty >= 100) {
      result = "1/2-1/2 fifty moves";
    } else if (BareMaterial()) {
      result = "1/2-1/2 no mating material";
    }
    if (!result.empty()) break;
  }
  if (result.empty()) result = "1/2-1/2 adjudicated at the move limit";
  std::printf("Game through polyglot: %s\nMoves: %s\nClocks left: White %lld ms, Black %lld ms\n", result.c_str(),
              moves.c_str(), static_cast<long long>(clock[WHITE]), static_cast<long long>(clock[BLACK]));
  EXPECT_EQ(players[WHITE]->Complaints(), "");
  EXPECT_EQ(players[BLACK]->Complaints(), "");
  EXPECT_EQ(players[WHITE]->Quit(), 0);
  EXPECT_EQ(players[BLACK]->Quit(), 0);
}

}  // namespace
