// Runs the built engine binary as a child process over pipes, the way a GUI does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtest {

// Milliseconds of a steady clock.
int64_t NowMs();

// A whole file, empty when there is none; one of the files shipped in run/.
std::string ReadFile(const std::string& path);
inline std::string Shipped(const std::string& name) { return ReadFile(std::string(VESSIK_SOURCE_DIR) + "/run/" + name); }

// A fresh empty folder under /tmp, removed with its files when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const { return ReadFile(File(name)); }
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
};

struct RunResult {
  std::string Output;   // everything the engine wrote to stdout
  int ExitStatus = -1;  // exit code, or 128 + signal number
  bool TimedOut = false;
};

// Starts the engine in folder cwd, writes input and closes stdin, collects the
// output until the process ends or timeoutMs passes (then it is killed).
RunResult RunEngine(const std::string& input, const std::string& cwd, int timeoutMs = 20000,
                    const std::vector<std::string>& args = {});

// An engine that stays up for a dialogue: send lines, wait for replies.
class EngineProcess {
 public:
  explicit EngineProcess(const std::string& cwd, const std::vector<std::string>& args = {});
  // Another program (a protocol adapter, a peer engine) instead of the engine.
  EngineProcess(const std::string& cwd, const std::string& program, const std::vector<std::string>& args);
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  void Send(const std::string& text);  // written as is (add "\n" yourself)
  void CloseInput();
  // Next output line without its line end; false on timeout or end of output.
  bool ReadLine(std::string& line, int timeoutMs = 10000);
  // Reads lines until one starts with prefix; returns it ("" on timeout).
  // Every line read on the way is appended to Transcript().
  std::string WaitFor(const std::string& prefix, int timeoutMs = 10000);
  // Waits for the process to end; exit status, or -1 after killing it on timeout.
  int Wait(int timeoutMs = 10000);
  const std::string& Transcript() const { return transcript_; }
  const std::string& Unread() const { return buffer_; }  // output after the last whole line
  bool Running();

 private:
  bool Fill(int timeoutMs);
  int pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int status_ = -1;
  bool exited_ = false;
  std::string buffer_;
  std::string transcript_;
};

}  // namespace vtest
