// The bench's node total is the search's signature: the same from the command
// line and from a UCI session, whatever option.txt and the options say.
#include <gtest/gtest.h>

#include <string>

#include "support/engine_process.h"

namespace {

// Written in README; a change of the search that changes it must update both.
const std::string SIGNATURE = "Nodes searched: 21374082\n";

std::string NodesLine(const std::string& output) {
  const size_t at = output.find("Nodes searched: ");
  if (at == std::string::npos) return "<none>";
  return output.substr(at, output.find('\n', at) + 1 - at);
}

TEST(BenchSignature, CommandLineBench) {
  vtest::TempDir dir;
  dir.Write("option.txt", "FUTILITY=FALSE QEDGE 0 STRENGTH 40 HASH 64\n");
  vtest::RunResult r = vtest::RunEngine("", dir.Path(), 300000, {"bench"});
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(NodesLine(r.Output), SIGNATURE);
  // It ends with the two lines that testing frameworks read.
  const size_t at = r.Output.find(SIGNATURE);
  ASSERT_NE(at, std::string::npos);
  const std::string tail = r.Output.substr(at + SIGNATURE.size());
  EXPECT_EQ(tail.rfind("Nodes/second: ", 0), 0u) << tail;
  EXPECT_EQ(tail.find('\n'), tail.size() - 1) << tail;
  EXPECT_EQ(r.Output.find("Vessik 4.2"), std::string::npos) << "no banner";
  EXPECT_FALSE(dir.Exists("log.txt"));
}

TEST(BenchSignature, UciBenchWithOtherOptionsAndThePositionAfterwards) {
  vtest::TempDir dir;
  dir.Write("option.txt", "STRENGTH 40 CHAT=TRUE QUANTIZATION=TRUE\n");
  vtest::RunResult r = vtest::RunEngine(
      "uci\nsetoption name Hash value 64\nsetoption name Positional strength value 30\n"
      "setoption name Futility value false\nsetoption name MultiPV value 3\n"
      "setoption name Tactical factor value 0\nsetoption name Analyse mode value true\n"
      "position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\nbench\nsetoption name MultiPV value 1\nsetoption name Analyse mode value false\ngo depth 3\nquit\n",
      dir.Path(), 300000);
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(NodesLine(r.Output), SIGNATURE);
  // The position of the session is back: Qg7 mates.
  EXPECT_NE(r.Output.find("bestmove g6g7\n"), std::string::npos) << r.Output;
}

}  // namespace
