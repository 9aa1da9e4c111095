// Chat remarks.
#include "frontend/frontend.h"

// The remarks arrive with their own subsystem; until then there is nothing
// to say and nothing that a new game or a new search has to forget.
void ResetGameChat() {}
void ChatOpeningRemark() {}
void ChatIterationRemark(int) {}
void ChatClosingRemark(int) {}
void ClearIterationChat() {}
