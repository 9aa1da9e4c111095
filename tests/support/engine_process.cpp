#include "support/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vtest {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Forks the program with its stdin and stdout on pipes; stderr is inherited.
// The parent's ends are closed on exec, so that a second child cannot hold a
// first one's input open.
int Spawn(const std::string& cwd, const std::string& program, const std::vector<std::string>& args, int& in,
          int& out) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  in = toChild[1];
  out = fromChild[0];
  fcntl(in, F_SETFD, FD_CLOEXEC);
  fcntl(in, F_SETFL, O_NONBLOCK);
  fcntl(out, F_SETFD, FD_CLOEXEC);
  signal(SIGPIPE, SIG_IGN);
  return pid;
}

}  // namespace

TempDir::TempDir() {
  char templ[] = "/tmp/vessik-test-XXXXXX";
  char* p = mkdtemp(templ);
  if (!p) throw std::runtime_error("mkdtemp failed");
  path_ = p;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  std::ofstream f(File(name), std::ios::binary);
  f << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool TempDir::Exists(const std::string& name) const { return access(File(name).c_str(), F_OK) == 0; }

RunResult RunEngine(const std::string& input, const std::string& cwd, int timeoutMs,
                    const std::vector<std::string>& args) {
  const int64_t deadline = NowMs() + timeoutMs;
  EngineProcess engine(cwd, args);
  engine.Send(input);
  engine.CloseInput();
  std::string line;
  while (NowMs() < deadline && engine.ReadLine(line, static_cast<int>(deadline - NowMs()))) {
  }
  RunResult result;
  result.ExitStatus = engine.Wait(static_cast<int>(std::max<int64_t>(deadline - NowMs(), 0)));
  result.TimedOut = result.ExitStatus == -1;
  result.Output = engine.Transcript() + engine.Unread();
  return result;
}

EngineProcess::EngineProcess(const std::string& cwd, const std::vector<std::string>& args)
    : EngineProcess(cwd, VESSIK_BINARY, args) {}

EngineProcess::EngineProcess(const std::string& cwd, const std::string& program, const std::vector<std::string>& args) {
  pid_ = Spawn(cwd, program, args, in_, out_);
}

EngineProcess::~EngineProcess() {
  if (in_ >= 0) close(in_);
  if (!exited_ && pid_ > 0) Wait(3000);
  if (out_ >= 0) close(out_);
}

// The engine's output is read meanwhile, so that a long input cannot dead-lock
// against a chatty engine; an engine that reads nothing for a minute gets no more.
void EngineProcess::Send(const std::string& text) {
  const int64_t deadline = NowMs() + 60000;
  for (size_t done = 0; in_ >= 0 && done < text.size() && NowMs() < deadline;) {
    const ssize_t n = write(in_, text.data() + done, text.size() - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (n < 0 && errno == EAGAIN) Fill(10);
    else if (n < 0 && errno != EINTR) return;
  }
}

void EngineProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool EngineProcess::Fill(int timeoutMs) {
  pollfd p{out_, POLLIN, 0};
  int r = poll(&p, 1, timeoutMs);
  if (r <= 0) return false;
  char buf[65536];
  ssize_t n = read(out_, buf, sizeof buf);
  if (n <= 0) return false;
  buffer_.append(buf, static_cast<size_t>(n));
  return true;
}

bool EngineProcess::ReadLine(std::string& line, int timeoutMs) {
  int64_t deadline = NowMs() + timeoutMs;
  for (;;) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      transcript_ += line + "\n";
      return true;
    }
    int64_t left = deadline - NowMs();
    if (left <= 0 || !Fill(static_cast<int>(left))) return false;
  }
}

std::string EngineProcess::WaitFor(const std::string& prefix, int timeoutMs) {
  const int64_t deadline = NowMs() + timeoutMs;
  for (std::string line; NowMs() < deadline && ReadLine(line, static_cast<int>(deadline - NowMs()));)
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  return "";
}

bool EngineProcess::Running() {
  if (exited_) return false;
  int status;
  pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    exited_ = true;
    status_ = DecodeStatus(status);
    return false;
  }
  return true;
}

int EngineProcess::Wait(int timeoutMs) {
  int64_t deadline = NowMs() + timeoutMs;
  while (!exited_) {
    if (!Running()) break;
    if (NowMs() > deadline) {
      kill(pid_, SIGKILL);
      int status;
      waitpid(pid_, &status, 0);
      exited_ = true;
      status_ = -1;
      break;
    }
    // Drain output so that a chatty engine cannot block on a full pipe.
    if (!Fill(10)) usleep(2000);
  }
  return status_;
}

}  // namespace vtest
