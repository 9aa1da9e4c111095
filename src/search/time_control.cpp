// Time allocation and the look at the clock and standard input during a
// search. The budget rules and the commands answered while thinking come with
// the time-control work; until then a search ends only by its depth.
#include "search/search.h"

void AllocateTimeXboard() {}

void AllocateTimeUci() {}

void PollInput(bool) {}
