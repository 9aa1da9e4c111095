// Front end: start-up and option.txt, position input, the console/xboard
// command loop, the game loop, UCI and chat.
#pragma once

#include <cstdint>

struct EngineSettings {
  bool FutilityEnabled;
  int32_t TacticalFactor;
  uint32_t HashSize;       // bytes, both transposition halves together
  uint32_t EvalHashSize;   // bytes
  uint32_t PawnHashSize;   // bytes
  bool ChatMode;
  bool Quantization;
  bool QuickPv;
  bool AnalyseOption;
  int32_t Strength;        // percent, 0..100
  int MultiPvCount;        // UCI MultiPV, 1 outside UCI
  int XboardOutput;        // 1: xboard thinking lines, 0: UCI info lines
};
extern EngineSettings Settings;

// Banner, option.txt, table allocation, then the game loop. Returns the exit status.
int RunEngine();

void PrintBanner();
// Sets the defaults, reads option.txt from the current directory (if it opens),
// rounds the table sizes and prints the three size lines and the strength line.
void ReadOptionFile(const char* path);

// The game loop; returns when a quit command (or the end of input) ends the program.
void GameLoop();
