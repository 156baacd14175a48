#pragma once
// The fuzz targets' invariant check: names the broken rule before stopping, so a finding reads
// at a glance.

#include <cstdio>
#include <cstdlib>

#define check(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "broken: %s (%s:%d)\n", #ok, __FILE__, __LINE__);                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
