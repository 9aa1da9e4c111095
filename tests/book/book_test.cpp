// Book.bin loading, the weighted probe with its generator, and book learning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_test_util.h"
#include "platform/platform.h"

namespace {

using vtest::BookData;
using vtest::BookFolderTest;
using vtest::EntryAfter;
using vtest::RecordBytes;

class BookLoad : public BookFolderTest {
 protected:
  std::string Load() {
    testing::internal::CaptureStdout();
    LoadBook();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(BookLoad, NoFileMeansNoBookAndNoMessage) {
  Book.BookLoaded = 1;
  Book.RecordCount = 7;
  EXPECT_EQ(Load(), "");
  EXPECT_EQ(Book.BookLoaded, 0);
  EXPECT_EQ(Book.RecordCount, 0);
}

TEST_F(BookLoad, RecordsAreLittleEndianInFileOrder) {
  std::string bytes = RecordBytes(0x1122334455667788ull, 0x00A0170C) + RecordBytes(~0ull, 1, 2);
  dir_.Write("Book.bin", bytes);
  EXPECT_EQ(Load(), "");
  EXPECT_EQ(Book.BookLoaded, 1);
  ASSERT_EQ(Book.RecordCount, 2);
  EXPECT_EQ(Book.BookTable[0].KeyLow, 0x55667788u);
  EXPECT_EQ(Book.BookTable[0].KeyHigh, 0x11223344u);
  EXPECT_EQ(Book.BookTable[0].DataLow, 0x00A0170Cu);
  EXPECT_EQ(Book.BookTable[0].DataHigh, 0u);
  EXPECT_EQ(Book.BookTable[1].DataHigh, 2u);
  // Every load starts again at record 0.
  dir_.Write("Book.bin", RecordBytes(5, 6));
  Load();
  EXPECT_EQ(Book.RecordCount, 1);
  EXPECT_EQ(Book.BookTable[0].KeyLow, 5u);
}

TEST_F(BookLoad, FinalPartialRecordCountsButIsNeverPlayed) {
  std::string whole = RecordBytes(0x0102030405060708ull, 0x00A0170C);
  dir_.Write("Book.bin", whole + whole.substr(0, 13));
  Load();
  ASSERT_EQ(Book.RecordCount, 2);
  EXPECT_EQ(Book.BookTable[1].KeyLow, 0x05060708u);
  EXPECT_EQ(Book.BookTable[1].KeyHigh, 0x01020304u);
  EXPECT_FALSE(BookRecordPresent(Book.BookTable[1]));
}

TEST_F(BookLoad, TableBoundIsNeverPassed) {
  std::string record = RecordBytes(0x1234, 0x5678);
  std::string full;
  for (int i = 0; i < BOOK_TABLE_SIZE; i++) full += record;
  dir_.Write("Book.bin", full);
  EXPECT_EQ(Load(), "");
  EXPECT_EQ(Book.RecordCount, BOOK_TABLE_SIZE);

  dir_.Write("Book.bin", full + RecordBytes(0xAAAA, 0xBBBB) + RecordBytes(0xCCCC, 0xDDDD));
  EXPECT_EQ(Load(), "book index is too large!\n");
  EXPECT_EQ(Book.RecordCount, BOOK_TABLE_SIZE);
  EXPECT_EQ(Book.BookTable[BOOK_TABLE_SIZE - 1].KeyLow, 0x1234u);
}

TEST(BookRandom, GeneratorFollowsItsRecurrence) {
  SeedBookRandom(0);
  EXPECT_EQ(NextBookRandom(), 0);
  EXPECT_EQ(NextBookRandom(), 346);
  EXPECT_EQ(NextBookRandom(), 130);
  SeedBookRandom(12345);
  const int expected[] = {15301, 24996, 10921, 23577, 19316};
  for (int e : expected) EXPECT_EQ(NextBookRandom(), e);
}

class BookProbe : public BookFolderTest {
 protected:
  void Install(const std::string& bytes) {
    dir_.Write("Book.bin", bytes);
    LoadBook();
    vtest::PlayFromStart({});
  }
};

TEST_F(BookProbe, OnlyTheHighestClassIsChosen) {
  auto e4 = EntryAfter({}, "e2e4");
  auto d4 = EntryAfter({}, "d2d4");
  auto c4 = EntryAfter({}, "c2c4");
  Install(RecordBytes(e4.FoldedKey, BookData(e4.Played, 3)) + RecordBytes(d4.FoldedKey, BookData(d4.Played, 7)) +
          RecordBytes(c4.FoldedKey, BookData(c4.Played, 7)));
  int d4Count = 0;
  for (uint32_t seed = 0; seed < 200; seed++) {
    Move m = ProbeBookWith(e4.FoldedKey, seed);
    EXPECT_TRUE(m == d4.Played || m == c4.Played);
    d4Count += m == d4.Played;
  }
  EXPECT_GT(d4Count, 60);
  EXPECT_LT(d4Count, 140);
}

TEST_F(BookProbe, DuplicateRecordsWeighTheDraw) {
  auto e4 = EntryAfter({}, "e2e4");
  auto d4 = EntryAfter({}, "d2d4");
  std::string e4Record = RecordBytes(e4.FoldedKey, BookData(e4.Played, 5));
  Install(e4Record + RecordBytes(d4.FoldedKey, BookData(d4.Played, 5)) + e4Record);
  // The list is e4, d4, e4 and the r-th entry is taken with r = draw mod 3.
  for (uint32_t seed : {0u, 1u, 7u, 12345u}) {
    SeedBookRandom(seed);
    Move expected = NextBookRandom() % 3 == 1 ? d4.Played : e4.Played;
    EXPECT_EQ(ProbeBookWith(e4.FoldedKey, seed), expected);
  }
  int e4Count = 0;
  for (uint32_t seed = 0; seed < 3000; seed++) e4Count += ProbeBookWith(e4.FoldedKey, seed) == e4.Played;
  EXPECT_NEAR(e4Count, 2000, 150);
}

TEST_F(BookProbe, SameSecondSameMove) {
  std::string bytes;
  const char* moves[] = {"e2e4", "d2d4", "c2c4", "g1f3", "b1c3", "g2g3"};
  for (const char* m : moves) {
    auto e = EntryAfter({}, m);
    bytes += RecordBytes(e.FoldedKey, BookData(e.Played, 5));
  }
  Install(bytes);
  for (int attempt = 0; attempt < 5; attempt++) {
    int64_t before = SecondsNow();
    Move first = ProbeBook();
    Move second = ProbeBook();
    if (SecondsNow() != before) continue;  // straddled a second: try again
    EXPECT_NE(first, 0u);
    EXPECT_EQ(first, second);
    return;
  }
  FAIL() << "no two probes within one second";
}

TEST_F(BookProbe, BlackIsFoundUnderTheComplementedKeyOnly) {
  auto e5 = EntryAfter({"e2e4"}, "e7e5");
  ASSERT_EQ(Pos.SideToMove, BLACK);
  HashKey plain = Pos.Key;
  EXPECT_EQ(e5.FoldedKey, ~plain);
  Install(RecordBytes(e5.FoldedKey, BookData(e5.Played, 5)));
  vtest::PlayFromStart({"e2e4"});
  EXPECT_EQ(ProbeBook(), e5.Played);
  EXPECT_EQ(ProbeBookWith(plain, 1), 0u);
  // The same placement with White to move has no book move.
  Pos.SideToMove = WHITE;
  EXPECT_EQ(ProbeBook(), 0u);
}

TEST_F(BookProbe, MovesThatDoNotFitThePositionArePassedOver) {
  auto e4 = EntryAfter({}, "e2e4");
  Move e2e5 = MakeMoveWord(E2, E5, PAWN);
  Move whiteKingWalk = MakeMoveWord(E1, E2, KING);
  Install(RecordBytes(e4.FoldedKey, BookData(e2e5, 9)) + RecordBytes(e4.FoldedKey, BookData(whiteKingWalk, 9)) +
          RecordBytes(e4.FoldedKey, BookData(e4.Played, 2)));
  EXPECT_EQ(ProbeBookWith(e4.FoldedKey, 3), e4.Played);
  Install(RecordBytes(e4.FoldedKey, BookData(e2e5, 9)));
  EXPECT_EQ(ProbeBookWith(e4.FoldedKey, 3), 0u);
  // A move that leaves the king in check is passed over as well.
  const std::vector<std::string> check = {"e2e4", "e7e5", "d2d4", "f8b4"};
  auto block = EntryAfter(check, "c2c3");
  Move ignoresCheck = vtest::FindGenerated("g1f3");
  ASSERT_NE(ignoresCheck, 0u);
  Install(RecordBytes(block.FoldedKey, BookData(ignoresCheck, 9)) +
          RecordBytes(block.FoldedKey, BookData(block.Played, 5)));
  vtest::PlayFromStart(check);
  EXPECT_EQ(ProbeBook(), block.Played);
}

TEST_F(BookProbe, CandidatesStopAt512) {
  auto e4 = EntryAfter({}, "e2e4");
  auto d4 = EntryAfter({}, "d2d4");
  std::string bytes;
  for (int i = 0; i < BOOK_MAX_CANDIDATES; i++) bytes += RecordBytes(e4.FoldedKey, BookData(e4.Played, 5));
  bytes += RecordBytes(d4.FoldedKey, BookData(d4.Played, 9));
  Install(bytes);
  EXPECT_EQ(ProbeBookWith(e4.FoldedKey, 42), e4.Played);
}

TEST_F(BookProbe, ForgetBookMoveRemovesOnlyThatMoveOfThatPosition) {
  auto e4 = EntryAfter({}, "e2e4");
  auto d4 = EntryAfter({}, "d2d4");
  auto e5 = EntryAfter({"e2e4"}, "e7e5");
  auto c5 = EntryAfter({"e2e4"}, "c7c5");
  Install(RecordBytes(e4.FoldedKey, BookData(e4.Played, 9)) + RecordBytes(d4.FoldedKey, BookData(d4.Played, 4)) +
          RecordBytes(e4.FoldedKey, BookData(e4.Played, 9)) + RecordBytes(e5.FoldedKey, BookData(e5.Played, 9)) +
          RecordBytes(c5.FoldedKey, BookData(c5.Played, 4)));
  ForgetBookMove(e4.FoldedKey, e4.Played);
  EXPECT_FALSE(BookRecordPresent(Book.BookTable[0]));
  EXPECT_FALSE(BookRecordPresent(Book.BookTable[2]));
  EXPECT_TRUE(BookRecordPresent(Book.BookTable[1]));
  EXPECT_EQ(ProbeBookWith(e4.FoldedKey, 5), d4.Played);
  // The position after 1.e4 keeps its own records; a move of another key is
  // not touched by a forget under this one.
  ForgetBookMove(e4.FoldedKey, e5.Played);
  EXPECT_TRUE(BookRecordPresent(Book.BookTable[3]));
  vtest::PlayFromStart({"e2e4"});
  EXPECT_EQ(ProbeBookWith(e5.FoldedKey, 5), e5.Played);
  // The next load brings the file's records back.
  LoadBook();
  EXPECT_TRUE(BookRecordPresent(Book.BookTable[0]));
}

}  // namespace
