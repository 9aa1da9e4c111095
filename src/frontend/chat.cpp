// Chat remarks.
#include "frontend/frontend.h"

// The remarks arrive with their own subsystem; until then there is nothing
// that a new game has to forget.
void ResetGameChat() {}
