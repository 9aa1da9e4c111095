// The real GUI: xboard, under a virtual X server, plays four-game matches of
// the engine against Fairy-Max (10 seconds and 0.1 s a move), once with the
// engine in xboard mode and once in UCI mode through polyglot, and saves the
// games. Every game must end normally (mate, a draw rule, a resignation): no
// illegal move, no time forfeit, no false claim, no engine that stopped
// answering.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/engine_process.h"

namespace {

bool Installed(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

struct PgnGame {
  std::string Result;  // from the Result tag
  std::string Ending;  // the last comment of the move text: how the game ended
  std::string Text;
};

std::vector<PgnGame> ReadGames(const std::string& pgn) {
  std::vector<PgnGame> games;
  const std::regex resultTag("\\[Result \"([^\"]*)\"\\]");
  size_t at = 0;
  while ((at = pgn.find("[Event ", at)) != std::string::npos) {
    size_t next = pgn.find("[Event ", at + 1);
    const std::string text = pgn.substr(at, next == std::string::npos ? std::string::npos : next - at);
    PgnGame game;
    game.Text = text;
    std::smatch m;
    if (std::regex_search(text, m, resultTag)) game.Result = m[1];
    const size_t open = text.rfind('{');
    const size_t close = text.rfind('}');
    if (open != std::string::npos && close != std::string::npos && close > open)
      game.Ending = text.substr(open + 1, close - open - 1);
    games.push_back(game);
    at = next == std::string::npos ? pgn.size() : next;
  }
  return games;
}

constexpr int MATCH_GAMES = 4;

bool PeersInstalled() {
  return access("/usr/games/xboard", X_OK) == 0 && access("/usr/games/fairymax", X_OK) == 0 &&
         Installed("xvfb-run") && Installed("xauth");
}

// Plays the match and checks every game; uci starts the engine through polyglot.
void PlayMatch(bool uci) {
  vtest::TempDir dir;
  const std::string d = dir.Path();
  // timeout: a popup that nobody closes under Xvfb must not hang the suite.
  const std::string command = "cd '" + d + "' && PATH=\"$PATH:/usr/games\" timeout 900 xvfb-run -a /usr/games/xboard" +
                              " -fcp '" + VESSIK_BINARY + "' -fd '" + d + "'" + (uci ? " -fUCI" : "") +
                              " -scp /usr/games/fairymax -matchGames " + std::to_string(MATCH_GAMES) +
                              " -tc 0:10 -inc 0.1 -saveGameFile '" + d + "/games.pgn'" +
                              " -autoCallFlag true -popupExitMessage false -noGUI -saveSettingsOnExit false" +
                              " -debug -nameOfDebugFile '" + d + "/xboard.debug' > '" + d + "/xboard.out' 2>&1";
  const int status = std::system(command.c_str());
  const std::string pgn = dir.Read("games.pgn");
  std::printf("%s\n", pgn.c_str());

  EXPECT_EQ(status, 0) << dir.Read("xboard.out");
  const std::vector<PgnGame> games = ReadGames(pgn);
  ASSERT_EQ(games.size(), static_cast<size_t>(MATCH_GAMES)) << pgn << dir.Read("xboard.out");
  const std::regex bad("forfeit|[Ii]llegal|xboard exit|[Ff]alse|disconnect|crash|stopped|time", std::regex::icase);
  const std::regex normal("mate|[Rr]esign|[Dd]raw|[Ss]talemate|repetition|50|fifty|material", std::regex::icase);
  for (const PgnGame& game : games) {
    EXPECT_TRUE(game.Result == "1-0" || game.Result == "0-1" || game.Result == "1/2-1/2") << game.Text;
    EXPECT_FALSE(game.Ending.empty()) << game.Text;
    EXPECT_FALSE(std::regex_search(game.Ending, bad)) << game.Ending;
    EXPECT_TRUE(std::regex_search(game.Ending, normal)) << game.Ending;
    EXPECT_NE(game.Text.find("essik"), std::string::npos) << game.Text;
  }
  // The engine (xboard's first program) sent thinking lines, and xboard read them.
  const std::string debug = dir.Read("xboard.debug");
  EXPECT_TRUE(std::regex_search(debug, std::regex("<first : [0-9]+ -?[0-9]+ [0-9]+ [0-9]+ [^\n]+")));
}

TEST(XboardGui, FourGamesAgainstFairyMaxInXboardMode) {
  if (!PeersInstalled())
    GTEST_SKIP() << "xboard, fairymax, xvfb-run or xauth is not installed (Debian packages xboard, fairymax, xvfb, "
                    "xauth; .ci/run installs them): the real-GUI match is skipped";
  PlayMatch(false);
}

TEST(XboardGui, FourGamesAgainstFairyMaxInUciModeThroughPolyglot) {
  if (!PeersInstalled() || access("/usr/games/polyglot", X_OK) != 0)
    GTEST_SKIP() << "xboard, fairymax, polyglot, xvfb-run or xauth is not installed (Debian packages xboard, "
                    "fairymax, polyglot, xvfb, xauth; .ci/run installs them): the real-GUI match is skipped";
  PlayMatch(true);
}

}  // namespace
