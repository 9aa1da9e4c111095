// EPD test runner.
#include "tools/tools.h"

// The test runner arrives with its own subsystem.
void RunEpdTest() {}
