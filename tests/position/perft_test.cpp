// Perft counts: the generator form and the search's path (staged lists, and
// trusted evasions in check) must both reproduce the reference counts.
#include <gtest/gtest.h>

#include "position/test_positions.h"
#include "tools/tools.h"

namespace {

void ExpectBothForms(const vtest::PerftCase& c) {
  vtest::MustSetFen(c.Fen);
  EXPECT_EQ(Perft(c.Depth), c.Nodes) << c.Fen << " depth " << c.Depth;
  EXPECT_EQ(PerftSearchPath(c.Depth), c.Nodes) << c.Fen << " depth " << c.Depth << " (search path)";
  EXPECT_EQ(Tree.Ply, 1);
}

TEST(Perft, ShallowCountsOfTheStartPosition) {
  vtest::MustSetFen(vtest::START_FEN);
  EXPECT_EQ(Perft(0), 1u);
  EXPECT_EQ(Perft(1), 20u);
  EXPECT_EQ(Perft(2), 400u);
  EXPECT_EQ(Perft(3), 8902u);
  EXPECT_EQ(PerftSearchPath(0), 1u);
  EXPECT_EQ(PerftSearchPath(2), 400u);
}

TEST(Perft, ReferencePositions) {
  const vtest::PerftCase cases[] = {
      {vtest::START_FEN, 4, 197281},     {vtest::KIWIPETE_FEN, 1, 48},     {vtest::KIWIPETE_FEN, 2, 2039},
      {vtest::KIWIPETE_FEN, 3, 97862},   {vtest::ENDGAME_FEN, 4, 43238},   {vtest::PROMOTIONS_FEN, 3, 9467},
      {vtest::CHECKS_FEN, 3, 62379},     {vtest::MIDDLEGAME_FEN, 3, 89890},
  };
  for (const vtest::PerftCase& c : cases) ExpectBothForms(c);
}

TEST(Perft, EnPassantCastlingPromotionAndCheckTraps) {
  const uint64_t counts[] = {10138, 10276, 13931, 6399, 7418, 27826, 50509, 19174,
                             31961, 2661,  1329,  2217, 10857, 6559, 2369};
  const int depths[] = {4, 4, 4, 4, 4, 3, 3, 4, 4, 4, 4, 6, 5, 3, 4};
  const auto& fens = vtest::TrickyPositions();
  ASSERT_EQ(fens.size(), std::size(counts));
  for (size_t i = 0; i < fens.size(); i++) ExpectBothForms({fens[i], depths[i], counts[i]});
}

}  // namespace
