// The console's saved games: N.dat byte for byte, N.txt in SAN, the load of
// a saved game, and the failure messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "support/engine_process.h"

namespace {

const std::string QUIT_TEXT = "\nPlease wait...\n\n";
const std::string PROMPT = "Please enter your file name(without extention) : ";
const std::string SAVED = "File saved." + std::string(45, ' ');
const std::string NOT_FOUND = "File not found." + std::string(24, ' ');
const std::string DISK_FULL = "Disk is full." + std::string(20, ' ');

std::string AfterStartup(const std::string& output) {
  const std::string done = "feature done=0\n";
  size_t at = output.find(done);
  return at == std::string::npos ? "<no start-up>" + output : output.substr(at + done.size());
}

std::string Talk(const std::string& input, const vtest::TempDir& dir) {
  vtest::RunResult r = vtest::RunEngine(input, dir.Path(), 30000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  return AfterStartup(r.Output);
}

// The move word layout, written out independently of the engine's helpers.
uint32_t Word(int from, int to, int type, int captured = 0, int promotion = 0) {
  return static_cast<uint32_t>(from | to << 6 | type << 12 | captured << 15 | promotion << 18);
}

int Sq(const char* s) { return (s[0] - 'a') + 8 * (s[1] - '1'); }

std::string DatFile(std::initializer_list<uint32_t> words, int count = -1) {
  if (count < 0) count = static_cast<int>(words.size());
  std::string bytes;
  bytes += static_cast<char>(count & 0xFF);
  bytes += static_cast<char>((count >> 8) & 0xFF);
  for (uint32_t w : words) {
    for (int i = 0; i < 4; i++) bytes += static_cast<char>((w >> (8 * i)) & 0xFF);
  }
  return bytes;
}

const char* RUY_LOPEZ = "force\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\ng8f6\ne1g1\nf6e4\n";

TEST(GameFiles, SaveWritesRawMovesAndConsoleSan) {
  vtest::TempDir dir;
  std::string out = Talk(std::string(RUY_LOPEZ) + "save\ngame1\nquit\n", dir);
  EXPECT_EQ(out, PROMPT + SAVED + QUIT_TEXT);
  EXPECT_EQ(dir.Read("game1.dat"),
            DatFile({Word(Sq("e2"), Sq("e4"), 1), Word(Sq("e7"), Sq("e5"), 1), Word(Sq("g1"), Sq("f3"), 2),
                     Word(Sq("b8"), Sq("c6"), 2), Word(Sq("f1"), Sq("b5"), 3), Word(Sq("g8"), Sq("f6"), 2), 24964,
                     Word(Sq("f6"), Sq("e4"), 2, 1)}));
  EXPECT_EQ(dir.Read("game1.txt"),
            "1.e4    e5   \n"
            "2.Cf3    Cc6   \n"
            "3.Fb5    Cf6   \n"
            "4.O-O    Cxe4   \n");
}

TEST(GameFiles, SanOfEnPassantPromotionAndAnOddCount) {
  vtest::TempDir dir;
  Talk("force\ne2e4\nd7d5\ne4e5\nf7f5\ne5f6\ne8d7\nf6f7\na7a6\nf7g8\nsave\ng\nquit\n", dir);
  EXPECT_EQ(dir.Read("g.txt"),
            "1.e4    d5   \n"
            "2.e5    f5   \n"
            "3.exf6    Rd7   \n"
            "4.f7    a6   \n"
            "5.fxg8=D    ");
  std::string dat = dir.Read("g.dat");
  ASSERT_EQ(dat.size(), 2u + 9 * 4);
  EXPECT_EQ(dat.substr(0, 2), std::string("\x09\x00", 2));
  EXPECT_EQ(dat.substr(2 + 4 * 4, 4), DatFile({Word(Sq("e5"), Sq("f6"), 1)}).substr(2)) << "en passant word";
  EXPECT_EQ(dat.substr(2 + 8 * 4), DatFile({Word(Sq("f7"), Sq("g8"), 1, 2, 5)}).substr(2)) << "promotion word";
}

TEST(GameFiles, LoadReplaysTheSavedGameAndSavesItAgainIdentically) {
  vtest::TempDir dir;
  Talk(std::string(RUY_LOPEZ) + "save\ngame1\nquit\n", dir);
  // The loaded game continues with White to move after 4...Nxe4: 29 moves.
  std::string out = Talk("load\ngame1\nperft 1\nsave\ngame2\nquit\n", dir);
  EXPECT_EQ(out.substr(0, PROMPT.size()), PROMPT);
  EXPECT_NE(out.find("\nNodes searched: 29\n"), std::string::npos) << out;
  EXPECT_EQ(dir.Read("game2.dat"), dir.Read("game1.dat"));
  EXPECT_EQ(dir.Read("game2.txt"), dir.Read("game1.txt"));
  // A loaded game can be taken back like a played one.
  out = Talk("load\ngame1\nundo\nundo\nsave\ngame3\nquit\n", dir);
  EXPECT_EQ(dir.Read("game3.dat").substr(0, 2), std::string("\x06\x00", 2));
}

TEST(GameFiles, LoadOfAMissingFileChangesNothing) {
  vtest::TempDir dir;
  std::string out = Talk("force\ne2e4\nload\nnothere\nperft 1\nquit\n", dir);
  EXPECT_EQ(out.substr(0, PROMPT.size() + NOT_FOUND.size()), PROMPT + NOT_FOUND);
  EXPECT_NE(out.find("Nodes searched: 20\n"), std::string::npos) << "Black still to move after 1.e4";
  EXPECT_FALSE(dir.Exists("nothere.dat"));
}

TEST(GameFiles, SaveIntoAMissingFolderReportsAFailure) {
  vtest::TempDir dir;
  std::string out = Talk("force\ne2e4\nsave\nno/such/folder/g\nping 1\nquit\n", dir);
  EXPECT_EQ(out, PROMPT + DISK_FULL + "pong 1\n" + QUIT_TEXT);
}

TEST(GameFiles, DamagedFilesLoadUpToTheirFirstBadMove) {
  vtest::TempDir dir;
  uint32_t e4 = Word(Sq("e2"), Sq("e4"), 1);
  uint32_t e5 = Word(Sq("e7"), Sq("e5"), 1);
  // An impossible second word, a count beyond the words present, and a count
  // beyond the record's 2048 moves.
  dir.Write("bad.dat", DatFile({e4, Word(Sq("e2"), Sq("e4"), 1), e5}));
  dir.Write("short.dat", DatFile({e4, e5}, 5));
  dir.Write("huge.dat", DatFile({e4}, 0xFFFF));
  dir.Write("empty.dat", "");
  Talk(
      "load\nbad\nsave\nbad2\nload\nshort\nsave\nshort2\nload\nhuge\nsave\nhuge2\nload\nempty\nsave\nempty2\n"
      "quit\n",
      dir);
  EXPECT_EQ(dir.Read("bad2.dat"), DatFile({e4}));
  EXPECT_EQ(dir.Read("short2.dat"), DatFile({e4, e5}));
  EXPECT_EQ(dir.Read("huge2.dat"), DatFile({e4}));
  EXPECT_EQ(dir.Read("empty2.dat"), DatFile({}));
  EXPECT_EQ(dir.Read("empty2.txt"), "");
}

TEST(GameFiles, LongNamesAreCutTo250Characters) {
  vtest::TempDir dir;
  std::string name(300, 'n');
  Talk("save\n" + name + "\nping 1\nquit\n", dir);
  EXPECT_TRUE(dir.Exists(std::string(250, 'n') + ".dat"));
}

}  // namespace
