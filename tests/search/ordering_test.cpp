// Move ordering: the stages of the tree pickers, killer and history updates,
// and the sorted root list.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "search/search_test_util.h"

namespace {

using searchtest::Coord;
using searchtest::SearchTest;

class OrderingTest : public SearchTest {
 protected:
  // A node at ply 2 reached by no particular move.
  void Node(const std::string& fen) {
    Position(fen);
    Tree.Ply = 2;
    Tree.MoveAtPly[2] = 0;
    Srch.PickStage[2] = 0;
    Srch.HashMoveAtPly[2] = 0;
    Srch.Killer1[2] = Srch.Killer2[2] = 0;
  }
  void TearDown() override { Tree.Ply = 1; }

  std::vector<std::string> Picks(Move (*picker)()) {
    std::vector<std::string> picks;
    for (Move m = picker(); m != 0; m = picker()) picks.push_back(Coord(m));
    return picks;
  }
};

// White: Nf3xd4 wins a knight, exd5 a pawn, Ra1xa4 takes a knight that a pawn
// defends (exchange value -200).
constexpr const char* CAPTURES_FEN = "4k3/8/8/1p1p4/n2nP3/5N2/8/R3K3 w - - 0 1";

Move Find(const std::string& coord) {
  GenerateAll();
  const PlyBuckets& b = Gen.RootBuckets[Tree.Ply];
  for (int i = 0; i < BUCKET_COUNT; i++)
    for (int j = 0; j < b.Count[i]; j++)
      if (Coord(b.Moves[i][j]) == coord) return b.Moves[i][j];
  ADD_FAILURE() << "no move " << coord;
  return 0;
}

TEST_F(OrderingTest, KillerUpdates) {
  Node(CAPTURES_FEN);
  const Move a = Find("e1f2"), b = Find("a1b1"), c = Find("e1d2"), capture = Find("e4d5");
  Srch.Killer1[2] = a;
  Srch.Killer2[2] = b;
  UpdateKillersAndHistory(b, 300);  // the second killer moves up
  EXPECT_EQ(Srch.Killer1[2], b);
  EXPECT_EQ(Srch.Killer2[2], a);
  Srch.Killer1[2] = a;
  Srch.Killer2[2] = b;
  UpdateKillersAndHistory(c, 300);  // a new move replaces the second killer
  EXPECT_EQ(Srch.Killer1[2], a);
  EXPECT_EQ(Srch.Killer2[2], c);
  UpdateKillersAndHistory(a, 300);  // the first killer again: nothing changes
  EXPECT_EQ(Srch.Killer1[2], a);
  EXPECT_EQ(Srch.Killer2[2], c);
  UpdateKillersAndHistory(capture, 300);  // captures are not killers in the tree
  EXPECT_EQ(Srch.Killer1[2], a);
  EXPECT_EQ(Srch.Killer2[2], c);
  Srch.Killer1[2] = Srch.Killer2[2] = 0;
  UpdateKillersAndHistory(b, 300);  // an empty first slot takes the move
  EXPECT_EQ(Srch.Killer1[2], b);
  EXPECT_EQ(Srch.Killer2[2], 0u);

  // History: depth squared in 1/60 ply, so a cut-off at 5 plies adds 90000.
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
  UpdateKillersAndHistory(c, 300);
  EXPECT_EQ(Srch.HistoryTable[WHITE][c & 0xFFF], 90000u);
  EXPECT_EQ(Srch.HistoryTable[WHITE][capture & 0xFFF], 0u);
  // It saturates instead of wrapping, so the move still gets picked.
  Srch.HistoryTable[WHITE][c & 0xFFF] = 0xFFFFFFF0u;
  UpdateKillersAndHistory(c, 3000);
  EXPECT_EQ(Srch.HistoryTable[WHITE][c & 0xFFF], 0x7FFFFFFFu);

  // The root rule takes every move, captures too, and pushes the old first killer down.
  Tree.Ply = 1;
  Srch.Killer1[1] = a;
  Srch.Killer2[1] = 0;
  UpdateRootKillersAndHistory(capture, 300);
  EXPECT_EQ(Srch.Killer1[1], capture);
  EXPECT_EQ(Srch.Killer2[1], a);
  UpdateRootKillersAndHistory(capture, 300);
  EXPECT_EQ(Srch.Killer2[1], a);
  EXPECT_EQ(Srch.HistoryTable[WHITE][capture & 0xFFF], 0u);
}

TEST_F(OrderingTest, LosingCaptureScoresBelowGoodCaptures) {
  Node(CAPTURES_FEN);
  GenerateCaptures();
  const PlyMoveList& list = Gen.MoveList[2];
  std::vector<std::pair<std::string, uint32_t>> scored;
  for (int i = 0; i < list.End; i++) scored.push_back({Coord(list.Moves[i]), list.Scores[i]});
  EXPECT_EQ(scored, (std::vector<std::pair<std::string, uint32_t>>{
                        {"e4d5", 10100}, {"f3d4", 10300}, {"a1a4", 9800}}));
}

TEST_F(OrderingTest, StagesHashCapturesKillersLosingCapturesQuiet) {
  Node(CAPTURES_FEN);
  const Move hash = Find("e1f2");
  Srch.HashMoveAtPly[2] = hash;
  Srch.Killer1[2] = hash;  // a hash move that is also a killer comes twice
  Srch.Killer2[2] = Find("a1b1");
  std::vector<std::string> picks = Picks(NextMove);
  ASSERT_GE(picks.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(picks.begin(), picks.begin() + 6),
            (std::vector<std::string>{"e1f2", "f3d4", "e4d5", "e1f2", "a1b1", "a1a4"}));
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "e1f2"), 2);
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "a1b1"), 1);
  // Every pseudo-legal move comes exactly once besides the repeated killer.
  GenerateAll();
  size_t total = 0;
  for (int i = 0; i < BUCKET_COUNT; i++) total += Gen.RootBuckets[2].Count[i];
  EXPECT_EQ(picks.size(), total + 1);
}

