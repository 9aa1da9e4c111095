// IsMovePossible: accepts every generated move and nothing else, whatever
// word it is given (stale killers, hash moves, corrupted or random words).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "position/test_positions.h"

namespace {

using vtest::Coord;
using vtest::MustSetFen;

// Castling is accepted without a look at the king's destination; the
// legality test after make rejects a castling into check.
bool IsCastlingIntoCheck(Move w) {
  const int us = Pos.SideToMove;
  if (us == WHITE && (w == CASTLE_WK || w == CASTLE_WQ))
    return IsAttacked(w == CASTLE_WK ? G1 : C1, BLACK);
  if (us == BLACK && (w == CASTLE_BK || w == CASTLE_BQ))
    return IsAttacked(w == CASTLE_BK ? G8 : C8, WHITE);
  return false;
}

Move PlausibleWord(std::mt19937& rng) {
  const Bitboard own = Pos.SideToMove == WHITE ? Pos.WhiteOcc : Pos.BlackOcc;
  int from = static_cast<int>(rng() % 64);
  if (own && rng() % 8) {
    Bitboard pick = own;
    for (int skip = static_cast<int>(rng() % PopCount(own)); skip > 0; skip--) pick &= pick - 1;
    from = LowestSquare(pick);
  }
  int to = static_cast<int>(rng() % 64);
  if (rng() % 3 == 0) {  // near the piece: pawn steps and captures, king and knight steps
    static const int offsets[] = {7, 8, 9, 16, -7, -8, -9, -16, 1, -1, 2, -2, 6, 10, 15, 17, -6, -10, -15, -17};
    to = from + offsets[rng() % std::size(offsets)];
    if (to < 0 || to > 63) to = static_cast<int>(rng() % 64);
  }
  int type = TypeOfCode(Pos.Board[from]);
  if (rng() % 10 == 0) type = static_cast<int>(rng() % 8);
  int captured = TypeOfCode(Pos.Board[to]);
  if (rng() % 10 == 0) captured = static_cast<int>(rng() % 8);
  int promotion = 0;
  if (rng() % 4 == 0) promotion = static_cast<int>(rng() % 8);
  return static_cast<Move>(from | to << 6 | type << 12 | captured << 15 | promotion << 18);
}

void CheckWordsHere(std::mt19937& rng, int count, uint64_t& accepted) {
  std::vector<Move> all = vtest::AllMoves();
  const std::set<Move> generated(all.begin(), all.end());
  for (Move m : all) ASSERT_TRUE(IsMovePossible(m)) << "rejects generated " << Coord(m);
  for (int i = 0; i < count; i++) {
    Move w;
    switch (i % 4) {
      case 0: w = static_cast<Move>(rng()); break;
      case 1: w = static_cast<Move>(rng()) & 0x1FFFFF; break;
      case 2: w = PlausibleWord(rng); break;
      default:  // one bit away from a generated move
        w = all.empty() ? static_cast<Move>(rng()) : all[rng() % all.size()] ^ (1u << (rng() % 21));
        break;
    }
    if (IsMovePossible(w)) {
      accepted++;
      ASSERT_TRUE(generated.count(w) || IsCastlingIntoCheck(w))
          << "accepts word " << w << " (" << Coord(w) << ") that no generator produces";
    }
  }
}

TEST(IsMovePossible, ExactAgainstTheGeneratorsOnRandomWords) {
  std::mt19937 rng(77);
  std::vector<const char*> fens = vtest::SixPositions();
  for (const char* fen : vtest::TrickyPositions()) fens.push_back(fen);
  uint64_t accepted = 0;
  int nodes = 0;
  for (int game = 0; game < 60; game++) {
    MustSetFen(fens[game % fens.size()]);
    std::vector<std::unique_ptr<vtest::Child>> line;
    for (int ply = 0; ply < 40; ply++) {
      CheckWordsHere(rng, 150, accepted);
      ASSERT_FALSE(HasFatalFailure()) << fens[game % fens.size()] << " ply " << ply;
      nodes++;
      std::vector<Move> legal = vtest::LegalMoves();
      if (legal.empty()) break;
      line.push_back(std::make_unique<vtest::Child>(legal[rng() % legal.size()]));
    }
    while (!line.empty()) line.pop_back();
  }
  EXPECT_GT(nodes * 150, 200000);
  EXPECT_GT(accepted, 1000u);  // the plausible words do hit real moves
}

TEST(IsMovePossible, StaleKillersAndEnPassantCaptures) {
  MustSetFen("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1");
  const Move knight = MakeMoveWord(G1, F3, KNIGHT);
  EXPECT_TRUE(IsMovePossible(knight));
  MustSetFen("4k3/8/8/8/8/8/8/4K1b1 w - - 0 1");  // the knight has been taken
  EXPECT_FALSE(IsMovePossible(knight));

  const Move ep = MakeMoveWord(E5, D6, PAWN);
  MustSetFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  EXPECT_EQ(Tree.MoveAtPly[1], MakeMoveWord(D7, D5, PAWN));
  EXPECT_TRUE(IsMovePossible(ep));
  Tree.MoveAtPly[1] = MakeMoveWord(E7, E8, KING);
  EXPECT_FALSE(IsMovePossible(ep));
  MustSetFen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
  Tree.MoveAtPly[1] = MakeMoveWord(D7, D5, PAWN);
  EXPECT_FALSE(IsMovePossible(ep));  // no target square: the chance has passed
}

TEST(IsMovePossible, GeometryOfEveryPieceKind) {
  MustSetFen("4k3/1P6/8/8/8/8/4P3/RN2K2R w KQ - 0 1");
  EXPECT_FALSE(IsMovePossible(0));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(B1, B3, KNIGHT)));
  EXPECT_TRUE(IsMovePossible(MakeMoveWord(B1, C3, KNIGHT)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(E2, H5, PAWN)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(B7, B6, PAWN)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(E2, E3, PAWN, 0, QUEEN)));  // promotion off the last rank
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(B7, B8, PAWN)));            // last rank without promotion
  EXPECT_TRUE(IsMovePossible(MakeMoveWord(B7, B8, PAWN, 0, ROOK)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(B7, B8, PAWN, 0, KING)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(A1, A3, ROOK, 0, QUEEN)));  // only pawns promote
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(E1, E3, KING)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(E1, C1, KING)));  // b1 is occupied
  EXPECT_TRUE(IsMovePossible(CASTLE_WK));
  EXPECT_FALSE(IsMovePossible(CASTLE_WK | 1u << 21));  // reserved bits
  EXPECT_TRUE(IsMovePossible(MakeMoveWord(E2, E4, PAWN)));
  EXPECT_FALSE(IsMovePossible(MakeMoveWord(E2, E4, PAWN) | 7u << 12));  // moving type 7
}

}  // namespace
