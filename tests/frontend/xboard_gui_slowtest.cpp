// Real clients. xboard, under a virtual X server, plays two games of the
// engine against Fairy-Max, the colours alternating (10 seconds and 0.1 s a move), with the engine in
// xboard mode and in UCI mode through polyglot, and saves them: every game must
// end normally (mate, a draw rule, a resignation), with no illegal move, no time
// forfeit, no false claim and no engine that stopped answering. And fastchess's
// own UCI conformance check, when the tool is there. Chess960: two games of
// the engine against itself under xboard and two under fastchess, from the
// start positions in chess960_starts.epd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <regex>
#include <string>

#include "support/engine_process.h"

namespace {

void PlayMatch(bool uci, bool chess960 = false) {
  const std::string tools =
      std::string("xvfb-run xauth /usr/games/xboard /usr/games/fairymax") + (uci ? " /usr/games/polyglot" : "");
  if (std::system(("for p in " + tools + "; do command -v $p >/dev/null 2>&1 || exit 1; done").c_str()) != 0)
    GTEST_SKIP() << "one of " << tools << " is missing (Debian packages xboard, fairymax, polyglot, xvfb, xauth; "
                 << ".ci/run installs them): the real-GUI match is skipped";
  vtest::TempDir dir;
  const std::string d = dir.Path();
  // timeout: a popup that nobody closes under Xvfb must not hang the suite.
  const std::string command = "cd '" + d + "' && PATH=\"$PATH:/usr/games\" timeout 900 xvfb-run -a xboard -fcp '" +
                              VESSIK_BINARY + "' -fd '" + d + "'" + (uci ? " -fUCI" : "") +
                              (chess960 ? std::string(" -variant fischerandom -scp '") + VESSIK_BINARY + "'"
                                        : std::string(" -scp fairymax")) + " -matchGames 2 -tc 0:10 -inc 0.1 -saveGameFile '" + d +
                              "/games.pgn' -autoCallFlag true -popupExitMessage false -noGUI -saveSettingsOnExit" +
                              " false -debug -nameOfDebugFile '" + d + "/xboard.debug' > '" + d + "/xboard.out' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << dir.Read("xboard.out");
  const std::string pgn = dir.Read("games.pgn");
  std::printf("%s\n", pgn.c_str());
  // Each game ends with the comment on its ending and the result.
  const std::regex ending("\\{([^}]*)\\} *(1-0|0-1|1/2-1/2)\\s*(\\[Event |$)");
  const std::regex normal("mate|resign|draw|stalemate|repetition|50|fifty|material", std::regex::icase);
  const std::regex bad("forfeit|illegal|xboard exit|false|disconnect|crash|stopped|time", std::regex::icase);
  int games = 0;
  for (std::sregex_iterator m(pgn.begin(), pgn.end(), ending), end; m != end; ++m, ++games) {
    const std::string why = (*m)[1];
    EXPECT_TRUE(std::regex_search(why, normal) && !std::regex_search(why, bad)) << why;
  }
  EXPECT_EQ(games, 2) << pgn << dir.Read("xboard.out");
  const std::regex vessik("\\[(White|Black) \"[^\"]*essik");
  EXPECT_EQ(std::distance(std::sregex_iterator(pgn.begin(), pgn.end(), vessik), std::sregex_iterator()),
            chess960 ? 4 : 2) << pgn;
  if (chess960) EXPECT_EQ(pgn.find("[Variant \"fischerandom\"]") == std::string::npos, false) << pgn;
  // The engine (xboard's first program) sent thinking lines, and xboard read them (polyglot signs the score).
  EXPECT_TRUE(std::regex_search(dir.Read("xboard.debug"), std::regex("<first : [0-9]+ [-+]?[0-9]+ [0-9]+ [0-9]+ ")));
}

TEST(XboardGui, TwoGamesAgainstFairyMaxInXboardMode) { PlayMatch(false); }
TEST(XboardGui, TwoGamesAgainstFairyMaxInUciModeThroughPolyglot) { PlayMatch(true); }
TEST(XboardGui, TwoChess960GamesAgainstItself) { PlayMatch(false, true); }

TEST(UciClient, FastchessCompliance) {
  const std::string tool = std::string(VESSIK_SOURCE_DIR) + "/../shared/tools/fastchess";
  if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no fastchess at " << tool << ": compliance check skipped";
  vtest::TempDir dir;
  vtest::EngineProcess run(dir.Path(), tool, {"--compliance", VESSIK_BINARY});
  std::string line, text;
  while (run.ReadLine(line, 60000)) text += line + "\n";
  EXPECT_EQ(run.Wait(10000), 0) << text;
  EXPECT_EQ(text.find("Failed"), std::string::npos) << text;
}

TEST(UciClient, TwoChess960GamesUnderFastchess) {
  const std::string tool = std::string(VESSIK_SOURCE_DIR) + "/../shared/tools/fastchess";
  if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no fastchess at " << tool << ": the Chess960 match is skipped";
  vtest::TempDir dir;
  const std::string engine = std::string("cmd=") + VESSIK_BINARY + " dir=" + dir.Path();
  const std::string command = "cd '" + dir.Path() + "' && timeout 300 '" + tool + "' -engine " + engine +
                              " name=a -engine " + engine + " name=b -each tc=2+0.05 -rounds 1 -games 2 -repeat" +
                              " -variant fischerandom -openings file=" + VESSIK_SOURCE_DIR +
                              "/tests/frontend/chess960_starts.epd format=epd order=random > out.txt 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  const std::string out = dir.Read("out.txt");
  // The game endings, not the runner's warnings.
  const std::regex finished("Finished game [0-9]+ [^\n]*: (1-0|0-1|1/2-1/2) \\{[^}\n]*\\}");
  std::string endings;
  int games = 0;
  for (std::sregex_iterator m(out.begin(), out.end(), finished), end; m != end; ++m, ++games) endings += m->str() + "\n";
  EXPECT_EQ(games, 2) << out;
  EXPECT_FALSE(std::regex_search(endings, std::regex("illegal|forfeit|time|disconnect|stall|crash", std::regex::icase)))
      << out;
}

}  // namespace
