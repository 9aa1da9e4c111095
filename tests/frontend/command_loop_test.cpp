// The command loop in process: input through a pipe on fd 0, then the state it
// leaves (time control, game record, colours, position) is inspected.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "position/position.h"
#include "search/search.h"
#include "support/fen_board.h"
#include "support/stdin_pipe.h"

namespace {

void ResetGame() {
  vtest::InitPositionTables();
  Game.HasSetupStart = false;
  NewGame();
  Game.GameMoveCount = 0;
  std::memset(Game.GameMoves, 0, sizeof Game.GameMoves);
  std::memset(Game.KeyHistory, 0, sizeof Game.KeyHistory);
  Game.ForceMode = 0;
  Game.AnalyzeMode = 0;
  Game.QuitRequested = 0;
  Game.GameOverMark = 0;
  Game.PonderEnabled = 1;
  Game.EngineColour = BLACK;
  Game.HumanColour = WHITE;
  Game.CurrentMove = 0;
  Game.LogFile = nullptr;
  Game.ErrorFile = nullptr;
  Game.PendingInput[0] = 0;
  Clock = TimeControlState{};
  Tree.Ply = 1;
}

// The game loop's course without a search: command loop, then the move it
// handed back, until the input ends. Returns what was printed.
std::string RunLoop(const std::string& input) {
  Game.QuitRequested = 0;
  vtest::StdinPipe in(input);
  testing::internal::CaptureStdout();
  for (;;) {
    CommandLoop(false);
    if (Game.QuitRequested) break;
    if (!Game.AnalyzeMode) PlayCurrentMove();
  }
  return testing::internal::GetCapturedStdout();
}

const std::string QUIT_TEXT = "\nPlease wait...\n\n";

// Every redundant part of the position agrees with a fresh recompute.
void ExpectConsistentPosition() {
  PositionRecord now = Pos;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeKeys();
  EXPECT_EQ(std::memcmp(Pos.PieceBB, now.PieceBB, sizeof Pos.PieceBB), 0);
  EXPECT_EQ(Pos.AllOcc, now.AllOcc);
  EXPECT_EQ(Pos.RotatedOcc, now.RotatedOcc);
  EXPECT_EQ(Pos.Material, now.Material);
  EXPECT_EQ(Pos.Key, now.Key);
  EXPECT_EQ(Pos.PawnKey, now.PawnKey);
  EXPECT_EQ(Pos.ImbalanceKey, ComputeImbalanceKey());
}

// The position after the given coordinate moves from the standard start; the
// game and position being tested are left as they were.
PositionRecord PositionAfter(const std::vector<std::string>& moves) {
  PositionRecord savedPos = Pos;
  static GameRecord savedGame;
  savedGame = Game;
  TreeRecord savedTree = Tree;
  Game.HasSetupStart = false;
  NewGame();
  for (const auto& coord : moves) {
    Move m = vtest::FindGenerated(coord);
    EXPECT_NE(m, 0u) << coord;
    Tree.HalfmoveClock[1] = 0;
    MakeMove(m);
    Pos.SideToMove ^= 1;
  }
  RecomputeKeys();
  PositionRecord p = Pos;
  Pos = savedPos;
  Game = savedGame;
  Tree = savedTree;
  return p;
}

void ExpectSamePlacement(const PositionRecord& a, const PositionRecord& b) {
  EXPECT_EQ(std::memcmp(a.Board, b.Board, sizeof a.Board), 0);
  EXPECT_EQ(a.SideToMove, b.SideToMove);
  EXPECT_EQ(a.Key, b.Key);
  EXPECT_EQ(a.EnPassantBB, b.EnPassantBB);
  EXPECT_EQ(a.CastleRights, b.CastleRights);
}

class CommandLoopTest : public testing::Test {
 protected:
  void SetUp() override { ResetGame(); }
};

TEST_F(CommandLoopTest, LevelConventionalAndIncrement) {
  RunLoop("level 40 5 0\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 700);
  EXPECT_EQ(Clock.LevelMoveTime, 700);
  EXPECT_EQ(Clock.LevelMoves, 40);
  EXPECT_EQ(Game.IncrementMode, 0);

  ResetGame();
  RunLoop("level 0 2 12\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 1200);
  EXPECT_EQ(Clock.LevelMoveTime, 1200);
  EXPECT_EQ(Clock.LevelMoves, 1);
  EXPECT_EQ(Game.IncrementMode, 1);

  // Capitals are lower-cased.
  ResetGame();
  RunLoop("LEVEL 40 5 9\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 700);
  EXPECT_EQ(Clock.LevelMoves, 40);
}

TEST_F(CommandLoopTest, LevelReadsMinutesSecondsAndFractionalIncrements) {
  // xboard writes "-tc 0:10 -inc 0.1" as "level 0 0:10 0.1".
  RunLoop("level 0 0:10 0.1\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 10);
  EXPECT_EQ(Clock.LevelMoveTime, 10);
  EXPECT_EQ(Game.IncrementMode, 1);
  RunLoop("level 0 2:30 12\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 1200);
  RunLoop("level 0 1 .5\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 50);
  RunLoop("level 0 1 2.345\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 234) << "hundredths kept, the rest dropped";
  // The seconds count in a conventional control: 330 s over 40 moves is 8 s.
  RunLoop("level 40 5:30 0\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 800);
  EXPECT_EQ(Game.IncrementMode, 0);
  // A colon without seconds, or a negative increment, changes nothing.
  RunLoop("level 0 5: 3\nlevel 0 5 -0.5\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 800);
  EXPECT_EQ(Clock.LevelMoves, 40);
}

TEST_F(CommandLoopTest, LevelWithoutNumbersOrWithNegativesChangesNothing) {
  Clock.MoveTimeBudget = 2000;
  Clock.LevelMoves = 7;
  RunLoop("level\nlevel 40\nlevel -40 5 0\nlevel 40 -5 0\nlevelx\n");
  EXPECT_EQ(Clock.MoveTimeBudget, 2000);
  EXPECT_EQ(Clock.LevelMoves, 7);
  // Huge values are cut instead of overflowing.
  RunLoop("level 1 99999999999 0\n");
  EXPECT_GT(Clock.MoveTimeBudget, 0);
  EXPECT_LE(Clock.MoveTimeBudget, 100000000);
}

TEST_F(CommandLoopTest, ExitWithoutLineEndQuits) {
  std::string out = RunLoop("exit");
  EXPECT_EQ(out, QUIT_TEXT);
  EXPECT_EQ(Game.QuitRequested, 1);
}

TEST_F(CommandLoopTest, CoordinateMovesAndPromotions) {
  struct Case {
    const char* text;
    int promotion;
  } cases[] = {{"e7e8\n", QUEEN}, {"e7e8q\n", QUEEN}, {"e7e8n\n", KNIGHT}, {"e7e8N\n", KNIGHT},
               {"e7e8r\n", ROOK}, {"e7e8b\n", BISHOP}, {"e7e8x\n", QUEEN}};
  for (const Case& c : cases) {
    ResetGame();
    vtest::LoadFen("3k4/4P3/8/8/8/8/4P3/4K3 w - - 0 1");
    Game.ForceMode = 1;
    RunLoop(c.text);
    ASSERT_EQ(Game.GameMoveCount, 1) << c.text;
    EXPECT_EQ(Game.GameMoves[0], MakeMoveWord(E7, E8, PAWN, 0, c.promotion)) << c.text;
    EXPECT_EQ(Pos.Board[E8], c.promotion) << c.text;
  }
  // A promotion letter on a move that does not promote is not read.
  ResetGame();
  vtest::LoadFen("3k4/4P3/8/8/8/8/4P3/4K3 w - - 0 1");
  Game.ForceMode = 1;
  RunLoop("e2e4q\n");
  ASSERT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.GameMoves[0], MakeMoveWord(E2, E4, PAWN));
}

TEST_F(CommandLoopTest, CastlingCapturesAndEnPassantByCoordinates) {
  Game.ForceMode = 1;
  RunLoop("e2e4\nd7d5\ne4d5\ng8f6\ng1f3\ne7e5\nd5e6\nf8c5\nf1e2\ne8g8\ne1g1\n");
  ASSERT_EQ(Game.GameMoveCount, 11);
  EXPECT_EQ(Game.GameMoves[2], MakeMoveWord(E4, D5, PAWN, PAWN));
  EXPECT_EQ(Game.GameMoves[6], MakeMoveWord(D5, E6, PAWN)) << "en passant carries no captured type";
  EXPECT_EQ(Game.GameMoves[9], CASTLE_BK);
  EXPECT_EQ(Game.GameMoves[10], CASTLE_WK);
  EXPECT_EQ(Pos.Board[F1], ROOK);
  EXPECT_EQ(Pos.Board[E5], 0) << "the pawn taken en passant is gone";
  EXPECT_EQ(Pos.SideToMove, BLACK);
  ExpectConsistentPosition();
}

TEST_F(CommandLoopTest, IllegalMovesAreRefusedAndOtherLinesIgnored) {
  Game.ForceMode = 1;
  std::string out = RunLoop(
      "e2e5\ne7e5\nxyz\n\n1234\ni9i9\ni1a3\na1a1\ne2\nz\xff\xfe\xfd\nprint\n\ne2e4\n");
  EXPECT_EQ(out, "Illegal move: e2e5\nIllegal move: e7e5\nIllegal move: a1a1\n" + QUIT_TEXT);
  ASSERT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.GameMoves[0], MakeMoveWord(E2, E4, PAWN));
}

TEST_F(CommandLoopTest, PostAndNopostSwitchTheThinkingLines) {
  RunLoop("nopost\n");
  EXPECT_FALSE(Srch.ThinkingOutput);
  RunLoop("post\n");
  EXPECT_TRUE(Srch.ThinkingOutput);
}

TEST_F(CommandLoopTest, MoveLeavingOwnKingAttackedIsRefused) {
  // The knight on e2 is pinned by the rook on e8; the king may not step into
  // the bishop's diagonal.
  vtest::LoadFen("4r1k1/8/8/8/8/7b/4N3/4K3 w - - 0 1");
  Game.ForceMode = 1;
  std::string out = RunLoop("e2c3\ne1f1\ne1f2\n");
  EXPECT_EQ(out, "Illegal move: e2c3\nIllegal move: e1f1\n" + QUIT_TEXT);
  ASSERT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.GameMoves[0], MakeMoveWord(E1, F2, KING));
  // Castling out of check is not generated either.
  ResetGame();
  vtest::LoadFen("4k3/8/8/8/8/8/8/r3K2R w K - 0 1");
  Game.ForceMode = 1;
  RunLoop("e1g1\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
}

TEST_F(CommandLoopTest, UndoForwardAndRemoveKeepTheRecord) {
  Game.ForceMode = 1;
  RunLoop("e2e4\ne7e5\ng1f3\nb8c6\n");
  ASSERT_EQ(Game.GameMoveCount, 4);
  PositionRecord after2 = PositionAfter({"e2e4", "e7e5"});
  PositionRecord after3 = PositionAfter({"e2e4", "e7e5", "g1f3"});
  PositionRecord after4 = PositionAfter({"e2e4", "e7e5", "g1f3", "b8c6"});

  RunLoop("remove\n");
  EXPECT_EQ(Game.GameMoveCount, 2);
  ExpectSamePlacement(Pos, after2);
  ExpectConsistentPosition();

  RunLoop("forward\n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  ExpectSamePlacement(Pos, after3);
  EXPECT_EQ(Game.HumanColour, BLACK);
  EXPECT_EQ(Game.EngineColour, WHITE);
  RunLoop("forward\nforward\nforward\n");
  EXPECT_EQ(Game.GameMoveCount, 4) << "forward stops at the last recorded move";
  ExpectSamePlacement(Pos, after4);

  RunLoop("UNDO\nretake\n");
  EXPECT_EQ(Game.GameMoveCount, 2);
  ExpectSamePlacement(Pos, after2);
  EXPECT_EQ(Game.HumanColour, WHITE);
  EXPECT_EQ(Game.EngineColour, BLACK);
  // Keys of the replayed positions are where the repetition test looks.
  EXPECT_EQ(Game.KeyHistory[0], PositionAfter({}).Key);
  EXPECT_EQ(Game.KeyHistory[1], PositionAfter({"e2e4"}).Key);

  RunLoop("back\nundo\nundo\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
  ExpectSamePlacement(Pos, PositionAfter({}));
  // With no move recorded, forward does nothing.
  RunLoop("forward\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
}

TEST_F(CommandLoopTest, RemoveNeedsTwoHalfMoves) {
  Game.ForceMode = 1;
  RunLoop("e2e4\nremove\nremove\n");
  EXPECT_EQ(Game.GameMoveCount, 1);
  ExpectSamePlacement(Pos, PositionAfter({"e2e4"}));
  ResetGame();
  RunLoop("remove\nundo\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
}

TEST_F(CommandLoopTest, ANewMoveAfterUndoOverwritesAndForwardStopsAtAStaleMove) {
  Game.ForceMode = 1;
  // After undo, d2d4 replaces e2e4; the stale e7e5 that follows is still a
  // legal reply and forward restores it; a stale move that no longer fits the
  // position is never made.
  RunLoop("e2e4\ne7e5\ng1f3\nundo\nundo\nundo\nd2d4\nforward\nforward\nforward\n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  ExpectSamePlacement(Pos, PositionAfter({"d2d4", "e7e5", "g1f3"}));
  ResetGame();
  Game.ForceMode = 1;
  RunLoop("e2e4\nd7d5\ne4d5\nundo\nundo\nundo\nd2d4\nforward\nforward\n");
  EXPECT_EQ(Game.GameMoveCount, 2) << "e4d5 does not fit after 1.d4 d5";
  ExpectSamePlacement(Pos, PositionAfter({"d2d4", "d7d5"}));
  ExpectConsistentPosition();
}

TEST_F(CommandLoopTest, AMoveAfterTheSideWasChangedByHandStartsTheRecordThere) {
  // "white" gives White a second move in a row: no replay from the standard
  // start leads there, so the board becomes the start of the game record.
  Game.ForceMode = 1;
  RunLoop("e2e4\nwhite\nd2d4\ne7e5\nundo\n");
  EXPECT_TRUE(Game.HasSetupStart);
  EXPECT_EQ(Game.StartPosition.Board[E4], PAWN);
  EXPECT_EQ(Game.StartPosition.SideToMove, WHITE);
  ASSERT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.GameMoves[0], MakeMoveWord(D2, D4, PAWN));
  EXPECT_EQ(Pos.Board[D4], PAWN);
  EXPECT_EQ(Pos.SideToMove, BLACK);
  ExpectConsistentPosition();
  // Handing the move over and back before moving changes nothing.
  ResetGame();
  Game.ForceMode = 1;
  RunLoop("e2e4\nwhite\nblack\ne7e5\n");
  EXPECT_FALSE(Game.HasSetupStart);
  EXPECT_EQ(Game.GameMoveCount, 2);
}

TEST_F(CommandLoopTest, NewLeavesASetUpGameForTheStandardOne) {
  vtest::LoadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  Game.HasSetupStart = true;
  SaveStartPosition();
  Game.ForceMode = 1;
  RunLoop("e1e2\ne8e7\nnew\n");
  EXPECT_FALSE(Game.HasSetupStart);
  ExpectSamePlacement(Pos, PositionAfter({}));
  EXPECT_EQ(Game.GameMoveCount, 0);
  EXPECT_EQ(Game.ForceMode, 0);
  // The second king move of the old game is still recorded beyond the count,
  // but it does not fit the new game: forward never makes it.
  Game.ForceMode = 1;
  RunLoop("e2e4\nforward\n");
  EXPECT_EQ(Game.GameMoveCount, 1);
  ExpectConsistentPosition();
}

TEST_F(CommandLoopTest, UndoInAnalysisReturnsAndKeepsColours) {
  Game.ForceMode = 1;
  RunLoop("e2e4\ne7e5\n");
  Game.QuitRequested = 0;
  vtest::StdinPipe in("analyze\nundo\n");
  CommandLoop(false);
  Game.EngineColour = WHITE;
  Game.HumanColour = BLACK;
  CommandLoop(false);
  EXPECT_EQ(Game.QuitRequested, 0);
  EXPECT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.EngineColour, WHITE);
  EXPECT_EQ(Game.HumanColour, BLACK);
}

TEST_F(CommandLoopTest, LinesLeftByASearchAreProcessedFirstInOrder) {
  Game.ForceMode = 1;
  RunLoop("e2e4\ne7e5\n");
  ClearPendingLines();
  QueuePendingLine("ping 3\n");
  QueuePendingLine("undo\n");
  Game.QuitRequested = 0;
  vtest::StdinPipe in("d2d4\nd7d5\n");
  testing::internal::CaptureStdout();
  CommandLoop(false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "pong 3\nIllegal move: d2d4\n");
  EXPECT_EQ(Game.PendingCount, 0);
  EXPECT_EQ(Game.GameMoveCount, 1);
  EXPECT_EQ(Game.QuitRequested, 0);
  EXPECT_EQ(Game.CurrentMove, MakeMoveWord(D7, D5, PAWN)) << "d2d4 is no move for Black";
}

TEST_F(CommandLoopTest, PendingOnlyReturnsWhenTheQueueRunsOut) {
  ClearPendingLines();
  QueuePendingLine("force\n");
  QueuePendingLine("e2e4\n");
  QueuePendingLine("e7e5\n");
  vtest::StdinPipe in("quit\n");
  CommandLoop(true);
  EXPECT_EQ(Game.CurrentMove, MakeMoveWord(E2, E4, PAWN)) << "an accepted move returns";
  EXPECT_EQ(Game.PendingCount, 1);
  PlayCurrentMove();
  CommandLoop(true);
  EXPECT_EQ(Game.CurrentMove, MakeMoveWord(E7, E5, PAWN));
  PlayCurrentMove();
  CommandLoop(true);
  EXPECT_EQ(Game.QuitRequested, 0) << "standard input is not read";
  EXPECT_EQ(Game.GameMoveCount, 2);
}

TEST_F(CommandLoopTest, TheRootKnowsTheLastGameMove) {
  RunLoop("force\ne2e4\ne7e5\nquit\n");
  EXPECT_EQ(Tree.MoveAtPly[1], MakeMoveWord(E7, E5, PAWN));
  RunLoop("undo\nquit\n");
  EXPECT_EQ(Tree.MoveAtPly[1], MakeMoveWord(E2, E4, PAWN));
  RunLoop("new\nquit\n");
  EXPECT_EQ(Tree.MoveAtPly[1], 0u);
  RunLoop("setboard 4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1\nforce\nd4e3\nundo\nquit\n");
  EXPECT_EQ(Tree.MoveAtPly[1], MakeMoveWord(E2, E4, PAWN)) << "the double step behind the en passant square";
}

TEST_F(CommandLoopTest, FixedTimeAndDepthLastUntilNewOrLevel) {
  RunLoop("st 5\nsd 7\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 500);
  EXPECT_EQ(Clock.DepthLimit, 7);
  RunLoop("st 0\nsd -2\nst x\nsd\nst 1.5s\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 500) << "zero, negative and unreadable values are ignored";
  EXPECT_EQ(Clock.DepthLimit, 7);
  RunLoop("st 2.25\nnew\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 0);
  EXPECT_EQ(Clock.DepthLimit, 0);
  RunLoop("st 0.5\nsd 3\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 50);
  RunLoop("st -3\nst .75\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 75);
  RunLoop("level 40 5 0\nquit\n");
  EXPECT_EQ(Clock.FixedMoveTime, 0);
  EXPECT_EQ(Clock.DepthLimit, 0);
}

TEST_F(CommandLoopTest, TimeReportsTheClock) {
  EXPECT_FALSE(Clock.ClockKnown);
  RunLoop("otim 300\nquit\n");
  EXPECT_FALSE(Clock.ClockKnown);
  RunLoop("time 4500\nquit\n");
  EXPECT_TRUE(Clock.ClockKnown);
  EXPECT_EQ(Clock.EngineClock, 4500);
}

TEST_F(CommandLoopTest, EveryLineReturnsWhileAnalysing) {
  Game.AnalyzeMode = 1;
  vtest::StdinPipe in("hard\nexit\nping 4\n");
  CommandLoop(false);
  EXPECT_EQ(Game.AnalyzeMode, 1) << "back after hard";
  testing::internal::CaptureStdout();
  CommandLoop(false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "pong 4\n\nPlease wait...\n\n")
      << "after exit the loop reads on as usual, to the end of input";
  EXPECT_EQ(Game.AnalyzeMode, 0);
}

TEST_F(CommandLoopTest, TheRecordHoldsAtMost2048HalfMoves) {
  std::string input = "force\n";
  for (int i = 0; i < 512; i++) input += "g1f3\ng8f6\nf3g1\nf6g8\n";
  input += "g1f3\n";
  RunLoop(input);
  EXPECT_EQ(Game.GameMoveCount, MAX_GAME_MOVES);
  ExpectSamePlacement(Pos, PositionAfter({}));
  EXPECT_EQ(Game.GameHalfmoveClock, 2048);
  RunLoop("forward\nundo\n");
  EXPECT_EQ(Game.GameMoveCount, MAX_GAME_MOVES - 1);
  RunLoop("forward\n");
  EXPECT_EQ(Game.GameMoveCount, MAX_GAME_MOVES);
  ExpectConsistentPosition();
}

TEST_F(CommandLoopTest, OverLongLinesAreCutAndTheirRestDropped) {
  Game.ForceMode = 1;
  std::string longLine = "e2e4" + std::string(400, ' ') + "junk\n";
  RunLoop(longLine + "e7e5\n");
  ASSERT_EQ(Game.GameMoveCount, 2);
  EXPECT_EQ(Game.GameMoves[1], MakeMoveWord(E7, E5, PAWN));
}

TEST_F(CommandLoopTest, EditDialogueSetsUpAStartPosition) {
  Pos.SideToMove = BLACK;
  RunLoop("edit\n#\nKe1\nRh1\nRa1\nPe2\nxe4\nc\nKe8\nRa8\nPd7\nZb2\n.\n");
  EXPECT_EQ(Pos.SideToMove, BLACK) << "the side from before the dialogue";
  EXPECT_EQ(Pos.Board[E1], KING);
  EXPECT_EQ(Pos.Board[H1], ROOK);
  EXPECT_EQ(Pos.Board[E2], PAWN);
  EXPECT_EQ(Pos.Board[E8], BLACK_BIT + KING);
  EXPECT_EQ(Pos.Board[D7], BLACK_BIT + PAWN);
  EXPECT_EQ(Pos.Board[E4], 0);
  EXPECT_EQ(Pos.Board[B2], 0);
  EXPECT_EQ(Pos.CastleRights, 1 + 2 + 8);
  EXPECT_TRUE(Game.HasSetupStart);
  EXPECT_EQ(Game.OutOfBook, 1);
  EXPECT_EQ(Game.GameMoveCount, 0);
  ExpectConsistentPosition();

  // Going back in the game returns to the edited position, not the standard one.
  PositionRecord edited = Pos;
  Game.ForceMode = 1;
  RunLoop("d7d5\ne1g1\nundo\nundo\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
  ExpectSamePlacement(Pos, edited);
  RunLoop("forward\n");
  EXPECT_EQ(Game.GameMoveCount, 0) << "forward needs a recorded move";
}

TEST_F(CommandLoopTest, EditSquareOffTheBoardEndsTheProgram) {
  std::string out = RunLoop("edit\nPi9\nping 1\n");
  EXPECT_EQ(Game.QuitRequested, 1);
  EXPECT_EQ(out, "") << "nothing after the off-board square is read";
}

TEST_F(CommandLoopTest, EndOfInputInsideEditQuits) {
  std::string out = RunLoop("edit\nKe1\n");
  EXPECT_EQ(Game.QuitRequested, 1);
  EXPECT_EQ(out, QUIT_TEXT);
}

// Boards no search can play from: a side without its king, two kings, a pawn
// on the first or eighth rank, the side not to move in check. The dialogue is
// refused and the game goes on as before it.
TEST_F(CommandLoopTest, UnplayableEditedBoardsAreRefused) {
  const char* boards[] = {
      "#\nKe1\nQd1\n",              // no black king
      "#\nKe1\nKe2\nc\nKe8\n",      // two white kings
      "#\n",                         // no kings at all
      "#\nKe1\nc\nKe8\nPa1\n",      // a pawn on the first rank
      "#\nKe1\nPh8\nc\nKe8\n",      // a pawn on the eighth rank
      "#\nKe1\nc\nKe8\nQe2\n",      // Black to move, White's king attacked
  };
  for (const char* board : boards) {
    ResetGame();
    Game.ForceMode = 1;
    RunLoop("e2e4\n");
    const PositionRecord before = Pos;
    RunLoop(std::string("edit\n") + board + ".\n");
    ExpectSamePlacement(Pos, before);
    EXPECT_EQ(Game.GameMoveCount, 1) << board;
    EXPECT_FALSE(Game.HasSetupStart) << board;
    ExpectConsistentPosition();
  }
}

// "white" and "black" hand the move over only when the king of the side that
// is then not to move stands safe, and the en passant square of the other
// side's move goes with the hand-over.
TEST_F(CommandLoopTest, WhiteAndBlackNeverLeaveAKingToBeTaken) {
  Game.ForceMode = 1;
  RunLoop("setboard 4k3/8/8/8/8/8/4q3/4K3 w - -\nblack\n");
  EXPECT_EQ(Pos.SideToMove, WHITE) << "Black to move could take the white king";
  EXPECT_EQ(Game.HumanColour, BLACK);

  RunLoop("setboard 4k3/8/8/8/5p2/8/3PP3/4K3 w - -\ne2e4\n");
  ASSERT_EQ(Pos.SideToMove, BLACK);
  ASSERT_NE(Pos.EnPassantBB, 0u);
  RunLoop("white\n");
  EXPECT_EQ(Pos.SideToMove, WHITE);
  EXPECT_EQ(Pos.EnPassantBB, 0u) << "d2xe3 would take White's own pawn";
  ExpectConsistentPosition();
  RunLoop("d2e3\n");
  EXPECT_EQ(Game.GameMoveCount, 1) << "no en passant capture for White";
  EXPECT_EQ(Pos.Board[E4], PAWN);
}

}  // namespace
