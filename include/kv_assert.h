#pragma once
// Guards for programming errors only (a broken internal invariant or a host
// service the code cannot do without). No input ever reaches them, so they stay
// on in every build: a silent null dereference inside the host is worse than a
// clear stop naming the member that was missing.
#include <cstdio>
#include <cstdlib>

#define KVAT_ASSERT(cond, member)                                                        \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "%s:%d: assertion failed: %s\n", __FILE__, __LINE__, member); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)
