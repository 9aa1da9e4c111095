// The opening book: Book.bin read byte by byte, the weighted probe with fixed
// seeds, the book maker's records and messages, and the shipped run/Book.bin
// as makebook makes it (learning and book play are in the dialogue table).
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <sstream>

#include "book/book.h"
#include "platform/platform.h"
#include "search/search.h"
#include "support/engine.h"
#include "support/engine_process.h"
#include "support/stdin_pipe.h"

namespace {

std::string RecordBytes(HashKey foldedKey, uint32_t dataLow, uint32_t dataHigh = 0) {
  std::string out;
  for (uint32_t v : {KeyLow(foldedKey), KeyHigh(foldedKey), dataLow, dataHigh})
    for (int i = 0; i < 4; i++) out.push_back(static_cast<char>(v >> (8 * i)));
  return out;
}

// The folded key of the position after these moves from the standard start, which stays on the board.
HashKey At(const std::vector<std::string>& moves) {
  vtest::SetFen(vtest::START_FEN);
  EXPECT_TRUE(vtest::Play(moves));
  return FoldSide(Pos.Key, Pos.SideToMove);
}

// The record of move `next` after `moves`, in weight class c.
std::string Rec(const std::vector<std::string>& moves, const std::string& next, uint32_t c = 5) {
  const HashKey key = At(moves);
  return RecordBytes(key, (vtest::FindMove(next) & BOOK_MOVE_MASK) | c << BOOK_CLASS_SHIFT);
}

// The book reads and writes the current directory: each test runs in a folder of its own.
class BookTest : public vtest::EngineTest {
 protected:
  void SetUp() override {
    vtest::EngineTest::SetUp();
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    saved_ = here;
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(saved_.c_str()), 0); }
  // Loads these records, with the position after these moves on the board.
  std::string Install(const std::string& bytes, const std::vector<std::string>& moves = {}) {
    dir_.Write("Book.bin", bytes);
    At(moves);
    return vtest::Printed(LoadBook);
  }
  vtest::TempDir dir_;
  std::string saved_;
};

TEST_F(BookTest, RecordsAreLittleEndianInFileOrder) {
  Book.BookLoaded = Book.RecordCount = 7;
  EXPECT_EQ(vtest::Printed(LoadBook), "") << "no file: no book and no message";
  EXPECT_EQ(std::vector<int>({Book.BookLoaded, Book.RecordCount}), std::vector<int>({0, 0}));
  const std::string first = RecordBytes(0x1122334455667788ull, 0x00A0170C);
  EXPECT_EQ(Install(first + RecordBytes(~0ull, 1, 2) + first.substr(0, 13)), "");
  ASSERT_EQ(std::vector<int>({Book.BookLoaded, Book.RecordCount}), std::vector<int>({1, 3})) << "a cut record counts";
  const BookRecord& r = Book.BookTable[0];
  EXPECT_EQ(std::vector<uint32_t>({r.KeyLow, r.KeyHigh, r.DataLow, r.DataHigh, Book.BookTable[1].DataHigh}),
            std::vector<uint32_t>({0x55667788u, 0x11223344u, 0x00A0170Cu, 0u, 2u}));
  EXPECT_EQ(Book.BookTable[2].KeyHigh, 0x11223344u);
  EXPECT_FALSE(BookRecordPresent(Book.BookTable[2])) << "... but holds no move";
  Install(RecordBytes(5, 6));
  EXPECT_EQ(Book.RecordCount, 1) << "every load starts at record 0";
  EXPECT_EQ(Book.BookTable[0].KeyLow, 5u);
  std::string full;
  for (int i = 0; i < BOOK_TABLE_SIZE; i++) full += RecordBytes(0x1234, 0x5678);
  EXPECT_EQ(Install(full), "");
  EXPECT_EQ(Install(full + RecordBytes(0xAAAA, 0xBBBB)), "book index is too large!\n");
  EXPECT_EQ(Book.RecordCount, BOOK_TABLE_SIZE);
  EXPECT_EQ(Book.BookTable[BOOK_TABLE_SIZE - 1].KeyLow, 0x1234u);
}

