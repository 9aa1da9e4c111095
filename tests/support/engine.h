// One fresh engine for the in-process tests: every table built, small hash
// tables, the settings of a UCI session at its defaults, the compiled-in
// weights, empty caches and a new game from the standard position, no book,
// and a silent search to a fixed depth. Tests set positions with the engine's
// own FEN reader and play moves by their coordinates.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "position/position.h"

namespace vtest {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* KIWIPETE_FEN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// The engine as described above. Cheap enough to call before every test.
void FreshEngine();

// The position of a FEN record as a new game from it (a set-up start, as
// setboard makes it); false when the engine refuses the record.
bool SetFen(const std::string& fen);

// Plays legal moves given as coordinates ("e2e4", "e7e8n") as game moves;
// false at the first that is not legal here (the moves before it stay made).
bool Play(const std::vector<std::string>& moves);

// The generated move whose coordinate text is coord, or 0 (not checked for
// legality); the legal moves of the position, in generation order.
Move FindMove(const std::string& coord);
std::vector<Move> LegalMoves();
std::string Coord(Move move);

// A search of the current position to a fixed depth in plies, silent and
// without the book.
struct SearchResult {
  Move Best;
  Move Reply;  // the expected answer, 0 when there is none
  int Score;   // the side to move's point of view
  long long Nodes;
};
SearchResult SearchDepth(int depth);

// What fn printed on standard output.
template <typename Fn>
std::string Printed(Fn fn) {
  testing::internal::CaptureStdout();
  fn();
  return testing::internal::GetCapturedStdout();
}

// The fixture: a fresh engine before every test.
class EngineTest : public testing::Test {
 protected:
  void SetUp() override { FreshEngine(); }
};

}  // namespace vtest
