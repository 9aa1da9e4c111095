// Shared set-up of the fuzz targets: a quiet engine with small tables, in a
// folder of its own, and one run of the game loop over a given input.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/frontend.h"
#include "platform/platform.h"
#include "search/search.h"
#include "support/stdin_pipe.h"

namespace vfuzz {

// The engine's replies go nowhere (libFuzzer reports on stderr), and the files
// it writes (log.txt, Error.txt, saved games) land in a fresh folder.
inline void QuietEngine() {
  PlatformInit();
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, 1);
  char folder[] = "/tmp/vessik-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  ReadOptionFile("no-option-file");
  if (AllocateTableBlocks() != 0) std::abort();
}

// Commands whose cost is theirs by design, not a fault: perft beyond depth 4
// and the benchmark. Inputs that contain them are not run.
inline bool Affordable(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower.find("bench") != std::string::npos) return false;
  const size_t perft = lower.find("perft");
  if (perft == std::string::npos) return true;
  for (size_t i = perft; i < lower.size(); i++)
    if (lower[i] >= '4' && lower[i] <= '9') return false;
  return true;
}

// The game loop over input (which must fit a pipe's buffer), to its end.
inline void RunGameLoop(const std::string& input) {
  vtest::StdinPipe in(input);
  GameLoop();
}

}  // namespace vfuzz
