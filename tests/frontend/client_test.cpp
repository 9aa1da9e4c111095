// What real clients rely on: the xboard features and the commands a GUI
// sends around a game, the order of pong and move, refused moves, the UCI
// options and the information line every search gives, FEN games with their
// history, and the console prompts in the log.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "frontend/xboard_session.h"
#include "support/engine_process.h"

namespace {

using namespace xbtest;

const std::string RUN_DIR = std::string(VESSIK_SOURCE_DIR) + "/run/";

std::string FileText(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::string text;
  if (!f) return text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

struct XboardCase {
  const char* Name;
  const char* OptionFile;  // option.txt of the folder, or null
  const char* Input;
  const char* Expected;    // replies after start-up, thinking lines left out
};

const XboardCase XBOARD_CASES[] = {
    {"InterfaceCommandsNeedNoReply", nullptr,
     "xboard\ncomputer\nname Fairy-Max 5.0b\nrating 2000 1800\nics -\nrandom\nhint\nbk\ndraw\n"
     "accepted ping\nrejected memory\npost\nnopost\nping 5\n",
     "pong 5\n"},
    {"OptionFeaturesShowTheValuesInUse", "FUTILITY=TRUE STRENGTH 80 QEDGE 100 END.", "protover 2\n",
     "feature myname=\"Vessik 4.2\"\nfeature setboard=1\nfeature analyze=1\nfeature ping=1\nfeature sigint=0\n"
     "feature sigterm=0\nfeature memory=1\nfeature option=\"Positional strength -spin 80 0 100\"\n"
     "feature option=\"Futility -check 1\"\nfeature option=\"Tactical factor -spin 60 0 60\"\n"
     "feature option=\"OwnBook -check 1\"\nfeature done=1\n"},
    {"OptionCommandsSetTheOptions", nullptr,
     "option Futility=1\noption Positional strength=0\noption OwnBook=0\noption Tactical factor=75\n"
     "option Nonsense=3\noption Futility\noption Futility=x\nprotover 2\n",
     "feature myname=\"Vessik 4.2\"\nfeature setboard=1\nfeature analyze=1\nfeature ping=1\nfeature sigint=0\n"
     "feature sigterm=0\nfeature memory=1\nfeature option=\"Positional strength -spin 1 0 100\"\n"
     "feature option=\"Futility -check 1\"\nfeature option=\"Tactical factor -spin 60 0 60\"\n"
     "feature option=\"OwnBook -check 0\"\nfeature done=1\n"},
    // The position survives the resize: e7e5 is Black's move after e2e4.
    {"MemorySizesTheTablesAndKeepsTheGame", nullptr, "force\ne2e4\nmemory 32\ne7e5\nmemory 0\nping 1\n",
     "Hash Eval Table: 4MB\nPawn Hash : 12MB\nHash Tables: 16MB\npong 1\n"},
};

class XboardClient : public testing::TestWithParam<XboardCase> {};

TEST_P(XboardClient, Transcript) {
  const XboardCase& c = GetParam();
  vtest::TempDir dir;
  if (c.OptionFile) dir.Write("option.txt", c.OptionFile);
  EXPECT_EQ(Replies(std::string(c.Input) + "quit\n", dir), std::string(c.Expected) + QUIT_TEXT);
}

INSTANTIATE_TEST_SUITE_P(Cases, XboardClient, testing::ValuesIn(XBOARD_CASES),
                         [](const testing::TestParamInfo<XboardCase>& i) { return std::string(i.param.Name); });

TEST(XboardClientGame, StartUpSaysDoneOnlyAfterTheFeatures) {
  vtest::TempDir dir;
  const vtest::RunResult r = vtest::RunEngine("protover 2\nquit\n", dir.Path());
  const size_t early = r.Output.find("feature done=0\n");
  ASSERT_NE(early, std::string::npos);
  EXPECT_EQ(r.Output.find("feature done=1"), r.Output.rfind("feature done=1")) << "said once";
  EXPECT_GT(r.Output.find("feature done=1"), r.Output.find("feature option=\"OwnBook")) << "after every feature";
}

TEST(XboardClientGame, AfterResultTheEngineNeitherSearchesNorPonders) {
  Engine e;
  e.Send("xboard\nnew\n" + LONG_CLOCK + "result 1-0 {White resigns}\ne2e4\n");
  // Not thinking: the pong comes at once, and no move.
  EXPECT_GE(e.TimeTo("ping 4\n", "pong ", 1000), 0);
  EXPECT_FALSE(e.SaidMove());
  // A new game plays again: now the pong waits for the move.
  e.Send("new\n" + LONG_CLOCK + "e2e4\n");
  Sleep(200);
  EXPECT_EQ(e.TimeTo("ping 5\n", "pong ", 700), -1);
  EXPECT_GE(e.TimeTo("?\n", "move "), 0);
  EXPECT_EQ(e.WaitFor("pong "), "pong 5");
}

TEST(XboardClientGame, SetboardCountsFiftyMovesFromTheFen) {
  // Black (the engine after new) is to move with the fifty moves used up:
  // the draw is claimed before the move.
  Engine e;
  e.Send("xboard\nnew\nsd 2\nsetboard 4k3/8/8/8/8/8/8/R3K3 b - - 100 80\ngo\n");
  ASSERT_NE(e.WaitFor("move "), "");
  EXPECT_NE(e.Transcript().find("1/2-1/2 {Draw}\nmove "), std::string::npos) << e.Transcript();
}

TEST(XboardClientGame, PromptAnswersAreLoggedAndAHandedOverMoveIsSaved) {
  vtest::TempDir dir;
  const std::string input =
      "force\nsetboard 4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\nwhite\ne2e4\nsave\ng1\nload\ng1\n"
      "testepd\nmissing.epd\nquit\n";
  vtest::RunEngine(input, dir.Path());
  EXPECT_EQ(dir.Read("log.txt"), input) << "every line, the answers to the prompts too";
  // One half-move, e2e4, from the position White was handed.
  EXPECT_EQ(dir.Read("g1.dat"), std::string("\x01\x00\x0c\x17\x00\x00", 6));
}

// --- UCI ---------------------------------------------------------------------------

const std::string HANDSHAKE_END = "Hash Tables: 8MB\n";

// What a UCI session printed after the handshake and its resize lines.
std::string UciReplies(const std::string& input, const vtest::TempDir& dir) {
  const vtest::RunResult r = vtest::RunEngine("uci\n" + input + "quit\n", dir.Path(), 30000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  const size_t at = r.Output.find(HANDSHAKE_END);
  return at == std::string::npos ? "<no handshake>" + r.Output : r.Output.substr(at + HANDSHAKE_END.size());
}

std::string UciReplies(const std::string& input) {
  vtest::TempDir dir;
  return UciReplies(input, dir);
}

// The info line right before bestmove and the move: a whole line (depth,
// score, time, nodes, nps, pv) whose line starts with the move played.
void ExpectInfoForTheMovePlayed(const std::string& out, const std::string& scorePattern, const std::string& what) {
  const std::regex last("info (multipv 1 )?depth [0-9]+ (" + scorePattern +
                        ") time [0-9]+ nodes [0-9]+ nps [0-9]+ pv ([a-h][1-8][a-h][1-8][nbrq]?) [^\n]*\n"
                        "bestmove ([a-h][1-8][a-h][1-8][nbrq]?)[^\n]*\n");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out, m, last)) << what << "\n" << out;
  EXPECT_EQ(m[3], m[4]) << what;
}

TEST(UciClient, ClientOptionsAndNewGameAreTakenSilently) {
  EXPECT_EQ(UciReplies("setoption name Threads value 1\nsetoption name Move Overhead value 100\n"
                       "setoption name OwnBook value false\nucinewgame\nisready\n"),
            "readyok\n" + QUIT_TEXT);
}

TEST(UciClient, EverySearchReportsTheMoveItPlays) {
  // Searches that end before their first report: a 100 ms clock, one ply.
  ExpectInfoForTheMovePlayed(UciReplies("position startpos\ngo wtime 100 btime 100 winc 100 binc 100\n"),
                             "score cp -?[0-9]+", "short clock");
  ExpectInfoForTheMovePlayed(UciReplies("position startpos moves e2e4\ngo depth 1\n"), "score cp -?[0-9]+",
                             "depth 1");
  ExpectInfoForTheMovePlayed(UciReplies("setoption name MultiPV value 3\nposition startpos\ngo depth 2\n"),
                             "score cp -?[0-9]+", "MultiPV");
  // A mate in one, found at once.
  const std::string mate = UciReplies("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\ngo depth 5\n");
  ExpectInfoForTheMovePlayed(mate, "score mate 1", "mate");
  EXPECT_NE(mate.find("bestmove d1d8\n"), std::string::npos) << mate;
  // No legal move: the score of the mate, then the null move.
  EXPECT_EQ(UciReplies("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\ngo depth 3\n"),
            "info depth 0 score mate 0\nbestmove 0000\n" + QUIT_TEXT);
}

TEST(UciClient, BookMovesAreReportedAndOwnBookTurnsTheBookOff) {
  vtest::TempDir dir;
  dir.Write("Book.bin", FileText(RUN_DIR + "Book.bin"));
  const std::string book = UciReplies("position startpos\ngo movetime 500\n", dir);
  EXPECT_TRUE(std::regex_search(book, std::regex("info depth 0 score cp 0 time [0-9]+ nodes 0 nps 0 pv ")))
      << book;
  ExpectInfoForTheMovePlayed(book, "score cp 0", "book move");
  const std::string searched = UciReplies("setoption name OwnBook value false\nposition startpos\ngo depth 2\n", dir);
  EXPECT_EQ(searched.find("nodes 0 "), std::string::npos) << searched;
  ExpectInfoForTheMovePlayed(searched, "score cp -?[0-9]+", "no book");
}

TEST(UciClient, MovesAfterAFenCountForRepetitions) {
  // White is a queen down; the knights have been out and back once, so the
  // knight's move again repeats a position and is a draw.
  const std::string out = UciReplies(
      "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1 moves g1f3 g8f6 f3g1 f6g8\n"
      "go depth 6\n");
  ExpectInfoForTheMovePlayed(out, "score cp 0", "repetition");
  EXPECT_NE(out.find("bestmove g1f3"), std::string::npos) << out;
}

}  // namespace
