// The bench's node total is the search's signature (README gives it; a change
// of the search that changes it must update both): the same from the command
// line and from a UCI session, whatever option.txt and the options say.
#include "frontend/session.h"

namespace {

const std::string SIGNATURE = "Nodes searched: 21374082\n";

TEST(BenchSignature, CommandLineBench) {
  vtest::TempDir dir;
  dir.Write("option.txt", "FUTILITY=FALSE QEDGE 0 STRENGTH 40 HASH 64\n");
  const vtest::RunResult r = vtest::RunEngine("", dir.Path(), 300000, {"bench"});
  EXPECT_EQ(r.ExitStatus, 0);
  // The two lines that testing frameworks read end it; no banner, no log.
  EXPECT_TRUE(std::regex_search(r.Output, std::regex("\n" + SIGNATURE + "Nodes/second: [0-9]+\n$"))) << r.Output;
  EXPECT_EQ(r.Output.find("Vessik 4.2"), std::string::npos);
  EXPECT_FALSE(dir.Exists("log.txt"));
}

TEST(BenchSignature, UciBenchWithOtherOptionsAndThePositionAfterwards) {
  vtest::TempDir dir;
  dir.Write("option.txt", "STRENGTH 40 CHAT=TRUE QUANTIZATION=TRUE\n");
  const std::string replies = fe::Talk(
      "uci\nsetoption name Hash value 64\nsetoption name Positional strength value 30\n"
      "setoption name Futility value false\nsetoption name MultiPV value 3\nsetoption name Tactical factor value 0\n"
      "setoption name Analyse mode value true\n"
      "position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\nbench\nsetoption name MultiPV value 1\n"
      "setoption name Analyse mode value false\ngo depth 3\n",
      dir, "bestmove");
  EXPECT_NE(replies.find("\n" + SIGNATURE), std::string::npos) << replies;
  EXPECT_NE(replies.find("\nbestmove g6g7\n"), std::string::npos) << "the position of the session is back: Qg7 mates";
}

}  // namespace
