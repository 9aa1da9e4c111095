// The EPD test runner: its prompts and console lines, the Result.txt lines,
// the record scanner's four error reports, wrong and missing answers, records
// and answers too long to keep, and what the runner leaves behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "search/search_test_util.h"
#include "support/engine_process.h"
#include "support/stdin_pipe.h"
#include "tools/tools.h"

namespace {

const std::string QUIT_TEXT = "\nPlease wait...\n\n";
const std::string PROMPTS = "Please enter your file name Please enter time for each move in second: ";

// Mate in one for White (Qxf7), and a back-rank mate (Ra8).
const std::string SCHOLAR = "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -";
const std::string BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - -";

std::string Heading(int number, int correct) {
  return "\nPosition# " + std::to_string(number) + " analysing....   Correct= " + std::to_string(correct) + "\n";
}

std::string ResultLine(int number, const std::string& solution, const std::string& played, int time) {
  return "Pos# " + std::to_string(number) + "      Correct " + solution + "     Played " + played +
         "     Time for solution: " + std::to_string(time) + "\n";
}

// The engine's replies after start-up, with the value of every "Static = "
// line replaced by "N" (the evaluation is not what is tested here).
std::string Replies(const std::string& output) {
  const std::string done = "feature done=0\n";
  const size_t at = output.find(done);
  if (at == std::string::npos) return "<no start-up>" + output;
  const std::string in = output.substr(at + done.size());
  const std::string tag = "Static = ";
  std::string out;
  size_t p = 0;
  for (size_t t = in.find(tag); t != std::string::npos; t = in.find(tag, p)) {
    out += in.substr(p, t - p) + tag + "N";
    p = t + tag.size();
    while (p < in.size() && (in[p] == '-' || (in[p] >= '0' && in[p] <= '9'))) p++;
  }
  return out + in.substr(p);
}

struct EpdRun {
  std::string Replies;
  std::string Result;
  bool ResultExists;
  int ExitStatus;
};

// Writes the test file, runs "testepd" with the given answers to its prompts,
// then pings (to show the command loop is back) and quits.
EpdRun TestEpd(const std::string& file, const std::string& answers = "test.epd\n1\n") {
  vtest::TempDir dir;
  dir.Write("test.epd", file);
  const vtest::RunResult r = vtest::RunEngine("testepd\n" + answers + "ping 7\nquit\n", dir.Path(), 30000);
  EXPECT_FALSE(r.TimedOut);
  return {Replies(r.Output), dir.Read("Result.txt"), dir.Exists("Result.txt"), r.ExitStatus};
}

const std::string STATIC = "Static = N\n";
const std::string BACK = "pong 7\n" + QUIT_TEXT;

TEST(EpdRunner, SolvesMatesInOneAndWritesOneLinePerPosition) {
  const EpdRun run = TestEpd(SCHOLAR + " bm Qxf7+; id \"scholar\";\n" + BACK_RANK + " am Ra8+; id \"back rank\";\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + STATIC + Heading(2, 1) + STATIC + Heading(3, 2) + BACK);
  EXPECT_EQ(run.Result, ResultLine(1, "Qxf7+", "Qxf7+ ", 0) + ResultLine(2, "Ra8+", "Ra8+ ", 0));
  EXPECT_EQ(run.ExitStatus, 0);
}

TEST(EpdRunner, EachPositionIsSearchedForTheTimeGiven) {
  // No mate within reach (a found mate ends the search at once), so the
  // search runs until its second is used up.
  vtest::TempDir dir;
  dir.Write("test.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nh3;\n");
  vtest::EngineProcess engine(dir.Path());
  ASSERT_NE(engine.WaitFor("feature done=0"), "");
  const auto start = std::chrono::steady_clock::now();
  engine.Send("testepd\ntest.epd\n1\n");
  ASSERT_NE(engine.WaitFor("Position# 2 analysing", 20000), "");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_GE(ms.count(), 900);
  EXPECT_LT(ms.count(), 8000);
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(10000), 0);
  const std::string result = dir.Read("Result.txt");
  EXPECT_EQ(result.rfind("Pos# 1      Correct Nh3     Played ", 0), 0u) << result;
  EXPECT_NE(result.find("Time for solution: 600\n"), std::string::npos) << result;
}

TEST(EpdRunner, AFileWithoutAFinalLineEndEndsNormally) {
  const EpdRun run = TestEpd(SCHOLAR + " bm Qxf7+;");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + STATIC + Heading(2, 1) + BACK);
  EXPECT_EQ(run.Result, ResultLine(1, "Qxf7+", "Qxf7+ ", 0));
}

