// Chess960 with real clients: two games engine against engine under fastchess
// (openings from chess960_starts.epd) and two under xboard in a virtual X
// server. Every game must end normally: no illegal move, no time loss.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "support/engine_process.h"

namespace {

const std::regex BAD("illegal|forfeit|loses on time|timeout|disconnect|stall|crash|xboard exit", std::regex::icase);

int Count(const std::string& text, const std::regex& pattern) {
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()));
}

TEST(Chess960Match, TwoGamesUnderFastchess) {
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
  // The game endings, not the runner's warnings about a line's tail.
  const std::regex finished("Finished game [0-9]+ [^\n]*: (1-0|0-1|1/2-1/2) \\{[^}\n]*\\}");
  std::string endings;
  for (std::sregex_iterator m(out.begin(), out.end(), finished), end; m != end; ++m) endings += m->str() + "\n";
  EXPECT_EQ(Count(endings, finished), 2) << out;
  EXPECT_FALSE(std::regex_search(endings, BAD)) << out;
}

TEST(Chess960Match, TwoGamesUnderXboard) {
  if (std::system("command -v xvfb-run >/dev/null && test -x /usr/games/xboard") != 0)
    GTEST_SKIP() << "xboard or xvfb-run is missing (Debian packages xboard, xvfb): the Chess960 match is skipped";
  vtest::TempDir dir;
  const std::string d = dir.Path();
  const std::string command = "cd '" + d + "' && timeout 300 xvfb-run -a /usr/games/xboard -fcp '" + VESSIK_BINARY +
                              "' -fd '" + d + "' -scp '" + VESSIK_BINARY + "' -sd '" + d +
                              "' -variant fischerandom -matchGames 2 -tc 0:10 -inc 0.1 -saveGameFile games.pgn" +
                              " -autoCallFlag true -popupExitMessage false -noGUI -saveSettingsOnExit false > out.txt 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << dir.Read("out.txt");
  const std::string pgn = dir.Read("games.pgn");
  EXPECT_EQ(Count(pgn, std::regex("\\[Variant \"fischerandom\"\\]")), 2) << pgn;
  EXPECT_EQ(Count(pgn, std::regex("\\{[^}]*\\} *(1-0|0-1|1/2-1/2)")), 2) << pgn;
  EXPECT_FALSE(std::regex_search(pgn, BAD)) << pgn;
}

}  // namespace
