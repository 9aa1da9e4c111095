// The engine options an interface can set: one table for the UCI option
// lines and setoption, the xboard option features and option command, the
// option.txt keywords of the same settings, the values the engine starts
// with and the defaults of a UCI session.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "platform/text.h"
#include "frontend/game_record.h"
#include "position/position.h"
#include "search/search.h"

namespace {

enum OptionType { OPTION_CHECK, OPTION_SPIN, OPTION_BUTTON };

struct EngineOption {
  const char* Name;
  OptionType Type;
  int Min, Max;
  int Default;               // what the UCI handshake stores; a check holds 0 or 1
  int Start;                 // what the engine starts with, before option.txt
  const char* FileKey;       // its keyword in option.txt; null for none
  bool Xboard;               // offered in the xboard option features
  int (*Current)();          // the value in use (xboard features); null for none
  void (*Store)(int value);  // the setting as given, nothing else; null for none
  void (*Set)(int value);    // an interface's value, within Min..Max; null: Store
};

int Clamp(int64_t v, int low, int high) { return static_cast<int>(v < low ? low : v > high ? high : v); }

void StoreMultiPv(int v) { SearchConfig.MultiPvCount = v; }
void SetHash(int mb) { ResizeTables(mb, true); }
void ClearHash(int) { ClearHashTables(); }
// The handshake and option.txt store the figure alone: the tables are scaled
// once option.txt has been read, and keep that scaling until the option is set.
void StoreStrength(int v) { EvalConfig.Strength = v; }
// No positional knowledge at all is not offered: 0 means 1 percent.
void SetStrength(int v) {
  EvalConfig.Strength = v == 0 ? 1 : v;
  ScaleEvalTables(EvalConfig.Strength);
}
int CurrentStrength() { return EvalConfig.Strength; }
void StoreFutility(int v) { SearchConfig.FutilityEnabled = v != 0; }
int CurrentFutility() { return SearchConfig.FutilityEnabled ? 1 : 0; }
void StoreTactical(int v) { SearchConfig.TacticalFactor = v; }
int CurrentTactical() { return Clamp(SearchConfig.TacticalFactor, 0, 60); }
void StoreAnalyse(int v) { SearchConfig.AnalyseOption = v != 0; }
void StoreOverhead(int v) { Settings.MoveOverheadMs = v; }
void StoreOwnBook(int v) { Settings.OwnBook = v != 0; }
int CurrentOwnBook() { return Settings.OwnBook ? 1 : 0; }
// Read by the next position set-up; ucinewgame leaves it alone.
void StoreChess960(int v) { Chess960Variant = v != 0; }

// In the order the UCI handshake lists them.
const EngineOption Options[] = {
    {"Ponder", OPTION_CHECK, 0, 1, 1, 1, nullptr, false, nullptr, nullptr, nullptr},
    {"MultiPV", OPTION_SPIN, 1, MAX_MULTI_PV, 1, 1, nullptr, false, nullptr, StoreMultiPv, nullptr},
    {"Hash", OPTION_SPIN, 6, 1024, 16, 16, nullptr, false, nullptr, nullptr, SetHash},
    {"Clear Hash", OPTION_BUTTON, 0, 0, 0, 0, nullptr, false, nullptr, nullptr, ClearHash},
    {"Positional strength", OPTION_SPIN, 0, 100, 100, 100, "STRENGTH", true, CurrentStrength, StoreStrength,
     SetStrength},
    {"Futility", OPTION_CHECK, 0, 1, 1, 0, "FUTILITY", true, CurrentFutility, StoreFutility, nullptr},
    {"Tactical factor", OPTION_SPIN, 0, 60, 30, 25, "QEDGE", true, CurrentTactical, StoreTactical, nullptr},
    {"Analyse mode", OPTION_CHECK, 0, 1, 0, 0, "ANALYSE_MODE", false, nullptr, StoreAnalyse, nullptr},
    {"Threads", OPTION_SPIN, 1, 1, 1, 1, nullptr, false, nullptr, nullptr, nullptr},
    {"Move Overhead", OPTION_SPIN, 0, 5000, 50, 0, nullptr, false, nullptr, StoreOverhead, nullptr},
    {"OwnBook", OPTION_CHECK, 0, 1, 1, 1, nullptr, true, CurrentOwnBook, StoreOwnBook, nullptr},
    {"UCI_Chess960", OPTION_CHECK, 0, 1, 0, 0, nullptr, false, nullptr, StoreChess960, nullptr},
};

const EngineOption* FindOption(const char* name, int length) {
  for (const EngineOption& o : Options)
    if (static_cast<int>(std::strlen(o.Name)) == length && std::strncmp(o.Name, name, length) == 0) return &o;
  return nullptr;
}

void Apply(const EngineOption& o, int value) {
  if (o.Set)
    o.Set(value);
  else if (o.Store)
    o.Store(value);
}

bool TextIs(const char* text, int length, const char* s) {
  return static_cast<int>(std::strlen(s)) == length && std::strncmp(text, s, length) == 0;
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
    if (o.Store) o.Store(o.Default);
}

void ResetStartOptions() {
  for (const EngineOption& o : Options)
    if (o.Store) o.Store(o.Start);
}

bool StoreFileOption(const char* word, int length, const char*& rest) {
  for (const EngineOption& o : Options) {
    if (!o.FileKey) continue;
    const int keyLength = static_cast<int>(std::strlen(o.FileKey));
    if (length < keyLength || std::strncmp(word, o.FileKey, keyLength) != 0) continue;
    const char* tail = word + keyLength;
    const int tailLength = length - keyLength;
    if (o.Type == OPTION_CHECK) {
      if (TextIs(tail, tailLength, "=TRUE")) o.Store(1);
      else if (TextIs(tail, tailLength, "=FALSE")) o.Store(0);
      else continue;
      return true;
    }
    if (tailLength != 0) continue;
    int32_t value;
    if (ReadInt(rest, value)) o.Store(value);
    return true;
  }
  return false;
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
