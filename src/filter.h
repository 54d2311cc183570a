// SPDX-License-Identifier: MIT
#ifndef PROCBOX_FILTER_H
#define PROCBOX_FILTER_H

#include "settings.h"

#include <cstdio>

// Longest piece of a line read at once; a longer line is answered in pieces.
constexpr int linelength = 999999;
// Most tokens looked for in a line and in its bounding box.
constexpr int tokenlimit = 256;

// Greets the host on out, then answers every line read from in with exactly
// one reply ended by the byte 0xFF and a flush, until in ends. Write errors
// are ignored: only the end of input ends the run.
void runfilter(const boxsettings &settings, std::FILE *in, std::FILE *out);

#endif
