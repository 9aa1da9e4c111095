// Mates in one to three and simple tactics (forks, pins, skewers, discovered
// attacks, back-rank blows, promotions), each searched to a fixed depth from a
// new game. The accepted moves are every move that a strong engine, run as a
// black box, found to mate as fast or to win as clearly.
#include <set>
#include <string>
#include <vector>

#include "search/search_test_util.h"

namespace {

using searchtest::BestMove;
using searchtest::SearchTest;

struct Problem {
  const char* Fen;
  int Moves;  // mate in this many moves; for a tactic the depth searched
  std::set<std::string> Accepted;
};

constexpr int TACTIC_DEPTH = 5;

const std::vector<Problem>& Mates() {
  static const std::vector<Problem> mates = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 1, {"d1d8"}},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 0 1", 1, {"h5f7"}},
      {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 1", 1, {"d8h4"}},
      {"6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1", 1, {"g5f7"}},
      {"3k4/R7/8/8/8/8/8/1R5K w - - 0 1", 1, {"b1b8"}},
      {"7k/R7/5N2/8/8/8/8/6K1 w - - 0 1", 1, {"a7h7"}},
      {"6k1/8/8/8/8/5b1q/5P1P/6K1 b - - 0 1", 1, {"h3g2"}},
      {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", 1, {"c7c8q", "c7c8r"}},
      {"3rkr2/8/8/8/8/8/Q7/4K3 w - - 0 1", 1, {"a2e6"}},
      {"5k2/8/5K2/4Q3/8/8/8/8 w - - 0 1", 1, {"e5b8"}},
      {"6k1/8/6K1/8/8/8/8/Q7 w - - 0 1", 1, {"a1g7", "a1a8"}},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2, {"c6b6", "c6c7"}},
      {"5r1k/6pp/7N/8/2Q5/8/8/6K1 w - - 0 1", 2, {"c4g8"}},
      {"rn1qkbnr/ppp2p1p/3p2p1/4N3/2B1P3/2N5/PPPP1PPP/R1BbK2R w KQkq - 0 6", 2, {"c4f7"}},
      {"7k/8/8/6K1/8/8/8/1Q6 w - - 0 1", 2, {"g5g6"}},
      {"r1b2k1r/ppp1bppp/8/1B1Q4/5q2/2P5/PPP2PPP/R3R1K1 w - - 0 1", 2, {"d5d8"}},
      {"6k1/5ppp/8/8/8/8/Q4PPP/1r2R1K1 w - - 0 1", 2, {"a2a8"}},
      {"5k2/8/8/8/8/8/R7/1R4K1 w - - 0 1", 2, {"b1b7", "a2a7"}},
      {"4k3/8/3K4/8/8/8/8/7R w - - 0 1", 2, {"h1f1"}},
      {"k7/8/8/2K5/8/8/8/7R w - - 0 1", 2, {"c5b6"}},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3, {"f6a6"}},
      {"2k5/8/8/2K5/8/8/8/7Q w - - 0 1", 3, {"c5c6", "h1h7"}},
      {"3k4/8/8/3K4/8/8/8/7Q w - - 0 1", 3, {"d5d6", "h1h7"}},
      {"1k6/8/8/1K6/8/8/8/7R w - - 0 1", 3, {"b5b6", "b5c6"}},
  };
  return mates;
}

const std::vector<Problem>& Tactics() {
  static const std::vector<Problem> tactics = {
      {"2q3k1/5ppp/8/3N4/8/8/5PPP/6K1 w - - 0 1", 0, {"d5e7"}},            // knight forks king and queen
      {"3r3k/6pp/8/6N1/8/8/5PPP/6K1 w - - 0 1", 0, {"g5f7"}},              // knight forks king and rook
      {"r3k3/pp6/8/1N6/8/8/PP6/4K3 w - - 0 1", 0, {"b5c7"}},               // the family fork on c7
      {"q3k3/pp6/8/3N4/8/8/PP6/4K3 w - - 0 1", 0, {"d5c7"}},
      {"4k3/pp3ppp/8/1q6/4N3/8/PP3PPP/4K3 w - - 0 1", 0, {"e4d6"}},
      {"r5k1/6pp/8/8/8/8/5PPP/3Q2K1 w - - 0 1", 0, {"d1d5"}},              // queen forks king and rook
      {"r3k3/8/8/8/8/8/8/3QK3 w - - 0 1", 0, {"d1h5"}},
      {"6k1/6pp/8/8/8/8/r4PPP/5BK1 w - - 0 1", 0, {"f1c4"}},               // bishop forks king and rook
      {"6k1/5ppp/2n1r3/8/3P4/8/5PPP/3R2K1 w - - 0 1", 0, {"d4d5"}},        // pawn forks knight and rook
      {"4k3/5ppp/2q5/8/P7/8/5PPP/5BK1 w - - 0 1", 0, {"f1b5"}},            // the queen pinned to its king
      {"4k3/8/2q5/8/P7/8/8/K4B2 w - - 0 1", 0, {"f1b5"}},
      {"8/8/8/8/q2k4/8/8/4K2R w - - 0 1", 0, {"h1h4"}},                    // skewer through the king
      {"3k4/8/7q/8/3N4/8/8/3RK3 w - - 0 1", 0, {"d4f5"}},                  // discovered check hits the queen
      {"1r4k1/5ppp/8/8/8/8/1q3PPP/1R1R2K1 w - - 0 1", 0, {"b1b2"}},        // the back rank decides the recapture
      {"1r6/2P5/8/8/8/8/6k1/K7 w - - 0 1", 0, {"c7b8q"}},                  // promotion with capture
      {"2r5/1P6/8/8/8/8/6k1/K7 w - - 0 1", 0, {"b7c8q"}},
      {"8/ppp5/8/PPP5/8/8/8/k6K w - - 0 1", 7, {"b5b6"}},                  // pawn breakthrough
      {"6k1/5ppp/8/8/8/2q5/5PPP/2R3K1 w - - 0 1", 0, {"c1c3"}},            // a queen left en prise
      {"6k1/5p2/6p1/8/3n4/8/5PPP/3R2K1 w - - 0 1", 0, {"d1d4"}},
      {"1k6/1p6/8/8/8/8/5q2/3R2K1 w - - 0 1", 0, {"g1f2"}},
      {"r1b2rk1/pp3ppp/2n5/3q4/8/2N5/PP3PPP/R2Q1RK1 w - - 0 1", 0, {"d1d5", "c3d5"}},
  };
  return tactics;
}

class TacticsTest : public SearchTest {};

TEST_F(TacticsTest, FindsTheMatingMove) {
  for (const Problem& p : Mates()) {
    Position(p.Fen);
    const int score = Think(1, 2 * p.Moves + 1);
    EXPECT_TRUE(p.Accepted.count(BestMove())) << p.Fen << " played " << BestMove();
    EXPECT_EQ(score, MATE_SCORE - 2 * p.Moves) << p.Fen;
  }
}

TEST_F(TacticsTest, FindsTheWinningMove) {
  for (const Problem& p : Tactics()) {
    Position(p.Fen);
    Think(1, p.Moves ? p.Moves : TACTIC_DEPTH);
    EXPECT_TRUE(p.Accepted.count(BestMove())) << p.Fen << " played " << BestMove();
  }
}

}  // namespace
