// The line reader over a real pipe on file descriptor 0: each row is the
// input, the buffer size, whether the rest of a cut line is dropped, and what
// the reads return in turn ("" once the input has ended).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/stdin_pipe.h"

namespace {

struct Case {
  const char* Name;
  std::string Input;
  int Size;
  bool DropRest;
  std::vector<std::string> Reads;
};

const Case CASES[] = {
    {"CarriageReturnBeforeTheLineEndIsDropped", "quit\r\nnew\nmid\rdle\n", 256, true,
     {"quit\n", "new\n", "mid\rdle\n", ""}},
    {"TheLastLineWithoutLineEnd", "go\nquit", 256, true, {"go\n", "quit", ""}},
    {"ALongLineIsCutAndItsRestDropped", std::string(1000, 'x') + "\nnext\n", 16, true,
     {std::string(14, 'x') + "\n", "next\n"}},
    {"ALineThatJustFits", "abcdefghijklmn\nz\n", 16, true, {"abcdefghijklmn\n", "z\n", ""}},
    {"ALongLineAtTheEndOfInput", std::string(1000, 'x'), 16, true, {std::string(14, 'x'), ""}},
    {"WithoutDropTheRestIsTheNextRead", "abcdefghij\n", 5, false, {"abcd", "efgh", "ij\n", ""}},
    {"NulBytesAreKept", std::string("ab\0cd\nx\n", 8), 256, true, {std::string("ab\0cd\n", 6), "x\n", ""}},
    {"NoInputAtAll", "", 256, true, {""}},
};

class LineReader : public testing::TestWithParam<Case> {};

TEST_P(LineReader, Reads) {
  const Case& c = GetParam();
  vtest::StdinPipe in(c.Input);
  for (const std::string& want : c.Reads) {
    char buf[512];
    const int n = ReadLine(buf, c.Size, c.DropRest);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(n)), want);
  }
  // The end of input must wake a search that polls for input.
  if (c.Reads.back().empty() && c.Size > 1) {
    EXPECT_TRUE(InputEnded() && InputWaiting());
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, LineReader, testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LineReaderWaiting, NothingWaitsOnAnOpenEmptyPipeAndNoKeyIsRead) {
  vtest::StdinFeed feed;
  EXPECT_FALSE(InputWaiting());
  feed.Write("x\n");
  EXPECT_TRUE(InputWaiting());
  EXPECT_FALSE(KeyWaiting()) << "a pipe is no terminal";
  WaitKey();
  EXPECT_EQ(ReadKey(), -1);
  char buf[16];
  EXPECT_EQ(ReadLine(buf, sizeof buf, true), 2) << "nothing consumed";
}

}  // namespace
