// An engine process driven the way an xboard interface drives it: timed
// replies, transcripts with the thinking lines left out.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "support/engine_process.h"

namespace xbtest {

inline const std::string QUIT_TEXT = "\nPlease wait...\n\n";
// A clock long enough that the search never ends by itself during a test.
inline const std::string LONG_CLOCK = "level 0 10 0\ntime 60000\notim 60000\n";

inline int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

inline std::string AfterStartup(const std::string& output) {
  const std::string done = "feature done=0\n";
  const size_t at = output.find(done);
  return at == std::string::npos ? "<no start-up>" + output : output.substr(at + done.size());
}

// Replies to a whole input (closed at its end), thinking lines left out.
inline std::string Replies(const std::string& input, const vtest::TempDir& dir) {
  vtest::RunResult r = vtest::RunEngine(input, dir.Path(), 30000);
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.ExitStatus, 0);
  std::string kept;
  const std::regex thinking("-?[0-9]+ -?[0-9]+ [0-9]+ [0-9]+ .*");
  std::string rest = AfterStartup(r.Output);
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find('\n', start);
    if (end == std::string::npos) end = rest.size() - 1;
    const std::string line = rest.substr(start, end - start);
    if (!std::regex_match(line, thinking)) kept += rest.substr(start, end - start + 1);
    start = end + 1;
  }
  return kept;
}

inline std::string Replies(const std::string& input) {
  vtest::TempDir dir;
  return Replies(input, dir);
}

// An engine started in a fresh folder, past its start-up lines.
class Engine {
 public:
  Engine() : process_(dir_.Path()) { EXPECT_NE(process_.WaitFor("feature done=0"), ""); }
  ~Engine() {
    process_.Send("quit\n");
    process_.Wait(5000);
  }
  void Send(const std::string& text) { process_.Send(text); }
  // Sends text and returns the milliseconds until a line with prefix arrives
  // (-1 when none comes within the timeout); the line is kept in Last().
  int64_t TimeTo(const std::string& text, const std::string& prefix, int timeoutMs = 15000) {
    const int64_t start = NowMs();
    process_.Send(text);
    last_ = process_.WaitFor(prefix, timeoutMs);
    return last_.empty() ? -1 : NowMs() - start;
  }
  std::string WaitFor(const std::string& prefix, int timeoutMs = 10000) { return last_ = process_.WaitFor(prefix, timeoutMs); }
  const std::string& Last() const { return last_; }
  const std::string& Transcript() const { return process_.Transcript(); }
  bool SaidMove() const { return Transcript().find("\nmove ") != std::string::npos || Transcript().rfind("move ", 0) == 0; }

 private:
  vtest::TempDir dir_;
  vtest::EngineProcess process_;
  std::string last_;
};

inline bool IsCoordMove(const std::string& line) { return std::regex_match(line, std::regex("move [a-h][1-8][a-h][1-8][nbrq]?")); }

}  // namespace xbtest
