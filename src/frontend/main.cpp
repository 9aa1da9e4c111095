#include <cstring>

#include "frontend/frontend.h"

// "vessik bench" runs the benchmark and ends; any other command line is not
// read, and the engine starts as usual.
int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "bench") == 0) return RunBenchProgram();
  return RunEngine();
}