TEST(EpdRunner, AnEnPassantFieldStopsTheTestAtItsLetter) {
  const std::string record = "rnbqkbnr/pppp1ppp/8/8/3pP3/8/PPP2PPP/RNBQKBNR b KQkq e3 bm exe3;\n";
  const EpdRun run = TestEpd(SCHOLAR + " bm Qxf7+;\n" + record + SCHOLAR + " bm Qxf7+;\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + STATIC + Heading(2, 1) + "Unknown format (Pos: 2) seek: 53  char:e\n" +
                             BACK);
  EXPECT_EQ(run.Result, ResultLine(1, "Qxf7+", "Qxf7+ ", 0)) << "written up to the error";
}

TEST(EpdRunner, AnswersThatCanNeverMatchScoreSixHundred) {
  // A mate sign (moves are written with '+' only), castling written with the
  // letter O (written with zeros; the rook's own move to f1 mates as well),
  // and a record without an answer.
  const std::string castle = "4rkr1/4p1p1/8/8/8/8/8/4K2R w K - bm O-O;\n";
  const EpdRun run = TestEpd(SCHOLAR + " bm Qxf7#;\n" + castle + BACK_RANK + ";\n");
  const std::string first = ResultLine(1, "Qxf7#", "Qxf7+ ", 600);
  const std::string third = ResultLine(3, "", "Ra8+ ", 600);
  ASSERT_EQ(run.Result.substr(0, first.size()), first) << run.Result;
  const std::string second = run.Result.substr(first.size(), run.Result.size() - first.size() - third.size());
  EXPECT_TRUE(second == ResultLine(2, "O-O", "0-0+ ", 600) || second == ResultLine(2, "O-O", "Rf1+ ", 600)) << second;
  EXPECT_EQ(run.Result.substr(run.Result.size() - third.size()), third) << run.Result;
  EXPECT_NE(run.Replies.find(Heading(4, 0)), std::string::npos) << "none of them counted";
}

TEST(EpdRunner, OverlongRecordsAndAnswersAreCut) {
  // Blanks push this record's answer past 255 characters: the record is cut
  // before it (no answer), and the next record is read from its own line.
  const std::string longRecord = SCHOLAR + std::string(260, ' ') + " bm Qxf7+; rest of the line\n";
  const std::string longAnswer = SCHOLAR + " bm Qxf7+abcdefghijklmnopqrstuvwxyz;\n";
  const EpdRun run = TestEpd(longRecord + longAnswer + SCHOLAR + " bm Qxf7+;\n");
  EXPECT_EQ(run.Result, ResultLine(1, "", "Qxf7+ ", 600) + ResultLine(2, "Qxf7+abcdefghijklmn", "Qxf7+ ", 600) +
                            ResultLine(3, "Qxf7+", "Qxf7+ ", 0));
}

