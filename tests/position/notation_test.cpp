// SAN in the console, principal-variation and book styles, and the
// four-letter coordinate form of the console listing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "position/position.h"
#include "support/fen_board.h"

namespace {

const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// SAN of the move given in coordinates, formatted the way every caller does:
// generated, made, formatted with the mover still to move, then taken back.
std::string San(const std::string& fen, const std::string& coord, SanStyle style) {
  vtest::LoadFen(fen);
  PositionRecord before = Pos;
  Move move = vtest::FindGenerated(coord);
  EXPECT_NE(move, 0u) << coord << " is not generated in " << fen;
  if (move == 0) return "?";
  SavedState saved = SaveState();
  MakeMove(move);
  char text[SAN_TEXT_SIZE];
  FormatSan(move, text, style);
  UnmakeMove(move);
  RestoreState(saved);
  EXPECT_EQ(std::memcmp(Pos.Board, before.Board, sizeof Pos.Board), 0);
  return text;
}

struct Styled {
  std::string console, pv, book;
};

Styled AllStyles(const std::string& fen, const std::string& coord) {
  return {San(fen, coord, SAN_CONSOLE), San(fen, coord, SAN_PV), San(fen, coord, SAN_BOOK)};
}

TEST(Notation, PawnAndPieceMovesFromTheStart) {
  Styled e4 = AllStyles(START, "e2e4");
  EXPECT_EQ(e4.console, "e4 ");
  EXPECT_EQ(e4.pv, "e4 ");
  EXPECT_EQ(e4.book, "e4 ");
  Styled nf3 = AllStyles(START, "g1f3");
  EXPECT_EQ(nf3.pv, "Nf3 ");
  EXPECT_EQ(nf3.console, "Cf3 ");
  EXPECT_EQ(nf3.book, "Cf3 ");
}

TEST(Notation, LetterSetsOfEveryPiece) {
  const char* fen = "4k3/8/8/8/8/8/8/RNBQKBNR w - - 0 1";
  const char* moves[] = {"b1c3", "c1d2", "a1a5", "d1d5", "e1e2"};
  const char* pv[] = {"Nc3 ", "Bd2 ", "Ra5 ", "Qd5 ", "Ke2 "};
  const char* console[] = {"Cc3 ", "Fd2 ", "Ta5 ", "Dd5 ", "Re2 "};
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(San(fen, moves[i], SAN_PV), pv[i]);
    EXPECT_EQ(San(fen, moves[i], SAN_CONSOLE), console[i]);
    EXPECT_EQ(San(fen, moves[i], SAN_BOOK), console[i]);
  }
}

TEST(Notation, CastlingWithZerosOrLetters) {
  const char* fen = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
  Styled shortSide = AllStyles(fen, "e1g1");
  EXPECT_EQ(shortSide.pv, "0-0 ");
  EXPECT_EQ(shortSide.console, "O-O ");
  EXPECT_EQ(shortSide.book, "O-O ");
  Styled longSide = AllStyles(fen, "e1c1");
  EXPECT_EQ(longSide.pv, "0-0-0 ");
  EXPECT_EQ(longSide.console, "O-O-O ");
  const char* black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
  EXPECT_EQ(San(black, "e8c8", SAN_BOOK), "O-O-O ");
  EXPECT_EQ(San(black, "e8g8", SAN_PV), "0-0 ");
  // The rook lands on f1 and checks the king on f8.
  EXPECT_EQ(San("5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", SAN_PV), "0-0+ ");
  EXPECT_EQ(San("5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", SAN_CONSOLE), "O-O+ ");
}

TEST(Notation, CapturesAndTheBookCaptureMark) {
  const char* fen = "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2";
  Styled exd5 = AllStyles(fen, "e4d5");
  EXPECT_EQ(exd5.pv, "exd5 ");
  EXPECT_EQ(exd5.console, "exd5 ");
  EXPECT_EQ(exd5.book, "e*d5 ");
  const char* piece = "4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1";
  EXPECT_EQ(San(piece, "e3d5", SAN_PV), "Nxd5 ");
  EXPECT_EQ(San(piece, "e3d5", SAN_CONSOLE), "Cxd5 ");
  EXPECT_EQ(San(piece, "e3d5", SAN_BOOK), "C*d5 ");
}

