// The engine options an interface can set: one table for the UCI option
// lines and setoption, the xboard option features and option command, and
// the defaults of a UCI session.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "position/position.h"
#include "search/search.h"

namespace {

enum OptionType { OPTION_CHECK, OPTION_SPIN, OPTION_BUTTON };

struct EngineOption {
  const char* Name;
  OptionType Type;
  int Min, Max, Default;     // a check holds 0 or 1
  bool Xboard;               // offered in the xboard option features
  int (*Current)();          // the value in use (xboard features); null for none
  void (*Set)(int value);    // value already within Min..Max; null for none
  void (*Reset)();           // what the UCI handshake sets; null for nothing
};

int Clamp(int64_t v, int low, int high) { return static_cast<int>(v < low ? low : v > high ? high : v); }

void SetMultiPv(int v) { SearchConfig.MultiPvCount = v; }
void SetHash(int mb) { ResizeTables(mb, true); }
void ClearHash(int) { ClearHashTables(); }
// No positional knowledge at all is not offered: 0 means 1 percent.
void SetStrength(int v) {
  EvalConfig.Strength = v == 0 ? 1 : v;
  ScaleEvalTables(EvalConfig.Strength);
}
int CurrentStrength() { return EvalConfig.Strength; }
// The handshake takes the UCI figure; the tables keep the scaling option.txt
// gave them until the option is set.
void ResetStrength() { EvalConfig.Strength = 100; }
void SetFutility(int v) { SearchConfig.FutilityEnabled = v != 0; }
int CurrentFutility() { return SearchConfig.FutilityEnabled ? 1 : 0; }
void ResetFutility() { SearchConfig.FutilityEnabled = true; }
void SetTactical(int v) { SearchConfig.TacticalFactor = v; }
int CurrentTactical() { return Clamp(SearchConfig.TacticalFactor, 0, 60); }
void ResetTactical() { SearchConfig.TacticalFactor = 30; }
void SetAnalyse(int v) { SearchConfig.AnalyseOption = v != 0; }
void ResetAnalyse() { SearchConfig.AnalyseOption = false; }
void SetOverhead(int v) { Settings.MoveOverheadMs = v; }
void ResetOverhead() { Settings.MoveOverheadMs = 50; }
void SetOwnBook(int v) { Settings.OwnBook = v != 0; }
int CurrentOwnBook() { return Settings.OwnBook ? 1 : 0; }
void ResetOwnBook() { Settings.OwnBook = true; }

// In the order the UCI handshake lists them.
const EngineOption Options[] = {
    {"Ponder", OPTION_CHECK, 0, 1, 1, false, nullptr, nullptr, nullptr},
    {"MultiPV", OPTION_SPIN, 1, MAX_MULTI_PV, 1, false, nullptr, SetMultiPv, nullptr},
    {"Hash", OPTION_SPIN, 6, 1024, 16, false, nullptr, SetHash, nullptr},
    {"Clear Hash", OPTION_BUTTON, 0, 0, 0, false, nullptr, ClearHash, nullptr},
    {"Positional strength", OPTION_SPIN, 0, 100, 100, true, CurrentStrength, SetStrength, ResetStrength},
    {"Futility", OPTION_CHECK, 0, 1, 1, true, CurrentFutility, SetFutility, ResetFutility},
    {"Tactical factor", OPTION_SPIN, 0, 60, 30, true, CurrentTactical, SetTactical, ResetTactical},
    {"Analyse mode", OPTION_CHECK, 0, 1, 0, false, nullptr, SetAnalyse, ResetAnalyse},
    {"Threads", OPTION_SPIN, 1, 1, 1, false, nullptr, nullptr, nullptr},
    {"Move Overhead", OPTION_SPIN, 0, 5000, 50, false, nullptr, SetOverhead, ResetOverhead},
    {"OwnBook", OPTION_CHECK, 0, 1, 1, true, CurrentOwnBook, SetOwnBook, ResetOwnBook},
};

const EngineOption* FindOption(const char* name, int length) {
  for (const EngineOption& o : Options)
    if (static_cast<int>(std::strlen(o.Name)) == length && std::strncmp(o.Name, name, length) == 0) return &o;
  return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A decimal integer with an optional sign and nothing else.
bool WordToInt(const char* text, int length, int64_t& value) {
  int i = 0;
  bool negative = false;
  if (length > 0 && (text[0] == '+' || text[0] == '-')) negative = text[i++] == '-';
  if (i >= length) return false;
  int64_t v = 0;
  for (; i < length; i++) {
    if (text[i] < '0' || text[i] > '9') return false;
    if (v < (INT64_C(1) << 40)) v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

void Apply(const EngineOption& o, int value) {
  if (o.Set) o.Set(value);
}

}  // namespace

void PrintUciOptions() {
  for (const EngineOption& o : Options) {
    switch (o.Type) {
      case OPTION_CHECK:
        std::printf("option name %s type check default %s\n", o.Name, o.Default ? "true" : "false");
        break;
      case OPTION_SPIN:
        std::printf("option name %s type spin min %d max %d default %d\n", o.Name, o.Min, o.Max, o.Default);
        break;
      case OPTION_BUTTON:
        std::printf("option name %s type button\n", o.Name);
        break;
    }
  }
}

void ResetUciOptions() {
  for (const EngineOption& o : Options)
    if (o.Reset) o.Reset();
}

bool SetUciOption(const char* name, int nameLength, const char* value, int valueLength) {
  const EngineOption* o = FindOption(name, nameLength);
  if (!o) return false;
  if (o->Type == OPTION_BUTTON) {
    Apply(*o, 0);
  } else if (value == nullptr) {
    return false;  // "value" is missing: the line names no setting
  } else if (o->Type == OPTION_CHECK) {
    // Only the exact word of the other state changes a check from its default.
    const char* other = o->Default ? "false" : "true";
    const bool flips = valueLength == static_cast<int>(std::strlen(other)) && std::strncmp(value, other, valueLength) == 0;
    Apply(*o, flips ? !o->Default : o->Default);
  } else {
    // Values that are not numbers leave the option alone.
    int64_t n;
    if (WordToInt(value, valueLength, n)) Apply(*o, Clamp(n, o->Min, o->Max));
  }
  return true;
}

void PrintXboardOptionFeatures() {
  for (const EngineOption& o : Options) {
    if (!o.Xboard) continue;
    if (o.Type == OPTION_CHECK)
      std::printf("feature option=\"%s -check %d\"\n", o.Name, o.Current());
    else
      std::printf("feature option=\"%s -spin %d %d %d\"\n", o.Name, o.Current(), o.Min, o.Max);
  }
}

bool SetXboardOption(const char* text) {
  const char* equals = std::strchr(text, '=');
  if (!equals) return false;
  const char* end = equals;
  while (end > text && IsBlank(end[-1])) end--;
  const EngineOption* o = FindOption(text, static_cast<int>(end - text));
  if (!o || !o->Xboard) return false;
  const char* v = equals + 1;
  while (*v && IsBlank(*v)) v++;
  const char* vEnd = v;
  while (*vEnd && !IsBlank(*vEnd)) vEnd++;
  int64_t n;
  if (!WordToInt(v, static_cast<int>(vEnd - v), n)) return false;
  Apply(*o, o->Type == OPTION_CHECK ? (n != 0) : Clamp(n, o->Min, o->Max));
  return true;
}
