// The line reader over fd 0: line ends, carriage returns, over-long lines and
// the end of input, fed through a real pipe on file descriptor 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace {

class StdinPipe {
 public:
  explicit StdinPipe(const std::string& data) {
    saved_ = dup(0);
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    dup2(fds[0], 0);
    close(fds[0]);
    EXPECT_EQ(write(fds[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fds[1]);
    ResetInputForTests();
  }
  ~StdinPipe() {
    dup2(saved_, 0);
    close(saved_);
    ResetInputForTests();
  }

 private:
  int saved_;
};

std::string Line(int size, bool dropRest) {
  char buf[512];
  int n = ReadLine(buf, size, dropRest);
  return std::string(buf, static_cast<size_t>(n));
}

TEST(LineReader, ReadsLinesAndDropsCarriageReturnBeforeLineEnd) {
  StdinPipe in("quit\r\nnew\nmid\rdle\n");
  EXPECT_EQ(Line(256, true), "quit\n");
  EXPECT_EQ(Line(256, true), "new\n");
  EXPECT_EQ(Line(256, true), "mid\rdle\n");
  EXPECT_FALSE(InputEnded());
  EXPECT_EQ(Line(256, true), "");
  EXPECT_TRUE(InputEnded());
  EXPECT_TRUE(InputWaiting()) << "the end of input must wake a polling search";
}

TEST(LineReader, LastLineWithoutLineEndIsReturnedWithoutOne) {
  StdinPipe in("go\nquit");
  EXPECT_EQ(Line(256, true), "go\n");
  EXPECT_EQ(Line(256, true), "quit");
  EXPECT_EQ(Line(256, true), "");
  EXPECT_TRUE(InputEnded());
}

TEST(LineReader, OverLongLineIsCutAndItsRestDropped) {
  std::string longLine(1000, 'x');
  StdinPipe in(longLine + "\nnext\n");
  std::string first = Line(16, true);
  EXPECT_EQ(first, std::string(14, 'x') + "\n");
  EXPECT_EQ(Line(16, true), "next\n");
}

TEST(LineReader, FgetsStyleLeavesTheRestForTheNextRead) {
  StdinPipe in("abcdefghij\n");
  EXPECT_EQ(Line(5, false), "abcd");
  EXPECT_EQ(Line(5, false), "efgh");
  EXPECT_EQ(Line(5, false), "ij\n");
}

TEST(LineReader, WordsSkipSpaceAndTruncateLongOnes) {
  StdinPipe in("  game1 \n" + std::string(300, 'a') + " b");
  char word[256];
  EXPECT_EQ(ReadWord(word, sizeof word), 5);
  EXPECT_STREQ(word, "game1");
  EXPECT_EQ(ReadWord(word, sizeof word), 255);
  EXPECT_EQ(std::string(word), std::string(255, 'a'));
  EXPECT_EQ(ReadWord(word, sizeof word), 1);
  EXPECT_STREQ(word, "b");
  EXPECT_EQ(ReadWord(word, sizeof word), 0);
}

TEST(LineReader, NothingWaitingOnAnOpenEmptyPipe) {
  int saved = dup(0);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  dup2(fds[0], 0);
  close(fds[0]);
  ResetInputForTests();
  EXPECT_FALSE(InputWaiting());
  ASSERT_EQ(write(fds[1], "x\n", 2), 2);
  EXPECT_TRUE(InputWaiting());
  close(fds[1]);
  dup2(saved, 0);
  close(saved);
  ResetInputForTests();
}

TEST(KeyPress, WaitReturnsAtOnceOnAPipeAndConsumesNothing) {
  StdinPipe in("line\n");
  EXPECT_FALSE(KeyWaiting());
  WaitKey();
  EXPECT_EQ(ReadKey(), -1);
  EXPECT_EQ(Line(256, true), "line\n");
}

TEST(Clock, TicksAdvanceMonotonically) {
  int64_t a = TickMs();
  int64_t b = TickMs();
  EXPECT_LE(a, b);
  EXPECT_GT(SecondsNow(), 1700000000);
}

}  // namespace
