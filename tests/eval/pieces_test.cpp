// Knights, bishops, rooks and queens; bishop pair; patterns and development.
#include "eval_test_util.h"

namespace {

using evaltest::EvalTest;
using evaltest::FreshPawnEntry;
using evaltest::SetPosition;

// PieceTerms needs the pawn entry (open files) and the king dangers.
int Pieces(const char* fen, int whiteDanger = 0, int blackDanger = 0) {
  SetPosition(fen);
  FreshPawnEntry();
  Ev.KingDanger[WHITE] = static_cast<uint8_t>(whiteDanger);
  Ev.KingDanger[BLACK] = static_cast<uint8_t>(blackDanger);
  return PieceTerms();
}

TEST_F(EvalTest, KnightOutposts) {
  // d5 (square bonus 6, outpost 15), no Black pawn can ever attack it, c4
  // and e4 defend it: 15 + 15.
  EXPECT_EQ(Pieces("6k1/8/8/3N4/2P1P3/8/8/6K1 w - -"), 6 + 15 + 15);
  // One defender and a Black knight on the board: 15 + 7; the knight on h8
  // scores its own square (-50 for Black, so +50).
  EXPECT_EQ(Pieces("6kn/8/8/3N4/2P5/8/8/6K1 w - -"), 6 + 15 + 7 + 50);
  // One defender, no Black knight and no Black bishop at all: 15 + 15.
  EXPECT_EQ(Pieces("6k1/8/8/3N4/2P5/8/8/6K1 w - -"), 6 + 15 + 15);
  // A Black pawn on e7 could drive it away: no outpost.
  EXPECT_EQ(Pieces("6k1/4p3/8/3N4/2P1P3/8/8/6K1 w - -"), 6);
  // Black's knight on d4, the mirror image.
  EXPECT_EQ(Pieces("6k1/8/8/2p1p3/3n4/8/8/6K1 b - -"), -(6 + 15 + 15));
}

TEST_F(EvalTest, RookFilesAndTheKingFile) {
  // Rook f1 on an open file beside the Black king's g-file: 4 + 24, and
  // proximity 3 (more than the tropism 0) into the attack on the Black king.
  EXPECT_EQ(Pieces("6k1/8/8/8/8/8/PP6/5RK1 w - -"), 4 + 24);
  EXPECT_EQ(Ev.KingAttack[BLACK], 3);
  EXPECT_EQ(Ev.KingAttack[WHITE], 0);
  // Half-open f-file (only a Black pawn on it): +5 and the proximity; the
  // rook reaches the open files along its rank, so no -12.
  EXPECT_EQ(Pieces("6k1/5p2/8/8/8/8/1P6/5RK1 w - -"), 4 + 5);
  EXPECT_EQ(Ev.KingAttack[BLACK], 3);
  // Closed file behind its own pawn, and the open files a to c out of reach
  // along the rank (the king on d1 stops it): -12.
  EXPECT_EQ(Pieces("6k1/3ppppp/8/8/8/8/3PPPPP/3K1R2 w - -"), 4 - 12);
}

TEST_F(EvalTest, RooksOnTheSeventh) {
  // Two rooks on the seventh with the Black king on the eighth: 30 + 16 each,
  // measured against the same rooks with the king off the eighth rank.
  int onEighth = Pieces("4k3/2R1R3/8/8/8/8/8/4K3 w - -");
  int offEighth = Pieces("8/2R1R3/4k3/8/8/8/8/4K3 w - -");
  EXPECT_EQ(onEighth - offEighth, 2 * 46);
  // Boxed in between the a-file edge and a neighbour: -20.
  EXPECT_EQ(Pieces("4k3/8/8/8/8/8/8/RN2K3 w - -") - Pieces("4k3/8/8/8/8/8/8/R1N1K3 w - -"),
            -20 + Weights.KnightSquareBonus[WHITE][B1] - Weights.KnightSquareBonus[WHITE][C1]);
}

TEST_F(EvalTest, QueenTerms) {
  // Queen d1 (0), no pawn on the d-file: proximity to the Black king on e8
  // is 5, more than the tropism.
  EXPECT_EQ(Pieces("4k3/8/8/8/8/8/8/3QK3 w - -"), 0);
  EXPECT_EQ(Ev.KingAttack[BLACK], 5);
  // The safer king: White danger + 4 below Black's.
  EXPECT_EQ(Pieces("4k3/8/8/8/8/8/8/3QK3 w - -", 0, 5), 30);
  EXPECT_EQ(Pieces("4k3/8/8/8/8/8/8/3QK3 w - -", 1, 5), 0);
  // Far from the Black king's wing with more than four pawns: the counter
  // drops by 8, not below -8.
  Pieces("6k1/8/8/8/Q7/8/PPPPP3/4K3 w - -");
  EXPECT_EQ(Ev.KingAttack[BLACK], -8);
  Pieces("6k1/8/8/8/Q7/8/PPPP4/4K3 w - -");
  EXPECT_EQ(Ev.KingAttack[BLACK], 0);
}

TEST_F(EvalTest, BishopPairAndBadBishops) {
  Pieces("4k3/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2 w - -");
  EXPECT_EQ(Ev.BishopColours, 1 | 2);
  EXPECT_EQ(BishopPairTerms(), 8);
  Pieces("4k3/pppppppp/8/8/8/8/PPPPPPP1/2B1KB2 w - -");
  EXPECT_EQ(BishopPairTerms(), 15);
  // Only the light-squared bishop (f1): 4 per own pawn on a light square
  // (b2, d2, f2, h2).
  Pieces("4k3/8/8/8/8/8/PPPPPPPP/4KB2 w - -");
  EXPECT_EQ(Ev.BishopColours, 1);
  EXPECT_EQ(BishopPairTerms(), -16);
  // Black with the dark-squared bishop alone and pawns on a7, c7.
  Pieces("2b1k3/p1p5/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(Ev.BishopColours, 4);
  Pieces("3bk3/p1p5/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(Ev.BishopColours, 8);
  EXPECT_EQ(BishopPairTerms(), 4 * 2);
}

TEST_F(EvalTest, TrappedBishopsAndEarlyQueen) {
  // Two trapped White bishops still cost 150 only.
  SetPosition("4k3/B6B/1p4p1/8/8/8/8/4K3 w - -");
  EXPECT_EQ(TrappedPieceTerms(), -150);
  SetPosition("4k3/8/8/8/8/1P6/b7/4K3 w - -");
  EXPECT_EQ(TrappedPieceTerms(), 150);
  // The queen has left d1 while White may still castle.
  SetPosition("rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w KQkq -");
  EXPECT_EQ(TrappedPieceTerms(), -15);
  SetPosition("rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w kq -");
  EXPECT_EQ(TrappedPieceTerms(), 0);
}

TEST_F(EvalTest, RookShutInByItsOwnKing) {
  SetPosition("4k3/8/8/8/8/8/8/5RKR w - -");
  EXPECT_EQ(RookShutInTerms(), -30);
  SetPosition("4k3/8/8/8/8/8/7R/6K1 w - -");
  EXPECT_EQ(RookShutInTerms(), -30);
  SetPosition("4k3/8/8/8/8/8/8/4K2R w - -");
  EXPECT_EQ(RookShutInTerms(), 0);
  SetPosition("r1k5/8/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(RookShutInTerms(), 30);
  // A White king on the eighth rank is not shut in.
  SetPosition("K7/R7/8/8/8/8/8/4k3 w - -");
  EXPECT_EQ(RookShutInTerms(), 0);
}

TEST_F(EvalTest, DevelopmentPatterns) {
  SetPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(DevelopmentTerms(), 0);  // -24 - 12 for White, +24 + 12 for Black
  // d3 blocked in front of the d2 pawn, bishop f1 at home: -23 - 5, and
  // -24 for e2 with the king on e1, -12 for d2 in front of c1.
  SetPosition("4k3/8/8/8/8/3N4/3PP3/2B1KB2 w - -");
  EXPECT_EQ(DevelopmentTerms(), -23 - 24 - 5 - 12);
  // The king has left e1: the f1 bishop blocked by e2 costs 12.
  SetPosition("4k3/8/8/8/8/8/4P3/5BK1 w - -");
  EXPECT_EQ(DevelopmentTerms(), -12);
  SetPosition("2b1kb2/3pp3/3n4/8/8/8/8/4K3 w - -");
  EXPECT_EQ(DevelopmentTerms(), 23 + 24 + 5 + 12);
}

}  // namespace
