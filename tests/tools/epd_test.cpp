// The EPD runner (testepd) and the perft divide over pipes: each row is a
// test file, the answers to the two prompts, the console lines (patterns)
// and Result.txt; afterwards "ping 7" shows the command loop is back and
// "perft 1" which position the runner left set up.
#include "frontend/session.h"

namespace {

const std::string PROMPTS = "Please enter your file name Please enter time for each move in second: ";
const std::string SCHOLAR = "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -";  // Qxf7 mates
const std::string BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - -";                            // Ra8 mates
// What perft 1 finds afterwards: the last position searched, or the start when
// none was (the back-rank position has the start's 20 moves too).
const std::string SCHOLAR_LEFT = "pong 7\n" + fe::Nodes({43}) + fe::QUIT;
const std::string START_LEFT = "pong 7\n" + fe::Nodes({20}) + fe::QUIT;

std::string Heading(int n, int correct, const std::string& then = "Static = *\n") {
  return "\nPosition# " + std::to_string(n) + " analysing....   Correct= " + std::to_string(correct) + "\n" + then;
}
// The test file, the replies, Result.txt; the answers to the prompts (the test
// file and a second a move), and then "ping 7" and "perft 1", unless the input ends at a prompt.
fe::Transcript Epd(const char* name, const std::string& file, const std::string& replies, const std::string& result,
                   const std::string& answers = "test.epd\n1\nping 7\nperft 1\n") {
  return {name, "testepd\n" + answers, replies, {{"test.epd", file}}, {{"Result.txt", result}}};
}
std::string Result(int n, const std::string& solution, const std::string& played, int time) {
  return "Pos# " + std::to_string(n) + "      Correct " + solution + "     Played " + played +
         "     Time for solution: " + std::to_string(time) + "\n";
}

const fe::Transcript CASES[] = {
    Epd("MatesInOneAreSolvedAtOnce",
        SCHOLAR + " bm Qxf7+; id \"scholar\";\n" + BACK_RANK + " am Ra8+; id \"back rank\";\n",
        PROMPTS + Heading(1, 0) + Heading(2, 1) + Heading(3, 2, "") + START_LEFT,
        Result(1, "Qxf7+", "Qxf7+ ", 0) + Result(2, "Ra8+", "Ra8+ ", 0)),
    Epd("AFileWithoutAFinalLineEnd", SCHOLAR + " bm Qxf7+;", PROMPTS + Heading(1, 0) + Heading(2, 1, "") + SCHOLAR_LEFT,
        Result(1, "Qxf7+", "Qxf7+ ", 0)),
    Epd("AnEnPassantFieldStopsAtItsLetter",
        SCHOLAR + " bm Qxf7+;\nrnbqkbnr/pppp1ppp/8/8/3pP3/8/PPP2PPP/RNBQKBNR b KQkq e3 bm exe3;\n" + SCHOLAR +
            " bm Qxf7+;\n",
        PROMPTS + Heading(1, 0) + Heading(2, 1, "Unknown format (Pos: 2) seek: 53  char:e\n") + SCHOLAR_LEFT,
        Result(1, "Qxf7+", "Qxf7+ ", 0)),
    // A mate sign, castling with the letter O (zeros are written), a record without an answer.
    Epd("AnswersThatCanNeverMatchScoreSixHundred",
        SCHOLAR + " bm Qxf7#;\n4rkr1/4p1p1/8/8/8/8/8/4K2R w K - bm O-O;\n" + BACK_RANK + ";\n",
        PROMPTS + Heading(1, 0) + Heading(2, 0) + Heading(3, 0) + Heading(4, 0, "") + START_LEFT,
        Result(1, "Qxf7#", "Qxf7+ ", 600) + Result(2, "O-O", "0-0+ ", 600) + Result(3, "", "Ra8+ ", 600)),
    Epd("OverlongRecordsAndAnswersAreCut",
        SCHOLAR + std::string(260, ' ') + " bm Qxf7+; rest of the line\n" + SCHOLAR +
            " bm Qxf7+abcdefghijklmnopqrstuvwxyz;\n" + SCHOLAR + " bm Qxf7+;\n",
        PROMPTS + Heading(1, 0) + Heading(2, 0) + Heading(3, 0) + Heading(4, 1, "") + SCHOLAR_LEFT,
        Result(1, "", "Qxf7+ ", 600) + Result(2, "Qxf7+abcdefghijklmn", "Qxf7+ ", 600) +
            Result(3, "Qxf7+", "Qxf7+ ", 0)),
    Epd("ASlashInMidRank", "rnbqkbnr/ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4;\n",
        PROMPTS + Heading(1, 0, "Error: Square is not dividable over 8 (Pos: 1)\n") + START_LEFT, ""),
    Epd("SevenRanksEndTwoRanksUp", SCHOLAR + " bm Qxf7+;\n4k3/8/8/8/8/8/4K3 w - - bm Kd1;\n",
        PROMPTS + Heading(1, 0) + Heading(2, 1, "Error on End Square Pos: 2\n") + SCHOLAR_LEFT,
        Result(1, "Qxf7+", "Qxf7+ ", 0)),
    Epd("APieceBeyondTheEighthFile", "rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4;\n",
        PROMPTS + Heading(1, 0, "Unknown format (Pos: 1) seek: 8  char:r\n") + START_LEFT, ""),
    Epd("AnUnplayablePositionIsScoredWrong", "4K3/8/8/8/8/8/8/4K3 w - - bm Kd1;\n" + SCHOLAR + " bm Qxf7+;\n",
        PROMPTS + Heading(1, 0, "Position# 1 cannot be played\n") + Heading(2, 0) + Heading(3, 1, "") + SCHOLAR_LEFT,
        Result(1, "Kd1", "", 600) + Result(2, "Qxf7+", "Qxf7+ ", 0)),
    Epd("AMissingTestFile", "", "Please enter your file name File not found. Try again later!\n" + START_LEFT, "",
        "nosuch.epd\nping 7\nperft 1\n"),
    {"ResultTxtCannotBeCreated", "testepd\ntest.epd\nping 7\nperft 1\n",
     "Please enter your file name Could not create a file. Maybe disk is full\n" + START_LEFT, {{"Result.txt/", ""}}},
    Epd("TheEndOfInputAtTheFirstPrompt", "", "Please enter your file name " + fe::QUIT, "", ""),
    Epd("TheEndOfInputAtTheSecondPrompt", SCHOLAR + " bm Qxf7+;\n", PROMPTS + fe::QUIT, "", "test.epd\n"),
};

TEST(EpdRunner, EachPositionIsSearchedForTheTimeGiven) {
  // No mate within reach: the search uses its second.
  fe::Converse({{"testepd\ntest.epd\n1\n", "Position# 2 analysing*", 8000, 900}},
                                     {{"test.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nh3;\n"}});
}

TEST(PerftDivide, EachLegalRootMoveThenTheTotal) {
  vtest::TempDir dir;
  const std::string out =
      vtest::RunEngine("setboard 4k3/8/8/8/8/8/8/4K2r w - - 0 1\nperft 1\nuci\ngo perft 1\n", dir.Path()).Output;
  const std::string divide = "e1d2: 1\ne1e2: 1\ne1f2: 1\n\nNodes searched: 3\n";
  EXPECT_EQ(out.substr(out.find("feature done=0\n") + 15, divide.size()), divide);
  EXPECT_NE(out.find("Hash Tables: 8MB\n" + divide + fe::QUIT), std::string::npos) << out;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Epd, Transcripts, testing::ValuesIn(CASES), fe::ByName());
