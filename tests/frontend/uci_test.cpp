// The UCI loop in process: lines through a pipe on fd 0, then the settings,
// the position and the game record it leaves are inspected.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/uci_internal.h"
#include "position/position.h"
#include "search/search.h"
#include "support/fen_board.h"
#include "support/stdin_pipe.h"

namespace {

const std::string QUIT_TEXT = "\nPlease wait...\n\n";

// The position after the given coordinate moves from the FEN, set up by the
// test's own means; the engine's position is left as it was.
PositionRecord PositionAfter(const std::string& fen, const std::vector<std::string>& moves) {
  const PositionRecord saved = Pos;
  vtest::LoadFen(fen);
  for (const auto& coord : moves) {
    const Move m = vtest::FindGenerated(coord);
    EXPECT_NE(m, 0u) << coord;
    Tree.HalfmoveClock[1] = 0;
    MakeMove(m);
    Pos.SideToMove ^= 1;
  }
  RecomputeKeys();
  const PositionRecord p = Pos;
  Pos = saved;
  return p;
}

const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

void ExpectPosition(const PositionRecord& want) {
  EXPECT_EQ(std::memcmp(Pos.Board, want.Board, sizeof Pos.Board), 0);
  EXPECT_EQ(Pos.SideToMove, want.SideToMove);
  EXPECT_EQ(Pos.CastleRights, want.CastleRights);
  EXPECT_EQ(Pos.EnPassantBB, want.EnPassantBB);
  EXPECT_EQ(Pos.Key, want.Key);
  EXPECT_EQ(Pos.PawnKey, want.PawnKey);
  // The incremental keys agree with fresh ones.
  const HashKey key = Pos.Key;
  RecomputeKeys();
  EXPECT_EQ(Pos.Key, key);
}

class UciTest : public testing::Test {
 protected:
  void SetUp() override {
    vtest::InitPositionTables();
    Settings.HashSize = 1u << 20;
    Settings.EvalHashSize = 256u << 10;
    Settings.PawnHashSize = 24u * 4096;
    ASSERT_EQ(AllocateTableBlocks(), 0);
    ResetEvalTables();
    MirrorEvalTables();
    SaveEvalTables();
    Game.HasSetupStart = false;
    ResetSearchForNewGame();
    Game.GameMoveCount = 0;
    std::memset(Game.GameMoves, 0, sizeof Game.GameMoves);
    Game.LogFile = Game.ErrorFile = nullptr;
    Game.QuitRequested = 0;
    ClearPendingLines();
    UciGo = UciGoValues{};
    Clock = TimeControlState{};
  }
  void TearDown() override {
    ResetEvalTables();
    Settings.MultiPvCount = 1;
  }

