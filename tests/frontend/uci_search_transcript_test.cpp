// UCI searches over pipes: the clocks and limits of go, infinite and ponder
// searches with stop and ponderhit, and the lines that arrive meanwhile.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/engine_process.h"

namespace {

const char* MIDDLEGAME = "position fen r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9\n";

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// An engine in UCI mode, handshake done.
class UciSession {
 public:
  UciSession() : engine_(dir_.Path()) {
    engine_.Send("uci\n");
    ready_ = !engine_.WaitFor("uciok", 20000).empty();
  }
  bool Ready() const { return ready_; }
  void Send(const std::string& text) { engine_.Send(text); }
  std::string WaitFor(const std::string& prefix, int timeoutMs) { return engine_.WaitFor(prefix, timeoutMs); }
  // The bestmove line of a go sent now, and the milliseconds it took.
  std::string Go(const std::string& line, int64_t& ms, int timeoutMs = 20000) {
    const int64_t start = NowMs();
    Send(line);
    std::string best = WaitFor("bestmove", timeoutMs);
    ms = NowMs() - start;
    return best;
  }
  // Every line seen so far that starts with the prefix.
  std::string Lines(const std::string& prefix) const {
    std::string out;
    const std::string& t = engine_.Transcript();
    for (size_t at = 0; at < t.size();) {
      const size_t end = t.find('\n', at);
      const std::string line = t.substr(at, end - at);
      if (line.rfind(prefix, 0) == 0) out += line + "\n";
      at = end == std::string::npos ? t.size() : end + 1;
    }
    return out;
  }
  int Quit() {
    engine_.Send("quit\n");
    return engine_.Wait(10000);
  }
  vtest::EngineProcess& Engine() { return engine_; }

 private:
  vtest::TempDir dir_;
  vtest::EngineProcess engine_;
  bool ready_ = false;
};

#ifdef NDEBUG
constexpr int64_t CLOCK_SLACK_MS = 0;
#else
// Debug builds check the position after every move and run under the
// sanitizers, several times slower than Release on a loaded machine; the
// Release run holds the engine to the clock itself.
constexpr int64_t CLOCK_SLACK_MS = 400;
#endif

TEST(UciSearch, ClockedGoAnswersWithinTheClock) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  struct Case {
    const char* go;
    int64_t clockMs;
  } cases[] = {
      {"go wtime 1000 btime 1000\n", 1000},
      {"go wtime 3000 btime 3000 movestogo 1\n", 3000},
      {"go wtime 500 btime 90000 winc 1000 binc 1000\n", 500},
      {"go btime 200 wtime 200 winc 0 binc 0 movestogo 30\n", 200},
  };
  for (const Case& c : cases) {
    s.Send(MIDDLEGAME);
    int64_t ms = 0;
    EXPECT_EQ(s.Go(c.go, ms).rfind("bestmove ", 0), 0u) << c.go;
    EXPECT_LT(ms, c.clockMs + CLOCK_SLACK_MS) << c.go;
  }
  EXPECT_EQ(s.Quit(), 0);
}

TEST(UciSearch, MovetimeNodesAndDepthLimits) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  int64_t ms = 0;
  s.Send(MIDDLEGAME);
  EXPECT_NE(s.Go("go movetime 500\n", ms), "");
  EXPECT_GE(ms, 150);
  EXPECT_LE(ms, 700);
  // Without these limits a search with no clock would go on to depth 60.
  s.Send("setoption name Clear Hash\n");
  EXPECT_NE(s.Go("go nodes 20000\n", ms), "");
  EXPECT_LT(ms, 2000);
  EXPECT_EQ(s.Quit(), 0);

  UciSession fresh;
  ASSERT_TRUE(fresh.Ready());
  fresh.Send(MIDDLEGAME);
  EXPECT_NE(fresh.Go("go depth 8\n", ms), "");
  const std::string info = fresh.Lines("info depth ");
  EXPECT_NE(info.find("info depth 8 "), std::string::npos) << info;
  EXPECT_EQ(info.find("info depth 9 "), std::string::npos) << info;
  EXPECT_EQ(fresh.Quit(), 0);
}

TEST(UciSearch, InfiniteAnswersIsreadyAtOnceAndMovesOnlyAfterStop) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  s.Send(std::string(MIDDLEGAME) + "go infinite\n");
  EXPECT_EQ(s.WaitFor("bestmove", 500), "") << "no move before stop";
  const int64_t start = NowMs();
  s.Send("isready\n");
  EXPECT_EQ(s.WaitFor("readyok", 2000), "readyok");
  EXPECT_LT(NowMs() - start, 500);
  EXPECT_EQ(s.WaitFor("bestmove", 300), "") << "isready does not stop the search";
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000).rfind("bestmove ", 0), 0u);
  EXPECT_EQ(s.Quit(), 0);
}