TEST_F(BookTest, ProbeWithFixedSeeds) {
  const HashKey start = At({});
  const Move e4 = vtest::FindMove("e2e4"), d4 = vtest::FindMove("d2d4"), c4 = vtest::FindMove("c2c4");
  // Only the highest class present is drawn from; a move in two lines is drawn twice as often.
  Install(Rec({}, "d2d4", 7) + Rec({}, "e2e4", 3) + Rec({}, "c2c4", 7));
  int d4Count = 0;
  for (uint32_t seed = 0; seed < 200; seed++) {
    const Move m = ProbeBookWith(start, seed);
    EXPECT_TRUE(m == d4 || m == c4) << seed;
    d4Count += m == d4;
  }
  EXPECT_NEAR(d4Count, 100, 40);
  Install(Rec({}, "e2e4") + Rec({}, "d2d4") + Rec({}, "e2e4"));
  EXPECT_EQ(std::vector<Move>({ProbeBookWith(start, 0), ProbeBookWith(start, 1)}), std::vector<Move>({e4, d4}));
  int e4Count = 0;
  for (uint32_t seed = 0; seed < 3000; seed++) e4Count += ProbeBookWith(start, seed) == e4;
  EXPECT_NEAR(e4Count, 2000, 150);
  // Unplayable moves are passed over: a pawn move of three squares, a king walk onto its own pawn.
  const std::string unfit = RecordBytes(start, MakeMoveWord(E2, E5, PAWN) | 9u << BOOK_CLASS_SHIFT) +
                            RecordBytes(start, MakeMoveWord(E1, E2, KING) | 9u << BOOK_CLASS_SHIFT);
  Install(unfit + Rec({}, "e2e4", 2));
  EXPECT_EQ(ProbeBookWith(start, 3), e4);
  Install(unfit);
  EXPECT_EQ(ProbeBookWith(start, 3), 0u);
  // No more than 512 candidates are looked at.
  std::string many;
  for (int i = 0; i < BOOK_MAX_CANDIDATES; i++) many += Rec({}, "e2e4", 2);
  Install(many + Rec({}, "d2d4", 9));
  EXPECT_EQ(ProbeBookWith(start, 42), e4);
  // In check, a move that ignores it is passed over; Black's records are under the complemented key only.
  const std::vector<std::string> check = {"e2e4", "e7e5", "d2d4", "f8b4"};
  Install(Rec(check, "g1f3", 9) + Rec(check, "c2c3", 5) + Rec({"e2e4"}, "e7e5"), check);
  EXPECT_EQ(vtest::Coord(ProbeBook()), "c2c3");
  const HashKey folded = At({"e2e4"});
  EXPECT_EQ(folded, ~Pos.Key);
  EXPECT_EQ(vtest::Coord(ProbeBook()), "e7e5");
  EXPECT_EQ(ProbeBookWith(Pos.Key, 1), 0u);
}

const std::string SUCCESS = "\n\nBook.bin was created successfully.";
const std::string OPENING = "d4 d5 Cc3 Cc6 Ff4 Ff5 Dd2 Dd7 e3 e6 Cf3 Cf6 Fe2 Fe7 ";
const std::string OPENING_MOVES = "d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e2e3 e7e6 g1f3 g8f6 f1e2 f8e7 ";

