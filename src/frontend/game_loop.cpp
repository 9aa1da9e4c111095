#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "platform/platform.h"
#include "position/position.h"

void GameLoop() {
  Srch.SearchAge = 0;
  ClearHashTables();
  Ev.LazyMargin = LAZY_MARGIN_START;
  InitEvalTables();
  char line[256];
  while (ReadLine(line, sizeof line, true) > 0) {
    if (std::strcmp(line, "quit\n") == 0 || std::strcmp(line, "quit") == 0) break;
  }
}
