// Move generators: the cases of each generator, the agreement between the
// generators over many positions, buckets, scores and list capacity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "position/test_positions.h"
#include "search/search.h"

namespace {

using vtest::AllMoves;
using vtest::Coord;
using vtest::ListMoves;
using vtest::MustSetFen;
using vtest::Sorted;

bool Contains(const std::vector<Move>& moves, const std::string& coord) {
  return std::any_of(moves.begin(), moves.end(), [&](Move m) { return Coord(m) == coord; });
}

std::vector<Move> Captures() {
  GenerateCaptures();
  return ListMoves();
}

std::vector<Move> Quiet() {
  GenerateQuiet();
  return ListMoves();
}

std::vector<Move> Evasions() {
  GenerateEvasions();
  EXPECT_EQ(Gen.EvasionCount[Tree.Ply], Gen.MoveList[Tree.Ply].End);
  return ListMoves();
}

std::vector<Move> QuiescenceMoves() {
  GenerateQuiescenceCaptures();
  return std::vector<Move>(Gen.QuiescenceList[Tree.Ply], Gen.QuiescenceList[Tree.Ply] + Gen.QuiescenceEnd);
}

void ClearOrderingState() { std::memset(&Srch, 0, sizeof Srch); }

TEST(Generators, InitialPosition) {
  ClearOrderingState();
  MustSetFen(vtest::START_FEN);
  std::vector<Move> all = AllMoves();
  EXPECT_EQ(all.size(), 20u);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](Move m) { return MoveType(m) == PAWN; }), 16);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](Move m) { return MoveType(m) == KNIGHT; }), 4);
  EXPECT_TRUE(Captures().empty());
  EXPECT_EQ(Sorted(Quiet()), Sorted(all));
  EXPECT_EQ(QuiescenceMoves().size(), 0u);
}

TEST(Generators, PromotionsInTheCaptureAndQuiescenceLists) {
  MustSetFen("r3k3/1P6/6P1/8/8/8/8/4K3 w - - 0 1");
  std::vector<Move> captures = Captures();
  EXPECT_EQ(captures.size(), 8u);
  for (const char* m : {"b7b8q", "b7b8n", "b7b8r", "b7b8b", "b7a8q", "b7a8n", "b7a8r", "b7a8b"})
    EXPECT_TRUE(Contains(captures, m)) << m;
  EXPECT_FALSE(Contains(captures, "g6g7"));
  std::vector<Move> quiescence = QuiescenceMoves();
  EXPECT_EQ(quiescence.size(), 3u);
  EXPECT_TRUE(Contains(quiescence, "b7b8q"));
  EXPECT_TRUE(Contains(quiescence, "b7a8q"));
  EXPECT_TRUE(Contains(quiescence, "g6g7"));
  // Promotions never appear among the quiet moves.
  std::vector<Move> quiet = Quiet();
  EXPECT_FALSE(std::any_of(quiet.begin(), quiet.end(), [](Move m) { return m >= PROMOTION_MIN; }));
  EXPECT_TRUE(Contains(quiet, "g6g7"));
}

struct CastlingCase {
  const char* Fen;
  bool Short;
  bool Long;
  bool StoredShortAccepted;  // a stored castling word is not tested for its destination
};

