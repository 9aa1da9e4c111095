// Feeds a string to the engine's own line reader through a real pipe on file
// descriptor 0, for in-process tests of code that reads standard input.
#pragma once

#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace vtest {

class StdinPipe {
 public:
  // data must fit in the pipe's buffer (64 KiB on Linux).
  explicit StdinPipe(const std::string& data) {
    saved_ = dup(0);
    int fds[2];
    if (pipe(fds) != 0) return;
    dup2(fds[0], 0);
    close(fds[0]);
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = write(fds[1], data.data() + done, data.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fds[1]);
    ResetInputForTests();
  }
  ~StdinPipe() {
    dup2(saved_, 0);
    close(saved_);
    ResetInputForTests();
  }
  StdinPipe(const StdinPipe&) = delete;
  StdinPipe& operator=(const StdinPipe&) = delete;

 private:
  int saved_ = -1;
};

// A pipe on file descriptor 0 whose writing end stays open: input arrives
// when the test writes it, and the reader sees no end of input until Close.
class StdinFeed {
 public:
  StdinFeed() {
    saved_ = dup(0);
    int fds[2];
    if (pipe(fds) != 0) return;
    dup2(fds[0], 0);
    close(fds[0]);
    write_ = fds[1];
    ResetInputForTests();
  }
  ~StdinFeed() {
    Close();
    dup2(saved_, 0);
    close(saved_);
    ResetInputForTests();
  }
  StdinFeed(const StdinFeed&) = delete;
  StdinFeed& operator=(const StdinFeed&) = delete;

  void Write(const std::string& data) {
    size_t done = 0;
    while (write_ >= 0 && done < data.size()) {
      ssize_t n = write(write_, data.data() + done, data.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }
  void Close() {
    if (write_ >= 0) close(write_);
    write_ = -1;
  }

 private:
  int saved_ = -1;
  int write_ = -1;
};

}  // namespace vtest
