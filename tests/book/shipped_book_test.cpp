// The book that ships in run/: Book.bin must be exactly what the engine's own
// makebook builds from Book.pgn, and it must lead a game from the start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_test_util.h"
#include "search/search.h"
#include "support/engine_process.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::string RUN_DIR = std::string(VESSIK_SOURCE_DIR) + "/run/";

TEST(ShippedBook, BookBinIsRebuiltExactlyFromBookPgn) {
  std::string pgn = ReadFile(RUN_DIR + "Book.pgn");
  std::string shipped = ReadFile(RUN_DIR + "Book.bin");
  ASSERT_FALSE(pgn.empty());
  ASSERT_FALSE(shipped.empty());
  vtest::TempDir dir;
  dir.Write("Book.pgn", pgn);
  vtest::RunResult r = vtest::RunEngine("makebook\nquit\n", dir.Path(), 60000);
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.Output.find("Error on book.pgn"), std::string::npos) << r.Output.substr(r.Output.rfind("Line:"));
  EXPECT_NE(r.Output.find("\n\nBook.bin was created successfully."), std::string::npos);
  std::string rebuilt = dir.Read("Book.bin");
  EXPECT_EQ(rebuilt.size(), shipped.size());
  EXPECT_TRUE(rebuilt == shipped) << "run/Book.bin differs from what makebook builds from run/Book.pgn";
  // Every opening line starts a game, and the probe never looks past 512.
  size_t lines = 0;
  for (char c : pgn) lines += c == '.';
  EXPECT_GE(lines, 300u);
  EXPECT_LT(lines, static_cast<size_t>(BOOK_MAX_CANDIDATES));
  EXPECT_LE(shipped.size() / BOOK_RECORD_BYTES, static_cast<size_t>(BOOK_TABLE_SIZE));
}

class ShippedBookPlay : public vtest::BookFolderTest {};

// From the start, book move after book move, both sides stay in the book for
// the first plies whatever the draws, and every move is one the position has.
TEST_F(ShippedBookPlay, BothSidesFollowTheBookFromTheStart) {
  dir_.Write("Book.bin", ReadFile(RUN_DIR + "Book.bin"));
  LoadBook();
  ASSERT_EQ(Book.BookLoaded, 1);
  for (uint32_t seed = 0; seed < 60; seed++) {
    vtest::PlayFromStart({});
    for (int ply = 0; ply < 8; ply++) {
      Move m = ProbeBookWith(FoldSide(Pos.Key, Pos.SideToMove), seed * 977 + ply);
      ASSERT_NE(m, 0u) << "seed " << seed << " ply " << ply;
      ASSERT_EQ(vtest::FindGenerated(MoveToCoordString(m)), m);
      Tree.Ply = 1;
      Tree.HalfmoveClock[1] = 0;
      Tree.MoveAtPly[2] = m;
      MakeMove(m);
      Pos.SideToMove ^= 1;
    }
  }
}

// Think asks the book first: from the start, White's and Black's first moves
// come from the book, with no reply to ponder on and without a search.
TEST_F(ShippedBookPlay, ThinkPlaysBookMovesWithoutSearching) {
  dir_.Write("Book.bin", ReadFile(RUN_DIR + "Book.bin"));
  LoadBook();
  Game.AnalyzeMode = 0;
  Srch.UciInfinite = false;
  vtest::PlayFromStart({});
  for (int ply = 0; ply < 6; ply++) {
    Srch.NodeCount = 12345;
    Game.OutOfBook = 0;
    EXPECT_EQ(Think(1, 60), 0);
    Move m = Srch.PvTable[0][1];
    EXPECT_EQ(Srch.PvTable[0][2], 0u);
    EXPECT_EQ(Srch.NodeCount, 0) << "a book move searches nothing";
    EXPECT_EQ(Game.OutOfBook, 0);
    ASSERT_EQ(vtest::FindGenerated(MoveToCoordString(m)), m) << "ply " << ply;
    Tree.Ply = 1;
    Tree.HalfmoveClock[1] = 0;
    Tree.MoveAtPly[2] = m;
    MakeMove(m);
    Pos.SideToMove ^= 1;
  }
  Book.BookLoaded = 0;
}

}  // namespace
