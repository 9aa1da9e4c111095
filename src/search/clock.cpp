#include "search/search.h"

TimeControlState Clock;