  // Runs the UCI loop over the lines (quit is added) and returns the output.
  std::string Run(const std::string& lines) {
    vtest::StdinPipe in(lines + "quit\n");
    testing::internal::CaptureStdout();
    UciLoop();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(UciTest, StartposMovesGoThroughTheGameRecord) {
  Run("position startpos moves e2e4 e7e5\n");
  EXPECT_EQ(Game.GameMoveCount, 2);
  EXPECT_EQ(Pos.SideToMove, WHITE);
  ExpectPosition(PositionAfter(START_FEN, {"e2e4", "e7e5"}));
  // The record's keys are those of the positions before each move.
  EXPECT_EQ(Game.KeyHistory[0], PositionAfter(START_FEN, {}).Key);
  EXPECT_EQ(Game.KeyHistory[1], PositionAfter(START_FEN, {"e2e4"}).Key);
}

TEST_F(UciTest, PromotionTakesSixCharactersAndTheNextMoveFollows) {
  const char* fen = "8/4P1k1/8/8/8/8/8/4K3 w - - 0 1";
  Run(std::string("position fen ") + fen + " moves e7e8q g7h6 e8e4\n");
  ExpectPosition(PositionAfter(fen, {"e7e8q", "g7h6", "e8e4"}));
  Run(std::string("position fen ") + fen + " moves e7e8n g7h7\n");
  ExpectPosition(PositionAfter(fen, {"e7e8n", "g7h7"}));
  EXPECT_EQ(Pos.Board[E8], KNIGHT);
  // A promotion letter in capitals is read like its small letter.
  Run(std::string("position fen ") + fen + " moves e7e8R\n");
  EXPECT_EQ(Pos.Board[E8], ROOK);
}

TEST_F(UciTest, ExtraBlanksAndShortFensAreReadByWords) {
  Run("position   startpos   moves  e2e4\t e7e5   g1f3  \n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  ExpectPosition(PositionAfter(START_FEN, {"e2e4", "e7e5", "g1f3"}));

  // Side, castling and en passant given, counters missing; then the side only.
  Run("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - moves e2e4 c7c5\n");
  ExpectPosition(PositionAfter(START_FEN, {"e2e4", "c7c5"}));
  Run("position fen 4k3/8/8/8/8/8/4P3/4K3 b moves e8d7 e2e4\n");
  ExpectPosition(PositionAfter("4k3/8/8/8/8/8/4P3/4K3 b - -", {"e8d7", "e2e4"}));
  // A FEN alone, without moves.
  Run("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 5 40\n");
  ExpectPosition(PositionAfter("4k3/8/8/8/8/8/4P3/4K3 w - -", {}));
}

TEST_F(UciTest, FenMovesAreTheGameFromTheFen) {
  Run("position startpos moves d2d4\n");
  ASSERT_EQ(Game.GameMoveCount, 1);
  Run("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 7 1 moves e2e4 e8d7 e1e2\n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  EXPECT_TRUE(Game.HasSetupStart);
  EXPECT_EQ(Game.GameHalfmoveClock, 2) << "from the FEN's 7; the pawn move set it back";
  ExpectPosition(PositionAfter("4k3/8/8/8/8/8/4P3/4K3 w - -", {"e2e4", "e8d7", "e1e2"}));
  Run("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 37 1 moves e1d2\n");
  EXPECT_EQ(Game.GameHalfmoveClock, 38);
}

TEST_F(UciTest, AnIllegalMoveEndsTheListThere) {
  Run("position startpos moves e2e4 e7e5 e1e3 g8f6\n");
  EXPECT_EQ(Game.GameMoveCount, 2);
  ExpectPosition(PositionAfter(START_FEN, {"e2e4", "e7e5"}));

  // Moving into check, a move of the wrong side, nonsense and a cut word.
  const char* pinned = "4k3/4r3/8/8/8/8/4B3/4K3 w - -";
  Run(std::string("position fen ") + pinned + " moves e2d3\n");
  ExpectPosition(PositionAfter(pinned, {}));
  Run("position startpos moves e7e5\n");
  EXPECT_EQ(Game.GameMoveCount, 0);
  Run("position startpos moves e2e4 zz99 e7e5\n");
  EXPECT_EQ(Game.GameMoveCount, 1);
  Run("position startpos moves e2e4 e7e\n");
  EXPECT_EQ(Game.GameMoveCount, 1);
  ExpectPosition(PositionAfter(START_FEN, {"e2e4"}));
}

TEST_F(UciTest, ARefusedFenLeavesThePositionAsItWas) {
  Run("position startpos moves e2e4\n");
  const PositionRecord before = Pos;
  Run("position fen 8/8/8/8/8/8/8/8 w - - 0 1 moves e2e4\n");   // no kings
  Run("position fen\nposition\nposition sideways\n");
  ExpectPosition(before);
  EXPECT_EQ(Game.GameMoveCount, 1);
}

TEST_F(UciTest, TheGameRecordEndsAtItsCapacity) {
  std::string line = "position startpos moves";
  const char* shuffle[] = {" g1f3", " g8f6", " f3g1", " f6g8"};
  for (int i = 0; i < MAX_GAME_MOVES + 40; i++) line += shuffle[i % 4];
  Run(line + "\n");
  EXPECT_EQ(Game.GameMoveCount, MAX_GAME_MOVES);
  ExpectPosition(PositionAfter(START_FEN, {}));
}

TEST_F(UciTest, SetoptionRows) {
  Run("setoption name Positional strength value 0\n");
  EXPECT_EQ(Settings.Strength, 1);
  Run("setoption name Positional strength value 150\n");
  EXPECT_EQ(Settings.Strength, 100);
  Run("setoption name Positional strength value 50\n");
  EXPECT_EQ(Settings.Strength, 50);

  Settings.FutilityEnabled = false;
  Run("setoption name Futility value False\n");
  EXPECT_TRUE(Settings.FutilityEnabled) << "only the exact word false turns it off";
  Run("setoption name Futility value false\n");
  EXPECT_FALSE(Settings.FutilityEnabled);
  Run("setoption name Futility value true\n");
  EXPECT_TRUE(Settings.FutilityEnabled);

  Run("setoption name MultiPV value 3\n");
  EXPECT_EQ(Settings.MultiPvCount, 3);
  Run("setoption name MultiPV value 500\nsetoption name MultiPV value x\n");
  EXPECT_EQ(Settings.MultiPvCount, 20);
  Run("setoption name MultiPV value 0\n");
  EXPECT_EQ(Settings.MultiPvCount, 1);

  Run("setoption name Tactical factor value 45\n");
  EXPECT_EQ(Settings.TacticalFactor, 45);
  Run("setoption name Tactical factor value -7\n");
  EXPECT_EQ(Settings.TacticalFactor, 0);

  Run("setoption name Analyse mode value true\n");
  EXPECT_TRUE(Settings.AnalyseOption);
  Run("setoption name Analyse mode value TRUE\n");
  EXPECT_FALSE(Settings.AnalyseOption);

  // Rows that do not match change nothing and print nothing.
  EXPECT_EQ(Run("setoption name Ponder value false\nsetoption name hash value 64\nsetoption Hash value 64\n"),
            QUIT_TEXT);
  EXPECT_EQ(Tables.HashBytes, 1u << 20);
}

TEST_F(UciTest, PositionalStrengthScalesTheTables) {
  Run("setoption name Positional strength value 100\n");
  const ScaledWeights full = Weights;
  Run("setoption name Positional strength value 50\n");
  int changed = 0;
  for (int s = 0; s < 64; s++) changed += Weights.KnightSquareBonus[WHITE][s] != full.KnightSquareBonus[WHITE][s];
  EXPECT_GT(changed, 0);
  Run("setoption name Positional strength value 100\n");
  EXPECT_EQ(std::memcmp(&Weights, &full, sizeof full), 0);
}

TEST_F(UciTest, HashResizesWithinTheAnnouncedRange) {
  EXPECT_EQ(Run("setoption name Hash value 24\n"),
            "Hash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 16MB\n" + QUIT_TEXT);
  EXPECT_EQ(Tables.HashBytes, 16u << 20);
  EXPECT_EQ(Run("setoption name Hash value 1\n"), "Hash Eval Table: 1MB\nPawn Hash : 3MB\nHash Tables: 2MB\n" + QUIT_TEXT);
  EXPECT_EQ(Tables.HashBytes, 2u << 20) << "below the minimum: 6 MB";
  EXPECT_EQ(Run("setoption name Hash value abc\n"), QUIT_TEXT);
  EXPECT_EQ(Run("setoption name Clear Hash\n"), QUIT_TEXT);
}

TEST_F(UciTest, AHashChangeKeepsThePositionAndItsRecord) {
  Run("position startpos moves e2e4 e7e5 g1f3\n");
  const HashKey key = Pos.Key;
  const HashKey before = Game.KeyHistory[2];
  Run("setoption name Hash value 8\n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  EXPECT_EQ(Pos.SideToMove, BLACK);
  EXPECT_EQ(Pos.Board[F3], KNIGHT);
  EXPECT_EQ(Pos.Key, key);
  EXPECT_EQ(Game.KeyHistory[2], before) << "repetitions still count";
  EXPECT_TRUE(PositionIsConsistent());
}

TEST_F(UciTest, GoParametersInCentiseconds) {
  ParseGo("go wtime 300000 btime 300000\n");
  EXPECT_EQ(Clock.UciTime[WHITE], 30000);
  EXPECT_EQ(Clock.UciTime[BLACK], 30000);
  EXPECT_TRUE(UciGo.ClockGiven);
  EXPECT_FALSE(UciGo.Infinite);

  ParseGo("go btime 12345 winc 2000 binc 1999 movestogo 17\n");
  EXPECT_EQ(Clock.UciTime[WHITE], 30000) << "a clock not given keeps its value";
  EXPECT_EQ(Clock.UciTime[BLACK], 1234);
  EXPECT_EQ(Clock.UciIncrement[WHITE], 200);
  EXPECT_EQ(Clock.UciIncrement[BLACK], 199);
  EXPECT_EQ(Clock.UciMovesToGo, 17);

  ParseGo("go infinite\n");
  EXPECT_TRUE(UciGo.Infinite);
  EXPECT_FALSE(UciGo.ClockGiven);
  EXPECT_EQ(Clock.UciIncrement[WHITE], 0) << "increments and moves to go belong to one line";
  EXPECT_EQ(Clock.UciMovesToGo, 0);

  ParseGo("go ponder wtime -50 btime 99999999999 searchmoves e2e4 d2d4 depth 7 nodes 5000 movetime 250\n");
  EXPECT_TRUE(UciGo.Ponder);
  EXPECT_EQ(Clock.UciTime[WHITE], 0);
  EXPECT_EQ(Clock.UciTime[BLACK], 100000000);
  EXPECT_EQ(UciGo.Depth, 7);
  EXPECT_EQ(UciGo.Nodes, 5000);
  EXPECT_EQ(UciGo.MoveTimeMs, 250);

  ParseGo("go  depth 0  movetime -5 nodes x perft 3\n");
  EXPECT_EQ(UciGo.Depth, 1);
  EXPECT_EQ(UciGo.MoveTimeMs, 1);
  EXPECT_EQ(UciGo.Nodes, 0);
  EXPECT_EQ(UciGo.PerftDepth, 3);
}

TEST_F(UciTest, GoPerftPrintsTheDivide) {
  const std::string out = Run("position startpos moves e2e4 e7e5\ngo perft 1\ngo perft 0\n");
  const std::string tail = "d1h5: 1\ne1e2: 1\n\nNodes searched: 29\n" + QUIT_TEXT;
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(out.find("bestmove"), std::string::npos);
}

TEST_F(UciTest, IsreadyAndUnknownLines) {
  EXPECT_EQ(Run("isready\n  isready  \nucinewgame\nstop\nponderhit\nregister later\n\nisready\n"),
            "readyok\nreadyok\nreadyok\n" + QUIT_TEXT);
  EXPECT_EQ(Game.QuitRequested, 1);
}

TEST_F(UciTest, TheEndOfInputActsAsQuit) {
  vtest::StdinPipe in("isready\nposition startpos moves e2e4");
  testing::internal::CaptureStdout();
  UciLoop();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "readyok\n" + QUIT_TEXT);
  EXPECT_EQ(Game.QuitRequested, 1);
  EXPECT_EQ(Game.GameMoveCount, 1) << "a last line without its line end still counts";
}

TEST_F(UciTest, ANodeLimitStopsTheSearchNearIt) {
  vtest::StdinFeed input;  // open and empty: nothing stops the search but its limits
  SetupFen("position fen r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9", 2, false);
  Settings.XboardOutput = 0;
  testing::internal::CaptureStdout();
  for (int64_t limit : {1000, 30000, 200000}) {
    ParseGo(("go nodes " + std::to_string(limit) + "\n").c_str());
    PrepareUciSearch();
    EXPECT_TRUE(Srch.FixedDepth) << "no clock on the line";
    Think(1, 60);
    FinishUciSearch();
    EXPECT_GE(Srch.NodeCount, limit);
    EXPECT_LT(Srch.NodeCount, limit + limit / 10 + 2000) << limit;
    EXPECT_NE(Srch.PvTable[0][1], 0u);
  }
  testing::internal::GetCapturedStdout();
  Settings.XboardOutput = 1;
  EXPECT_EQ(Clock.NodeLimit, 0);
}

TEST_F(UciTest, KeptLinesComeBackInOrderAfterTheSearchsOwn) {
  QueuePendingLine("position startpos moves e2e4\n");
  const std::string longLine = "position startpos moves" + std::string(300, ' ') + "d2d4\n";
  EXPECT_TRUE(KeepUciLine("isready\n"));
  for (int i = 2; i < PENDING_LINES; i++) EXPECT_TRUE(KeepUciLine("isready\n"));
  EXPECT_FALSE(KeepUciLine(longLine.c_str())) << "the queue is full: the line is held";
  static char line[UCI_LINE_SIZE];
  vtest::StdinPipe in("ucinewgame\n");
  ASSERT_TRUE(ReadUciLine(line, UCI_LINE_SIZE));
  EXPECT_STREQ(line, "position startpos moves e2e4\n");
  for (int i = 1; i < PENDING_LINES; i++) {
    ASSERT_TRUE(ReadUciLine(line, UCI_LINE_SIZE));
    EXPECT_STREQ(line, "isready\n");
  }
  ASSERT_TRUE(ReadUciLine(line, UCI_LINE_SIZE));
  EXPECT_EQ(std::string(line), longLine);
  ASSERT_TRUE(ReadUciLine(line, UCI_LINE_SIZE));
  EXPECT_STREQ(line, "ucinewgame\n");
  EXPECT_FALSE(ReadUciLine(line, UCI_LINE_SIZE));
}

TEST_F(UciTest, ALongLineCutByTheSearchIsJoinedWithItsRest) {
  // What the search leaves of a line longer than a queue slot: its start,
  // without a line end; the rest is still on standard input.
  const std::string start(PENDING_LINE_SIZE - 1, ' ');
  QueuePendingLine(("position startpos moves" + start.substr(23)).c_str());
  Run("e2e4 e7e5 g1f3\n");
  EXPECT_EQ(Game.GameMoveCount, 3);
  ExpectPosition(PositionAfter(START_FEN, {"e2e4", "e7e5", "g1f3"}));
}

}  // namespace
