#include "support/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vtest {

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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
    close(toChild[0]);
    close(toChild[1]);
    close(fromChild[0]);
    close(fromChild[1]);
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
  std::string cmd = "rm -rf '" + path_ + "'";
  if (std::system(cmd.c_str()) != 0) {
  }
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  std::ofstream f(File(name), std::ios::binary);
  f << content;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream f(File(name), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool TempDir::Exists(const std::string& name) const { return access(File(name).c_str(), F_OK) == 0; }

RunResult RunEngine(const std::string& input, const std::string& cwd, int timeoutMs,
                    const std::vector<std::string>& args) {
  RunResult result;
  int in, out;
  int pid = Spawn(cwd, VESSIK_BINARY, args, in, out);
  // Feed the input while reading, so that a large input cannot dead-lock.
  size_t written = 0;
  int64_t deadline = NowMs() + timeoutMs;
  bool inputOpen = true;
  if (input.empty()) {
    close(in);
    inputOpen = false;
  } else {
    fcntl(in, F_SETFL, O_NONBLOCK);
  }
  for (;;) {
    int64_t left = deadline - NowMs();
    if (left <= 0) {
      result.TimedOut = true;
      break;
    }
    pollfd fds[2] = {{out, POLLIN, 0}, {inputOpen ? in : -1, POLLOUT, 0}};
    int r = poll(fds, 2, static_cast<int>(left < 100 ? left : 100));
    if (r < 0 && errno != EINTR) break;
    if (inputOpen && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = write(in, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 && errno != EAGAIN) written = input.size();
      if (written >= input.size()) {
        close(in);
        inputOpen = false;
      }
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[65536];
      ssize_t n = read(out, buf, sizeof buf);
      if (n > 0) {
        result.Output.append(buf, static_cast<size_t>(n));
      } else if (n == 0) {
        break;
      }
    }
  }
  if (inputOpen) close(in);
  close(out);
  if (result.TimedOut) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  result.ExitStatus = result.TimedOut ? -1 : DecodeStatus(status);
  return result;
}

EngineProcess::EngineProcess(const std::string& cwd, const std::vector<std::string>& args) {
  pid_ = Spawn(cwd, VESSIK_BINARY, args, in_, out_);
}

EngineProcess::EngineProcess(const std::string& cwd, const std::string& program, const std::vector<std::string>& args) {
  pid_ = Spawn(cwd, program, args, in_, out_);
}

EngineProcess::~EngineProcess() {
  if (in_ >= 0) close(in_);
  if (!exited_ && pid_ > 0) {
    if (Wait(3000) == -1) {
    }
  }
  if (out_ >= 0) close(out_);
}

void EngineProcess::Send(const std::string& text) {
  if (in_ < 0) return;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(in_, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    done += static_cast<size_t>(n);
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
  int64_t deadline = NowMs() + timeoutMs;
  std::string line;
  for (;;) {
    int64_t left = deadline - NowMs();
    if (left <= 0 || !ReadLine(line, static_cast<int>(left))) return "";
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  }
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