TEST(Generators, CastlingOnlyWhenPathAndKingAreSafe) {
  const CastlingCase cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true, true},
      {"r3kr2/8/8/8/8/8/8/R3K2R w KQq - 0 1", false, true, false},     // f1 attacked
      {"r3k2r/8/8/2b5/8/8/8/R3K2R w KQkq - 0 1", false, true, true},  // g1 attacked
      {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", false, false, false}, // in check
      {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", true, false, true},   // b1 occupied
      {"1r2k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", true, true, true},     // only b1 attacked
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1", true, false, true},     // right missing
      {"r3k1nr/8/8/8/8/8/8/R3K2R b KQkq - 0 1", false, true, false},   // g8 occupied
      {"r3k2r/8/8/8/8/8/3R4/4K3 b kq - 0 1", true, false, true},      // d8 attacked
  };
  for (const CastlingCase& c : cases) {
    MustSetFen(c.Fen);
    const bool white = Pos.SideToMove == WHITE;
    const char* shortCoord = white ? "e1g1" : "e8g8";
    const char* longCoord = white ? "e1c1" : "e8c8";
    std::vector<Move> all = AllMoves();
    EXPECT_EQ(Contains(all, shortCoord), c.Short) << c.Fen;
    EXPECT_EQ(Contains(all, longCoord), c.Long) << c.Fen;
    std::vector<Move> quiet = Quiet();
    EXPECT_EQ(Contains(quiet, shortCoord), c.Short) << c.Fen;
    EXPECT_EQ(Contains(quiet, longCoord), c.Long) << c.Fen;
    EXPECT_EQ(IsMovePossible(white ? CASTLE_WK : CASTLE_BK), c.StoredShortAccepted) << c.Fen;
    EXPECT_EQ(IsMovePossible(white ? CASTLE_WQ : CASTLE_BQ), c.Long) << c.Fen;
  }
}

TEST(Generators, EnPassantOnlyWhileTheTargetIsSet) {
  MustSetFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  EXPECT_TRUE(Contains(AllMoves(), "e5d6"));
  EXPECT_TRUE(Contains(Captures(), "e5d6"));
  EXPECT_TRUE(Contains(QuiescenceMoves(), "e5d6"));
  MustSetFen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
  EXPECT_FALSE(Contains(AllMoves(), "e5d6"));
  EXPECT_FALSE(Contains(Captures(), "e5d6"));
  // Made on the board: a double step beside an enemy pawn opens the capture.
  MustSetFen("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1");
  vtest::Child e4(MakeMoveWord(E2, E4, PAWN));
  EXPECT_EQ(Pos.EnPassantBB, 1ull << E3);
  EXPECT_TRUE(Contains(AllMoves(), "d4e3"));
}

