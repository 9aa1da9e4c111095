// Start-up: option.txt reading, the size and strength lines, and the first
// lines the engine writes to a GUI.
#include <gtest/gtest.h>

#include <string>

#include "frontend/frontend.h"
#include "search/search.h"
#include "support/engine_process.h"

namespace {

// Reads an option file written into a fresh folder; returns the printed text.
std::string ReadOptions(const std::string& content) {
  vtest::TempDir dir;
  dir.Write("option.txt", content);
  testing::internal::CaptureStdout();
  ReadOptionFile(dir.File("option.txt").c_str());
  return testing::internal::GetCapturedStdout();
}

TEST(OptionFile, DefaultsWhenMissing) {
  vtest::TempDir dir;
  testing::internal::CaptureStdout();
  ReadOptionFile(dir.File("option.txt").c_str());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "Pawn Hash : 3MB\n"
            "Hash Tables: 4MB\n"
            "Hash Eval Table: 2MB\n"
            "Vessik uses 100% of its strength!\n");
  EXPECT_FALSE(Settings.FutilityEnabled);
  EXPECT_EQ(Settings.TacticalFactor, 25);
  EXPECT_EQ(Settings.HashSize, 4u << 20);
  EXPECT_EQ(Settings.EvalHashSize, 2u << 20);
  EXPECT_EQ(Settings.PawnHashSize, 3u << 20);
  EXPECT_EQ(Settings.Strength, 100);
}

TEST(OptionFile, SizesAreRoundedToAPowerOfTwoEntries) {
  EXPECT_NE(ReadOptions("HASH 10").find("Hash Tables: 8MB\n"), std::string::npos);
  EXPECT_NE(ReadOptions("HASH 48").find("Hash Tables: 32MB\n"), std::string::npos);
  EXPECT_NE(ReadOptions("PAWNHASH 5").find("Pawn Hash : 3MB\n"), std::string::npos);
  std::string one = ReadOptions("PAWNHASH 1");
  EXPECT_NE(one.find("Pawn Hash : 0MB\n"), std::string::npos);
  EXPECT_EQ(Settings.PawnHashSize, 786432u);
  EXPECT_NE(ReadOptions("EVALHASH 3").find("Hash Eval Table: 2MB\n"), std::string::npos);
}

TEST(OptionFile, UnusableSizesBecomeOneMegabyte) {
  for (const char* value : {"0", "-5", "4096", "99999999999"}) {
    ReadOptions(std::string("HASH ") + value + " EVALHASH " + value + " PAWNHASH " + value);
    EXPECT_EQ(Settings.HashSize, 1u << 20) << value;
    EXPECT_EQ(Settings.EvalHashSize, 1u << 20) << value;
    EXPECT_EQ(Settings.PawnHashSize, 786432u) << value;
  }
}

TEST(OptionFile, StrengthIsClampedAndWarned) {
  std::string high = ReadOptions("STRENGTH 150");
  EXPECT_EQ(Settings.Strength, 100);
  EXPECT_NE(high.find("\nVessik uses 100% of its strength!\n"), std::string::npos);
  EXPECT_EQ(high.find("WARNING"), std::string::npos);
  std::string low = ReadOptions("STRENGTH -5");
  EXPECT_EQ(Settings.Strength, 0);
  EXPECT_NE(low.find("\nWARNING: Vessik uses 0% of its strength!\n"), std::string::npos);
}

TEST(OptionFile, KeywordsAreCaseSensitiveWholeWords) {
  ReadOptions("hash 64 FUTILITY = TRUE Futility=TRUE");
  EXPECT_EQ(Settings.HashSize, 4u << 20);
  EXPECT_FALSE(Settings.FutilityEnabled);
}

TEST(OptionFile, EveryKeyword) {
  ReadOptions(
      "FUTILITY=TRUE\nQEDGE -7\nCHAT=TRUE QUANTIZATION=TRUE\tQUICKPV=TRUE ANALYSE_MODE=TRUE\n"
      "MOVEIMMEDIATE=TRUE STRENGTH 40\n");
  EXPECT_TRUE(Settings.FutilityEnabled);
  EXPECT_EQ(Settings.TacticalFactor, -7);
  EXPECT_TRUE(Settings.ChatMode);
  EXPECT_TRUE(Settings.Quantization);
  EXPECT_TRUE(Settings.QuickPv);
  EXPECT_TRUE(Settings.AnalyseOption);
  EXPECT_EQ(Settings.Strength, 40);
  ReadOptions("FUTILITY=TRUE FUTILITY=FALSE CHAT=TRUE CHAT=FALSE QUICKPV=TRUE QUICKPV=FALSE");
  EXPECT_FALSE(Settings.FutilityEnabled);
  EXPECT_FALSE(Settings.ChatMode);
  EXPECT_FALSE(Settings.QuickPv);
}

