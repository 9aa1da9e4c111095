// Book learning over pipes: after the engine resigns a game in which it
// played a book move as its seventh move, that move is gone from the book in
// memory, and the next game takes the book's other move instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "position/test_positions.h"
#include "search/search_test_util.h"
#include "support/engine_process.h"

namespace {

// White gives its queen away: 1.e4 e5 2.Qh5 Nc6 3.Qxf7+ Kxf7 4.Nf3 d6 5.Nc3 Nf6
// 6.d3 Be7, and White, lost, plays its seventh move.
const std::vector<std::string> OPENING = {"e2e4", "e7e5", "d1h5", "b8c6", "h5f7", "e8f7",
                                          "g1f3", "d7d6", "b1c3", "g8f6", "d2d3", "f8e7"};

class BookLearningTest : public searchtest::SearchTest {
 protected:
  void Play(const std::string& text) {
    Move move = 0;
    for (Move m : vtest::LegalMoves())
      if (vtest::Coord(m) == text) move = m;
    ASSERT_NE(move, 0u) << text;
    Tree.Ply = 1;
    GenerateAll();
    MakeMove(move);
    Pos.SideToMove ^= 1;
    RecomputeKeys();
  }
  // A sound move for the side to move, from a short search of its own.
  std::string GoodMove() {
    Game.GameMoveCount = 0;
    Think(1, 4);
    return searchtest::BestMove();
  }
};

std::string Record(HashKey key, Move move, int weightClass) {
  const uint32_t words[4] = {KeyLow(key), KeyHigh(key), move | static_cast<uint32_t>(weightClass) << 21, 0};
  std::string bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; i++) bytes += static_cast<char>((w >> (8 * i)) & 0xFF);
  return bytes;
}

TEST_F(BookLearningTest, AResignedGameForgetsTheSeventhBookMove) {
  ASSERT_TRUE(vtest::SetFen(vtest::START_FEN));
  std::string moves;
  for (const std::string& m : OPENING) {
    Play(m);
    moves += m + "\n";
  }
  ASSERT_EQ(Pos.SideToMove, WHITE);
  const HashKey key = Pos.Key;
  const PositionRecord lost = Pos;

  vtest::TempDir dir;
  // Bg5 in the best class, Be2 below it.
  dir.Write("Book.bin", Record(key, MakeMoveWord(2, 38, BISHOP), 7) + Record(key, MakeMoveWord(5, 12, BISHOP), 5));
  vtest::EngineProcess engine(dir.Path());
  ASSERT_NE(engine.WaitFor("feature done=0"), "");
  engine.Send("xboard\nnew\nlevel 0 1 0\ntime 300\notim 300\nforce\n" + moves + "go\n");
  ASSERT_EQ(engine.WaitFor("move "), "move c1g5") << engine.Transcript();
  Play("c1g5");

  // Black answers well; White is a queen down and resigns on its third search.
  bool resigned = false;
  for (int reply = 0; reply < 4 && !resigned; reply++) {
    const std::string answer = GoodMove();
    Play(answer);
    engine.Send(answer + "\n");
    std::string line;
    while (engine.ReadLine(line, 10000)) {
      if (line == "0-1 {White resigns}") {
        resigned = true;
        break;
      }
      if (line.rfind("move ", 0) == 0) {
        Play(line.substr(5));
        break;
      }
    }
  }
  ASSERT_TRUE(resigned) << engine.Transcript();

  engine.Send("new\nforce\n" + moves + "go\n");
  EXPECT_EQ(engine.WaitFor("move "), "move f1e2") << "Bg5 is forgotten; the book's next move is played\n"
                                                   << engine.Transcript();
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(5000), 0);
  Pos = lost;
}

}  // namespace
