// The integer readers of command lines: each row is the text, what the "%d"
// reader gives (and how much of the text it takes), and what the whole-word
// reader gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/text.h"

namespace {

// ReadInt finds a number (Read), this one (Value), after this many characters
// (Taken); WordToInt takes the whole text (Whole) as WholeValue.
struct Case { const char* Name; const char* Text; bool Read; int32_t Value; int Taken; bool Whole; int64_t WholeValue; };

const Case CASES[] = {
    {"Plain", "42", true, 42, 2, true, 42}, {"BlanksFirst", " \t\n\v\f\r7 x", true, 7, 7, false, 0},
    {"Signs", "-15", true, -15, 3, true, -15}, {"PlusSign", "+8", true, 8, 2, true, 8},
    {"StopsAtTheFirstNonDigit", "12ab", true, 12, 2, false, 0}, {"NoDigits", "abc", false, 0, 0, false, 0},
    {"SignAlone", "-", false, 0, 0, false, 0}, {"SignThenBlank", "- 5", false, 0, 0, false, 0},
    {"Empty", "", false, 0, 0, false, 0}, {"SaturatesHigh", "99999999999999999999", true, INT32_MAX, 20, true, 9999999999999},
    {"SaturatesLow", "-99999999999", true, INT32_MIN, 12, true, -99999999999}, {"IntRangeEdges", "-2147483648", true, INT32_MIN, 11, true, -2147483648LL},
    {"JustAboveTheRange", "2147483648", true, INT32_MAX, 10, true, 2147483648LL},
};

class IntegerReaders : public testing::TestWithParam<Case> {};

TEST_P(IntegerReaders, Read) {
  const Case& c = GetParam();
  const char* p = c.Text;
  int32_t value = -1;
  EXPECT_EQ(ReadInt(p, value), c.Read);
  if (c.Read) {
    EXPECT_EQ(value, c.Value);
  }
  EXPECT_EQ(p - c.Text, c.Read ? c.Taken : 0);
  int64_t whole = -1;
  EXPECT_EQ(WordToInt(c.Text, static_cast<int>(std::strlen(c.Text)), whole), c.Whole);
  if (c.Whole) {
    EXPECT_EQ(whole, c.WholeValue);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, IntegerReaders, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.Name; });

TEST(Words, ReadInPlaceWithTheirPositions) {
  const char* line = "  position\tfen  x ";
  EXPECT_TRUE(NthWord(line, 1).Is("fen"));
  EXPECT_TRUE(NthWord(line, 2).Is("x"));
  EXPECT_FALSE(NthWord(line, 3).Present());
  EXPECT_TRUE(FirstWordIs(line, "position"));
  EXPECT_FALSE(FirstWordIs(line, "pos"));
  EXPECT_STREQ(SkipWord(line), "\tfen  x ");
}

}  // namespace
