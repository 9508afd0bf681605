// The check of a fuzz target's promise: a broken one names itself and
// aborts, which the fuzzer reports as a finding with its input.
#ifndef VQ_FUZZ_PLATFORM_FUZZ_CHECK_H
#define VQ_FUZZ_PLATFORM_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define CHECK(condition)                                                                           \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: %s failed\n", __FILE__, __LINE__, #condition);                  \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

#endif
