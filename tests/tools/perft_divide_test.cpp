// The divide listing printed for the console and UCI perft commands.
#include <gtest/gtest.h>

#include <string>

#include "frontend/frontend.h"
#include "position/position.h"
#include "tools/tools.h"

namespace {

std::string Divide(const char* fen, int depth, uint64_t& total) {
  InitAttackTables();
  Tree.Ply = 1;
  EXPECT_TRUE(SetupFen((std::string("position fen ") + fen).c_str(), 2, false));
  testing::internal::CaptureStdout();
  total = PerftDivide(depth);
  return testing::internal::GetCapturedStdout();
}

TEST(PerftDivide, ListsEachLegalRootMoveThenTheTotal) {
  uint64_t total = 0;
  // Only the king can move: e1d1, e1d2, e1e2 (f-file squares are covered).
  std::string out = Divide("4k3/8/8/8/8/8/8/4K2r w - - 0 1", 1, total);
  EXPECT_EQ(total, 3u);
  EXPECT_EQ(out, "e1d2: 1\ne1e2: 1\ne1f2: 1\n\nNodes searched: 3\n");
}

TEST(PerftDivide, CountsPerMoveAddUp) {
  uint64_t total = 0;
  std::string out = Divide("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, total);
  EXPECT_EQ(total, 8902u);
  EXPECT_NE(out.find("e2e4: 600\n"), std::string::npos);
  EXPECT_NE(out.find("g1f3: 440\n"), std::string::npos);
  EXPECT_NE(out.find("\n\nNodes searched: 8902\n"), std::string::npos);
  EXPECT_EQ(Perft(3), 8902u);  // the position is left as it was
}

TEST(PerftDivide, DepthZero) {
  uint64_t total = 0;
  EXPECT_EQ(Divide("4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, total), "\nNodes searched: 1\n");
  EXPECT_EQ(total, 1u);
}

}  // namespace
