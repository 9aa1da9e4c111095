// Hostile input: what no interface should send, each row one fresh engine
// with a time limit and its whole input (closed at its end). Every row must
// end with status 0 in time and without an internal error message; the moves
// the engine writes must be legal where it stood. Random input is left to the
// fuzz targets.

#include "frontend/session.h"
#include "support/engine.h"

namespace {

#ifdef VESSIK_SANITIZED
constexpr int LIMIT_MS = 60000;
#else
constexpr int LIMIT_MS = 30000;
#endif

struct Case {
  const char* Name;
  std::string Input;
  std::vector<std::string> Present = {}, Absent = {};
  // Every UCI bestmove, or the first xboard move, is legal here.
  const char* LegalAt = nullptr;
  int Bestmoves = -1;
  fe::Files Files = {};
};

const std::string HUGE(100000, 'x'), SHORT_SEARCH = "st 0.2\nsd 3\ngo\n";
const char* START = vtest::START_FEN;
const char* MATED = "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1";
const char* KIWIPETE_BLACK = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b Kq - 0 1";

// 3000 half-moves of knights going out and back: past the record's 2048, at the start position again.
const std::string SHUFFLES = fe::Repeat("g1f3 g8f6 f3g1 f6g8 ", 750);

// Bytes of every kind, words of the files' own syntax among them.
const std::string JUNK = fe::Repeat(std::string("\xff\x01 e4(9) Zz9 .\r\n\0x HASH -9 Cf3 bm ;/8/9/\x80", 41), 75);

std::string BrokenSetboards() {
  std::string in = "new\nforce\n";
  for (const std::string& fen : fe::BROKEN_FENS) in += "setboard " + fen + "\n";
  return in + SHORT_SEARCH;
}

const Case CASES[] = {
    {"Xboard100KbLine", HUGE + "\nping 7\nquit\n", {"pong 7\n"}},
    {"Xboard100KbLineWithoutLineEnd", "ping 3\n" + HUGE, {"pong 3\n"}},
    {"Xboard100KbLineStartingWithAMove", "force\ne2e4 " + HUGE + "\nping 5\n", {"pong 5\n"}},
    {"Uci100KbPositionLine", "uci\nposition startpos moves " + HUGE + "\nisready\nquit\n", {"readyok\n"}},
    {"NulBytes", std::string("ping 1\0junk\nprotover 2\0\nping 2\n", 31), {"pong 2\n"}},
    {"UciNulBytes", std::string("uci\nisr\0eady\nisready\n", 22), {"readyok\n"}},
    {"CarriageReturns", "ping 4\r\n\r\n\r\rquit\r\n", {"pong 4\n"}},
    {"NothingAtAll", ""},
    {"XboardNumbersOutOfRange",
     "level 0 0 -5\nlevel -40 5 0\nlevel 99999999999 99999999999 99999999999\nlevel 1 2147483647 0\nsd 0\nsd -5\n"
     "st -3\nst 0\nst abc\nst 1e9\ntime -100\notim 99999999999\ntime abc\nping 99999999999\nping -99999999999\nping\n"
     "perft 0\nperft -1\nperft 99\nmemory -5\nmemory 0\nsd 99999999999\nst 0.2\ngo\n",
     {"pong 2147483647\n", "pong -2147483648\n", "pong 0\n"}, {"Nodes searched"}, START},
    {"UciNumbersOutOfRange",
     "uci\nsetoption name Hash value 999999999\nsetoption name Hash value -5\nsetoption name Hash value x\n"
     "setoption name MultiPV value -3\nsetoption name MultiPV value 99999999999\n"
     "setoption name Tactical factor value -99\n"
     "setoption name Positional strength value 99999999999\nsetoption name Positional strength value -1\n"
     "setoption name\nsetoption\nposition startpos\ngo wtime -1 btime -1 winc -1 binc -1 movestogo -1\n"
     "go depth -5 nodes -1 movetime -1\ngo depth 99999999999 movetime 200\ngo nodes 99999999999 movetime 100\n"
     "go perft -1\ngo perft 0\ngo perft 99999\ngo perft x\ngo movestogo 0 wtime 30 btime 30\n"
     "go wtime x btime x winc x binc x movestogo x movetime x nodes x depth x depth 2\nisready\n",
     {"readyok\n"}, {"Nodes searched"}, START, 6},
    {"BrokenFensInSetboard", BrokenSetboards(), {}, {}, START},
    {"TakebacksAndForwardsBeyondTheGame",
     "new\nforce\nremove\nundo\nforward\nforward\ne2e4\ne7e5\n" + fe::Repeat("undo\n", 3000) +
         fe::Repeat("forward\n", 50) + fe::Repeat("remove\nretake\nback\n", 20) + "forward\nforward\n" + SHORT_SEARCH,
     {}, {}, START},
    {"UciThreeThousandMoves",
     "uci\nposition startpos moves " + SHUFFLES + "\ngo depth 3\nposition startpos moves " + SHUFFLES +
         "e2e4\ngo depth 2\nisready\n",
     {"readyok\n"}, {}, START, 2},
    {"EditSquareOffTheBoardI9", "edit\nPi9\nping 1\n", {}, {"pong"}},
    {"EndOfInputInATimedSearch", "new\nlevel 0 60 0\ntime 360000\notim 360000\ngo\n", {}, {}, START},
    {"EndOfInputInAFixedTimeSearch", "new\nst 600\ngo\n", {}, {}, START},
    {"EndOfInputInAnAnalysis", "new\nanalyze\n", {}, {"\nmove "}},
    {"EndOfInputWhilePondering", "new\nhard\nlevel 0 60 0\nsd 2\ngo\n", {}, {}, START},
    {"EndOfInputInAnInfiniteSearch", "uci\nposition startpos\ngo infinite\n", {}, {}, START, 1},
    {"EndOfInputInAPonderSearch", "uci\nposition startpos\ngo ponder wtime 600000 btime 600000 winc 100 binc 100\n",
     {}, {}, START, 1},
    {"EndOfInputInATenMinuteMovetime", "uci\nposition startpos\ngo movetime 600000\n", {}, {}, START, 1},
    {"EndOfInputWhileWaitingForStop", "uci\nposition fen " + std::string(MATED) + "\ngo infinite\n", {}, {}, MATED, 1},
    {"ABookPgnThatIsNoBook", "makebook\nping 1\n", {"Error on book.pgn line:", "pong 1\n"}, {}, nullptr, -1,
     {{"Book.pgn", "e4 e5 Cf3 Zz9 Cc6\n"}}},
    {"JunkFiles", "makebook\nload\njunk\nforce\nping 2\ntestepd\njunk.epd\n1\nnew\n" + SHORT_SEARCH, {"pong 2\n"}, {},
     START, -1,
     {{"Book.pgn", JUNK}, {"Book.bin", JUNK}, {"option.txt", JUNK}, {"junk.dat", JUNK}, {"junk.epd", JUNK}}},
    // Searches stopped at once, or ending on stored results, still answer a legal move.
    {"UciSearchesEndingOnStoredResults",
     "uci\nposition fen " + std::string(KIWIPETE_BLACK) + "\ngo wtime 500 btime 500\ngo depth 3\ngo nodes 3000\n", {},
     {"bestmove 0000"}, KIWIPETE_BLACK, 3},
    {"UciAStopAtTheFirstLook", "uci\nposition startpos moves e2e4 c7c5\ngo nodes 5\nstop\ngo nodes 1\n", {},
     {"bestmove 0000"}, "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", 2},
};

// True when the move (a coordinate word, "0000" for none) is legal at fen.
bool Legal(const char* fen, const std::string& move) {
  vtest::FreshEngine();
  return vtest::SetFen(fen) && (move == "0000" ? vtest::LegalMoves().empty() : vtest::Play({move}));
}

class Hostile : public testing::TestWithParam<Case> {};

TEST_P(Hostile, Input) {
  const Case& c = GetParam();
  vtest::TempDir dir;
  fe::Put(dir, c.Files);
  // Also the end of input inside a search of minutes ends the program within the limit.
  const vtest::RunResult r = vtest::RunEngine(c.Input, dir.Path(), LIMIT_MS);
  const std::string& out = r.Output;
  ASSERT_FALSE(r.TimedOut) << "no end within " << LIMIT_MS << " ms";
  EXPECT_EQ(r.ExitStatus, 0) << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
  for (const std::string& text : c.Present) EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  for (const std::string& text : c.Absent) EXPECT_EQ(out.find(text), std::string::npos) << text << "\n" << out;
  for (const char* internal : {"Error on undoing", "Error on performing", "Error on Search", "Zero num_ply",
                               "Error on generating"})
    EXPECT_EQ(out.find(internal), std::string::npos) << internal;
  // Every bestmove, and the first xboard move, is legal where the engine stood.
  int bestmoves = 0, moves = 0;
  for (const std::string& line : fe::Lines(out)) {
    const bool best = fe::StartsWith(line, "bestmove "), first = fe::StartsWith(line, "move ") && moves++ == 0;
    bestmoves += best;
    if (!c.LegalAt || !(best || first)) continue;
    const size_t at = best ? 9 : 5;
    EXPECT_TRUE(Legal(c.LegalAt, line.substr(at, line.find(' ', at) - at))) << line;
  }
  if (c.Bestmoves >= 0) {
    EXPECT_EQ(bestmoves, c.Bestmoves) << out;
  } else if (c.LegalAt) {
    EXPECT_GT(moves, 0) << out;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Hostile, testing::ValuesIn(CASES), fe::ByName());

}  // namespace
