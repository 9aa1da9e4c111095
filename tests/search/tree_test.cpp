// Inside the search tree: the history counters, the capture search's filters,
// the alpha-beta node's draws and results, and the root's MultiPV lines. These
// rules show only in the search's own records.
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"
#include "support/engine.h"

namespace {

using vtest::Coord;

constexpr const char* CAPTURES_FEN = "4k3/8/8/1p1p4/n2nP3/5N2/8/R3K3 w - - 0 1";
constexpr const char* BUSY_FEN = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 1";

// A node at this ply of a position, reached by no move. A FEN whose side to move is "x" is set up
// with Black to move and then handed to White, who can take the king (no FEN reader takes that).
void Node(std::string fen, int ply = 2) {
  const size_t side = fen.find(" x ");
  if (side != std::string::npos) fen[side + 1] = 'b';
  ASSERT_TRUE(vtest::SetFen(fen)) << fen;
  if (side != std::string::npos) Pos.SideToMove = WHITE, RecomputeKeys();
  Tree.Ply = ply;
  Tree.MoveAtPly[ply] = Tree.HalfmoveClock[ply] = 0;
  Tree.InCheckAtPly[ply] = KingAttacked(Pos.SideToMove);
  Srch.PickStage[ply] = 0;
  Srch.HashMoveAtPly[ply] = Srch.Killer1[ply] = Srch.Killer2[ply] = 0;
  std::memset(Srch.ExtensionFlag, 0, sizeof Srch.ExtensionFlag);
  Srch.IterationDepth = 4;
  Srch.FutilityActive = true;
  Srch.StopSearch = Srch.PollingEnabled = false;
  Srch.NodeCount = 0;
}

using SearchTree = vtest::EngineTest;

TEST_F(SearchTree, HashMovesThatCannotBePlayedHereAreDropped) {
  // A bishop move of another position; in check, a knight move that answers nothing.
  const struct { const char *Fen, *Never; Move Hash; } rows[] = {
      {CAPTURES_FEN, "c1g5", MakeMoveWord(C1, G5, BISHOP)},
      {"4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1", "d2b3", MakeMoveWord(D2, B3, KNIGHT)}};
  for (const auto& r : rows) {
    Node(r.Fen);
    Srch.HashMoveAtPly[2] = r.Hash;
    std::string picks;
    for (Move m; (m = Tree.InCheckAtPly[2] ? NextEvasion() : NextMove()) != 0;) picks += Coord(m) + " ";
    EXPECT_NE(picks, "");
    EXPECT_EQ(picks.find(r.Never), std::string::npos) << picks;
    EXPECT_EQ(Srch.HashMoveAtPly[2], 0u) << r.Fen;
  }
}

TEST_F(SearchTree, HistorySaturatesSoThatTheMoveIsStillPicked) {
  Node(CAPTURES_FEN);
  const Move quiet = vtest::FindMove("e1d2"), capture = vtest::FindMove("e4d5");
  Tree.Ply = 2;
  UpdateKillersAndHistory(quiet, 300);
  UpdateKillersAndHistory(capture, 300);
  EXPECT_EQ(Srch.HistoryTable[WHITE][quiet & 0xFFF] + Srch.HistoryTable[WHITE][capture & 0xFFF], 90000u)
      << "depth squared, never for captures";
  Srch.HistoryTable[WHITE][quiet & 0xFFF] = 0xFFFFFFF0u;
  UpdateKillersAndHistory(quiet, 3000);
  EXPECT_EQ(Srch.HistoryTable[WHITE][quiet & 0xFFF], 0x7FFFFFFFu);
}

TEST_F(SearchTree, CaptureSearch) {
  // Window; the result (STAND_PAT: the static evaluation, 0: not checked); whether captures are searched.
  constexpr int STAND_PAT = 1 << 20, M = MATE_SCORE;
  const struct { const char* Fen; int Alpha, Beta, Score; bool Searched; } rows[] = {
      {"4k3/8/8/8/8/8/8/4RK2 x - - 0 1", -300, 1000, 1000, false},    // the king can be taken
      {"4k3/8/8/8/8/8/8/Q3K3 w - - 0 1", -M, 100, STAND_PAT, false},  // stand pat at or above beta
      {"4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", -M, M, 0, false},       // a losing exchange
      {"4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", -M, M, 0, true},        // a winning one
      {"3rk3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1", 600, 700, 0, false},    // far below alpha
      {"3rk3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1", -M, M, 0, true},
      {"2b1k3/8/8/3p4/4P3/8/8/R3K3 w - - 0 1", 600, 700, 0, true},  // ... unless the opponent is left bare
  };
  for (const auto& r : rows) {
    Node(r.Fen);
    const int standPat = EvaluateForSide(-MATE_SCORE, MATE_SCORE);
    const int score = CaptureSearch(r.Alpha, r.Beta);
    if (r.Score) { EXPECT_EQ(score, r.Score == STAND_PAT ? standPat : r.Score) << r.Fen; }
    EXPECT_EQ(Srch.NodeCount > 1, r.Searched) << r.Fen;
  }
  Node("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", MAX_PLY);
  Srch.PvTable[MAX_PLY][MAX_PLY] = 12345;
  EXPECT_EQ(CaptureSearch(-50, 70), 70) << "the ply limit";
  EXPECT_EQ(Srch.PvTable[MAX_PLY][MAX_PLY], 0u) << "the line ends there";
}

TEST_F(SearchTree, NodeDrawsAndResults) {
  // Game moves before the root, halfmove clock at the node (ply 3), where the node's key was met before (-1:
  // nowhere), drawn.
  const struct { const char* Fen; int Moves, Clock, SeenAt; bool Drawn; } rows[] = {
      {BUSY_FEN, 6, 4, 4, true},     // the node (entry 8) four half-moves back
      {BUSY_FEN, 6, 1, 4, false},    // beyond the reach of the halfmove clock
      {BUSY_FEN, 0, 60, -1, false},  // early in a game the look back stops at entry 0
      {BUSY_FEN, 0, 100, -1, true},  // fifty moves
      {BUSY_FEN, 0, 99, -1, false},
      {"4k3/8/8/3n4/8/8/8/3BK3 w - - 0 1", 0, 0, -1, true},   // bare minor pieces
      {"4k3/8/8/3r4/8/8/8/3BK3 w - - 0 1", 0, 0, -1, false},  // a rook can mate
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.Fen) + " clock " + std::to_string(r.Clock));
    Node(r.Fen, 3);
    History.GameMoveCount = r.Moves;
    Tree.HalfmoveClock[3] = r.Clock;
    if (r.SeenAt >= 0) History.KeyHistory[r.SeenAt] = Pos.Key;
    EXPECT_EQ(r.Drawn ? Search(-200, 200, 4 * ONE_PLY, 1) == 0 && Srch.NodeCount == 1 : IsDraw(), r.Drawn);
    EXPECT_EQ(Srch.RepetitionSeen, r.SeenAt >= 0 && r.Drawn);
    EXPECT_EQ(History.KeyHistory[r.Moves + 2], Pos.Key) << "the node's key is recorded";
  }
  Node("6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1", 3);
  EXPECT_EQ(Search(-MATE_SCORE, MATE_SCORE, 2 * ONE_PLY, 1), 3 - MATE_SCORE) << "mated at ply 3";
  Node("k7/8/1Q6/8/8/8/8/K7 b - - 0 1", 3);
  EXPECT_EQ(Search(-100, 100, 2 * ONE_PLY, 1), 0) << "stalemate";
  Node(BUSY_FEN, MAX_PLY);
  EXPECT_EQ(Search(-30, 40, 4 * ONE_PLY, 1), 40);
  EXPECT_EQ(Srch.NodeCount, 0) << "the ply limit counts no node";
  Node("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 3);
  EXPECT_EQ(Search(-MATE_SCORE, MATE_SCORE, 2 * ONE_PLY, 1), MATE_SCORE - 4);
  EXPECT_EQ(Coord(Srch.PvTable[3][3]), "d1d8");
  EXPECT_EQ(Srch.PvTable[3][4], 0u);
}

