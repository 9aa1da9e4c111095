// The exact text of the thinking lines, the fail-high and fail-low marks, the
// analysis status line and the UCI information lines, printed from a line set
// up in the search's records of the start position.
#include <functional>
#include <regex>

#include "frontend/frontend.h"
#include "platform/platform.h"
#include "search/search.h"
#include "support/engine.h"

namespace {

constexpr Move E2E4 = MakeMoveWord(E2, E4, PAWN), E7E5 = MakeMoveWord(E7, E5, PAWN);
constexpr Move G1F3 = MakeMoveWord(G1, F3, KNIGHT), B8C6 = MakeMoveWord(B8, C6, KNIGHT);

struct OutputCase {
  const char* Name;
  bool Xboard, TwoSecondsIn;  // else UCI, and within the first centisecond
  std::function<void()> Print;
  const char *Pattern, *Fen = vtest::START_FEN;
};

void Line(std::initializer_list<Move> moves) {
  int col = 1;
  for (Move m : moves) Srch.PvTable[2][col++] = m;
  Srch.PvTable[2][col] = 0;
}

// Two MultiPV lines, the first a mate, at this speed in nodes a second.
void MultiPvLines(int nps) {
  SearchConfig.MultiPvCount = 2;
  Srch.Nps = nps;
  MultiPv.MultiPvLine[1] = {7, 9990, E2E4, {E7E5, G1F3, 0}};
  MultiPv.MultiPvLine[2] = {7, 15, G1F3, {0}};
}

// clang-format off
// Two seconds into the search, give or take a stalled moment: nodes a second, milliseconds (in whole
// centiseconds, or any).
#define SPEED "(4[89]|5[0-9]|6[0-2])[0-9]{2}"
#define MS "2[0-4][0-9]0"
#define MS_ANY "2[0-4][0-9]{2}"
const OutputCase OUTPUTS[] = {
    {"XboardThinkingLine", true, true, [] { PrintPv(37, 5); }, "5 37 (200|300) 12345 e4 e5 Nf3 Nc6  Np:" SPEED "\n"},
    {"XboardNoSpeedAtFirst", true, false, [] { PrintPv(-12, 4); }, "4 -12 (0|100) 12345 e4 e5 Nf3 Nc6 \n"},
    {"UciNothingAtFirst", false, false, [] { PrintPv(-12, 4); }, ""},
    {"TheLineStopsAtAMoveThatDoesNotFit", true, false, [] { Line({E2E4, E7E5, E2E4}); PrintPv(0, 4); },
     "4 0 (0|100) 12345 e4 e5 \n"},
    {"CastlingAndPromotionInSan", true, false,
     [] { Line({CASTLE_WK, MakeMoveWord(E8, D8, KING), MakeMoveWord(B7, B8, PAWN, 0, QUEEN)}); PrintPv(500, 6); },
     "6 500 (0|100) 12345 0-0 Kd8 b8=Q\\+ \n", "4k3/1P6/8/8/8/8/8/4K2R w K -"},
    {"UciInfo", false, true, [] { PrintPv(37, 5); },
     "info depth 5 score cp 37 time " MS " nodes 12345 nps " SPEED " pv e2e4 e7e5 g1f3 b8c6 \n"},
    {"UciBelowTheMateRangeInCentipawns", false, true, [] { PrintPv(9400, 5); }, "info depth 5 score cp 9400 time .*\n"},
    {"UciMatedAtTheEdgeOfTheRange", false, true, [] { PrintPv(-9500, 5); }, "info depth 5 score mate -250 time .*\n"},
    {"XboardFailHigh", true, false, [] { Line({G1F3}); PrintFailHigh(60, 7); }, "7 60 (0|100) 12345 Nf3 !!\n"},
    {"XboardFailLow", true, false, [] { PrintFailLow(-20, 7); }, "7 -20 (0|100) 12345 e4  --\n"},
    {"UciFailHigh", false, false, [] { Line({G1F3}); PrintFailHigh(60, 7); },
     "info depth 7 score cp 60 lowerbound time (0|1000) nodes 12345 pv g1f3 \n"},
    {"UciFailLow", false, false, [] { PrintFailLow(-20, 7); },
     "info depth 7 score cp -20 upperbound time (0|1000) nodes 12345 pv e2e4 \n"},
    {"UciCurrentMove", false, true, [] { PrintCurrentMove(G1F3, 3, 8); },
     "info currmove g1f3 currmovenumber 3 depth 8 nodes 12345 time " MS " nps " SPEED "\n"},
    {"UciNoCurrentMoveAtFirst", false, false, [] { PrintCurrentMove(G1F3, 3, 8); }, ""},
    {"AnalysisStatus", true, false, [] { PrintStatus(); }, "stat01: (0|100) 12345 6 17 20 g1f3\n"},
    {"AnalysisStatusNeverCountsBelowZero", true, false, [] { Srch.RootMoveTotal = 2; PrintStatus(); },
     "stat01: (0|100) 12345 6 0 3 g1f3\n"},
    {"UciMultiPvLinesGiveMatesAsMates", false, true, [] { MultiPvLines(1000); PrintMultiPv(); },
     "info multipv 1 depth 7 score mate 5 nodes 12345 time " MS " nps " SPEED " pv e2e4 e7e5 g1f3 \n"
     "info multipv 2 depth 7 score cp 15 nodes 12345 time " MS " nps " SPEED " pv g1f3 \n"},
    {"UciMultiPvNotBeforeASecondsWorthOfNodes", false, true, [] { MultiPvLines(1 << 24); PrintMultiPv(); }, ""},
    {"UciFinalInfoOfTheLinePlayed", false, true, [] { Srch.CompletedDepth = 6; PrintFinalInfo(E2E4); },
     "info depth 6 score cp 37 time " MS_ANY " nodes 12345 nps " SPEED " pv e2e4 e7e5 \n"},
    {"UciFinalInfoOfAnotherMove", false, true, [] { PrintFinalInfo(G1F3); },
     "info depth 1 score cp 37 time " MS_ANY " nodes 12345 nps " SPEED " pv g1f3 \n"},
    {"UciFinalInfoOfABookMove", false, true, [] { Srch.NodeCount = 0; PrintFinalInfo(E2E4); },
     "info depth 0 score cp 0 time " MS_ANY " nodes 0 nps 0 pv e2e4 e7e5 \n"},
    {"UciFinalInfoNotRepeated", false, true, [] { Reported.FirstMove = E2E4; PrintFinalInfo(E2E4); }, ""},
};
// clang-format on

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.Name; }
class Output : public vtest::EngineTest, public testing::WithParamInterface<OutputCase> {};

