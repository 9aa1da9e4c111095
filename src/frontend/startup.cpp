// Process start-up: banner, option.txt, table sizes and allocation.
#include <cstdio>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "search/search.h"
#include "tools/tools.h"

EngineSettings Settings;

namespace {

constexpr int BANNER_WIDTH = 73;

void BannerBorder() {
  std::printf("   ");
  for (int i = 0; i < BANNER_WIDTH; i++) std::putchar('*');
  std::printf("\n");
}

void BannerText(const char* text) {
  int inner = BANNER_WIDTH - 2;
  int len = static_cast<int>(std::strlen(text));
  int left = (inner - len) / 2;
  int right = inner - len - left;
  std::printf("   *%*s%s%*s*\n", left, "", text, right, "");
}

void SetDefaultSettings() {
  ResetStartOptions();
  SearchConfig.HashSize = 4u << 20;
  SearchConfig.EvalHashSize = 2u << 20;
  SearchConfig.PawnHashSize = 3;  // megabytes until the whole file has been read
  Settings.ChatMode = false;
  SearchConfig.Quantization = false;
  SearchConfig.QuickPv = false;
  Settings.XboardOutput = 1;
}

// Reads option.txt as a stream of words. Numbers after the valued keywords
// are read the way a "%d" conversion would: white space skipped, an optional
// sign, digits; when there are no digits nothing is consumed and the item is
// read as the next word.
class OptionReader {
 public:
  explicit OptionReader(std::string text) : text_(std::move(text)) {}

  // Next word, at most 255 characters (the rest of a longer word is dropped).
  bool NextWord(std::string& word) {
    SkipSpace();
    if (pos_ >= text_.size()) return false;
    size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) pos_++;
    word.assign(text_, start, std::min<size_t>(pos_ - start, 255));
    return true;
  }

  bool NextNumber(int32_t& value) {
    const char* p = Rest();
    if (!ReadInt(p, value)) return false;
    MoveTo(p);
    return true;
  }

  // The text after the last word or number read, for a reader of its own.
  const char* Rest() const { return text_.c_str() + pos_; }
  void MoveTo(const char* p) { pos_ = static_cast<size_t>(p - text_.c_str()); }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) pos_++;
  }
  std::string text_;
  size_t pos_ = 0;
};

// A table size in megabytes that is 0, negative, or whose byte count does not
// fit in 32 bits would give no usable table: it becomes 1 MB.
uint32_t SaneMegabytes(int32_t mb) { return (mb <= 0 || mb > 4095) ? 1u : static_cast<uint32_t>(mb); }

bool ReadWholeFile(const char* path, std::string& text) {
  FILE* f = std::fopen(path, "r");
  if (!f) return false;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  std::fclose(f);
  return true;
}

}  // namespace

void PrintBanner() {
  BannerBorder();
  BannerText("Vessik 4.2");
  BannerText("a chess engine for xboard, UCI and the console");
  BannerText("");
  BannerText("Type \"new\" for a new game, \"go\" to let the engine move,");
  BannerText("moves like e2e4 to play, \"quit\" to leave.");
  BannerBorder();
}

void ReadOptionFile(const char* path) {
  SetDefaultSettings();
  std::string text;
  if (ReadWholeFile(path, text)) {
    OptionReader reader(text);
    std::string word;
    int32_t value = 0;
    while (reader.NextWord(word)) {
      const char* rest = reader.Rest();
      if (StoreFileOption(word.data(), static_cast<int>(word.size()), rest)) reader.MoveTo(rest);
      else if (word == "HASH") { if (reader.NextNumber(value)) SearchConfig.HashSize = SaneMegabytes(value) << 20; }
      else if (word == "EVALHASH") { if (reader.NextNumber(value)) SearchConfig.EvalHashSize = SaneMegabytes(value) << 20; }
      else if (word == "PAWNHASH") { if (reader.NextNumber(value)) SearchConfig.PawnHashSize = SaneMegabytes(value); }
      else if (word == "MOVEIMMEDIATE=TRUE" || word == "MOVEIMMEDIATE=FALSE") {}
      else if (word == "CHAT=TRUE") Settings.ChatMode = true;
      else if (word == "CHAT=FALSE") Settings.ChatMode = false;
      else if (word == "QUANTIZATION=TRUE") SearchConfig.Quantization = true;
      else if (word == "QUANTIZATION=FALSE") SearchConfig.Quantization = false;
      else if (word == "QUICKPV=FALSE") SearchConfig.QuickPv = false;
      else if (word == "QUICKPV=TRUE") SearchConfig.QuickPv = true;
      if (word == "END.") break;
    }
  }
  if (EvalConfig.Strength < 0) EvalConfig.Strength = 0;
  if (EvalConfig.Strength > 100) EvalConfig.Strength = 100;

  SearchConfig.PawnHashSize = RoundTableBytes(SearchConfig.PawnHashSize << 20, sizeof(PawnHashEntry));
  std::printf("Pawn Hash : %dMB\n", static_cast<int>(SearchConfig.PawnHashSize >> 20));
  SearchConfig.HashSize = RoundTableBytes(SearchConfig.HashSize, 2 * sizeof(HashEntry));
  std::printf("Hash Tables: %dMB\n", static_cast<int>(SearchConfig.HashSize >> 20));
  SearchConfig.EvalHashSize = RoundTableBytes(SearchConfig.EvalHashSize, sizeof(EvalHashEntry));
  std::printf("Hash Eval Table: %dMB\n", static_cast<int>(SearchConfig.EvalHashSize >> 20));
  if (EvalConfig.Strength != 100) std::printf("WARNING: ");
  std::printf("Vessik uses %d%% of its strength!\n", EvalConfig.Strength);
  std::fflush(stdout);

  MirrorEvalTables();
  SaveEvalTables();
  ScaleEvalTables(EvalConfig.Strength);
}

int RunEngine() {
  PlatformInit();
  // Unbuffered from the first byte: every reply reaches the GUI at once, and
  // setvbuf is only defined before the stream's first use.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ConsoleClear();
  std::printf("\n");
  PrintBanner();
  ReadOptionFile("option.txt");

  switch (AllocateTableBlocks()) {
    case 0:
      break;
    case 1:
      std::printf("HASH is too large\n");
      std::fflush(stdout);
      WaitKey();
      return 1;
    default:
      std::printf("Hash Eval is too large!\n");
      std::fflush(stdout);
      WaitKey();
      return 1;
  }

  // An xboard interface takes features until done=1; that comes at the end
  // of the answer to protover, after the features it has to read.
  std::printf("feature done=0\n");
  std::fflush(stdout);
  Srch.StartSeconds = SecondsNow();
  GameLoop();
  return 0;
}

int RunBenchProgram() {
  PlatformInit();
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetDefaultSettings();
  MirrorEvalTables();
  SaveEvalTables();
  std::printf("Bench: %d positions, depth %d\n", BenchPositionCount(), BENCH_DEPTH);
  return RunEngineBench(BENCH_DEPTH, true).Nodes > 0 ? 0 : 1;
}