TEST(UciSearch, QuitOrTheEndOfInputDuringASearchEndsTheProgram) {
  {
    UciSession s;
    ASSERT_TRUE(s.Ready());
    s.Send(std::string(MIDDLEGAME) + "go infinite\n");
    EXPECT_EQ(s.WaitFor("bestmove", 300), "");
    s.Send("quit\n");
    EXPECT_EQ(s.WaitFor("bestmove", 3000).rfind("bestmove ", 0), 0u) << "the move of the search comes first";
    EXPECT_EQ(s.Engine().Wait(5000), 0);
  }
  {
    UciSession s;
    ASSERT_TRUE(s.Ready());
    s.Send(std::string(MIDDLEGAME) + "go infinite\n");
    EXPECT_EQ(s.WaitFor("bestmove", 300), "");
    s.Engine().CloseInput();
    EXPECT_EQ(s.Engine().Wait(5000), 0);
  }
}

TEST(UciSearch, PonderhitTurnsThePonderSearchIntoATimedOne) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  s.Send(std::string(MIDDLEGAME) + "go ponder wtime 4000 btime 4000\n");
  EXPECT_EQ(s.WaitFor("bestmove", 600), "") << "no move while pondering";
  const int64_t start = NowMs();
  s.Send("ponderhit\n");
  EXPECT_EQ(s.WaitFor("bestmove", 5000).rfind("bestmove ", 0), 0u);
  EXPECT_LT(NowMs() - start, 2000);

  // A ponder search that ends by itself still waits for ponderhit; stop ends
  // it the same way.
  s.Send("position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\ngo ponder\n");
  EXPECT_EQ(s.WaitFor("bestmove", 500), "");
  s.Send("ponderhit\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000), "bestmove g6g7");
  s.Send("go ponder\n");
  EXPECT_EQ(s.WaitFor("bestmove", 300), "");
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000), "bestmove g6g7");
  EXPECT_EQ(s.Quit(), 0);
}

TEST(UciSearch, MateScoresAreReportedInMoves) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  // Pondering goes on past a mate, so the lines keep coming until stop.
  s.Send("position fen 7k/8/5KQ1/8/8/8/8/8 w - - 0 1\ngo ponder\n");
  std::string info = s.WaitFor("info depth", 3000);
  EXPECT_NE(info.find(" score mate 1 "), std::string::npos) << info;
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000), "bestmove g6g7");
  // Every move of the side to move allows Rb8 mate: a negative distance.
  s.Send("position fen 7k/p7/6K1/8/8/8/8/1R6 b - - 0 1\ngo infinite\n");
  info = s.WaitFor("info depth", 3000);
  EXPECT_NE(info.find(" score mate -1 "), std::string::npos) << info;
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000).rfind("bestmove ", 0), 0u);
  EXPECT_EQ(s.Quit(), 0);
}

TEST(UciSearch, InfiniteWithoutALegalMoveWaitsForStop) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  s.Send("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\ngo infinite\n");
  EXPECT_EQ(s.WaitFor("bestmove", 400), "");
  s.Send("isready\n");
  EXPECT_EQ(s.WaitFor("readyok", 2000), "readyok");
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 2000), "bestmove 0000");
  EXPECT_EQ(s.Quit(), 0);
}

TEST(UciSearch, LinesDuringASearchRunAfterItInOrder) {
  UciSession s;
  ASSERT_TRUE(s.Ready());
  s.Send(std::string(MIDDLEGAME) + "go infinite\n");
  EXPECT_EQ(s.WaitFor("bestmove", 300), "");
  s.Send("position startpos moves e2e4 e7e5\ngo perft 1\n");
  EXPECT_EQ(s.WaitFor("Nodes searched", 400), "") << "kept until the search is over";
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000).rfind("bestmove ", 0), 0u);
  EXPECT_EQ(s.WaitFor("Nodes searched", 3000), "Nodes searched: 29");

  // A position line too long for the queue stops the search; it is read whole.
  std::string line = "position startpos moves";
  for (int i = 0; i < 16; i++) line += " g1f3 g8f6 f3g1 f6g8";
  line += " d2d4\n";
  s.Send(std::string(MIDDLEGAME) + "go infinite\n");
  EXPECT_EQ(s.WaitFor("bestmove", 300), "");
  s.Send(line + "go perft 1\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000).rfind("bestmove ", 0), 0u);
  EXPECT_EQ(s.WaitFor("Nodes searched", 3000), "Nodes searched: 20");
  EXPECT_NE(s.Engine().Transcript().find("d7d5: 1\n"), std::string::npos) << "Black to move after d2d4";

  // After a search that ended by itself, lines sent while the engine waits
  // for stop come after its move.
  s.Send("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\ngo infinite\n");
  EXPECT_EQ(s.WaitFor("bestmove", 300), "");
  s.Send("position startpos\ngo perft 1\n");
  EXPECT_EQ(s.WaitFor("Nodes searched", 300), "");
  s.Send("stop\n");
  EXPECT_EQ(s.WaitFor("bestmove", 3000), "bestmove 0000");
  EXPECT_EQ(s.WaitFor("Nodes searched", 3000), "Nodes searched: 20");
  EXPECT_EQ(s.Quit(), 0);
}

}  // namespace
