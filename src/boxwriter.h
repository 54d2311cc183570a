// SPDX-License-Identifier: MIT
#ifndef PROCBOX_BOXWRITER_H
#define PROCBOX_BOXWRITER_H

#include "settings.h"

#include <cstdio>

// Everything in a box's text that the settings fix, prepared once: runs of
// literal text, each followed by the place of one corner's "x y z" texts
// (corner 0 to 7) or, for the last run, by nothing.
struct boxpiece {
    unsigned short offset;
    unsigned short length;
    signed char corner;
};

// writebox reads the literals in blocks of this many bytes, so the last run
// is followed by that much slack.
constexpr int boxblock = 16;

struct boxtext {
    char literals[4096 + boxblock];
    int used;
    boxpiece pieces[128];
    int count;
};

// Lays out the box text for these settings; done once, before any request.
void preparebox(const boxsettings &settings, boxtext *box);

// Writes the box for one bound to out, the bound's texts copied unchanged.
// Does not flush: the caller ends the reply.
void writebox(const boxtext &box, const char *const bound[6], std::FILE *out);

#endif
