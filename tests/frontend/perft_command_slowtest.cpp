// The console's perft divide at depth 5 from the start position.
#include <gtest/gtest.h>

#include <string>

#include "support/engine_process.h"

namespace {

TEST(PerftCommand, DivideAtDepthFiveFromTheStart) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("perft 5\nquit\n", dir.Path(), 120000);
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  const std::string done = "feature done=0\n";
  size_t start = r.Output.find(done);
  ASSERT_NE(start, std::string::npos);
  std::string out = r.Output.substr(start + done.size());
  size_t blank = out.find("\n\n");
  ASSERT_NE(blank, std::string::npos) << out;
  std::string divide = out.substr(0, blank + 1);
  int lines = 0;
  for (char c : divide) lines += c == '\n';
  EXPECT_EQ(lines, 20) << divide;
  EXPECT_NE(divide.find("e2e4: 405385\n"), std::string::npos) << divide;
  EXPECT_NE(divide.find("b1c3: 234656\n"), std::string::npos) << divide;
  EXPECT_EQ(out.substr(blank), "\n\nNodes searched: 4865609\n\nPlease wait...\n\n");
}

}  // namespace
