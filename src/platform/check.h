// Invariant checks that compile away in Release builds.
#pragma once

#ifdef VESSIK_CHECKS
#include <cstdio>
#include <cstdlib>
#define VESSIK_ASSERT(cond)                                                              \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)
#else
#define VESSIK_ASSERT(cond) \
  do {                      \
  } while (0)
#endif
