// FEN set-up: the placement parser, the side, castling and en passant
// fields, refused placements and the start position of setboard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frontend/frontend.h"
#include "position/position.h"

namespace {

bool Setboard(const std::string& fen) {
  InitAttackTables();
  return SetupFen(("setboard " + fen + "\n").c_str(), 1, true);
}

bool PositionFen(const std::string& fen) {
  InitAttackTables();
  return SetupFen(("position fen " + fen).c_str(), 2, false);
}

void ResetGame() {
  Game.HasSetupStart = false;
  NewGame();
  Game.GameMoveCount = 0;
}

TEST(Placement, ParserCases) {
  uint8_t board[64];
  ASSERT_TRUE(ParsePlacement("8/8/8/8/8/8/8/8", 15, board));
  for (int s = 0; s < 64; s++) EXPECT_EQ(board[s], 0);
  ASSERT_TRUE(ParsePlacement("4k3/8/8/8/8/8/8/4K3", 19, board));
  EXPECT_EQ(board[E8], BLACK_BIT + KING);
  EXPECT_EQ(board[E1], KING);
  // Characters outside the alphabet are skipped without moving on.
  ASSERT_TRUE(ParsePlacement("r.n0b?q", 7, board));
  EXPECT_EQ(board[A8], BLACK_BIT + ROOK);
  EXPECT_EQ(board[B8], BLACK_BIT + KNIGHT);
  EXPECT_EQ(board[C8], BLACK_BIT + BISHOP);
  EXPECT_EQ(board[D8], BLACK_BIT + QUEEN);
  // Missing trailing ranks and files stay empty.
  ASSERT_TRUE(ParsePlacement("k7/8/K", 6, board));
  EXPECT_EQ(board[A8], BLACK_BIT + KING);
  EXPECT_EQ(board[A6], KING);
}

TEST(Placement, WordsThatLeaveTheBoardAreRefused) {
  uint8_t board[64];
  const char* bad[] = {
      "9/8/8/8/8/8/8/8",              // nine files
      "ppppppppp/8/8/8/8/8/8/8",      // nine pieces on a rank
      "7k1/8/8/8/8/8/8/8",            // eight files, then a piece beyond
      "8/8/8/8/8/8/8/8/8",            // nine ranks
      "8/8/8/8/8/8/8/8/",             // a ninth rank begun
      "7/8/8/8/8/8/8/8",              // a short rank would shift the rest
      "/8/8/8/8/8/8/8",               // an empty first rank
  };
  for (const char* word : bad) EXPECT_FALSE(ParsePlacement(word, static_cast<int>(std::strlen(word)), board)) << word;
}

TEST(FenSetup, FieldsOfAFullFen) {
  ResetGame();
  Game.GameMoveCount = 12;
  Game.GameHalfmoveClock = 9;
  ASSERT_TRUE(PositionFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 40"));
  EXPECT_EQ(Pos.SideToMove, WHITE);
  EXPECT_EQ(Pos.CastleRights, 15);
  EXPECT_EQ(Pos.EnPassantBB, 0u);
  EXPECT_EQ(Game.GameMoveCount, 0);
  EXPECT_EQ(Game.GameHalfmoveClock, 0);
  EXPECT_EQ(Pos.ImbalanceKey, 136);
  EXPECT_TRUE(PositionIsConsistent());
  PositionRecord set = Pos;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, set.Key);
  EXPECT_EQ(Pos.PawnKey, set.PawnKey);
  EXPECT_FALSE(Game.HasSetupStart);
}

TEST(FenSetup, SideWord) {
  ASSERT_TRUE(PositionFen("4k3/8/8/8/8/8/8/4K3 W - -"));
  EXPECT_EQ(Pos.SideToMove, BLACK);  // only the exact "w" means White
  ASSERT_TRUE(PositionFen("4k3/8/8/8/8/8/8/4K3 b"));
  EXPECT_EQ(Pos.SideToMove, BLACK);
  ASSERT_TRUE(PositionFen("4k3/8/8/8/8/8/8/4K3"));
  EXPECT_EQ(Pos.SideToMove, WHITE);  // missing fields: "w", "-", "-"
  EXPECT_EQ(Pos.CastleRights, 0);
  EXPECT_EQ(Pos.EnPassantBB, 0u);
}

TEST(FenSetup, CastlingWord) {
  const char* placement = "r3k2r/8/8/8/8/8/8/R3K2R w ";
  ASSERT_TRUE(PositionFen(std::string(placement) + "KQkq -"));
  EXPECT_EQ(Pos.CastleRights, 15);
  ASSERT_TRUE(PositionFen(std::string(placement) + "Kq -"));
  EXPECT_EQ(Pos.CastleRights, 9);
  ASSERT_TRUE(PositionFen(std::string(placement) + "- -"));
  EXPECT_EQ(Pos.CastleRights, 0);
  ASSERT_TRUE(PositionFen(std::string(placement) + "KKKK -"));
  EXPECT_EQ(Pos.CastleRights, 1);  // a repeated letter grants its right once
  ASSERT_TRUE(PositionFen(std::string(placement) + "xyzKQkq -"));
  EXPECT_EQ(Pos.CastleRights, 1);  // only the first four characters count
  // Rights without the king and rook in place are dropped.
  ASSERT_TRUE(PositionFen("r3k3/8/8/8/8/8/8/4K2R w KQkq -"));
  EXPECT_EQ(Pos.CastleRights, 1 | 8);
  ASSERT_TRUE(PositionFen("r3k2r/8/8/8/8/8/8/R2K3R w KQkq -"));
  EXPECT_EQ(Pos.CastleRights, 4 | 8);
}

TEST(FenSetup, EnPassantWord) {
  ASSERT_TRUE(PositionFen("4k3/8/8/8/3pP3/8/8/4K3 b - e3"));
  EXPECT_EQ(Pos.EnPassantBB, 1ull << 20);
  EXPECT_EQ(Tree.MoveAtPly[1], MakeMoveWord(E2, E4, PAWN));
  PositionRecord set = Pos;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, set.Key);
  // Targets that no double step explains, or that no pawn can use, are dropped.
  const char* dropped[] = {
      "4k3/8/8/8/4P3/8/8/4K3 b - e3",     // no black pawn beside e4
      "4k3/8/8/8/3pP3/8/8/4K3 w - e3",    // wrong side to move for e3
      "4k3/8/8/8/3p4/8/8/4K3 b - e3",     // no pawn on e4
      "4k3/8/8/8/3pP3/8/4N3/4K3 b - e3",  // e2 occupied: e4 did not come from there
      "4k3/8/8/8/3pP3/8/8/4K3 b - e",     // incomplete square
      "4k3/8/8/8/3pP3/8/8/4K3 b - z9",    // off the board
  };
  for (const char* fen : dropped) {
    ASSERT_TRUE(PositionFen(fen)) << fen;
    EXPECT_EQ(Pos.EnPassantBB, 0u) << fen;
  }
}

