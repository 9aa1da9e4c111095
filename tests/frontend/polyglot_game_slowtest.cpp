// Timed games with pondering. Over pipes: the expected reply is answered at
// once, from the search that ran meanwhile. And a whole game in UCI through a real
// UCI client: Debian's polyglot turns each side's UCI into xboard, and this
// driver is the interface: it keeps the clocks (10 s and 0.1 s a move), sends
// the moves, checks each one on the fresh in-process engine and ends the game
// by the rules.
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "frontend/frontend.h"
#include "frontend/session.h"
#include "support/engine.h"

namespace {

const std::string MOVE = "move [a-h][1-8][a-h][1-8]*";
const std::string PONDER_CLOCK = "xboard\nnew\nhard\nlevel 0 2 0\ntime 4000\notim 4000\n";

TEST(TimedGame, AnExpectedReplyIsAnsweredAtOnce) {
  // White's only move is Qxb7+, Black's only reply Ka5; pondered for longer than the budget.
  fe::Converse({{PONDER_CLOCK + "setboard 1K6/1q1Q4/k7/7q/8/1P1P4/8/8 w - - 0 1\ngo\n", "move d7b7"}, {"", "", 2000},
                {"time 4000\notim 3800\nping 99999999999\n", "pong 2147483647", 300},  // at once while pondering
                {"a6a5\n", MOVE, 400}});
}

TEST(PolyglotGame, AWholeGameWithPonderingOnBothSides) {
  const std::string polyglot = "/usr/games/polyglot";
  if (access(polyglot.c_str(), X_OK) != 0) GTEST_SKIP() << "polyglot is not installed (apt-get install polyglot)";
  vtest::TempDir dirs[2];
  std::unique_ptr<vtest::EngineProcess> side[2];
  for (int s = 0; s < 2; s++) {
    side[s] = std::make_unique<vtest::EngineProcess>(
        dirs[s].Path(), polyglot, std::vector<std::string>{"-noini", "-ec", VESSIK_BINARY, "-ed", dirs[s].Path()});
    side[s]->Send("xboard\nprotover 2\n");
    ASSERT_NE(side[s]->WaitFor("feature done=0", 20000), "");
    side[s]->Send("accepted usermove\nnew\nlevel 0 0:10 0.1\npost\nhard\n");
  }
  vtest::FreshEngine();
  ASSERT_TRUE(vtest::SetFen(vtest::START_FEN));
  int64_t clock[2] = {10000, 10000};
  std::string moves, last, result;
  for (int ply = 0; ply < 600 && result.empty(); ply++) {
    const int s = ply % 2;
    const int64_t start = vtest::NowMs();
    side[s]->Send("time " + std::to_string(clock[s] / 10) + "\notim " + std::to_string(clock[s ^ 1] / 10) + "\n" +
                  (ply == 0 ? "go\n" : "usermove " + last + "\n"));
    const std::string line = side[s]->WaitFor("move ", static_cast<int>(clock[s] + 5000));
    ASSERT_NE(line, "") << "no move from " << (s ? "Black" : "White") << " after " << moves;
    clock[s] += 100 - (vtest::NowMs() - start);
    ASSERT_GT(clock[s], 100) << "lost on time after " << moves;
    last = line.substr(5);
    ASSERT_TRUE(vtest::Play({last})) << "illegal move " << last << " after " << moves;
    moves += last + " ";
    if (DrawnByRule()) result = "1/2-1/2 by the rules";
    if (result.empty() && vtest::LegalMoves().empty()) result = s ? "0-1 mate" : "1-0 mate";
  }
  if (result.empty()) result = "1/2-1/2 at the move limit";
  std::printf("Game through polyglot: %s\nMoves: %s\nClocks left: White %lld ms, Black %lld ms\n", result.c_str(),
              moves.c_str(), static_cast<long long>(clock[0]), static_cast<long long>(clock[1]));
  for (int s = 0; s < 2; s++) {
    for (const char* complaint : {"\nIllegal", "\nError", "\ntellusererror", "\nresign"})
      EXPECT_EQ(side[s]->Transcript().find(complaint), std::string::npos) << side[s]->Transcript();
    side[s]->Send("quit\n");
    EXPECT_EQ(side[s]->Wait(10000), 0);
  }
}

}  // namespace
