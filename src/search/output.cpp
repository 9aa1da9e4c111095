// Thinking lines, analysis status and UCI information lines. The formats come
// with the output work; until then a search prints nothing.
#include "search/search.h"

void PrintPv(int, int) {}

void PrintFailHigh(int, int) {}

void PrintFailLow(int, int) {}

void PrintCurrentMove(Move, int, int) {}

void PrintStatus() {}

void PrintMultiPv(int, int, int) {}
