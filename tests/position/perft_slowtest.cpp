// Deeper perft counts (Release only; the sanitizer run leaves them out).
#include <gtest/gtest.h>

#include "position/test_positions.h"
#include "tools/tools.h"

namespace {

void ExpectBothForms(const vtest::PerftCase& c) {
  vtest::MustSetFen(c.Fen);
  EXPECT_EQ(Perft(c.Depth), c.Nodes) << c.Fen << " depth " << c.Depth;
  EXPECT_EQ(PerftSearchPath(c.Depth), c.Nodes) << c.Fen << " depth " << c.Depth << " (search path)";
}

TEST(PerftDeep, ReferencePositions) {
  const vtest::PerftCase cases[] = {
      {vtest::START_FEN, 5, 4865609},       {vtest::KIWIPETE_FEN, 4, 4085603},
      {vtest::ENDGAME_FEN, 5, 674624},      {vtest::ENDGAME_FEN, 6, 11030083},
      {vtest::PROMOTIONS_FEN, 4, 422333},   {vtest::CHECKS_FEN, 4, 2103487},
      {vtest::MIDDLEGAME_FEN, 4, 3894594},
  };
  for (const vtest::PerftCase& c : cases) ExpectBothForms(c);
}

TEST(PerftDeep, EnPassantCastlingPromotionAndCheckTraps) {
  const uint64_t counts[] = {1134888, 1015133, 1440467, 661072, 803711, 1274206, 1720476, 3821001,
                             1004658, 217342,  92683,   2217,   567584, 23527,   17879};
  const int depths[] = {6, 6, 6, 6, 6, 4, 4, 6, 5, 6, 6, 6, 7, 4, 5};
  const auto& fens = vtest::TrickyPositions();
  ASSERT_EQ(fens.size(), std::size(counts));
  for (size_t i = 0; i < fens.size(); i++) ExpectBothForms({fens[i], depths[i], counts[i]});
}

}  // namespace