TEST(Notation, EnPassantIsWrittenAsACapture) {
  const char* white = "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3";
  EXPECT_EQ(San(white, "e5f6", SAN_PV), "exf6 ");
  EXPECT_EQ(San(white, "e5f6", SAN_BOOK), "e*f6 ");
  EXPECT_EQ(San(white, "e5f6", SAN_CONSOLE), "exf6 ");
  const char* black = "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1";
  EXPECT_EQ(San(black, "d4e3", SAN_PV), "dxe3 ");
  // A plain pawn step is not mistaken for one.
  EXPECT_EQ(San(black, "d4d3", SAN_PV), "d3 ");
}

TEST(Notation, PromotionsWithLettersAndCheck) {
  const char* fen = "8/4P3/8/8/k7/8/8/4K3 w - - 0 1";
  EXPECT_EQ(San(fen, "e7e8q", SAN_PV), "e8=Q+ ");
  EXPECT_EQ(San(fen, "e7e8q", SAN_CONSOLE), "e8=D+ ");
  EXPECT_EQ(San(fen, "e7e8q", SAN_BOOK), "e8=D+ ");
  EXPECT_EQ(San(fen, "e7e8n", SAN_PV), "e8=N ");
  EXPECT_EQ(San(fen, "e7e8n", SAN_CONSOLE), "e8=C ");
  EXPECT_EQ(San(fen, "e7e8r", SAN_CONSOLE), "e8=T ");
  EXPECT_EQ(San(fen, "e7e8b", SAN_CONSOLE), "e8=F+ ");
  const char* capture = "3r4/4P3/8/8/k7/8/8/4K3 w - - 0 1";
  EXPECT_EQ(San(capture, "e7d8q", SAN_PV), "exd8=Q ");
  EXPECT_EQ(San(capture, "e7d8q", SAN_BOOK), "e*d8=D ");
}

TEST(Notation, DisambiguationByFileOrRank) {
  EXPECT_EQ(San("4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", SAN_PV), "Rad1 ");
  EXPECT_EQ(San("4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", SAN_CONSOLE), "Tad1 ");
  EXPECT_EQ(San("4k3/8/8/R7/8/8/4K3/R7 w - - 0 1", "a1a3", SAN_PV), "R1a3 ");
  EXPECT_EQ(San("4k3/8/8/R7/8/8/4K3/R7 w - - 0 1", "a5a3", SAN_PV), "R5a3 ");
  EXPECT_EQ(San("4k3/8/8/8/8/8/8/1N3NK1 w - - 0 1", "b1d2", SAN_PV), "Nbd2 ");
  // Only one of the two rooks reaches d1: no disambiguation.
  EXPECT_EQ(San("4k3/8/8/8/8/8/8/R3K2R w - - 0 1", "a1d1", SAN_PV), "Rd1 ");
  // A twin of another piece type is no twin.
  EXPECT_EQ(San("4k3/8/8/8/8/8/3Q4/R3K3 w - - 0 1", "a1d1", SAN_PV), "Rd1 ");
}

TEST(Notation, PinnedTwinStillDisambiguates) {
  // The rook on d7 is pinned against the king on a7, but its move to d4 is
  // generated, so Rd1-d4 still names its rank.
  EXPECT_EQ(San("8/K2R3r/8/7k/8/8/8/3R4 w - - 0 1", "d1d4", SAN_PV), "R1d4 ");
}

TEST(Notation, MateHasOnlyTheCheckMark) {
  EXPECT_EQ(San("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", SAN_PV), "Ra8+ ");
  EXPECT_EQ(San("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", SAN_BOOK), "Ta8+ ");
  // Black gives check to the White king.
  EXPECT_EQ(San("4k3/8/8/8/8/8/8/r3K3 b - - 0 1", "a1a2", SAN_PV), "Ra2 ");
  EXPECT_EQ(San("4k3/8/8/8/8/8/r7/4K3 b - - 0 1", "a2a1", SAN_PV), "Ra1+ ");
}

TEST(Notation, PrintCoordMoveHasNoPromotionLetter) {
  testing::internal::CaptureStdout();
  PrintCoordMove(MakeMoveWord(E7, E8, PAWN, 0, QUEEN));
  PrintCoordMove(MakeMoveWord(G1, F3, KNIGHT));
  PrintCoordMove(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "e7e8 g1f3 a1a1 ");
}

}  // namespace
