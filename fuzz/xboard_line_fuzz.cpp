// Fuzz target: one line of the xboard/console command loop, read by the game
// loop from standard input, which then ends (as a quit).
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vfuzz::QuietEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string line(reinterpret_cast<const char*>(data), size);
  if (!vfuzz::Affordable(line)) return 0;
  vfuzz::RunGameLoop(line);
  return 0;
}
