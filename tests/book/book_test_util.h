// Shared helpers of the book tests: a current directory of their own, record
// files written byte by byte, and positions reached by coordinate moves.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "support/engine_process.h"
#include "support/fen_board.h"

namespace vtest {

// Runs the test inside a fresh folder: the book reads and writes the current
// directory.
class BookFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    InitPositionTables();
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    saved_ = here;
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
    History.HasSetupStart = false;
    NewGame();
    Tree.Ply = 1;
    Tree.MoveAtPly[1] = 0;
  }
  void TearDown() override { ASSERT_EQ(chdir(saved_.c_str()), 0); }

  TempDir dir_;
  std::string saved_;
};

inline void PutLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; i++) out.push_back(static_cast<char>(v >> (8 * i)));
}

inline std::string RecordBytes(HashKey foldedKey, uint32_t dataLow, uint32_t dataHigh = 0) {
  std::string out;
  PutLe32(out, KeyLow(foldedKey));
  PutLe32(out, KeyHigh(foldedKey));
  PutLe32(out, dataLow);
  PutLe32(out, dataHigh);
  return out;
}

inline uint32_t BookData(Move move, int weightClass) {
  return (move & BOOK_MOVE_MASK) | static_cast<uint32_t>(weightClass) << BOOK_CLASS_SHIFT;
}

// Plays coordinate moves from the standard start on the global position, the
// way a game does (side toggled after each).
inline void PlayFromStart(const std::vector<std::string>& moves) {
  History.HasSetupStart = false;
  NewGame();
  for (const auto& m : moves) {
    Move move = FindGenerated(m);
    ASSERT_NE(move, 0u) << m;
    Tree.Ply = 1;
    Tree.HalfmoveClock[1] = 0;
    Tree.MoveAtPly[2] = move;
    MakeMove(move);
    Pos.SideToMove ^= 1;
  }
  Tree.Ply = 1;
}

// The folded key and the generated move of a position reached from the start.
struct BookEntry {
  HashKey FoldedKey;
  Move Played;
};
inline BookEntry EntryAfter(const std::vector<std::string>& moves, const std::string& next) {
  PlayFromStart(moves);
  BookEntry e{FoldSide(Pos.Key, Pos.SideToMove), FindGenerated(next)};
  EXPECT_NE(e.Played, 0u) << next;
  return e;
}

}  // namespace vtest
