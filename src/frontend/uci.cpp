// UCI front end.
#include "frontend/frontend.h"

// UCI mode arrives with its own subsystem; until then the line "uci" changes
// nothing and the xboard loop goes on.
void UciHandshake() {}
