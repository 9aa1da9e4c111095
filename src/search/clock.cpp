#include <cstring>

#include "platform/text.h"
#include "search/search.h"

TimeControlState Clock;

bool ReadClockLine(const char* line) {
  const bool own = std::strncmp(line, "time", 4) == 0;
  if (!own && std::strncmp(line, "otim", 4) != 0) return false;
  const char* p = line + 4;
  int32_t value;
  if (ReadInt(p, value)) {
    if (own) {
      Clock.EngineClock = value;
      Clock.ClockKnown = true;
    } else {
      Clock.OpponentClock = value;
    }
  }
  return true;
}
