// Inside the search tree: the pickers' stage order, the history counters, the
// capture search's filters, the alpha-beta node's draws and results, and what
// the root records (draw flag, MultiPV lines). These rules show only in the
// search's own records.
#include <cctype>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"
#include "support/engine.h"
#include "support/fen_board.h"

namespace {

using vtest::Coord;

// White: Nf3xd4 wins a knight, exd5 a pawn, Ra1xa4 takes a knight a pawn defends.
constexpr const char* CAPTURES_FEN = "4k3/8/8/1p1p4/n2nP3/5N2/8/R3K3 w - - 0 1";
constexpr const char* ROOK_CHECK_FEN = "4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1";
constexpr const char* BUSY_FEN = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 1";

// A generated move by its coordinates ("" for none); a move no piece here can
// make (a killer or hash move of another position) as piece letter and squares.
Move Resolve(const std::string& text) {
  if (text.empty() || !std::isupper(text[0])) return text.empty() ? 0 : vtest::FindMove(text);
  auto square = [&](int at) { return text[at] - 'a' + 8 * (text[at + 1] - '1'); };
  return MakeMoveWord(square(1), square(3), PieceCodeOfLetter(text[0]));
}

// A node at this ply of a position (one the engine refuses goes on the board as it is), reached by no move.
void Node(const std::string& fen, int ply = 2) {
  if (!vtest::SetFen(fen)) vtest::LoadFen(fen);
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

TEST_F(SearchTree, PickerStages) {
  // Hash move, killers; the first moves picked; a move picked twice (a hash move that is also a killer); one never.
  const struct { const char *Fen, *Hash, *Killer1, *Killer2, *First, *Twice, *Never; } rows[] = {
      {CAPTURES_FEN, "e1f2", "e1f2", "a1b1", "e1f2 f3d4 e4d5 e1f2 a1b1 a1a4 ", "e1f2", ""},  // hash, good captures,
      {CAPTURES_FEN, "e4d5", "", "", "e4d5 f3d4 a1a4 ", "", ""},       // killers, losing captures, quiet moves
      {CAPTURES_FEN, "Bc1g5", "Nb1c3", "", "f3d4 ", "", "b1c3"},       // moves of another position
      {"k7/8/8/8/8/8/1q6/K7 w - - 0 1", "", "", "", "a1b2 ", "", ""},  // evasions
      {ROOK_CHECK_FEN, "e1f2", "", "", "e1f2 ", "", ""},
      {ROOK_CHECK_FEN, "d2b3", "", "", "", "", "d2b3"},  // a hash move that answers nothing
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.Fen) + " hash " + r.Hash);
    Node(r.Fen);
    const Move hash = Resolve(r.Hash), k1 = Resolve(r.Killer1), k2 = Resolve(r.Killer2);
    Tree.Ply = 1;
    GenerateAll();
    size_t generated = 0;
    for (int i = 0; i < BUCKET_COUNT; i++) generated += Gen.RootBuckets[1].Count[i];
    Tree.Ply = 2;
    Srch.HashMoveAtPly[2] = hash;
    Srch.Killer1[2] = k1;
    Srch.Killer2[2] = k2;
    std::string picks;
    size_t count = 0;
    for (Move m; (m = Tree.InCheckAtPly[2] ? NextEvasion() : NextMove()) != 0; count++) picks += Coord(m) + " ";
    EXPECT_EQ(picks.substr(0, std::strlen(r.First)), r.First);
    if (*r.Twice) { EXPECT_NE(picks.find(r.Twice), picks.rfind(r.Twice)); }
    if (*r.Never) { EXPECT_EQ(picks.find(r.Never), std::string::npos); }
    EXPECT_EQ(count, Tree.InCheckAtPly[2] ? Gen.EvasionCount[2] : generated + (*r.Twice ? 1 : 0)) << picks;
  }
}

TEST_F(SearchTree, HistorySaturatesSoThatTheMoveIsStillPicked) {
  Node(CAPTURES_FEN);
  const Move quiet = Resolve("e1d2"), capture = Resolve("e4d5");
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
      {"4k3/8/8/8/8/8/8/4RK2 w - - 0 1", -300, 1000, 1000, false},    // the king can be taken
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

TEST(Root, DrawFlagLegalMovesAndMultiPv) {
  // FEN, moves played, drawn, legal moves at the root.
  const struct { const char *Fen, *Moves; bool Drawn; int Legal; } rows[] = {
      {vtest::START_FEN, "g1f3 g8f6 f3g1 f6g8", false, 20},  // a second occurrence is played on
      {vtest::START_FEN, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true, 20},
      {"4k3/8/8/8/8/8/R7/4K3 w - - 100 80", "", true, 19},  // fifty moves
      {"k7/8/1Q6/8/8/8/8/K7 b - - 0 1", "", true, 0},       // stalemate
      {"6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1", "", false, 0},
  };
  for (const auto& r : rows) {
    vtest::FreshEngine();
    ASSERT_TRUE(vtest::SetFen(r.Fen));
    std::vector<std::string> moves;
    for (const char* m = r.Moves; *m; m += m[4] ? 5 : 4) moves.emplace_back(m, 4);
    ASSERT_TRUE(vtest::Play(moves));
    const Move best = vtest::SearchDepth(3).Best;
    EXPECT_EQ(std::vector<int>({Srch.DrawFlag, Srch.RootLegalMoves, best != 0}),
              std::vector<int>({r.Drawn, r.Legal, r.Legal > 0})) << r.Fen << " " << r.Moves << ": drawn, legal, move";
  }
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