TEST(FenSetup, UnplayablePlacementsAreRefusedAndChangeNothing) {
  ResetGame();
  Game.GameMoveCount = 3;
  PositionRecord before;
  std::memcpy(&before, &Pos, sizeof Pos);
  const char* refused[] = {
      "8/8/8/8/8/8/8/8 w - -",                  // no kings
      "4k3/8/8/8/8/8/8/3KK3 w - -",             // two white kings
      "8/8/8/8/8/8/8/4K3 w - -",                // no black king
      "P3k3/8/8/8/8/8/8/4K3 w - -",             // a pawn on the eighth rank
      "4k3/8/8/8/8/8/8/p3K3 w - -",             // a pawn on the first rank
      "4k3/8/8/8/8/8/8/4K2r b - -",             // White, not to move, is in check
      "4k3/8/8/8/8/8/8/3KK3x w - -",
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "",
  };
  for (const char* fen : refused) {
    EXPECT_FALSE(PositionFen(fen)) << fen;
    EXPECT_FALSE(Setboard(fen)) << fen;
    EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << fen;
    EXPECT_EQ(Game.GameMoveCount, 3);
    EXPECT_FALSE(Game.HasSetupStart);
  }
  // The side to move may be in check.
  EXPECT_TRUE(PositionFen("4k3/8/8/8/8/8/8/4K2r w - -"));
}

TEST(FenSetup, SetboardBecomesTheStartOfTheGame) {
  ResetGame();
  ASSERT_TRUE(Setboard("4k3/8/8/8/8/8/3Q4/4K3 b - - 0 1"));
  EXPECT_TRUE(Game.HasSetupStart);
  const HashKey key = Pos.Key;
  Game.HasSetupStart = true;
  NewGame();  // going back in the game returns to the set-up position
  EXPECT_EQ(Pos.Key, key);
  EXPECT_EQ(Pos.Board[D2], QUEEN);
  EXPECT_EQ(Pos.SideToMove, BLACK);
  ResetGame();
}

TEST(FenSetup, LongWordsAndOddSpacing) {
  std::string noise(5000, '.');
  ASSERT_TRUE(PositionFen("4k3/8/8/8/8/8/8/" + noise + "4K3" + noise + "\t\tw  " + std::string(3000, 'K') + " -"));
  EXPECT_EQ(Pos.Board[E1], KING);
  EXPECT_EQ(Pos.SideToMove, WHITE);
  EXPECT_EQ(Pos.CastleRights, 0);  // no rook on h1
  ASSERT_TRUE(PositionFen("4k3/8/8/8/8/8/8/4K3 " + std::string(2000, 'w')));
  EXPECT_EQ(Pos.SideToMove, BLACK);
}

}  // namespace
