#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property ends the run the way a sanitizer would, so that libFuzzer keeps the input and the replay
// test fails on it.
#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)
