// The search's door: Think with limits and a reporter. A reporter that
// answers a poll with a ponder hit turns the ponder search into a real one,
// and the caller's limits say so afterwards; every root line goes to the
// reporter and none to standard output.
#include "search/search.h"
#include "support/engine.h"

namespace {

class CountingReporter : public SearchReporter {
 public:
  int Polls = 0, Lines = 0, Started = 0, Finished = 0;
  void SearchStarted() override { Started++; }
  void SearchFinished(int) override { Finished++; }
  void Line(int, int) override { Lines++; }
  void Poll() override {
    if (Polls++ == 0) SearchUciPonderHit();
  }
};

TEST(SearchDoor, APonderHitFromThePollIsGivenBack) {
  vtest::FreshEngine();
  ASSERT_TRUE(vtest::SetFen(vtest::KIWIPETE_FEN));
  SearchLimits limits{};
  limits.FixedDepth = true;
  limits.InputPollingAllowed = true;
  limits.ThinkingOutput = true;
  limits.UciPonder = true;
  limits.DepthHint = 1;
  limits.MaxDepth = 6;
  CountingReporter reporter;
  EXPECT_EQ(vtest::Printed([&] { Think(limits, reporter); }), "");
  EXPECT_GT(reporter.Polls, 0);
  EXPECT_FALSE(limits.UciPonder) << "the ponder hit reaches the caller";
  EXPECT_GT(reporter.Lines, 0);
  EXPECT_EQ(reporter.Started, 1);
  EXPECT_EQ(reporter.Finished, 1);
  EXPECT_NE(Srch.PvTable[0][1], 0u);
}

}  // namespace
