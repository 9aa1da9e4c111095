// A real UCI client's conformance check, when the tool is there.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/engine_process.h"

namespace {

// fastchess's own conformance check, step by step, when the tool is there.
TEST(UciClient, FastchessCompliance) {
  const std::string tool = std::string(VESSIK_SOURCE_DIR) + "/../shared/tools/fastchess";
  if (FILE* f = std::fopen(tool.c_str(), "rb")) {
    std::fclose(f);
  } else {
    GTEST_SKIP() << "fastchess not found at " << tool << ": compliance check skipped";
  }
  vtest::TempDir dir;
  vtest::EngineProcess run(dir.Path(), tool, {"--compliance", VESSIK_BINARY});
  std::string line, text;
  while (run.ReadLine(line, 60000)) text += line + "\n";
  EXPECT_EQ(run.Wait(10000), 0) << text;
  EXPECT_EQ(text.find("Failed"), std::string::npos) << text;
}

}  // namespace
