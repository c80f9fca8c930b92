#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a crash as far as libFuzzer is concerned: it saves the
// input that caused it. Active in every build type, unlike assert().
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
