// What a fuzz target asserts: a broken invariant prints what broke and aborts,
// which libFuzzer reports as a finding and keeps the input of.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                                         \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: broken: %s\n  ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                             \
            std::fprintf(stderr, "\n");                                                    \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)
