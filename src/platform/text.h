// Words and numbers of command lines and option files, read in place: one
// notion of white space, one word reader and one integer reader for every
// part of the engine that reads text.
#pragma once

#include <cstdint>

// White space between words: the characters isspace gives in the C locale.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// p moved past any white space.
const char* SkipBlanks(const char* p);
// p moved past any white space and the word after it.
const char* SkipWord(const char* p);

// A white-space delimited word of a line, in place; absent past the last word.
struct Word {
  const char* Text = nullptr;
  int Length = 0;
  bool Present() const { return Text != nullptr; }
  bool Is(const char* s) const;
  // The whole word as a decimal integer with an optional sign; false when
  // anything else is in it. The magnitude stops growing past 2^40, far beyond
  // every range a caller clamps it to.
  bool ToInt(int64_t& value) const;
};

// The words of a line, one after the other.
class WordReader {
 public:
  explicit WordReader(const char* line) : p_(line) {}
  bool Next(Word& word);  // false, with word absent, at the end of the line
  const char* Rest() const { return p_; }

 private:
  const char* p_;
};

// Word number `index` (0 = first) of the line; absent when the line is shorter.
Word NthWord(const char* line, int index);

// True when the first word of the line is `word`.
bool FirstWordIs(const char* line, const char* word);

// A decimal integer the way "%d" reads one: white space, an optional sign,
// digits, saturating at the int range. On success p moves past the digits;
// false, with p unchanged, when no digit follows.
bool ReadInt(const char*& p, int32_t& value);

// A text of `length` characters as a whole decimal integer, as Word::ToInt.
bool WordToInt(const char* text, int length, int64_t& value);
