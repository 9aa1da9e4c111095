// The search seen from outside, each position from a fresh engine: mates and
// tactics at a fixed depth, the results at the root, repeatable searches, and
// a search that leaves the position and the game as it found them.
#include <algorithm>
#include <cstring>
#include <set>

#include "search/search.h"
#include "support/engine.h"
#include "tools/tools.h"

namespace {

struct Problem {
  const char* Fen;
  int MateIn;  // moves; 0 for a tactic searched to Depth
  int Depth;
  std::set<std::string> Accepted;  // every move that mates as fast or wins as clearly
};

const Problem PROBLEMS[] = {
    {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 1, 3, {"d1d8"}},
    {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 0 1", 1, 3, {"h5f7"}},
    {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 1", 1, 3, {"d8h4"}},
    {"6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1", 1, 3, {"g5f7"}},
    {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", 1, 3, {"c7c8q", "c7c8r"}},
    {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2, 5, {"c6b6", "c6c7"}},
    {"5r1k/6pp/7N/8/2Q5/8/8/6K1 w - - 0 1", 2, 5, {"c4g8"}},
    {"rn1qkbnr/ppp2p1p/3p2p1/4N3/2B1P3/2N5/PPPP1PPP/R1BbK2R w KQkq - 0 6", 2, 5, {"c4f7"}},
    {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3, 7, {"f6a6"}},
    {"2k5/8/8/2K5/8/8/8/7Q w - - 0 1", 3, 7, {"c5c6", "h1h7"}},
    {"2q3k1/5ppp/8/3N4/8/8/5PPP/6K1 w - - 0 1", 0, 5, {"d5e7"}},      // knight forks king and queen
    {"r5k1/6pp/8/8/8/8/5PPP/3Q2K1 w - - 0 1", 0, 5, {"d1d5"}},        // queen forks king and rook
    {"6k1/5ppp/2n1r3/8/3P4/8/5PPP/3R2K1 w - - 0 1", 0, 5, {"d4d5"}},  // pawn forks knight and rook
    {"4k3/5ppp/2q5/8/P7/8/5PPP/5BK1 w - - 0 1", 0, 5, {"f1b5"}},      // the queen pinned to its king
    {"8/8/8/8/q2k4/8/8/4K2R w - - 0 1", 0, 5, {"h1h4"}},              // skewer through the king
    {"3k4/8/7q/8/3N4/8/8/3RK3 w - - 0 1", 0, 5, {"d4f5"}},            // discovered check hits the queen
    {"1r4k1/5ppp/8/8/8/8/1q3PPP/1R1R2K1 w - - 0 1", 0, 5, {"b1b2"}},  // the back rank decides the recapture
    {"1r6/2P5/8/8/8/8/6k1/K7 w - - 0 1", 0, 5, {"c7b8q"}},            // promotion with capture
    {"8/ppp5/8/PPP5/8/8/8/k6K w - - 0 1", 0, 7, {"b5b6"}},            // pawn breakthrough
};

void PrintTo(const Problem& c, std::ostream* os) { *os << c.Fen; }
class Solves : public vtest::EngineTest, public testing::WithParamInterface<Problem> {};

TEST_P(Solves, Problem) {
  const Problem& p = GetParam();
  ASSERT_TRUE(vtest::SetFen(p.Fen));
  const vtest::SearchResult r = vtest::SearchDepth(p.Depth);
  EXPECT_TRUE(p.Accepted.count(vtest::Coord(r.Best))) << "played " << vtest::Coord(r.Best);
  if (p.MateIn) { EXPECT_EQ(r.Score, MATE_SCORE - 2 * p.MateIn); }
}
INSTANTIATE_TEST_SUITE_P(Cases, Solves, testing::ValuesIn(PROBLEMS), [](const auto& i) {
  const Problem& p = i.param;
  return (p.MateIn ? "MateIn" + std::to_string(p.MateIn) : std::string("Wins")) + "_" + *p.Accepted.begin() + "_" +
         std::to_string(i.index);
});

TEST(Root, Results) {
  // FEN, depth, score (ANY: not checked), move, and the depth after whose search the iterations stop (the same
  // nodes), 0 for none. Each search follows one that found a move, which must never be played here.
  constexpr int ANY = 1 << 20;
  const struct { const char* Fen; int Depth, Score; const char* Best; int StopsAfter; } rows[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1", 5, -MATE_SCORE, "", 0},          // checkmated
      {"k7/8/1Q6/8/8/8/8/K7 b - - 0 1", 5, 0, "", 0},                            // stalemate
      {"k7/8/8/8/8/8/1r6/K7 w - - 0 1", 12, ANY, "a1b2", 3},                     // a single reply
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 20, MATE_SCORE - 2, "d1d8", 1},  // a mate ends the search
  };
  auto search = [](const char* fen, int depth) {
    vtest::FreshEngine();
    EXPECT_NE(vtest::SearchDepth(2).Best, 0u);
    EXPECT_TRUE(vtest::SetFen(fen));
    return vtest::SearchDepth(depth);
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Fen);
    const vtest::SearchResult s = search(r.Fen, r.Depth);
    if (r.Score != ANY) { EXPECT_EQ(s.Score, r.Score); }
    EXPECT_EQ(s.Best ? vtest::Coord(s.Best) : std::string(), r.Best);
    EXPECT_TRUE(s.Best || !s.Reply) << "no reply without a move";
    if (r.StopsAfter) { EXPECT_EQ(search(r.Fen, r.StopsAfter).Nodes, s.Nodes); }
  }
}

// Position, keys and game record as the search found them; a legal move, a reply legal after it, and the same
// result from the same search.
TEST(Root, SearchLeavesThePositionAndTheGameAsFound) {
  for (int i = 0; i < BenchPositionCount(); i += 2) {  // every other one: openings, middlegames and endings alike
    SCOPED_TRACE(BenchPosition(i));
    vtest::SearchResult first{};
    for (int run = 0; run < 2; run++) {
      vtest::FreshEngine();
      ASSERT_TRUE(vtest::SetFen(BenchPosition(i)));
      if (i % 3 == 0) { ASSERT_TRUE(vtest::Play({vtest::Coord(vtest::LegalMoves()[i % vtest::LegalMoves().size()])})); }
      RecomputeKeys();  // its scratch keys are the search's work area
      const PositionRecord before = Pos;
      const std::vector<HashKey> keys(History.KeyHistory, History.KeyHistory + History.GameMoveCount);
      const vtest::SearchResult s = vtest::SearchDepth(i < 2 ? 6 : 4);
      EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0);
      EXPECT_EQ(std::vector<HashKey>(History.KeyHistory, History.KeyHistory + History.GameMoveCount), keys);
      RecomputeKeys();
      EXPECT_EQ(Pos.Key, before.Key);
      EXPECT_EQ(Pos.PawnKey, before.PawnKey);
      if (run == 0) first = s;
      EXPECT_EQ(std::vector<long long>({s.Best, s.Reply, s.Score, s.Nodes}),
                std::vector<long long>({first.Best, first.Reply, first.Score, first.Nodes}));
    }
    const std::vector<Move> legal = vtest::LegalMoves();
    ASSERT_NE(std::find(legal.begin(), legal.end(), first.Best), legal.end());
    ASSERT_TRUE(vtest::Play({vtest::Coord(first.Best)}));
    const std::vector<Move> replies = vtest::LegalMoves();
    if (first.Reply) { EXPECT_NE(std::find(replies.begin(), replies.end(), first.Reply), replies.end()); }
  }
}

TEST(Root, QuantizedScores) {
  const int cases[][2] = {{0, 3},  {1, 3},   {3, 6},     {99, 100},   {250, 253},
                          {-1, 0}, {-4, -3}, {-89, -88}, {-100, -97}, {-300, -297}};
  for (const auto& c : cases) EXPECT_EQ(Quantize(c[0]), c[1]) << c[0];
}

}  // namespace
