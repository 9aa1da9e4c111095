// A real pipe on file descriptor 0 for in-process tests of the code that reads
// standard input: the engine's own line reader sees exactly what a GUI sends.
#pragma once

#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace vtest {

// The writing end stays open: input arrives when the test writes it, and the
// reader sees no end of input until Close.
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
    for (size_t done = 0; write_ >= 0 && done < data.size();) {
      const ssize_t n = write(write_, data.data() + done, data.size() - done);
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

// The whole input at once, then its end; data must fit in the pipe's buffer (64 KiB on Linux).
struct StdinPipe : StdinFeed {
  explicit StdinPipe(const std::string& data) {
    Write(data);
    Close();
  }
};

}  // namespace vtest
