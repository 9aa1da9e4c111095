// Shared set-up for the search tests: small tables, the settings of a UCI
// session, a new game for the search, and a silent search to a fixed depth.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"

namespace searchtest {

inline void AllocateSmallTables() {
  SearchConfig.HashSize = 1u << 20;
  SearchConfig.EvalHashSize = 256u << 10;
  SearchConfig.PawnHashSize = 24u * 4096;
  ASSERT_EQ(AllocateTableBlocks(), 0);
}

// The UCI defaults for the settings the search reads.
inline void UciSettings() {
  SearchConfig.FutilityEnabled = true;
  SearchConfig.TacticalFactor = 30;
  EvalConfig.Strength = 100;
  SearchConfig.MultiPvCount = 1;
  Settings.XboardOutput = 0;
  Settings.ChatMode = false;
  SearchConfig.Quantization = false;
  SearchConfig.QuickPv = false;
  SearchConfig.AnalyseOption = false;
}

inline void SilentFixedDepth() {
  Clock.FixedDepth = true;
  Clock.InputPollingAllowed = false;
  Clock.ThinkingOutput = false;
  Clock.UciInfinite = Clock.UciPonder = Clock.TestSuiteRunning = false;
  Game.PonderingNow = 0;
  Game.AnalyzeMode = 0;
}

// A new game for the search, then the position (false when SetupFen refuses it).
inline bool NewSearchPosition(const std::string& fen) {
  History.HasSetupStart = false;
  ResetSearchForNewGame();
  return SetupFen(("position fen " + fen).c_str(), 2, false);
}

inline std::string Coord(Move m) { return MoveToCoordString(m); }

inline std::string BestMove() { return Coord(Srch.PvTable[0][1]); }

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AllocateSmallTables();
    UciSettings();
    SilentFixedDepth();
    History.HasSetupStart = false;
    ResetEvalTables();
    ResetSearchForNewGame();
  }
  // Sets up a position for a search from a new game; fails the test when refused.
  void Position(const std::string& fen) { ASSERT_TRUE(NewSearchPosition(fen)) << fen; }
};

}  // namespace searchtest