TEST(Evasions, KnightCheckAllowsOnlyKingMovesAndCapturesOfTheKnight) {
  MustSetFen("4k3/8/8/8/8/3n4/8/R3KB1R w KQ - 0 1");
  ASSERT_TRUE(vtest::InCheck());
  std::vector<Move> evasions = Evasions();
  for (Move m : evasions) EXPECT_TRUE(MoveType(m) == KING || MoveTo(m) == D3) << Coord(m);
  EXPECT_TRUE(Contains(evasions, "f1d3"));
  EXPECT_FALSE(Contains(evasions, "e1g1"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
}

TEST(Evasions, DoubleCheckAllowsOnlyKingMoves) {
  MustSetFen("4r2k/8/8/8/8/Q2n4/8/4K3 w - - 0 1");
  std::vector<Move> evasions = Evasions();
  EXPECT_FALSE(evasions.empty());
  for (Move m : evasions) EXPECT_EQ(MoveType(m), KING) << Coord(m);
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
}

TEST(Evasions, KingDoesNotRetreatAlongTheCheckingLine) {
  MustSetFen("k7/8/8/8/4K3/8/8/4r3 w - - 0 1");
  EXPECT_FALSE(IsAttacked(E5, BLACK));  // shielded by the king itself
  std::vector<Move> evasions = Evasions();
  EXPECT_FALSE(Contains(evasions, "e4e5"));
  EXPECT_TRUE(Contains(evasions, "e4d5"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
}

TEST(Evasions, EnPassantCaptureOfTheCheckingPawn) {
  MustSetFen("8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1");
  std::vector<Move> evasions = Evasions();
  EXPECT_TRUE(Contains(evasions, "e4d3"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
  // The same capture by a pinned pawn is left out.
  MustSetFen("8/8/8/4k3/3Pp3/8/8/4R2K b - d3 0 1");
  evasions = Evasions();
  EXPECT_FALSE(Contains(evasions, "e4d3"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
}

TEST(Evasions, BlocksIncludePromotionsAndDoubleSteps) {
  // A rook on the eighth rank checks along it; c7-c8 blocks with promotions.
  MustSetFen("r3K3/2P5/8/8/8/8/8/7k w - - 0 1");
  std::vector<Move> evasions = Evasions();
  for (const char* m : {"c7c8q", "c7c8r", "c7c8b", "c7c8n"}) EXPECT_TRUE(Contains(evasions, m)) << m;
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
  // A rook checks along the fourth rank: only the double step blocks.
  MustSetFen("7k/8/8/8/K6r/8/3P4/8 w - - 0 1");
  evasions = Evasions();
  EXPECT_TRUE(Contains(evasions, "d2d4"));
  EXPECT_FALSE(Contains(evasions, "d2d3"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
  // A bishop checks along a diagonal that a single step blocks.
  MustSetFen("7k/8/8/8/1b6/8/2P5/4K3 w - - 0 1");
  evasions = Evasions();
  EXPECT_TRUE(Contains(evasions, "c2c3"));
  EXPECT_FALSE(Contains(evasions, "c2c4"));
  EXPECT_EQ(Sorted(evasions), Sorted(vtest::LegalMoves()));
}

// Walks the tree and at every node checks that the staged generators and
// the evasion generator agree with GenerateAll and the legality test.
void CheckGeneratorsAgree(int depth) {
  std::vector<Move> all = AllMoves();
  ASSERT_EQ(std::set<Move>(all.begin(), all.end()).size(), all.size()) << "duplicate moves";
  std::vector<Move> captures = Captures();
  for (Move m : captures) {
    bool enPassant = MoveType(m) == PAWN && FileOf(MoveFrom(m)) != FileOf(MoveTo(m));
    ASSERT_TRUE(MoveCaptured(m) || MovePromotion(m) || enPassant) << Coord(m);
  }
  std::vector<Move> quiet = Quiet();
  for (Move m : quiet) ASSERT_TRUE(!MoveCaptured(m) && !MovePromotion(m)) << Coord(m);
  std::vector<Move> staged = captures;
  staged.insert(staged.end(), quiet.begin(), quiet.end());
  ASSERT_EQ(Sorted(staged), Sorted(all));

  std::vector<Move> expectedQuiescence;
  const int seventh = Pos.SideToMove == WHITE ? 6 : 1;
  for (Move m : all) {
    bool enPassant = MoveType(m) == PAWN && FileOf(MoveFrom(m)) != FileOf(MoveTo(m));
    bool push7 = MoveType(m) == PAWN && RankOf(MoveTo(m)) == seventh && !MoveCaptured(m) && !enPassant;
    int promotion = MovePromotion(m);
    if ((promotion == 0 || promotion == QUEEN) && (MoveCaptured(m) || enPassant || promotion || push7))
      expectedQuiescence.push_back(m);
  }
  ASSERT_EQ(Sorted(QuiescenceMoves()), Sorted(expectedQuiescence));

  std::vector<Move> legal = vtest::LegalMoves();
  if (vtest::InCheck()) {
    ASSERT_EQ(Sorted(Evasions()), Sorted(legal)) << "evasions differ from the legal moves";
  }
  if (depth <= 1) return;
  for (Move m : legal) {
    vtest::Child child(m);
    CheckGeneratorsAgree(depth - 1);
    if (::testing::Test::HasFatalFailure()) {
      ADD_FAILURE() << "after " << Coord(m);
      return;
    }
  }
}

TEST(Generators, AgreeWithEachOtherOverTrees) {
  ClearOrderingState();
  for (const char* fen : vtest::SixPositions()) {
    MustSetFen(fen);
    CheckGeneratorsAgree(2);
    ASSERT_FALSE(HasFatalFailure()) << fen;
  }
  for (const char* fen : vtest::TrickyPositions()) {
    MustSetFen(fen);
    CheckGeneratorsAgree(3);
    ASSERT_FALSE(HasFatalFailure()) << fen;
  }
}

// Random games reach many more positions in check than a shallow tree.
TEST(Generators, AgreeWithEachOtherAlongRandomGames) {
  ClearOrderingState();
  std::mt19937 rng(2024);
  int checks = 0;
  for (int game = 0; game < 120; game++) {
    MustSetFen(vtest::SixPositions()[game % 6]);
    std::vector<std::unique_ptr<vtest::Child>> line;
    for (int ply = 0; ply < 50 && Tree.Ply < MAX_PLY - 2; ply++) {
      std::vector<Move> legal = vtest::LegalMoves();
      if (legal.empty()) break;
      if (vtest::InCheck()) checks++;
      CheckGeneratorsAgree(1);
      ASSERT_FALSE(HasFatalFailure()) << "game " << game << " ply " << ply;
      line.push_back(std::make_unique<vtest::Child>(legal[rng() % legal.size()]));
    }
    while (!line.empty()) line.pop_back();
  }
  EXPECT_GT(checks, 100);
}

TEST(Buckets, OrderingBucketsOfGenerateAll) {
  ClearOrderingState();
  // Captures by a lighter, an equal and a heavier piece; killers, castling,
  // the principal variation and hash moves; quiet moves by piece and square.
  MustSetFen("4k3/3p4/8/3n1p2/4P3/8/8/R2QK2R w KQ - 0 1");
  Tree.MoveAtPly[1] = MakeMoveWord(E7, D5, KNIGHT);  // the knight has just arrived
  const Move pawnTakesKnight = MakeMoveWord(E4, D5, PAWN, KNIGHT);
  const Move pawnTakesPawn = MakeMoveWord(E4, F5, PAWN, PAWN);
  const Move queenTakesKnight = MakeMoveWord(D1, D5, QUEEN, KNIGHT);
  const Move rookMove = MakeMoveWord(A1, A4, ROOK);
  const Move killer = MakeMoveWord(A1, A2, ROOK);
  const Move killer2 = MakeMoveWord(H1, H5, ROOK);
  const Move pv = MakeMoveWord(D1, G4, QUEEN);
  Srch.Killer1[1] = killer;
  Srch.Killer2[1] = killer2;
  Srch.PvTable[0][1] = pv;
  Srch.RootHashMove = MakeMoveWord(E1, F2, KING);
  GenerateAll();
  auto bucketOf = [](Move m) {
    const PlyBuckets& b = Gen.RootBuckets[1];
    for (int i = 0; i < BUCKET_COUNT; i++)
      for (int j = 0; j < b.Count[i]; j++)
        if (b.Moves[i][j] == m) return i;
    return -1;
  };
  EXPECT_EQ(Gen.RecaptureSquare, D5);
  EXPECT_EQ(bucketOf(pv), 0);
  EXPECT_EQ(bucketOf(Srch.RootHashMove), 0);
  EXPECT_EQ(bucketOf(pawnTakesKnight), 1);  // onto the recapture square
  EXPECT_EQ(bucketOf(pawnTakesPawn), 3);
  EXPECT_EQ(bucketOf(queenTakesKnight), 6);
  EXPECT_EQ(bucketOf(killer), 5);
  EXPECT_EQ(bucketOf(killer2), 6);
  EXPECT_EQ(bucketOf(CASTLE_WK), 7);
  EXPECT_EQ(bucketOf(rookMove), 8 + 4 * 3 + 3);
  EXPECT_EQ(bucketOf(MakeMoveWord(E4, E5, PAWN)), 8 + 0);
  EXPECT_EQ(bucketOf(MakeMoveWord(D1, D3, QUEEN)), 24);
  ClearOrderingState();
}

TEST(Buckets, QuietBucketByTypeAndCentreDistance) {
  InitAttackTables();
  EXPECT_EQ(Gen.QuietBucket[PAWN - 1][E4], 8);
  EXPECT_EQ(Gen.QuietBucket[KNIGHT - 1][F3], 14);
  EXPECT_EQ(Gen.QuietBucket[BISHOP - 1][A1], 19);
  EXPECT_EQ(Gen.QuietBucket[ROOK - 1][C6], 22);
  EXPECT_EQ(Gen.QuietBucket[QUEEN - 1][D4], 24);
  EXPECT_EQ(Gen.QuietBucket[KING - 1][H8], 24);
}

TEST(Scores, CapturesQuietMovesAndEvasions) {
  ClearOrderingState();
  MustSetFen("4k3/8/4p3/3p4/4P3/8/1P6/3QK3 w - - 0 1");
  GenerateCaptures();
  const PlyMoveList& list = Gen.MoveList[1];
  ASSERT_EQ(list.End, 2);  // exd5 and Qxd5
  for (int i = 0; i < list.End; i++) {
    if (MoveType(list.Moves[i]) == PAWN) EXPECT_EQ(list.Scores[i], 100u + 10000u);
    else EXPECT_EQ(list.Scores[i], static_cast<uint32_t>(10000 - 700));  // Qxd5 exd5 exd5
  }
  Srch.HistoryTable[WHITE][MakeMoveWord(B2, B4, PAWN) & 0xFFF] = 41;
  GenerateQuiet();
  for (int i = 0; i < list.End; i++) {
    if (list.Moves[i] == MakeMoveWord(B2, B4, PAWN)) EXPECT_EQ(list.Scores[i], 42u);
    else EXPECT_EQ(list.Scores[i], 1u);
  }
  ClearOrderingState();
  // A pawn stepping to the seventh rank raises the flag.
  MustSetFen("4k3/8/1P6/8/8/8/8/4K3 w - - 0 1");
  Gen.SeventhRankPush = false;
  GenerateQuiet();
  EXPECT_TRUE(Gen.SeventhRankPush);
  // Evasions: capturing the checker with a lighter piece scores value - 2000 + 1.
  MustSetFen("4k3/8/8/8/8/3n4/4P3/4K3 w - - 0 1");
  Srch.Killer1[1] = MakeMoveWord(E1, F1, KING);
  GenerateEvasions();
  int found = 0;
  for (int i = 0; i < list.End; i++) {
    if (list.Moves[i] == MakeMoveWord(E2, D3, PAWN, KNIGHT)) {
      EXPECT_EQ(list.Scores[i], static_cast<uint32_t>(300 - 2000 + 1));
      found++;
    }
    if (list.Moves[i] == Srch.Killer1[1]) {
      EXPECT_EQ(list.Scores[i], static_cast<uint32_t>(-2100 + 1));
      found++;
    }
  }
  EXPECT_EQ(found, 2);
  ClearOrderingState();
}

TEST(Capacity, GeneratorsStopAtTheEndOfTheirLists) {
  // Far more queens than chess allows: 263 quiet moves, more than one list
  // holds; the buckets share them out and keep them all.
  MustSetFen("QQQQQB1k/Q4Q2/Q5QB/Q6Q/Q6Q/Q6Q/Q6Q/KQQQQQQQ w - - 0 1");
  GenerateAll();
  int total = 0;
  for (int i = 0; i < BUCKET_COUNT; i++) {
    EXPECT_LE(Gen.RootBuckets[1].Count[i], BUCKET_SIZE);
    total += Gen.RootBuckets[1].Count[i];
  }
  EXPECT_EQ(total, 263);
  GenerateQuiet();
  EXPECT_EQ(Gen.MoveList[1].End, MOVE_LIST_SIZE);
  GenerateCaptures();
  EXPECT_LE(Gen.MoveList[1].End, MOVE_LIST_SIZE);
}

}  // namespace