TEST(OptionFile, LaterKeywordWinsAndEndStopsReading) {
  ReadOptions("HASH 16 HASH 64");
  EXPECT_EQ(Settings.HashSize, 64u << 20);
  ReadOptions("QEDGE 10 END. QEDGE 40 HASH 64");
  EXPECT_EQ(Settings.TacticalFactor, 10);
  EXPECT_EQ(Settings.HashSize, 4u << 20);
}

TEST(OptionFile, NonNumberValueIsReadAsTheNextWord) {
  ReadOptions("HASH EVALHASH 8 QEDGE x1 STRENGTH 10abc");
  EXPECT_EQ(Settings.HashSize, 4u << 20);
  EXPECT_EQ(Settings.EvalHashSize, 8u << 20);
  EXPECT_EQ(Settings.TacticalFactor, 25);
  EXPECT_EQ(Settings.Strength, 10);
}

TEST(OptionFile, VeryLongWordsAreReadSafely) {
  ReadOptions(std::string(5000, 'H') + " HASH 32 " + std::string(300, 'x') + "END.");
  EXPECT_EQ(Settings.HashSize, 32u << 20);
}

TEST(OptionFile, RoundTableBytesKeepsTheHighestPowerOfTwoEntries) {
  EXPECT_EQ(RoundTableBytes(10u << 20, 32), 8u << 20);
  EXPECT_EQ(RoundTableBytes(1u << 20, 24), 786432u);
  EXPECT_EQ(RoundTableBytes(3u << 20, 16), 2u << 20);
  EXPECT_EQ(RoundTableBytes(16, 32), 0u);
}

TEST(Startup, BannerSizesStrengthAndFeatureDoneThenQuit) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("quit\n", dir.Path());
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.Output.find('\x1b'), std::string::npos) << "no escape bytes on a pipe";
  EXPECT_EQ(r.Output.rfind("\n   *****", 0), 0u) << r.Output;
  EXPECT_NE(r.Output.find("Vessik 4.2"), std::string::npos);
  size_t pawn = r.Output.find("Pawn Hash : 3MB\n");
  size_t hash = r.Output.find("Hash Tables: 4MB\n");
  size_t eval = r.Output.find("Hash Eval Table: 2MB\n");
  size_t strength = r.Output.find("Vessik uses 100% of its strength!\n");
  size_t done = r.Output.find("feature done=0\n");
  ASSERT_NE(done, std::string::npos);
  EXPECT_LT(pawn, hash);
  EXPECT_LT(hash, eval);
  EXPECT_LT(eval, strength);
  EXPECT_LT(strength, done);
}

TEST(Startup, BannerIsSevenLinesOfSeventyThreeColumns) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("quit\n", dir.Path());
  ASSERT_EQ(r.Output.compare(0, 1, "\n"), 0);
  size_t pos = 1;
  for (int i = 0; i < 7; i++) {
    size_t nl = r.Output.find('\n', pos);
    ASSERT_NE(nl, std::string::npos);
    std::string line = r.Output.substr(pos, nl - pos);
    EXPECT_EQ(line.size(), 76u) << line;
    EXPECT_EQ(line.compare(0, 4, "   *"), 0) << line;
    EXPECT_EQ(line.back(), '*') << line;
    if (i == 1) {
      EXPECT_NE(line.find("Vessik 4.2"), std::string::npos);
    }
    pos = nl + 1;
  }
  EXPECT_EQ(r.Output.compare(pos, 9, "Pawn Hash"), 0);
}

TEST(Startup, EndOfInputEndsAtOnce) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("", dir.Path(), 5000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
}

TEST(Startup, ReadsOptionFileFromItsFolder) {
  vtest::TempDir dir;
  dir.Write("option.txt", "HASH 16\nSTRENGTH 50\nEND.\n");
  vtest::RunResult r = vtest::RunEngine("quit\n", dir.Path());
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_NE(r.Output.find("Hash Tables: 16MB\n"), std::string::npos);
  EXPECT_NE(r.Output.find("WARNING: Vessik uses 50% of its strength!\n"), std::string::npos);
}

}  // namespace
