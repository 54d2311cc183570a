// SPDX-License-Identifier: MIT
#ifndef PROCBOX_FUZZ_CHECK_H
#define PROCBOX_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

// A broken promise ends the run the way a sanitizer report does, so that
// libFuzzer keeps the input and a replay run fails.
inline void require(bool kept, const char *promise)
{
    if (kept)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

#endif
