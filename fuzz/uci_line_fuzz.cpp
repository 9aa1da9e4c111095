// Fuzz target: one line of the UCI loop, read from standard input, which then
// ends (as a quit). The handshake runs once; each line starts from the same
// state: the settings after the handshake, 16 MB of tables, the start position.
#include <cstdint>
#include <string>

#include "eval/eval.h"
#include "frontend/game_record.h"
#include "frontend/uci_internal.h"
#include "fuzz_support.h"
#include "position/position.h"

namespace {

EngineSettings AfterHandshake;
SearchSettings SearchAfterHandshake;
EvalSettings EvalAfterHandshake;
uint32_t HandshakeHashBytes = 0;

void BackToTheHandshake() {
  if (EvalConfig.Strength != EvalAfterHandshake.Strength) ScaleEvalTables(EvalAfterHandshake.Strength);
  Settings = AfterHandshake;
  SearchConfig = SearchAfterHandshake;
  EvalConfig = EvalAfterHandshake;
  if (Tables.HashBytes != HandshakeHashBytes) ResizeTables(16, false);
  ClearPendingLines();
  Game.EndOfInputSeen = false;
  Game.QuitRequested = 0;
  UciExecuteLine("position startpos\n");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vfuzz::QuietEngine();
  vfuzz::RunGameLoop("uci\n");
  AfterHandshake = Settings;
  SearchAfterHandshake = SearchConfig;
  EvalAfterHandshake = EvalConfig;
  HandshakeHashBytes = Tables.HashBytes;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string line(reinterpret_cast<const char*>(data), size);
  if (!vfuzz::Affordable(line)) return 0;
  BackToTheHandshake();
  vtest::StdinPipe in(line);
  UciLoop();
  return 0;
}