TEST_F(OrderingTest, HashCaptureIsTakenOutOfTheList) {
  Node(CAPTURES_FEN);
  Srch.HashMoveAtPly[2] = Find("e4d5");
  std::vector<std::string> picks = Picks(NextMove);
  ASSERT_GE(picks.size(), 3u);
  EXPECT_EQ(picks[0], "e4d5");
  EXPECT_EQ(picks[1], "f3d4");
  EXPECT_EQ(picks[2], "a1a4");
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "e4d5"), 1);
}

TEST_F(OrderingTest, StoredMovesThatCannotBePlayedAreSkipped) {
  Node(CAPTURES_FEN);
  // A killer of another position: there is no knight on b1.
  Srch.Killer1[2] = MakeMoveWord(B1, C3, KNIGHT);
  // A hash move from a key collision: no bishop on c1.
  Srch.HashMoveAtPly[2] = MakeMoveWord(C1, G5, BISHOP);
  std::vector<std::string> picks = Picks(NextMove);
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "b1c3"), 0);
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "c1g5"), 0);
  EXPECT_EQ(picks.front(), "f3d4");
}

TEST_F(OrderingTest, EvasionsSingleReplyAndHashMove) {
  Node("k7/8/8/8/8/8/1q6/K7 w - - 0 1");
  EXPECT_EQ(Picks(NextEvasion), (std::vector<std::string>{"a1b2"}));
  EXPECT_EQ(Gen.EvasionCount[2], 1);

  // Rook check on the e-file: the hash move first, not offered again; a hash
  // move that answers nothing is dropped.
  Node("4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1");
  Srch.HashMoveAtPly[2] = Find("e1f2");
  std::vector<std::string> picks = Picks(NextEvasion);
  EXPECT_EQ(picks.front(), "e1f2");
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "e1f2"), 1);
  EXPECT_EQ(Gen.EvasionCount[2], static_cast<int>(picks.size()));
  Node("4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1");
  Srch.HashMoveAtPly[2] = Find("d2b3");
  picks = Picks(NextEvasion);
  EXPECT_EQ(std::count(picks.begin(), picks.end(), "d2b3"), 0);
  EXPECT_EQ(picks.size(), static_cast<size_t>(Gen.EvasionCount[2]));
}

TEST_F(OrderingTest, RootOrderOverridesThenCaptureSearch) {
  // Black's queen on d5 is en prise to the e4 pawn.
  Position("rnb1kbnr/ppp1pppp/8/3q4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1");
  Tree.Ply = 1;
  Srch.RootBestMove = Find("g1f3");
  Srch.RootHashMove = Find("b1c3");
  Srch.Killer1[1] = Find("d2d4");
  Srch.Killer2[1] = Find("a2a3");
  GenerateAll();
  int generated = 0;
  for (int i = 0; i < BUCKET_COUNT; i++) generated += Gen.RootBuckets[1].Count[i];
  OrderRootMoves();
  const PlyBuckets& b = Gen.RootBuckets[1];
  for (int i = 1; i < BUCKET_COUNT; i++) EXPECT_EQ(b.Count[i], 0);
  ASSERT_GE(b.Count[0], 5);
  std::vector<std::string> first;
  for (int i = 0; i < 5; i++) first.push_back(Coord(b.Moves[0][i]));
  EXPECT_EQ(first, (std::vector<std::string>{"g1f3", "b1c3", "d2d4", "a2a3", "e4d5"}));
  EXPECT_EQ(b.Count[0], generated);  // every move of the position, nothing lost
  Srch.RootBestMove = Srch.RootHashMove = 0;
}

}  // namespace
