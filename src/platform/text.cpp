#include "platform/text.h"

#include <cstring>

namespace {

constexpr int64_t MAGNITUDE_CAP = INT64_C(1) << 40;

// An optional sign and decimal digits from p, reading no further than end
// (null: up to the first character that is not a digit). The position past
// the digits, or null when no digit follows the sign.
const char* ScanInteger(const char* p, const char* end, int64_t& value) {
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end || !IsDigit(*p)) return nullptr;
  int64_t v = 0;
  for (; p != end && IsDigit(*p); p++)
    if (v < MAGNITUDE_CAP) v = v * 10 + (*p - '0');
  value = negative ? -v : v;
  return p;
}

}  // namespace

const char* SkipBlanks(const char* p) {
  while (*p && IsBlank(*p)) p++;
  return p;
}

const char* SkipWord(const char* p) {
  p = SkipBlanks(p);
  while (*p && !IsBlank(*p)) p++;
  return p;
}

bool Word::Is(const char* s) const {
  return Text != nullptr && static_cast<int>(std::strlen(s)) == Length && std::strncmp(Text, s, Length) == 0;
}

bool Word::ToInt(int64_t& value) const { return Text != nullptr && WordToInt(Text, Length, value); }

bool WordReader::Next(Word& word) {
  p_ = SkipBlanks(p_);
  if (!*p_) {
    word = Word{};
    return false;
  }
  const char* start = p_;
  while (*p_ && !IsBlank(*p_)) p_++;
  word = Word{start, static_cast<int>(p_ - start)};
  return true;
}

Word NthWord(const char* line, int index) {
  WordReader words(line);
  Word w;
  for (int i = 0; words.Next(w); i++)
    if (i == index) return w;
  return {};
}

bool FirstWordIs(const char* line, const char* word) {
  const char* p = SkipBlanks(line);
  const size_t n = std::strlen(word);
  return std::strncmp(p, word, n) == 0 && (p[n] == 0 || IsBlank(p[n]));
}

bool ReadInt(const char*& p, int32_t& value) {
  int64_t v = 0;
  const char* end = ScanInteger(SkipBlanks(p), nullptr, v);
  if (!end) return false;
  value = static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
  p = end;
  return true;
}

bool WordToInt(const char* text, int length, int64_t& value) {
  int64_t v = 0;
  const char* end = ScanInteger(text, text + length, v);
  if (end != text + length) return false;
  value = v;
  return true;
}
