// UCI transcripts: each row is what follows "uci" in the whole input of a
// fresh engine, and the replies after the handshake (line patterns; of the
// info lines only the one before each bestmove is kept, and it must give the
// move played as the first of its line).
#include "frontend/session.h"

namespace {

const std::string HANDSHAKE =
    "id name Vessik 4.2\nid author Ardelis\noption name Ponder type check default true\n"
    "option name MultiPV type spin min 1 max 20 default 1\noption name Hash type spin min 6 max 1024 default 16\n"
    "option name Clear Hash type button\noption name Positional strength type spin min 0 max 100 default 100\n"
    "option name Futility type check default true\noption name Tactical factor type spin min 0 max 60 default 30\n"
    "option name Analyse mode type check default false\noption name Threads type spin min 1 max 1 default 1\n"
    "option name Move Overhead type spin min 0 max 5000 default 50\noption name OwnBook type check default true\n"
    "option name UCI_Chess960 type check default false\nuciok\n";
const std::string MATE_IN_ONE = "position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\n";
const std::string MATED = "position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\n";
const std::string HASH_8 = "Hash Eval Table: 1MB\nPawn Hash : 3MB\nHash Tables: 4MB\n";
const std::string ANY = "info *\nbestmove *\n";
const std::string LONG_D4_D5 = "position startpos moves" + fe::Repeat(" g1f3 g8f6 f3g1 f6g8", 16) + " d2d4 d7d5\n";
const std::string PROMOTING = "position fen 8/4P1k1/8/8/8/8/8/4K3 w - - 0 1 moves ";

std::string BrokenFens() {
  std::string in = "position startpos moves e2e4\n";
  for (const std::string& fen : fe::BROKEN_FENS) in += "position fen " + fen + " moves e7e5\ngo perft 1\n";
  return in;
}

// Each FEN set up, and the number of its legal moves.
fe::Transcript Fens(const char* name, const std::vector<std::pair<std::string, int>>& fens) {
  fe::Transcript row{name, "", fe::QUIT};
  for (const auto& [fen, moves] : fens) {
    row.Input += "position fen " + fen + "\ngo perft 1\n";
    row.Expected.insert(row.Expected.size() - fe::QUIT.size(), fe::Nodes({moves}));
  }
  return row;
}

const std::string BOOK = vtest::Shipped("Book.bin");

const fe::Transcript CASES[] = {
    {"UciAskedAgainIsAnsweredAgain", "uci\n", HANDSHAKE + fe::QUIT},
    {"TheHandshakeSizesTheTablesWhateverOptionTxtSays", "isready\nquit\n", "readyok\n" + fe::QUIT,
     {{"option.txt", "FUTILITY=FALSE QEDGE 0 STRENGTH 40 ANALYSE_MODE=TRUE HASH 64 END.\n"}},
     {{"log.txt", "uci\nisready\nquit\n"}}},
    {"TheEndOfInputActsAsQuitAndNoLogIsNeeded", "isready\n", "readyok\n" + fe::QUIT, {{"log.txt/", ""}}},
    {"IsreadyAnswersAndUnknownLinesAndClientOptionsDrawNoReply",
     "isready\n  isready  \nucinewgame\nstop\nponderhit\nregister later\ndebug on\n\nsetoption name Threads value 1\n"
     "setoption name Move Overhead value 100\nsetoption name OwnBook value false\nsetoption name Ponder value false\n"
     "setoption name hash value 64\nsetoption Hash value 64\nsetoption name Hash value abc\nsetoption name Hash value\n"
     "setoption name MultiPV value +\nsetoption name MultiPV value 1x\nsetoption name Clear Hash\nisready\n",
     "readyok\nreadyok\nreadyok\n" + fe::QUIT},
    {"HashPrintsTheSizesAndKeepsThePositionAndItsRepetitions",
     "setoption name Hash value 24\nsetoption name Hash value 1\nposition startpos moves e2e4 e7e5 g1f3\n"
     "setoption name Hash value 8\ngo perft 1\nposition fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1"
     " moves g1f3 g8f6 f3g1 f6g8\nsetoption name Hash value 8\ngo depth 6\n",
     "Hash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 16MB\nHash Eval Table: 1MB\nPawn Hash : 3MB\n"
     "Hash Tables: 2MB\n" + HASH_8 + fe::Nodes({29}) + HASH_8 + "info depth * score cp 0 *\nbestmove g1f3\n" +
         fe::QUIT},
    {"MateInOneHasNoPonderMove", MATE_IN_ONE + "go depth 4\n",
     "info depth * score mate 1 * pv g6g7 \nbestmove g6g7\n" + fe::QUIT},
    {"MateAgainstIsANegativeDistance", "position fen 7k/p7/6K1/8/8/8/8/1R6 b - - 0 1\ngo depth 3\n",
     "info depth 3 score mate -1 *\nbestmove * ponder b1b8\n" + fe::QUIT},
    {"MatedAnswersTheNullMove", MATED + "go depth 3\n", "info depth 0 score mate 0\nbestmove 0000\n" + fe::QUIT},
    {"StalemateAnswersTheNullMove", "position fen 7k/8/6QK/8/8/8/8/8 b - - 0 1\ngo depth 3\n",
     "info depth 0 score cp 0\nbestmove 0000\n" + fe::QUIT},
    {"InCheckTheMoveAndItsPonderReply", "position startpos moves e2e4 c7c5 g1f3 d7d6 f1b5\ngo depth 5\n",
     "info depth 5 score cp * pv [bcde]8[cd][67] *\nbestmove [bcde]8[cd][67] ponder [a-h][1-8][a-h][1-8]\n" + fe::QUIT},
    {"ANodeLimitStopsNearIt", "position startpos moves e2e4 c7c5\ngo nodes 30000\n",
     "info depth * nodes 3[0-4][0-9][0-9][0-9] nps *\nbestmove *\n" + fe::QUIT},
    {"ASearchThatEndsBeforeItsFirstReport", "position startpos\ngo wtime 100 btime 100 winc 100 binc 100\n",
     "info depth * score cp * pv *\nbestmove *\n" + fe::QUIT},
    {"MultiPvLinesAndThePonderMoveOfThePlayedLine", "setoption name MultiPV value 3\nposition startpos\ngo depth 2\n",
     "info multipv 1 depth 2 score cp *\nbestmove * ponder *\n" + fe::QUIT},
    {"BookMovesAreReportedWithoutASearch", "position startpos\ngo movetime 500\n",
     "info depth 0 score cp 0 time * nodes 0 nps 0 pv * \nbestmove *\n" + fe::QUIT, {{"Book.bin", BOOK}}},
    {"OwnBookFalseSearches", "setoption name OwnBook value false\nposition startpos\ngo depth 2\n",
     "info depth 2 score cp * nodes [1-9]*\nbestmove *\n" + fe::QUIT, {{"Book.bin", BOOK}}},
    {"MovesAfterAFenCountForRepetitions",
     "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1 moves g1f3 g8f6 f3g1 f6g8\ngo depth 6\n",
     "info depth * score cp 0 *\nbestmove g1f3\n" + fe::QUIT},
    {"TheFiftyMovesCountFromTheFensCounter",
     "position fen 7k/8/8/8/8/8/R7/K7 w - - 98 1 moves a2a3\ngo depth 5\nucinewgame\n"
     "position fen 7k/8/8/8/8/8/R7/K7 w - - 0 1 moves a2a3\ngo depth 5\n",
     "info depth 5 score cp 0 *\nbestmove *\ninfo depth 5 score cp -[1-9]*\nbestmove *\n" + fe::QUIT},
    {"StartposMovesAndPromotions",
     "position startpos moves e2e4 e7e5\ngo perft 1\ngo perft 0\n" + PROMOTING + "e7e8q g7h6 e8e4\ngo perft 1\n" +
         PROMOTING + "e7e8n g7h7\ngo perft 1\n" + PROMOTING + "e7e8R\ngo perft 1\n" + PROMOTING + "e7e8\ngo perft 1\n",
     fe::Nodes({29, 3, 9, 5, 3}) + fe::QUIT},
    {"WordsAreSeparatedByAnyBlanksAndFenFieldsMayBeMissing",
     "position \v startpos\f  moves  e2e4\t e7e5 \r  g1f3  \ngo perft 1\n"
     "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - moves e2e4 c7c5\ngo perft 1\n"
     "position fen 4k3/8/8/8/8/8/4P3/4K3 b moves e8d7 e2e4\ngo perft 1\nposition fen 4k3/8/8/8/8/8/4P3/4K3 w - - 5 40\n"
     "go perft 1\nposition fen 4k3/8/8/8/8/8/8/" + std::string(5000, '.') + "4K3\t\tw  " + std::string(3000, 'K') +
         " -\ngo perft 1\n",
     fe::Nodes({29, 30, 8, 6, 5}) + fe::QUIT},
    {"AMoveThatIsNotLegalEndsTheList",
     "position startpos moves e2e4 e7e5 e1e3 g8f6\ngo perft 1\nposition fen 4k3/4r3/8/8/8/8/4B3/4K3 w - - moves e2d3\n"
     "go perft 1\nposition startpos moves e7e5\ngo perft 1\nposition startpos moves e2e4 zz99 e7e5\ngo perft 1\n"
     "position startpos moves e2e4 e7e\ngo perft 1\nposition startpos moves e2e4 e7z9\ngo perft 1\n",
     fe::Nodes({29, 4, 20, 20, 20, 20}) + fe::QUIT},
    {"ARefusedFenLeavesThePositionAsItWas",
     "position startpos moves e2e4\nposition fen 8/8/8/8/8/8/8/8 w - - 0 1 moves e2e4\nposition fen\nposition\n"
     "position sideways\ngo perft 1\n",
     fe::Nodes({20}) + fe::QUIT},
    {"TheGameRecordEndsAtItsCapacity", "position startpos moves" + fe::Repeat(" g1f3 g8f6 f3g1 f6g8", 522) +
     "\ngo perft 1\n", fe::Nodes({20}) + fe::QUIT},
    {"LinesLongerThan65535CharactersAreDroppedWhole",
     "position startpos moves d2d4\nposition startpos moves e2e4" + std::string(70000, ' ') + " e7e5\ngo perft 1\n",
     fe::Nodes({20}) + fe::QUIT},
    // Lines read during a search: isready at once, the rest in order after bestmove.
    {"LinesDuringASearchRunAfterItInOrder", "position startpos\ngo infinite nodes 1000\n"
     "position startpos moves e2e4 e7e5\ngo perft 1\nstop\n", ANY + fe::Nodes({29}) + fe::QUIT},
    {"WithoutALegalMoveInfiniteWaitsForStop",
     MATED + "go infinite\nisready\nposition startpos\ngo perft 1\nponderhit\nstop\n",
     "readyok\ninfo depth 0 score mate 0\nbestmove 0000\n" + fe::Nodes({20}) + fe::QUIT},
    {"QuitDuringASearchAnswersFirst", "position startpos\ngo infinite\nquit\nisready\n", ANY + fe::QUIT},
    // A line cut short by a NUL byte is whole; a long one with a NUL byte keeps its rest.
    {"NulBytesInLinesReadDuringASearch",
     "position startpos\ngo infinite\nab" + std::string(1, '\0') + "cd\ngo perft 1\nstop\ngo infinite\nxx" +
         std::string(1, '\0') + std::string(300, 'y') + " isready\ngo perft 1\nstop\n",
     ANY + fe::Nodes({20}) + ANY + fe::Nodes({20}) + fe::QUIT},
    // After a search that ended by itself: the 33rd line, or one too long for the queue, ends the wait.
    {"AThirtyThirdLineEndsTheWaitForStop",
     MATED + "go infinite\n" + fe::Repeat("position startpos moves e2e4 e7e5\n", 32) + LONG_D4_D5.substr(0, 23) +
         " d2d4 d7d5\ngo perft 1\n",
     "info depth 0 score mate 0\nbestmove 0000\n" + fe::Nodes({27}) + fe::QUIT},
    {"ALongLineEndsTheWaitForStop", MATED + "go infinite\n" + LONG_D4_D5 + "go perft 1\n",
     "info depth 0 score mate 0\nbestmove 0000\n" + fe::Nodes({27}) + fe::QUIT},
    // FEN fields, told apart by the moves they allow.
    Fens("CastlingFields", {{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 26}, {"r3k2r/8/8/8/8/8/8/R3K2R b Kq -", 25},
                            {"r3k2r/8/8/8/8/8/8/R3K2R w - -", 24}, {"r3k2r/8/8/8/8/8/8/R3K2R w KKKK -", 25},
                            {"r3k2r/8/8/8/8/8/8/R3K2R b xyzKQkq -", 24}, {"r3k3/8/8/8/8/8/8/4K2R w KQkq -", 15},
                            {"r3k3/8/8/8/8/8/8/4K2R b KQkq -", 16}, {"r3k2r/8/8/8/8/8/8/R2K3R w KQkq -", 24}}),
    Fens("EnPassantFields", {{"4k3/8/8/8/3pP3/8/8/4K3 b - e3", 7}, {"4k3/8/8/8/3pP3/8/4N3/4K3 b - e3", 6},
                             {"4k3/8/8/8/3pP3/8/8/4K3 b - e", 6}, {"4k3/8/8/8/3pP3/8/8/4K3 b - z9", 6},
                             {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", 7}, {"4k3/8/8/3pP3/8/8/8/4K3 b - d6", 6}}),
    Fens("SideAndPlacementFields", {{"4k3/8/8/8/8/8/4P3/4K3 W", 5}, {"4k3/8/8/8/8/8/8/R.N0B?QK w - -", 35},
                                    {"k7/8/K w - - x", 3}, {"4k3/8/8/8/8/8/8/4K2r w - -", 3},
                                    {"4k3/8/8/8/8/8/4P3/4K3 " + std::string(2000, 'w'), 5}}),
    {"RefusedPlacementsLeaveThePositionAlone", BrokenFens(),
     fe::Repeat(fe::Nodes({20}), fe::BROKEN_FENS.size()) + fe::QUIT},
};

std::vector<fe::Transcript> AfterUci() {
  std::vector<fe::Transcript> rows(std::begin(CASES), std::end(CASES));
  for (fe::Transcript& row : rows) row.Input = "uci\n" + row.Input;
  return rows;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Uci, Transcripts, testing::ValuesIn(AfterUci()), fe::ByName());
