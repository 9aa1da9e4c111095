// Exact UCI transcripts: the built engine over pipes, the way a UCI interface
// or match runner drives it.
#include <gtest/gtest.h>

#include <string>

#include "support/engine_process.h"

namespace {

const std::string QUIT_TEXT = "\nPlease wait...\n\n";

const std::string HANDSHAKE =
    "id name Vessik 4.2\n"
    "id author Ardelis\n"
    "option name Ponder type check default true\n"
    "option name MultiPV type spin min 1 max 20 default 1\n"
    "option name Hash type spin min 6 max 1024 default 16\n"
    "option name Clear Hash type button\n"
    "option name Positional strength type spin min 0 max 100 default 100\n"
    "option name Futility type check default true\n"
    "option name Tactical factor type spin min 0 max 60 default 30\n"
    "option name Analyse mode type check default false\n"
    "option name Threads type spin min 1 max 1 default 1\n"
    "option name Move Overhead type spin min 0 max 5000 default 50\n"
    "option name OwnBook type check default true\n"
    "uciok\n";
const std::string RESIZE_16 = "Hash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 8MB\n";

// What the engine wrote after its start-up lines.
std::string AfterStartup(const std::string& output) {
  const std::string done = "feature done=0\n";
  size_t at = output.find(done);
  if (at == std::string::npos) return "<no start-up>" + output;
  return output.substr(at + done.size());
}

// The replies after the handshake and its resize lines.
std::string AfterHandshake(const std::string& output) {
  const std::string replies = AfterStartup(output);
  if (replies.compare(0, HANDSHAKE.size() + RESIZE_16.size(), HANDSHAKE + RESIZE_16) != 0)
    return "<no handshake>" + replies;
  return replies.substr(HANDSHAKE.size() + RESIZE_16.size());
}

struct Session {
  std::string Replies;
  int ExitStatus;
};

Session Talk(const std::string& input, int timeoutMs = 30000) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("uci\n" + input, dir.Path(), timeoutMs);
  EXPECT_FALSE(r.TimedOut);
  return {AfterHandshake(r.Output), r.ExitStatus};
}

TEST(UciTranscript, HandshakeLinesInOrderThenTheTables) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::RunEngine("uci\nisready\nquit\n", dir.Path());
  EXPECT_EQ(AfterStartup(r.Output), HANDSHAKE + RESIZE_16 + "readyok\n" + QUIT_TEXT);
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(dir.Read("log.txt"), "uci\nisready\nquit\n");
}

TEST(UciTranscript, TheHandshakeOverridesOptionTxt) {
  vtest::TempDir dir;
  dir.Write("option.txt", "FUTILITY=FALSE QEDGE 0 STRENGTH 40 ANALYSE_MODE=TRUE HASH 64 END.\n");
  vtest::RunResult r = vtest::RunEngine("uci\nquit\n", dir.Path());
  EXPECT_NE(r.Output.find("WARNING: Vessik uses 40% of its strength!\n"), std::string::npos);
  EXPECT_EQ(AfterStartup(r.Output), HANDSHAKE + RESIZE_16 + QUIT_TEXT);
}

TEST(UciTranscript, HashPrintsTheNewSizes) {
  Session s = Talk("setoption name Hash value 24\nsetoption name Hash value 6\nquit\n");
  EXPECT_EQ(s.Replies,
            "Hash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 16MB\n"
            "Hash Eval Table: 1MB\nPawn Hash : 3MB\nHash Tables: 2MB\n" +
                QUIT_TEXT);
}

TEST(UciTranscript, UciAskedAgainIsAnsweredAgain) {
  EXPECT_EQ(Talk("uci\nquit\n").Replies, HANDSHAKE + QUIT_TEXT);
}

TEST(UciTranscript, BestmoveWithoutPonderWhenTheLineHasOneMove) {
  // Qg7 mates: there is no reply to ponder on.
  Session s = Talk("position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\ngo depth 4\nquit\n");
  EXPECT_EQ(s.Replies.substr(s.Replies.find("bestmove")), "bestmove g6g7\n" + QUIT_TEXT);
}

TEST(UciTranscript, NoLegalMoveGivesTheNullMove) {
  Session mated = Talk("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\ngo depth 3\nquit\n");
  EXPECT_EQ(mated.Replies.substr(mated.Replies.find("bestmove")), "bestmove 0000\n" + QUIT_TEXT);
  Session stalemate = Talk("position fen 7k/8/6QK/8/8/8/8/8 b - - 0 1\ngo depth 3\nquit\n");
  EXPECT_EQ(stalemate.Replies.substr(stalemate.Replies.find("bestmove")), "bestmove 0000\n" + QUIT_TEXT);
}

TEST(UciTranscript, BestmoveWithPonderIsAMoveAndALegalReply) {
  Session s = Talk("position startpos moves e2e4 c7c5 g1f3 d7d6 f1b5\ngo depth 5\nquit\n");
  const size_t at = s.Replies.find("bestmove ");
  ASSERT_NE(at, std::string::npos) << s.Replies;
  const std::string line = s.Replies.substr(at, s.Replies.find('\n', at) - at);
  // Black is in check from the bishop: every answer blocks or moves the king.
  EXPECT_TRUE(line.rfind("bestmove c8d7 ponder ", 0) == 0 || line.rfind("bestmove b8c6 ponder ", 0) == 0 ||
              line.rfind("bestmove b8d7 ponder ", 0) == 0 || line.rfind("bestmove d8d7 ponder ", 0) == 0 ||
              line.rfind("bestmove e8d7 ponder ", 0) == 0)
      << line;
}

TEST(UciTranscript, OverlongLinesAreDroppedWhole) {
  std::string line = "position startpos moves e2e4";
  while (line.size() < 70000) line += "          ";
  line += " e7e5\n";
  Session s = Talk("position startpos moves d2d4\n" + line + "go perft 1\nquit\n");
  EXPECT_NE(s.Replies.find("Nodes searched: 20\n"), std::string::npos) << "Black to move after d2d4 alone";
  EXPECT_NE(s.Replies.find("d7d5: 1\n"), std::string::npos);
}

TEST(UciTranscript, EndOfInputActsAsQuit) {
  Session s = Talk("isready\n");
  EXPECT_EQ(s.Replies, "readyok\n" + QUIT_TEXT);
  EXPECT_EQ(s.ExitStatus, 0);
}

}  // namespace
