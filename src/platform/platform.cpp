#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <termios.h>
#include <unistd.h>

#include "platform/text.h"

namespace {

// The one input buffer of the process.
struct InputReader {
  char Data[1 << 16];
  int Start = 0;
  int End = 0;
  bool Ended = false;
};
InputReader In;

// Refills the buffer when it is empty. Returns false at end of input.
bool Fill() {
  if (In.Start < In.End) return true;
  if (In.Ended) return false;
  In.Start = In.End = 0;
  for (;;) {
    ssize_t n = read(0, In.Data, sizeof In.Data);
    if (n > 0) {
      In.End = static_cast<int>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    In.Ended = true;  // end of file or a read error: both end the input
    return false;
  }
}

// Next byte without consuming it, or -1 at end of input.
int Peek() { return Fill() ? static_cast<unsigned char>(In.Data[In.Start]) : -1; }

int Take() {
  int c = Peek();
  if (c >= 0) In.Start++;
  return c;
}

}  // namespace

void PlatformInit() {
  std::signal(SIGINT, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

bool StdinIsTerminal() { return isatty(0) != 0; }
bool StdoutIsTerminal() { return isatty(1) != 0; }

void ConsoleClear() {
  if (!StdoutIsTerminal()) return;
  std::fputs("\033[2J\033[H", stdout);
  std::fflush(stdout);
}

void ConsoleGotoXY(int column, int row) {
  if (!StdoutIsTerminal()) return;
  std::printf("\033[%d;%dH", row, column);
  std::fflush(stdout);
}

bool KeyWaiting() {
  if (!StdinIsTerminal()) return false;
  if (In.Start < In.End) return true;
  pollfd p{0, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

int ReadKey() {
  if (!StdinIsTerminal()) return -1;
  if (In.Start < In.End) return static_cast<unsigned char>(In.Data[In.Start++]);
  termios saved{};
  if (tcgetattr(0, &saved) != 0) return -1;
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(0, TCSANOW, &raw);
  unsigned char c = 0;
  ssize_t n;
  do {
    n = read(0, &c, 1);
  } while (n < 0 && errno == EINTR);
  tcsetattr(0, TCSANOW, &saved);
  if (n <= 0) {
    In.Ended = true;
    return -1;
  }
  return c;
}

void WaitKey() {
  if (StdinIsTerminal()) ReadKey();
}

int ReadLine(char* buf, int size, bool dropRest) {
  if (size <= 0) return 0;
  int n = 0;
  if (size == 1) {
    buf[0] = 0;
    return 0;
  }
  // With dropRest one slot is kept for the line end that closes a cut line.
  int limit = dropRest ? size - 2 : size - 1;
  bool lineEnd = false;
  while (n < limit) {
    int c = Take();
    if (c < 0) break;
    if (c == '\r' && Peek() == '\n') continue;
    buf[n++] = static_cast<char>(c);
    if (c == '\n') {
      lineEnd = true;
      break;
    }
  }
  if (!lineEnd && n == limit && dropRest) {
    // Over-long line: the rest up to its line end is discarded.
    if (Peek() == '\n') {
      Take();
      buf[n++] = '\n';
    } else {
      int c;
      while ((c = Take()) >= 0 && c != '\n') {
      }
      if (c == '\n') buf[n++] = '\n';
    }
  }
  buf[n] = 0;
  return n;
}

int ReadWord(char* buf, int size) {
  int c;
  while ((c = Peek()) >= 0 && IsBlank(static_cast<char>(c))) Take();
  int n = 0;
  while ((c = Peek()) >= 0 && !IsBlank(static_cast<char>(c))) {
    Take();
    if (n < size - 1) buf[n++] = static_cast<char>(c);
  }
  if (size > 0) buf[n < size ? n : size - 1] = 0;
  return n;
}

int ReadPromptWord(char* buf, int size, FILE* log) {
  const int n = ReadWord(buf, size);
  if (n == 0) return 0;
  // The answer's line ends here when only blanks follow: that line end is
  // part of the answer, not an empty line for whoever reads next.
  int c;
  while ((c = Peek()) == ' ' || c == '\t' || c == '\r') Take();
  if (c == '\n') Take();
  if (log) {
    std::fprintf(log, "%s\n", buf);
    std::fflush(log);
  }
  return n;
}

bool InputWaiting() {
  if (In.Start < In.End || In.Ended) return true;
  pollfd p{0, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return false;
  return (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool InputEnded() { return In.Ended && In.Start >= In.End; }

void ResetInputForTests() {
  In.Start = In.End = 0;
  In.Ended = false;
}

int64_t TickMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t SecondsNow() { return static_cast<int64_t>(std::time(nullptr)); }

void* AllocateTableMemory(size_t bytes) {
  constexpr size_t HUGE_PAGE = size_t{2} << 20;
  void* block = nullptr;
  if (posix_memalign(&block, HUGE_PAGE, bytes) != 0) return nullptr;
  // Only a hint: without huge pages the block works the same.
  if (bytes >= HUGE_PAGE) madvise(block, bytes, MADV_HUGEPAGE);
  return block;
}

void FreeTableMemory(void* block) { std::free(block); }