TEST(EpdRunner, TheScannerErrorReports) {
  EpdRun run = TestEpd("rnbqkbnr/ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4;\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + "Error: Square is not dividable over 8 (Pos: 1)\n" + BACK);
  EXPECT_EQ(run.Result, "");
  // Seven ranks: the placement ends two ranks up.
  run = TestEpd(SCHOLAR + " bm Qxf7+;\n4k3/8/8/8/8/8/4K3 w - - bm Kd1;\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + STATIC + Heading(2, 1) + "Error on End Square Pos: 2\n" + BACK);
  EXPECT_EQ(run.Result, ResultLine(1, "Qxf7+", "Qxf7+ ", 0));
  // A ninth file: the piece would land off the board.
  run = TestEpd("rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4;\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + "Unknown format (Pos: 1) seek: 8  char:r\n" + BACK);
}

TEST(EpdRunner, AnUnplayablePositionIsScoredWrongAndTheTestGoesOn) {
  const EpdRun run = TestEpd("4K3/8/8/8/8/8/8/4K3 w - - bm Kd1;\n" + SCHOLAR + " bm Qxf7+;\n");
  EXPECT_EQ(run.Replies, PROMPTS + Heading(1, 0) + "Position# 1 cannot be played\n" + Heading(2, 0) + STATIC +
                             Heading(3, 1) + BACK);
  EXPECT_EQ(run.Result, ResultLine(1, "Kd1", "", 600) + ResultLine(2, "Qxf7+", "Qxf7+ ", 0));
}

TEST(EpdRunner, MissingFileAndEndOfInputAtThePrompts) {
  EpdRun run = TestEpd("", "nosuch.epd\n");
  EXPECT_EQ(run.Replies, "Please enter your file name File not found. Try again later!\n" + BACK);
  EXPECT_TRUE(run.ResultExists) << "Result.txt is opened first";
  for (const char* input : {"testepd\n", "testepd\ntest.epd\n"}) {
    vtest::TempDir dir;
    dir.Write("test.epd", SCHOLAR + " bm Qxf7+;\n");
    const vtest::RunResult r = vtest::RunEngine(input, dir.Path());
    EXPECT_FALSE(r.TimedOut);
    EXPECT_EQ(r.ExitStatus, 0);
    EXPECT_NE(r.Output.find(QUIT_TEXT), std::string::npos) << input;
  }
}

// In-process: the runner's state after its end.
class EpdInProcess : public searchtest::SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    home_ = buffer;
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(home_.c_str()), 0); }

  static int OpenFiles() {
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    while (d && readdir(d)) n++;
    if (d) closedir(d);
    return n;
  }

  // Runs the test file with the answers, silently.
  void RunQuietly(const std::string& file) {
    dir_.Write("test.epd", file);
    vtest::StdinPipe input("test.epd 1\n");
    testing::internal::CaptureStdout();
    RunEpdTest();
    testing::internal::GetCapturedStdout();
  }

  vtest::TempDir dir_;
  std::string home_;
};

TEST_F(EpdInProcess, EveryExitClosesBothFilesAndEndsTheTestSuite) {
  const std::string files[] = {
      SCHOLAR + " bm Qxf7+;\n",
      SCHOLAR + " bm Qxf7+;\nrnbqkbnr/ppp/8 w - - bm e4;\n",
      SCHOLAR + " bm Qxf7+;\n4k3/8/4K3 w - - bm Kd1;\n",
      SCHOLAR + " bm Qxf7+;\n4k3/8/8/8/8/8/8/4K3 w - e3 bm Kd1;\n",
  };
  for (const std::string& file : files) {
    const int before = OpenFiles();
    RunQuietly(file);
    EXPECT_EQ(OpenFiles(), before) << file;
    EXPECT_FALSE(Srch.TestSuiteRunning) << file;
  }
}

TEST_F(EpdInProcess, ARecordThatIsNotSetUpLeavesThePositionItFound) {
  // The first record is searched and stays; the broken second one and the
  // end of the file leave it as it was.
  RunQuietly(SCHOLAR + " bm Qxf7+;\n4k3/8/4K3 w - - bm Kd1;\n");
  const PositionRecord afterError = Pos;
  RunQuietly(SCHOLAR + " bm Qxf7+;\n");
  EXPECT_EQ(std::memcmp(&afterError, &Pos, sizeof Pos), 0);
  EXPECT_EQ(Pos.Board[H5], QUEEN);
  EXPECT_EQ(Pos.Board[F7], BLACK_BIT + PAWN);
  EXPECT_TRUE(PositionIsConsistent());
}

TEST_F(EpdInProcess, TheRootNotesWhenItsBestMoveBecomesTheAnswer) {
  Position(SCHOLAR + " 0 1");
  Srch.TestSuiteRunning = true;
  std::strcpy(Srch.SolutionText, "Qxf7+ ");
  Srch.SolutionTime = -1;
  Think(1, 3);
  EXPECT_EQ(Srch.SolutionTime, 0);
  Position(SCHOLAR + " 0 1");
  std::strcpy(Srch.SolutionText, "Qxf7# ");
  Srch.SolutionTime = -1;
  Think(1, 3);
  EXPECT_EQ(Srch.SolutionTime, -1) << "no move of the search reads like that";
  Srch.TestSuiteRunning = false;
}

}  // namespace
