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
  Settings.HashSize = 1u << 20;
  Settings.EvalHashSize = 256u << 10;
  Settings.PawnHashSize = 24u * 4096;
  ASSERT_EQ(AllocateTableBlocks(), 0);
}

// The UCI defaults for the settings the search reads.
inline void UciSettings() {
  Settings.FutilityEnabled = true;
  Settings.TacticalFactor = 30;
  Settings.Strength = 100;
  Settings.MultiPvCount = 1;
  Settings.XboardOutput = 0;
  Settings.ChatMode = false;
  Settings.Quantization = false;
  Settings.QuickPv = false;
  Settings.AnalyseOption = false;
}

inline void SilentFixedDepth() {
  Srch.FixedDepth = true;
  Srch.InputPollingAllowed = false;
  Srch.ThinkingOutput = false;
  Srch.UciInfinite = Srch.UciPonder = Srch.TestSuiteRunning = false;
  Game.PonderingNow = 0;
  Game.AnalyzeMode = 0;
}

// A new game for the search, then the position (false when SetupFen refuses it).
inline bool NewSearchPosition(const std::string& fen) {
  Game.HasSetupStart = false;
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
    Game.HasSetupStart = false;
    ResetEvalTables();
    ResetSearchForNewGame();
  }
  // Sets up a position for a search from a new game; fails the test when refused.
  void Position(const std::string& fen) { ASSERT_TRUE(NewSearchPosition(fen)) << fen; }
};

}  // namespace searchtest
