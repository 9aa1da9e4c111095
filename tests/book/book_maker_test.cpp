// The book maker: records written byte for byte from small Book.pgn files,
// the matching leniencies, weights, every message, and files that fail.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_test_util.h"

namespace {

using vtest::BookData;
using vtest::BookFolderTest;
using vtest::EntryAfter;
using vtest::RecordBytes;

const char* const SUCCESS = "\n\nBook.bin was created successfully.";

class BookMaker : public BookFolderTest {
 protected:
  // Runs the maker on this Book.pgn; returns what it printed.
  std::string Make(const std::string& pgn) {
    dir_.Write("Book.pgn", pgn);
    testing::internal::CaptureStdout();
    MakeBook();
    return testing::internal::GetCapturedStdout();
  }
  std::string Bin() const { return dir_.Read("Book.bin"); }
  // The move field of record i of the written file.
  Move MoveOf(int i) const {
    std::string b = Bin();
    uint32_t data = 0;
    for (int k = 0; k < 4; k++) data |= static_cast<uint32_t>(static_cast<unsigned char>(b[16 * i + 8 + k])) << 8 * k;
    return data & BOOK_MOVE_MASK;
  }
  int ClassOf(int i) const {
    std::string b = Bin();
    return static_cast<unsigned char>(b[16 * i + 10]) >> 5 | (static_cast<unsigned char>(b[16 * i + 11]) & 1) << 3;
  }
};

TEST_F(BookMaker, ThreeMovesMakeThreeRecords) {
  auto e4 = EntryAfter({}, "e2e4");
  auto e5 = EntryAfter({"e2e4"}, "e7e5");
  auto nf3 = EntryAfter({"e2e4", "e7e5"}, "g1f3");
  std::string out = Make("e4 e5 Cf3 .\n");
  EXPECT_EQ(out, std::string("\nLine:1\nLine:2") + SUCCESS);
  std::string expected = RecordBytes(e4.FoldedKey, BookData(e4.Played, 5)) +
                         RecordBytes(e5.FoldedKey, BookData(e5.Played, 5)) +
                         RecordBytes(nf3.FoldedKey, BookData(nf3.Played, 5));
  EXPECT_EQ(Bin(), expected);
  // The middle record is Black's: its key is the complement of the raw key.
  vtest::PlayFromStart({"e2e4"});
  EXPECT_EQ(e5.FoldedKey, ~Pos.Key);
  EXPECT_EQ(nf3.Played, MakeMoveWord(G1, F3, KNIGHT));
}

TEST_F(BookMaker, ForeignKnightLetterStopsAtTheThirdWord) {
  std::string out = Make("e4 e5 Nf3 .\n");
  EXPECT_EQ(out, "\nLine:1\nError on book.pgn line:1 word:3 move:Nf3\nColor:White");
  auto e4 = EntryAfter({}, "e2e4");
  auto e5 = EntryAfter({"e2e4"}, "e7e5");
  EXPECT_EQ(Bin(), RecordBytes(e4.FoldedKey, BookData(e4.Played, 5)) + RecordBytes(e5.FoldedKey, BookData(e5.Played, 5)));
}

TEST_F(BookMaker, ErrorReportNamesLineWordAndSide) {
  std::string out = Make("d4 d5 .\ne4 e5 Cf3 Cf6 Cg5 Fe4 .\n");
  EXPECT_EQ(out, "\nLine:1\nLine:2\nError on book.pgn line:2 word:6 move:Fe4\nColor:Black");
  EXPECT_EQ(Bin().size(), 7u * 16);
}

TEST_F(BookMaker, WeightClassFromTheParenthesis) {
  Make("e4(9) e5(0) Cf3(x) Cc6( .\n");
  ASSERT_EQ(Bin().size(), 4u * 16);
  EXPECT_EQ(ClassOf(0), 9);
  EXPECT_EQ(ClassOf(1), 0);
  EXPECT_EQ(ClassOf(2), 5);  // not a digit after '('
  EXPECT_EQ(ClassOf(3), 5);  // '(' ends the word
  EXPECT_EQ(MoveOf(3), MakeMoveWord(B8, C6, KNIGHT));
}

TEST_F(BookMaker, CaptureAndCheckMarksAreLenient) {
  std::string out = Make("e4 d5 exd5 Dxd5 Cc3 Da5 .\ne4 e5 Fc4 Cc6 Dh5 Cf6 D*f7 .\ne4+ f6! d4# g5 Dh5 .\n");
  EXPECT_NE(out.find(SUCCESS), std::string::npos) << out;
  ASSERT_EQ(Bin().size(), 18u * 16);
  EXPECT_EQ(MoveOf(2), MakeMoveWord(E4, D5, PAWN, PAWN));
  EXPECT_EQ(MoveOf(12), MakeMoveWord(H5, F7, QUEEN, PAWN));
  EXPECT_EQ(MoveOf(17), MakeMoveWord(D1, H5, QUEEN));
}

TEST_F(BookMaker, LongCastlingIsNotTakenForShort) {
  const std::string opening = "d4 d5 Cc3 Cc6 Ff4 Ff5 Dd2 Dd7 e3 e6 Cf3 Cf6 Fe2 Fe7 ";
  Make(opening + "O-O-O O-O .\n" + opening + "O-O O-O-O .\n");
  ASSERT_EQ(Bin().size(), 32u * 16);
  EXPECT_EQ(MoveOf(14), CASTLE_WQ);
  EXPECT_EQ(MoveOf(15), CASTLE_BK);
  EXPECT_EQ(MoveOf(30), CASTLE_WK);
  EXPECT_EQ(MoveOf(31), CASTLE_BQ);
}

TEST_F(BookMaker, LineEndsAndPeriodsShapeTheLines) {
  // A line feed drops a word that no blank ended, but the line goes on; a
  // carriage return ends a word; a period starts again from the beginning.
  std::string out = Make("e4 e5\nCf6\r\n.d4 d5.c4\n");
  EXPECT_EQ(out, std::string("\nLine:1\nLine:2\nLine:3\nLine:4") + SUCCESS);
  ASSERT_EQ(Bin().size(), 3u * 16);
  EXPECT_EQ(MoveOf(0), MakeMoveWord(E2, E4, PAWN));
  EXPECT_EQ(MoveOf(1), MakeMoveWord(G8, F6, KNIGHT));  // e5 was dropped
  auto d4 = EntryAfter({}, "d2d4");
  EXPECT_EQ(Bin().substr(32, 16), RecordBytes(d4.FoldedKey, BookData(d4.Played, 5)));
}

TEST_F(BookMaker, LongWordsAreCutAndReportedSafely) {
  std::string annotated = "e4" + std::string(40, '!');
  std::string junk(45, 'z');
  std::string out = Make(annotated + " " + junk + " .\n");
  EXPECT_EQ(out, "\nLine:1\nError on book.pgn line:1 word:2 move:" + std::string(31, 'z') + "\nColor:Black");
  ASSERT_EQ(Bin().size(), 16u);
  EXPECT_EQ(MoveOf(0), MakeMoveWord(E2, E4, PAWN));
}

TEST_F(BookMaker, ShortWordsNeverMatchLongerMoves) {
  // "C" followed by a blank must not pass for a capture such as C*d5.
  std::string out = Make("e4 d5 Cc3 Cf6 C .\n");
  EXPECT_NE(out.find("Error on book.pgn line:1 word:5 move:C\n"), std::string::npos) << out;
}

TEST_F(BookMaker, MoveLeavingTheKingInCheckIsNoBookMove) {
  std::string out = Make("e4 d6 Fb5+ Cf6 .\n");
  EXPECT_EQ(out, "\nLine:1\nError on book.pgn line:1 word:4 move:Cf6\nColor:Black");
  EXPECT_EQ(Bin().size(), 3u * 16);
}

TEST_F(BookMaker, SetUpGameDoesNotMoveTheBookStart) {
  vtest::LoadFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  Game.StartPosition = Pos;
  Game.HasSetupStart = true;
  Make("e4 .\n");
  Game.HasSetupStart = false;
  auto e4 = EntryAfter({}, "e2e4");
  EXPECT_EQ(Bin(), RecordBytes(e4.FoldedKey, BookData(e4.Played, 5)));
}

TEST_F(BookMaker, MissingPgnLeavesBookBinAlone) {
  dir_.Write("Book.bin", "old");
  testing::internal::CaptureStdout();
  MakeBook();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nBook.pgn noy found!.\n");
  EXPECT_EQ(Bin(), "old");
}

TEST_F(BookMaker, BookBinThatCannotBeCreated) {
  ASSERT_EQ(mkdir(dir_.File("Book.bin").c_str(), 0755), 0);
  EXPECT_EQ(Make("e4 e5 .\n"), "\nBook.bin could not be created!\n");
}

TEST_F(BookMaker, EmptyPgnMakesAnEmptyBook) {
  EXPECT_EQ(Make(""), std::string("\nLine:1") + SUCCESS);
  EXPECT_TRUE(dir_.Exists("Book.bin"));
  EXPECT_EQ(Bin(), "");
}

}  // namespace
