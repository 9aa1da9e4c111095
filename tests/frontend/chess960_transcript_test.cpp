// Chess960 in both protocols. The position: White mates by castling short
// with a king that stays on g1 (the rook alone goes h1-f1).
#include "frontend/session.h"

namespace {

const std::string MATE = "5k2/4p1p1/7N/7B/8/8/8/6KR w H - 0 1";

const fe::Transcript UCI_CASES[] = {
    {"Chess960CastlesAreKingTakesRookAndUcinewgameKeepsTheOption",
     "uci\nsetoption name UCI_Chess960 value true\nucinewgame\nposition fen " + MATE +
         " moves g1h1\ngo perft 1\nposition fen " + MATE + "\ngo depth 2\nsetoption name UCI_Chess960 value false\n"
         "position fen " + MATE + " moves g1h1\ngo perft 1\n",
     fe::Nodes({0}) + "info * score mate 1 *\nbestmove g1h1\n" + fe::Nodes({18}) + fe::QUIT},
};

const fe::Transcript XBOARD_CASES[] = {
    {"FischerandomSendsAndTakesOOAndNewIsNormalChess",
     "xboard\nprotover 2\nnew\nvariant fischerandom\nsetboard " + MATE + "\nsd 2\ngo\n"
     "new\nvariant fischerandom\nsetboard " + MATE + "\nforce\nO-O\nperft 1\n"
     "setboard " + MATE + "\ng1h1\nperft 1\nnew\nsetboard " + MATE + "\ng1h1\nperft 1\n",
     fe::Features(100, 0, 25) + "move O-O\n" + fe::Repeat("1-0 {White mates}\n", 2) + fe::Nodes({0}) +
         "1-0 {White mates}\n" + fe::Nodes({0}) + "Illegal move: g1h1\n" +
         fe::Nodes({18}) + fe::QUIT},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Uci960, Transcripts, testing::ValuesIn(UCI_CASES), fe::ByName());
INSTANTIATE_TEST_SUITE_P(Xboard960, Transcripts, testing::ValuesIn(XBOARD_CASES), fe::ByName());
