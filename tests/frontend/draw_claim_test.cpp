// When the engine may claim a draw: only when the rules of chess make the
// position a draw (a GUI checks claims and forfeits a false one).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "position/test_positions.h"
#include "search/search_test_util.h"

namespace {

class DrawClaimTest : public searchtest::SearchTest {
 protected:
  void Fen(const std::string& fen) {
    Position(fen);
    Game.GameMoveCount = 0;
    Game.GameHalfmoveClock = 0;
    Game.ForceMode = 1;  // moves are made silently
    Game.PonderingNow = 0;
    Game.AnalyzeMode = 0;
  }
  void Play(const std::vector<std::string>& moves) {
    for (const std::string& text : moves) {
      Move move = 0;
      for (Move m : vtest::LegalMoves())
        if (vtest::Coord(m) == text) move = m;
      ASSERT_NE(move, 0u) << text;
      Game.CurrentMove = move;
      PlayCurrentMove();
    }
  }
};

TEST_F(DrawClaimTest, StalemateButNotMate) {
  Fen("k7/8/1Q6/8/8/8/8/7K b - -");
  EXPECT_TRUE(DrawnByRule());
  Fen("k7/1Q6/1K6/8/8/8/8/8 b - -");
  EXPECT_FALSE(DrawnByRule()) << "checkmate";
}

TEST_F(DrawClaimTest, MaterialWithWhichNoMateIsPossible) {
  Fen("8/8/3k4/8/8/2K5/8/8 w - -");
  EXPECT_TRUE(DrawnByRule());
  Fen("8/8/3k4/8/8/2KB4/8/8 w - -");
  EXPECT_TRUE(DrawnByRule());
  Fen("8/8/3k4/8/8/2KN4/8/8 b - -");
  EXPECT_TRUE(DrawnByRule());
  Fen("8/8/3kb3/8/8/2KB4/8/8 w - -");
  EXPECT_TRUE(DrawnByRule()) << "bishops on squares of one colour (e6 and d3 are light)";
  Fen("8/8/3k1b2/8/8/2KB4/8/8 w - -");
  EXPECT_FALSE(DrawnByRule()) << "bishops on squares of both colours";
  Fen("8/8/3kn3/8/8/2KB4/8/8 w - -");
  EXPECT_FALSE(DrawnByRule()) << "bishop against knight: a draw for the search, not by the rules";
  Fen("8/8/3kn3/8/8/2KN4/8/8 w - -");
  EXPECT_FALSE(DrawnByRule());
  Fen("8/8/3k4/8/8/2KNN3/8/8 w - -");
  EXPECT_FALSE(DrawnByRule());
  Fen("8/8/3k4/8/8/2K5/7P/8 w - -");
  EXPECT_FALSE(DrawnByRule());
}

TEST_F(DrawClaimTest, ThirdOccurrence) {
  Fen("4k3/8/8/8/8/8/8/R3K2R w - -");
  Play({"a1a2", "e8d8", "a2a1", "d8e8"});
  EXPECT_FALSE(DrawnByRule()) << "second occurrence";
  Play({"a1a2", "e8d8", "a2a1"});
  EXPECT_FALSE(DrawnByRule());
  Play({"d8e8"});
  EXPECT_TRUE(DrawnByRule()) << "third occurrence";
}

TEST_F(DrawClaimTest, FiftyMoves) {
  Fen("4k3/8/8/8/8/8/8/R3K3 w - -");
  Game.GameHalfmoveClock = 99;
  EXPECT_FALSE(DrawnByRule());
  Game.GameHalfmoveClock = 100;
  EXPECT_TRUE(DrawnByRule());
  Fen("R3k3/8/4K3/8/8/8/8/8 b - -");
  Game.GameHalfmoveClock = 100;
  EXPECT_FALSE(DrawnByRule()) << "mate comes first";
}

}  // namespace