TEST_P(Output, Text) {
  const OutputCase& c = GetParam();
  ASSERT_TRUE(vtest::SetFen(c.Fen));
  Settings.XboardOutput = c.Xboard;
  Srch.NodeCount = 12345;
  Srch.Nps = 10000;
  Srch.LastRootScore = 37;
  Srch.IterationDepth = 6;
  Srch.RootMoveTotal = 20;
  Srch.RootMovesSearched = 3;
  Reported.FirstMove = Srch.CompletedDepth = 0;
  Tree.MoveAtPly[2] = G1F3;
  Srch.PvTable[0][1] = E2E4;
  Srch.PvTable[0][2] = E7E5;
  Line({E2E4, E7E5, G1F3, B8C6});
  Srch.StartTicks = TickMs() + (c.TwoSecondsIn ? -2000 : 1000);
  Srch.StartSeconds = SecondsNow() - (c.TwoSecondsIn ? 2 : 0);
  const HashKey key = Pos.Key;
  const std::string out = vtest::Printed([&] { c.Print(); });
  EXPECT_TRUE(std::regex_match(out, std::regex(c.Pattern))) << out;
  EXPECT_EQ(Tree.Ply, 1);
  EXPECT_EQ(Pos.Key, key) << "the line is taken back";
}
INSTANTIATE_TEST_SUITE_P(Cases, Output, testing::ValuesIn(OUTPUTS), [](const auto& i) { return i.param.Name; });

}  // namespace
