// Fuzz target: one line of the UCI loop, read from standard input, which then
// ends (as a quit). The handshake runs once; each line starts from the same
// state: the settings after the handshake, 16 MB of tables, the start position.
#include <cstdint>
#include <string>

#include "eval/eval.h"
#include "frontend/uci_internal.h"
#include "fuzz_support.h"
#include "position/position.h"

namespace {

EngineSettings AfterHandshake;
uint32_t HandshakeHashBytes = 0;

void BackToTheHandshake() {
  if (EvalConfig.Strength != AfterHandshake.Strength) ScaleEvalTables(AfterHandshake.Strength);
  Settings = AfterHandshake;
  if (Tables.HashBytes != HandshakeHashBytes) AllocateHashTables(16);
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
