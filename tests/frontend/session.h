// The built engine over pipes, as an interface drives it: whole transcripts
// compared line by line with patterns, and timed dialogues of send-and-await
// steps. The one helper file of the frontend tests.
#pragma once

#include <fnmatch.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/engine_process.h"

namespace fe {

inline const std::string QUIT = "\nPlease wait...\n\n";
// Files put into the engine's folder before it starts (a name ending in "/" is a folder).
using Files = std::vector<std::pair<std::string, std::string>>;
// Placements that every FEN reader must refuse: nine files, nine pieces on a
// rank, nine ranks, seven ranks (no white king), no white king, no kings, two
// kings of a side, a pawn on the first or eighth rank, the side not to move in
// check, a ninth rank begun, a rank left short, slashes, nothing, bytes.
inline const std::vector<std::string> BROKEN_FENS = {
    "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "rnbqkbnr/pppppppp/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq -",
    "4k3/8/8/8/8/8/8/8 w - -", "8/8/8/8/8/8/8/8 w - -", "4k2k/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/3KK3 w - -",
    "4k3/8/8/8/8/8/8/P3K3 w - -", "p3k3/8/8/8/8/8/8/4K3 w - -", "4k3/4Q3/8/8/8/8/8/4K3 w - -",
    "4k3/8/8/8/8/8/8/4K3/", "7/8/8/8/8/8/8/4K2k w", "//////////////////////////////", "", "\x01\x7f\xff\xfe/8/8/8 w"};

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

inline bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
inline bool IsMove(const std::string& line) { return StartsWith(line, "move ") || StartsWith(line, "bestmove "); }

// The lines an interface acts on: what follows "feature done=0" (and the UCI
// handshake with its table sizes), without the xboard thinking lines, the
// perft divide lines and the info lines other than the one right before a
// bestmove, all of which vary with the speed of the machine.
inline std::string Replies(const std::string& output) {
  static const std::regex varying("-?[0-9]+ -?[0-9]+ [0-9]+ [0-9]+ .*|[a-h][1-8][a-h][1-8][nbrq]?: [0-9]+");
  static const std::string handshakeEnd = "uciok\nHash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 8MB\n";
  size_t at = output.find("feature done=0\n");
  if (at == std::string::npos) return "<no start-up>" + output;
  at += 15;
  if (output.find(handshakeEnd, at) != std::string::npos) at = output.find(handshakeEnd, at) + handshakeEnd.size();
  const std::vector<std::string> lines = Lines(output.substr(at));
  std::string kept;
  for (size_t i = 0; i < lines.size(); i++) {
    const bool info = StartsWith(lines[i], "info ") && (i + 1 == lines.size() || !StartsWith(lines[i + 1], "bestmove"));
    if (!info && (StartsWith(lines[i], "0 0 0 0 ") || !std::regex_match(lines[i], varying))) kept += lines[i] + "\n";
  }
  return kept;
}

// Line by line, each line of the text against its shell pattern (* ? [a-h]).
inline bool Matches(const std::string& pattern, const std::string& text) {
  const std::vector<std::string> want = Lines(pattern), got = Lines(text);
  for (size_t i = 0; i < want.size() && want.size() == got.size(); i++)
    if (fnmatch(want[i].c_str(), got[i].c_str(), 0) != 0) return false;
  return want.size() == got.size();
}

inline void Put(const vtest::TempDir& dir, const Files& files) {
  for (const auto& [name, bytes] : files) {
    if (name.back() != '/') dir.Write(name, bytes);
    else if (mkdir(dir.File(name).c_str(), 0755) != 0) ADD_FAILURE() << "no folder " << name;
  }
}

// The engine run on the whole input in dir; its input is closed once it has
// written as many move or bestmove lines as `expected` holds (the end of
// input stops a search). Its replies, or with whole everything it wrote.
inline std::string Talk(const std::string& input, const vtest::TempDir& dir, const std::string& expected = "",
                        bool whole = false) {
  int moves = 0;
  for (const std::string& line : Lines(expected)) moves += IsMove(line);
  vtest::EngineProcess engine(dir.Path());
  engine.Send(input);
  std::string line;
  for (int seen = 0; seen < moves && engine.ReadLine(line, 60000);) seen += IsMove(line);
  engine.CloseInput();
  while (engine.ReadLine(line, 60000)) {
  }
  EXPECT_EQ(engine.Wait(10000), 0) << input.substr(0, 500);
  return whole ? engine.Transcript() : Replies(engine.Transcript());
}

// A transcript row: the whole input of a fresh engine in a folder with the
// files Before, the replies it must give (line patterns) and the files After
// must hold exactly. Whole rows compare everything the engine wrote.
struct Transcript {
  const char* Name;
  std::string Input, Expected;
  Files Before = {}, After = {};
  bool Whole = false;
};

// The replies of "protover": the features with the option values in use.
inline std::string Features(int strength, int futility, int tactical, int ownBook = 1) {
  return "feature myname=\"Vessik 4.2\"\nfeature setboard=1\nfeature analyze=1\nfeature ping=1\nfeature sigint=0\n"
         "feature sigterm=0\nfeature memory=1\nfeature variants=\"normal,fischerandom\"\nfeature option=\"Positional strength -spin " +
         std::to_string(strength) + " 0 100\"\nfeature option=\"Futility -check " + std::to_string(futility) +
         "\"\nfeature option=\"Tactical factor -spin " + std::to_string(tactical) +
         " 0 60\"\nfeature option=\"OwnBook -check " + std::to_string(ownBook) + "\"\nfeature done=1\n";
}

// What "perft N" commands reply, in turn, once their divide lines are left out.
inline std::string Nodes(std::initializer_list<int> totals) {
  std::string all;
  for (int n : totals) all += "\nNodes searched: " + std::to_string(n) + "\n";
  return all;
}

inline std::string Repeat(const std::string& text, int times) {
  std::string all;
  while (times-- > 0) all += text;
  return all;
}

// Readable case names for tables whose rows have a Name.
struct ByName {
  template <typename T>
  std::string operator()(const testing::TestParamInfo<T>& info) const { return info.param.Name; }
};

// One step of a dialogue: send, then the first line matching Await must come
// within MinMs..MaxMs (Await "": just wait MaxMs; MaxMs < 0: no such line for -MaxMs).
struct Step {
  std::string Send, Await;
  int MaxMs = 15000, MinMs = 0;
};

// Runs the steps with an engine in a fresh folder and quits; the transcript.
inline std::string Converse(const std::vector<Step>& steps, const Files& files = {}) {
  vtest::TempDir dir;
  Put(dir, files);
  vtest::EngineProcess engine(dir.Path());
  for (const Step& s : steps) {
    const int64_t start = vtest::NowMs(), wait = s.MaxMs < 0 ? -s.MaxMs : s.MaxMs;
    engine.Send(s.Send);
    bool seen = false;
    std::string line;
    if (s.Await.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    while (!s.Await.empty() && !seen && vtest::NowMs() - start < wait && engine.ReadLine(line, wait - (vtest::NowMs() - start)))
      seen = fnmatch(s.Await.c_str(), line.c_str(), 0) == 0;
    const int64_t ms = vtest::NowMs() - start;
    EXPECT_EQ(seen, !s.Await.empty() && s.MaxMs >= 0) << s.Send << "-> " << s.Await << " after " << ms << " ms\n"
                                                        << engine.Transcript();
    EXPECT_TRUE(!seen || ms >= s.MinMs) << s.Send << "-> " << s.Await << " after " << ms << " ms";
  }
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(15000), 0) << engine.Transcript();
  return engine.Transcript();
}

}  // namespace fe

// The transcript tables of the frontend files share one test (in xboard_test.cpp).
class Transcripts : public testing::TestWithParam<fe::Transcript> {};
