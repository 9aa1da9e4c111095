#include <cstring>

#include "frontend/frontend.h"
#include "platform/platform.h"
#include "position/position.h"

void GameLoop() {
  NewGame();
  char line[256];
  while (ReadLine(line, sizeof line, true) > 0) {
    if (std::strcmp(line, "quit\n") == 0 || std::strcmp(line, "quit") == 0) break;
  }
}
