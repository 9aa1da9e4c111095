// The shipped book in a real game: the engine, driven over pipes the way an
// xboard interface drives it, answers its first moves from Book.bin at once,
// with no thinking lines, and every answer is a move the book holds.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_test_util.h"
#include "support/engine_process.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool InBook(HashKey foldedKey, Move move) {
  for (int i = 0; i < Book.RecordCount && i < BOOK_TABLE_SIZE; i++) {
    const BookRecord& r = Book.BookTable[i];
    if (KeyFromHalves(r.KeyLow, r.KeyHigh) == foldedKey && BookMoveOf(r) == move) return true;
  }
  return false;
}

void Play(Move move) {
  Tree.Ply = 1;
  Tree.HalfmoveClock[1] = 0;
  Tree.MoveAtPly[2] = move;
  MakeMove(move);
  Pos.SideToMove ^= 1;
}

class BookInPlay : public vtest::BookFolderTest {
 protected:
  void TearDown() override {
    Book.BookLoaded = 0;
    BookFolderTest::TearDown();
  }
};

TEST_F(BookInPlay, AnXboardGameOpensWithBookMovesAndNoThinkingLines) {
  dir_.Write("Book.bin", ReadFile(std::string(VESSIK_SOURCE_DIR) + "/run/Book.bin"));
  // The same book in this process: it checks the engine's moves and supplies
  // the opponent's.
  LoadBook();
  ASSERT_EQ(Book.BookLoaded, 1);
  vtest::PlayFromStart({});

  vtest::EngineProcess engine(dir_.Path());
  ASSERT_NE(engine.WaitFor("feature done=0"), "");
  // A 40-moves-in-5-minutes game: a search would take seconds and print
  // thinking lines long before it moved.
  engine.Send("xboard\nprotover 2\n");
  ASSERT_NE(engine.WaitFor("feature done=1"), "");
  std::string toSend = "new\neasy\nlevel 40 5 0\ntime 30000\notim 30000\ngo\n";
  for (int move = 1; move <= 4; move++) {
    const int64_t start = NowMs();
    engine.Send(toSend);
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line, 15000)) << "move " << move;
    const int64_t elapsed = NowMs() - start;
    ASSERT_EQ(line.rfind("move ", 0), 0u) << "the first line after the opponent's move: " << line;
    EXPECT_LT(elapsed, 2000) << line;

    const HashKey key = FoldSide(Pos.Key, Pos.SideToMove);
    const Move played = vtest::FindGenerated(line.substr(5));
    ASSERT_NE(played, 0u) << line;
    EXPECT_TRUE(InBook(key, played)) << line;
    Play(played);

    const Move reply = ProbeBookWith(FoldSide(Pos.Key, Pos.SideToMove), 1234 + move);
    ASSERT_NE(reply, 0u) << "the book has an answer to " << line;
    Play(reply);
    toSend = "time 30000\notim 30000\n" + MoveToCoordString(reply) + "\n";
  }
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(10000), 0);
}

}  // namespace
