// Exact transcripts: the built engine over pipes, the way an xboard interface
// or a person at a console drives it.
#include <gtest/gtest.h>

#include <string>

#include "support/engine_process.h"

namespace {

const std::string QUIT_TEXT = "\nPlease wait...\n\n";

// What the engine wrote after its start-up lines (banner, table sizes,
// strength, "feature done=0").
std::string AfterStartup(const std::string& output) {
  const std::string done = "feature done=0\n";
  size_t at = output.find(done);
  if (at == std::string::npos) return "<no start-up>" + output;
  return output.substr(at + done.size());
}

struct Session {
  std::string Replies;
  int ExitStatus;
};

Session Talk(const std::string& input, const vtest::TempDir& dir) {
  vtest::RunResult r = vtest::RunEngine(input, dir.Path(), 30000);
  EXPECT_FALSE(r.TimedOut);
  return {AfterStartup(r.Output), r.ExitStatus};
}

Session Talk(const std::string& input) {
  vtest::TempDir dir;
  return Talk(input, dir);
}

TEST(XboardTranscript, ProtoverAnswersTheFeaturesWithDoneLast) {
  Session s = Talk("xboard\nprotover 2\naccepted myname\nrejected sigint\nquit\n");
  EXPECT_EQ(s.Replies,
            "feature myname=\"Vessik 4.2\"\n"
            "feature setboard=1\n"
            "feature analyze=1\n"
            "feature ping=1\n"
            "feature sigint=0\n"
            "feature sigterm=0\n"
            "feature memory=1\n"
            "feature option=\"Positional strength -spin 100 0 100\"\n"
            "feature option=\"Futility -check 0\"\n"
            "feature option=\"Tactical factor -spin 25 0 60\"\n"
            "feature option=\"OwnBook -check 1\"\n"
            "feature done=1\n" +
                QUIT_TEXT);
  EXPECT_EQ(s.ExitStatus, 0);
}

TEST(XboardTranscript, PingAnswersItsNumberOrZero) {
  Session s = Talk("ping 7\nping\nPING 12\nping -3\nping abc\nping 99999999999\nquit\n");
  EXPECT_EQ(s.Replies, "pong 7\npong 0\npong 12\npong -3\npong 0\npong 2147483647\n" + QUIT_TEXT);
}

TEST(XboardTranscript, QuitWithCarriageReturnAndExitWithoutLineEnd) {
  EXPECT_EQ(Talk("ping 1\r\nquit\r\n").Replies, "pong 1\n" + QUIT_TEXT);
  Session s = Talk("ping 2\nexit");
  EXPECT_EQ(s.Replies, "pong 2\n" + QUIT_TEXT);
  EXPECT_EQ(s.ExitStatus, 0);
}

TEST(XboardTranscript, EndOfInputActsAsQuitAndClosesTheLog) {
  vtest::TempDir dir;
  Session s = Talk("new\nping 4\nUNDO\n  odd   line  \n", dir);
  EXPECT_EQ(s.Replies, "pong 4\n" + QUIT_TEXT);
  EXPECT_EQ(s.ExitStatus, 0);
  EXPECT_EQ(dir.Read("log.txt"), "new\nping 4\nUNDO\n  odd   line  \n") << "every line, unchanged";
  EXPECT_TRUE(dir.Exists("Error.txt"));
  EXPECT_EQ(dir.Read("Error.txt"), "");
}

TEST(XboardTranscript, IllegalMovesAreRefusedAndUnknownLinesIgnored) {
  Session s = Talk("force\ne2e5\nE7E5\nhello\nprint\n\nforce\nping 1\nquit\n");
  EXPECT_EQ(s.Replies, "Illegal move: e2e5\nIllegal move: E7E5\npong 1\n" + QUIT_TEXT);
  // After a mate every move is refused.
  EXPECT_EQ(Talk("force\nf2f3\ne7e5\ng2g4\nd8h4\ne2e4\nquit\n").Replies,
            "0-1 {Black mates}\nIllegal move: e2e4\n" + QUIT_TEXT);
}

TEST(XboardTranscript, MateIsAnnouncedAfterTheMatingMove) {
  EXPECT_EQ(Talk("force\nf2f3\ne7e5\ng2g4\nd8h4\nquit\n").Replies, "0-1 {Black mates}\n" + QUIT_TEXT);
  EXPECT_EQ(Talk("force\ne2e4\ne7e5\nd1h5\nb8c6\nf1c4\ng8f6\nh5f7\nquit\n").Replies,
            "1-0 {White mates}\n" + QUIT_TEXT);
  // A check that can be answered, and a stalemate, print nothing.
  EXPECT_EQ(Talk("force\ne2e4\nf7f6\nd1h5\nquit\n").Replies, QUIT_TEXT);
  EXPECT_EQ(Talk("setboard k7/8/8/1Q6/8/8/8/7K w - - 0 1\nforce\nb5b6\nquit\n").Replies, QUIT_TEXT);
}

TEST(XboardTranscript, MateAfterSetboardWithBlackToMove) {
  const std::string board = "setboard 7k/8/8/8/8/8/r4PPP/6K1 b - - 0 1\nforce\n";
  EXPECT_EQ(Talk(board + "a2a3\nping 1\nquit\n").Replies, "pong 1\n" + QUIT_TEXT);
  EXPECT_EQ(Talk(board + "a2a1\nquit\n").Replies, "0-1 {Black mates}\n" + QUIT_TEXT);
}

TEST(XboardTranscript, SetboardKeepsTheLetterCaseOfTheFen) {
  // Lower-casing the first characters would turn the White pieces black.
  Session s = Talk("setboard R3K3/8/8/8/8/8/8/4k3 b - - 0 1\nperft 1\nquit\n");
  EXPECT_NE(s.Replies.find("Nodes searched: 5\n"), std::string::npos) << s.Replies;
}

TEST(XboardTranscript, PerftDivideFromTheStartPosition) {
  Session s = Talk("perft 3\nperft 0\nperft 11\nperft\nquit\n");
  const std::string& out = s.Replies;
  size_t blank = out.find("\n\n");
  ASSERT_NE(blank, std::string::npos) << out;
  std::string divide = out.substr(0, blank + 1);
  int lines = 0;
  for (char c : divide) lines += c == '\n';
  EXPECT_EQ(lines, 20);
  EXPECT_NE(divide.find("e2e4: 600\n"), std::string::npos) << divide;
  EXPECT_NE(divide.find("g1f3: 440\n"), std::string::npos) << divide;
  EXPECT_EQ(out.substr(blank), "\n\nNodes searched: 8902\n" + QUIT_TEXT) << "depths outside 1..10 are ignored";
}

TEST(XboardTranscript, NewReturnsToTheStandardPosition) {
  Session s = Talk("setboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1\nperft 1\nnew\nperft 1\nquit\n");
  EXPECT_NE(s.Replies.find("Nodes searched: 5\n"), std::string::npos);
  EXPECT_NE(s.Replies.find("Nodes searched: 20\n"), std::string::npos);
}

TEST(XboardTranscript, UndoAndRemoveBringBackTheEarlierPosition) {
  // After 1.e4 e5 2.Nf3 and a take-back White has its 29 moves again; remove
  // takes back both moves of the first pair.
  Session s = Talk("force\ne2e4\ne7e5\ng1f3\nUNDO\nperft 1\nremove\nperft 1\nforward\nperft 1\nquit\n");
  size_t first = s.Replies.find("Nodes searched: 29\n");
  size_t second = s.Replies.find("Nodes searched: 20\n", first);
  size_t third = s.Replies.find("Nodes searched: 20\n", second + 1);
  EXPECT_NE(first, std::string::npos) << s.Replies;
  EXPECT_NE(second, std::string::npos) << s.Replies;
  EXPECT_NE(third, std::string::npos) << "forward from no recorded move does nothing\n" << s.Replies;
}

TEST(XboardTranscript, EditDialogueSetsUpTheBoard) {
  // xboard's sequence: edit, clear, white pieces, c, black pieces, ".".
  Session s = Talk("edit\n#\nKe1\nRa1\nc\nKe8\n.\nperft 1\nquit\n");
  // White: king e1 (d1, d2, e2, f2, f1 and long castling) and rook a1 (a2..a8, b1..d1).
  EXPECT_NE(s.Replies.find("Nodes searched: 16\n"), std::string::npos) << s.Replies;
}

}  // namespace
