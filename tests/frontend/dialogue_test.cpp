// Dialogues with a running engine, where the timing or the course of a game is
// the point: what it answers while it thinks, ponders or analyses, how long
// its searches take, its resignation and the book move it forgets after one,
// and its chat remarks. Each row is a list of steps: send, then await a line
// within a time (or its absence).
#include "frontend/session.h"

namespace {

struct Case {
  const char* Name;
  std::vector<fe::Step> Steps;
  fe::Files (*Files)() = nullptr;  // made when the row runs
  std::vector<std::string> Remarks = {};  // with chat on: the remarks the game must draw, in order
};

const std::string MOVE = "move [a-h][1-8][a-h][1-8]*";
const std::string LONG_CLOCK = "xboard\nnew\nlevel 0 10 5\ntime 60000\notim 60000\n";
const std::string MIDDLEGAME = "position fen r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9\n";
const std::string QUEEN_GIFT = "force\ne2e4\ne7e5\nd1h5\nb8c6\nh5f7\ne8f7\na2a4\nd7d5\na1a3\nf8a3\nb1a3\nd5e4\n";
#ifdef NDEBUG
constexpr int SLACK = 0;
#else
// Checked builds run under the sanitizers, several times slower; the Release
// run holds the engine to its clock.
constexpr int SLACK = 400;
#endif

// The book the learning row plays from, made by the engine: after 1.e4 e5 2.Qh5 Nc6
// 3.Qxf7+ Kxf7 4.a4 d5 5.Ra3 Bxa3 6.Nxa3 dxe4, 7.Nf3 (class 7) and 7.Be2 (class 5).
fe::Files LearningBook() {
  vtest::TempDir dir;
  const std::string line = "e4 e5 Dh5 Cc6 Dxf7 Rxf7 a4 d5 Ta3 Fxa3 Cxa3 dxe4 ";
  dir.Write("Book.pgn", line + "Cf3(7) .\n" + line + "Fe2(5) .\n");
  vtest::RunEngine("makebook\n", dir.Path());
  return {{"Book.bin", dir.Read("Book.bin")}};
}
fe::Files ChatOn() { return {{"option.txt", "CHAT=TRUE\n"}}; }

// A game with chat: each search is a setup and "go", answered by a move. Each
// remark comes at most once a game (undo and setboard do not bring it back,
// new does), the iteration remarks once a search.
Case Chat(const char* name, const std::vector<std::string>& searches, const std::vector<std::string>& remarks) {
  Case c{name, {{"easy\nsd 4\n", "", 0}}, ChatOn, remarks};
  for (const std::string& search : searches) c.Steps.push_back({search + "go\n", "move *"});
  return c;
}
std::vector<std::string> Times(const std::string& first, const std::string& again, int n) {
  std::vector<std::string> all = {first};
  all.insert(all.end(), n - 1, again);
  return all;
}
const std::string BACK = "force\nundo\nundo\n";  // the engine's move and the opponent's
const std::string AGAIN = "force\nundo\n";       // the engine's move
const std::string LAZY = "setboard rnbqkbnr/pppppppp/8/8/2BPP3/2N2N2/PPP2PPP/R1BQK2R w KQkq - 0 1\n";
const std::string UP = "setboard 4k3/8/8/3p4/4P3/8/8/R3K3 w - -\n", LOST = "setboard 4k3/8/8/8/8/8/q7/4K3 w - -\n";
const std::string ROOK = "setboard 7k/8/8/8/8/8/8/R3K3 w - -\n", BLACK_ROOK = "setboard r3k3/8/8/8/8/8/8/7K b - -\n";
const std::string QUEEN = "setboard 4k3/8/8/8/8/8/8/3QK3 w\n", BLACK_QUEEN = "setboard 3qk3/8/8/8/8/8/8/4K3 b\n";

const fe::Step BOOK_GO = {"go\n", MOVE, 1000 + SLACK};  // the engine plays the side to move, from the book
fe::Files ShippedBook() { return {{"Book.bin", vtest::Shipped("Book.bin")}}; }

const Case CASES[] = {
    {"PingWhileThinkingComesAfterTheMoveAndQuestionMarkMovesAtOnce",
     {{LONG_CLOCK + "e2e4\n", "", 200}, {"ping 7\n", "pong *", -1000}, {"?\n", MOVE, 1000 + SLACK},
      {"", "pong 7", 1000}, {"ping 8\n", "pong 8", 1000}}},
    {"LinesReadWhileThinkingRunWholeAfterTheMove",
     {{LONG_CLOCK + "e2e4\n", "", 200}, {"result 1-0 {White mates}\nsetboard 8/8/8/8/8/8/8/K6k w - - 0 1\n", "", 100},
      {"?\n", MOVE}, {"force\nperft 1\n", "Nodes searched: 3"}, {LONG_CLOCK + "e2e4\n", "", 200},
      {"setboard 8/8/8/8/8/8/8/K6k b - - 0 1\nedit\n#\nKe1\nQd1\nc\nKe8\n.\n", "", 100}, {"?\n", MOVE},
      {"force\nperft 1\n", "Nodes searched: 3"}}},
    {"AfterAResultTheEngineNeitherSearchesNorPonders",
     {{LONG_CLOCK + "result 1-0 {White resigns}\ne2e4\n", "move *", -1000}, {"ping 4\n", "pong 4", 1000},
      {"new\nlevel 0 10 0\ntime 60000\notim 60000\ne2e4\n", "", 200}, {"ping 5\n", "pong *", -700}, {"?\n", MOVE},
      {"", "pong 5"}}},
    {"AnalysisFollowsTheMovesUntilExit",
     {{"xboard\nnew\nanalyze\n", "stat01: [0-9]* [0-9]* [0-9]* [0-9]* [0-9]* [a-h][12][a-h][34]", 5000},
      {"e2e4\n", "stat01: * [a-h][78][a-h][56]", 5000}, {".\nping +4\n", "pong 4", 1000},  // at once while analysing
      {"force\nexit\nping 5\n", "pong 5", 5000},
      {"", "stat01*", -300}, {"ping 6\n", "pong 6", 2000}}},
    {"AHopelessPositionIsResignedOnTheThirdSearch",
     {{"xboard\nnew\nlevel 0 0:10 0.1\ntime 300\notim 300\nsd 4\nsetboard 7k/8/8/8/8/8/8/1QK1Q3 b - - 0 1\ngo\n", MOVE},
      {"c1d1\n", MOVE}, {"d1d2\n", "1-0 {Black resigns}"}, {"ping 3\n", "pong 3"}, {"", "move *", -500}}},
    {"AResignedGameForgetsTheSeventhBookMove",
     {{QUEEN_GIFT + "easy\nsd 3\ngo\n", "move g1f3"}, {"e4f3\n", MOVE}, {"force\nundo\ngo\n", MOVE},
      {"force\nundo\ngo\n", "0-1 {White resigns}"}, {"new\n" + QUEEN_GIFT + "go\n", "move f1e2"}},
     LearningBook},
    {"TheShippedBookAnswersAtOnce",
     {{"xboard\nprotover 2\nnew\neasy\nlevel 40 5 0\ntime 30000\notim 30000\ngo\n", MOVE, 1000 + SLACK}, BOOK_GO,
      BOOK_GO, BOOK_GO, BOOK_GO},
     ShippedBook},
    {"FixedTimePerMove", {{"xboard\nnew\nst 1\ntime 60000\notim 60000\ne2e4\n", MOVE, 1100 + SLACK, 400}}},
    {"UciClockMovetimeAndNodeLimits",
     {{"uci\n", "uciok", 20000}, {MIDDLEGAME + "go wtime 1000 btime 1000\n", "bestmove *", 1000 + SLACK},
      {MIDDLEGAME + "go wtime 3000 btime 3000 movestogo 1\n", "bestmove *", 3000 + SLACK},
      {MIDDLEGAME + "go wtime 500 btime 90000 winc 100 binc 100\n", "bestmove *", 500 + SLACK},
      {MIDDLEGAME + "go btime 200 wtime 200 winc 0 binc 0 movestogo 30\n", "bestmove *", 200 + SLACK},
      {MIDDLEGAME + "go movetime 500\n", "bestmove *", 700 + SLACK, 150},
      {"setoption name Clear Hash\n" + MIDDLEGAME + "go nodes 20000\n", "bestmove *", 2000}}},
    {"UciIsreadyIsAnsweredAtOnceAndBestmoveWaitsForStopOrPonderhit",
     {{"uci\n" + MIDDLEGAME + "go infinite\n", "bestmove *", -500}, {"isready\n", "readyok", 500},
      {"", "bestmove *", -1200}, {"stop\n", "bestmove *", 3000},
      {MIDDLEGAME + "go ponder wtime 4000 btime 4000\n", "bestmove *", -600}, {"ponderhit\n", "bestmove *", 2000}}},
    {"UciAPonderSearchThatEndsByItselfWaitsForPonderhitOrStop",
     {{"uci\nposition fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\ngo ponder\n", "bestmove *", -500},
      {"ponderhit\n", "bestmove g6g7", 3000}, {"go ponder\n", "bestmove *", -300}, {"stop\n", "bestmove g6g7", 3000}}},
    {"UciAThirtyThirdLineOrOneTooLongForTheQueueEndsTheSearch",
     {{"uci\n" + MIDDLEGAME + "go infinite\n", "", 300},
      {fe::Repeat("position startpos moves e2e4 e7e5\n", 32) + "position startpos moves d2d4 d7d5\n", "bestmove *"},
      {"go perft 1\n", "Nodes searched: 27", 3000}, {MIDDLEGAME + "go infinite\n", "", 300},
      {"position startpos moves" + fe::Repeat(" g1f3 g8f6 f3g1 f6g8", 16) + " d2d4 d7d5\ngo perft 1\n", "bestmove *"},
      {"", "Nodes searched: 27", 3000}}},
    Chat("TheOpponentsChecksDrawFiveRemarks",
         Times("setboard 7k/8/1r6/8/8/8/8/R5K1 w - - 0 1\nforce\na1a8\n", BACK + "a1a8\n", 6),
     {"Ok,have your checks, if it makes you feel better.", "Oh dear! Another Check!",
      "Another Check? Do you think I'm blind as a bat?",
      "Ok, you've made your point.You are trying to make me nervous.", "Damn you."}),
    Chat("CapturesThenPawnCaptures",
         Times("setboard 4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1\nforce\ne4d5\n", BACK + "e4d5\n", 7),
     {"please mister, donna toucha my pieces.", "Hey you! What are you going to do now?",
      "Great! Take it! We don't need it again.", "Attention: Before swallow my pieces, please chew them carefully.",
      "would you like another pawn?", "A prawn for your cocktail!"}),
    Chat("AnOpponentWhoLeavesThePiecesAtHome", Times(LAZY, AGAIN, 3),
     {"What about developing some pieces?", "Probably you've dozen lazy pieces."}),
    Chat("OwnChecks", Times("setboard 4k3/7r/8/3p4/4P3/8/1P6/R5K1 w - - 0 1\n", AGAIN, 7),
     {"Don't tremble! it's just a check buddy.", "If you like my checks, you're going to love my mates!", "Check!",
      "I'm gonna love you kingy!", "Aha! This is actually what I like", "Check Time and waste nine"}),
    // Pawn moves and captures that raise the score, rook lifts and queen visits
    // (the two colours share their remarks).
    Chat("OwnMoves", {UP, LOST, UP, LOST, UP, UP, LOST, ROOK, BLACK_ROOK, QUEEN, BLACK_QUEEN, BLACK_QUEEN,
                      "new\nsd 4\n" + BLACK_ROOK},
         {"Winning is in my genes!", "Attack! Attack! Just I learnt it!",
          "I go bank, he goes tonk, I go snap, bang boom and win a pawn!",
          "If your pieces suddenly disappeared from the board,don't worry at all! I took it.", "Keep them comming!",
          "This is a social visit.My queen has always wanted to meet your king!",
          "Hi king! I've been here to notice you something about marriage.", "Keep them comming!"}),
    // From the eighth iteration on: the score against the one of the search before.
    Chat("TheScoreRisesAndFalls",
     {"sd 9\nsetboard 4k3/ppp5/8/8/8/8/PPP5/4K3 b - - 0 1\n", "setboard 4k3/pppr4/8/8/8/8/PPP5/4K3 b - - 0 1\n",
      "setboard 4k3/ppp5/8/8/8/8/PPPR4/4K3 b - - 0 1\n", "setboard 4k3/ppp5/8/8/8/8/PP6/4K3 b - - 0 1\n",
      "setboard 4k3/p7/8/8/8/8/PP6/4K3 b - - 0 1\n"},
     {"Ah boy! do you know? I'm really a wolf on the board!", "Yeah! go ahead! eat your fill!",
      "Probably I don't want to know what's comming!", "Ah boy! do you know? I'm really a wolf on the board!",
      "So what do you think about my bruteness?"}),
};

class Dialogue : public testing::TestWithParam<Case> {};

TEST_P(Dialogue, Steps) {
  const Case& c = GetParam();
  std::vector<std::string> said;
  for (const std::string& line : fe::Lines(fe::Converse(c.Steps, c.Files ? c.Files() : fe::Files{})))
    if (fe::StartsWith(line, "0 0 0 0 ")) said.push_back(line.substr(8));
  if (c.Files == ChatOn) {
    EXPECT_EQ(said, c.Remarks);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Dialogue, testing::ValuesIn(CASES), fe::ByName());

}  // namespace