TEST(Root, MultiPvLinesAgreeWithTheSingleLine) {
  vtest::FreshEngine();
  SearchConfig.MultiPvCount = 3;
  ASSERT_TRUE(vtest::SetFen(vtest::KIWIPETE_FEN));
  const vtest::SearchResult multi = vtest::SearchDepth(4);
  const MultiPvRecord* lines = MultiPv.MultiPvLine;
  const MultiPvRecord best = lines[1];
  EXPECT_EQ(std::vector<int>({lines[1].Depth, lines[2].Depth, lines[3].Depth, MultiPv.WorstMultiPvScore}),
            std::vector<int>({4, 4, 4, lines[3].Score}));
  EXPECT_TRUE(lines[1].Score >= lines[2].Score && lines[2].Score >= lines[3].Score);
  EXPECT_TRUE(lines[3].FirstMove && lines[1].FirstMove != lines[2].FirstMove &&
              lines[2].FirstMove != lines[3].FirstMove && lines[1].FirstMove != lines[3].FirstMove)
      << "three different moves";
  EXPECT_EQ(multi.Best, best.FirstMove) << "the move played is the best line's, and so is the reply";
  EXPECT_EQ(std::vector<Move>({multi.Reply, Srch.PvTable[0][3]}), std::vector<Move>({best.Rest[0], best.Rest[1]}));
  EXPECT_NE(multi.Reply, 0u);
  vtest::FreshEngine();
  ASSERT_TRUE(vtest::SetFen(vtest::KIWIPETE_FEN));
  const vtest::SearchResult single = vtest::SearchDepth(4);
  EXPECT_EQ(single.Best, multi.Best) << "a single line agrees with the best of three";
  EXPECT_NEAR(single.Score, best.Score, 30);
}

}  // namespace
