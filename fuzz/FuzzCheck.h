#pragma once
// A property every input must keep; a broken one stops the run, so the fuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define VT_FUZZ_CHECK(condition, what)                                                  \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, __FILE__, __LINE__); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)