TEST_F(BookTest, TheMakersRecordsAndMessages) {
  // Book.pgn; what the maker prints; the records of Book.bin as coordinate moves from the start ("." starts again,
  // "(d)" gives the class). Before: "old" a Book.bin and no Book.pgn, "folder" a folder in place of Book.bin,
  // "setup" a set-up game in progress.
  const struct { std::string Pgn, Printed, Records; const char* Before; } rows[] = {
      {"e4 e5 Cf3 .\n", "\nLine:1\nLine:2" + SUCCESS, "e2e4 e7e5 g1f3", ""},
      {"e4 e5 Nf3 .\n", "\nLine:1\nError on book.pgn line:1 word:3 move:Nf3\nColor:White", "e2e4 e7e5", ""},
      {"d4 d5 .\ne4 e5 Cf3 Cf6 Cg5 Fe4 .\n", "\nLine:1\nLine:2\nError on book.pgn line:2 word:6 move:Fe4\nColor:Black",
       "d2d4 d7d5 . e2e4 e7e5 g1f3 g8f6 f3g5", ""},
      {"e4(9) e5(0) Cf3(x) Cc6( .\n", "\nLine:1\nLine:2" + SUCCESS, "e2e4(9) e7e5(0) g1f3 b8c6", ""},  // the class
      {"e4 d5 exd5 Dxd5 Cc3 Da5 .\ne4 e5 Fc4 Cc6 Dh5 Cf6 D*f7 .\ne4+ f6! d4# g5 Dh5 .\n",  // any capture and check mark
       "\nLine:1\nLine:2\nLine:3\nLine:4" + SUCCESS,
       "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 . e2e4 e7e5 f1c4 b8c6 d1h5 g8f6 h5f7 . e2e4 f7f6 d2d4 g7g5 d1h5", ""},
      {OPENING + "O-O-O O-O .\n" + OPENING + "O-O O-O-O .\n", "\nLine:1\nLine:2\nLine:3" + SUCCESS,
       OPENING_MOVES + "e1c1 e8g8 . " + OPENING_MOVES + "e1g1 e8c8", ""},  // long castling is not taken for short
      {"e4 e5\nCf6\r\n.d4 d5.c4\n", "\nLine:1\nLine:2\nLine:3\nLine:4" + SUCCESS, "e2e4 g8f6 . d2d4", ""},  // line ends
      {"e4" + std::string(40, '!') + " " + std::string(45, 'z') + " .\n",  // words are cut to 31 characters
       "\nLine:1\nError on book.pgn line:1 word:2 move:" + std::string(31, 'z') + "\nColor:Black", "e2e4", ""},
      {"e4 d5 Cc3 Cf6 C .\n", "\nLine:1\nError on book.pgn line:1 word:5 move:C\nColor:White",  // not C*d5
       "e2e4 d7d5 b1c3 g8f6", ""},
      {"e4 d6 Fb5+ Cf6 .\n", "\nLine:1\nError on book.pgn line:1 word:4 move:Cf6\nColor:Black", "e2e4 d7d6 f1b5", ""},
      {"", "\nLine:1" + SUCCESS, "", ""},
      {"e4 .\n", "\nLine:1\nLine:2" + SUCCESS, "e2e4", "setup"},  // the lines start from the standard position
      {"", "\nBook.pgn noy found!.\n", "", "old"},
      {"e4 e5 .\n", "\nBook.bin could not be created!\n", "", "folder"},
  };
  vtest::StdinPipe noKeys("");  // the maker's key waits return at once
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Pgn);
    const std::string before = r.Before;
    std::string expected;
    std::vector<std::string> line;
    std::istringstream words(r.Records);
    for (std::string w; words >> w;) {
      if (w != ".") expected += Rec(line, w.substr(0, 4), w.size() > 4 ? w[5] - '0' : 5);
      w == "." ? line.clear() : line.push_back(w.substr(0, 4));
    }
    std::remove("Book.pgn");
    std::remove("Book.bin");  // a file or an empty folder
    dir_.Write(before == "old" ? "Book.bin" : "Book.pgn", before == "old" ? "old" : r.Pgn);
    if (before == "folder") { ASSERT_EQ(mkdir("Book.bin", 0755), 0); }
    if (before == "setup") { ASSERT_TRUE(vtest::SetFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1")); }
    EXPECT_EQ(vtest::Printed(MakeBook), r.Printed);
    if (before != "folder") { EXPECT_EQ(dir_.Read("Book.bin"), before == "old" ? "old" : expected); }
  }
}

TEST(ShippedBook, BookBinIsRebuiltExactlyFromBookPgn) {
  vtest::TempDir dir;
  dir.Write("Book.pgn", vtest::Shipped("Book.pgn"));
  const vtest::RunResult r = vtest::RunEngine("makebook\nquit\n", dir.Path(), 60000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.Output.find("Error on book.pgn"), std::string::npos) << r.Output.substr(r.Output.rfind("Line:"));
  EXPECT_NE(r.Output.find(SUCCESS), std::string::npos);
  EXPECT_EQ(vtest::Shipped("Book.bin").size(), 8798u * BOOK_RECORD_BYTES);
  EXPECT_TRUE(dir.Read("Book.bin") == vtest::Shipped("Book.bin")) << "run/Book.bin is not what makebook makes of Book.pgn";
}

}  // namespace
