// Whole evaluations along random legal games: a position and its colour-flipped
// twin score the negated value, also when the twin's score comes from caches
// filled by every position before it.
#include "eval/eval.h"
#include "position/positions.h"

namespace {

const char* const kMore[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "2b1k3/3p4/8/8/8/8/3P4/2B1K3 w - -",
};

int FreshScore() {
  ClearEvalCaches();
  return Evaluate(-10000, 10000);
}

class EvalSymmetry : public vtest::EngineTest {};

TEST_F(EvalSymmetry, TwinsScoreTheNegatedValueAlsoFromTheCaches) {
  std::vector<std::string> fens(std::begin(kMore), std::end(kMore));
  for (const vtest::Reference& r : vtest::References()) fens.push_back(r.Fen);
  int positions = 0, rounded = 0, cached = 0;
  for (const std::string& fen : fens) {
    for (unsigned seed = 1; seed <= 4; seed++) {
      SCOPED_TRACE(fen + " game " + std::to_string(seed));
      std::vector<int> scores;
      std::vector<bool> opposite, fromCache;
      const std::vector<std::string> moves = vtest::RandomGame(fen, seed, 60, [&] {
        scores.push_back(FreshScore());
        opposite.push_back(EvalTables.OppositeBishops[Ev.BishopColours] != 0);
        // With a side that has no pieces the score may hang on the side to
        // move (the rule of the square, the king race), which the cache key leaves out.
        fromCache.push_back(Pos.PieceUnits[WHITE] != 0 && Pos.PieceUnits[BLACK] != 0);
      });
      // The twins are scored with the caches as the games before left them.
      ASSERT_TRUE(vtest::SetFen(vtest::MirrorFen(fen))) << vtest::MirrorFen(fen);
      for (size_t ply = 0; ply < scores.size(); ply++) {
        SCOPED_TRACE("after " + std::to_string(ply) + " moves");
        const int twin = fromCache[ply] ? Evaluate(-10000, 10000) : FreshScore();
        positions++;
        cached += fromCache[ply];
        // The opposite-bishop scaling shifts, which rounds toward minus infinity.
        if (opposite[ply] && scores[ply] + twin == -1) rounded++;
        else EXPECT_EQ(scores[ply], -twin);
        if (ply < moves.size()) {
          ASSERT_TRUE(vtest::Play({vtest::MirrorMove(moves[ply])}));
        }
      }
    }
  }
  EXPECT_GT(positions, 3000);
  EXPECT_GT(cached, 2000);
  RecordProperty("roundedOppositeBishops", rounded);
}

}  // namespace
