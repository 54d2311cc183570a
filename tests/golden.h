// SPDX-License-Identifier: MIT
#ifndef PROCBOX_TESTS_GOLDEN_H
#define PROCBOX_TESTS_GOLDEN_H

// Laid out as the lines of the output they stand for.
// clang-format off

// The box for the bound -1 1 -2 2 0 3 with red edges of width 0.01, half
// transparent corners of width 0.05 and blue faces at opacity 0.25.
inline const char *const workedwords[] = {
    "linewidth", "0.01", "linecolor", "1", "0", "0", "cornerwidth", "0.05",
    "corneralpha", "0.5", "boxalpha", "0.25", "boxcolor", "0", "0", "1"};

inline const char workedbox[] =
    "AttributeBegin\n"
    "Surface \"defaultsurface\"\n"
    "AttributeBegin\n"
    "Color 1 0 0\n"
    "Opacity 1 1 1\n"
    "Attribute \"curve\" \"type\" \"polyline\"\n"
    "Curves \"linear\" [2 2 2 2  2 2 2 2  2 2 2 2] \"nonperiodic\" \"constantwidth\" [0.01]\n"
    " \"P\" [ -1 -2 0  1 -2 0  1 -2 0  1 2 0  1 2 0  -1 2 0  -1 2 0  -1 -2 0  -1 -2 3  1 -2 3  "
    "1 -2 3  1 2 3  1 2 3  -1 2 3  -1 2 3  -1 -2 3  -1 -2 0  -1 -2 3  1 -2 0  1 -2 3 -1 2 0  "
    "-1 2 3  1 2 0  1 2 3]\n"
    "AttributeEnd\n"
    "AttributeBegin\n"
    "Opacity 0.5 0.5 0.5\n"
    "Attribute \"point\" \"type\" \"sphere\"\n"
    "Points \"constantwidth\" [0.05]\n"
    " \"P\" [-1 -2 0  1 -2 0  -1 2 0  1 2 0 -1 -2 3  1 -2 3  -1 2 3  1 2 3]\n"
    "AttributeEnd\n"
    "AttributeBegin\n"
    "Color 0 0 1\n"
    "Opacity 0.25 0.25 0.25\n"
    "PointsPolygons [4 4 4 4 4 4] [0 2 3 1  1 3 7 5  5 7 6 4  4 6 2 0  2 6 7 3  4 0 1 5] "
    "\"P\" [-1 -2 0  1 -2 0  -1 2 0  1 2 0 -1 -2 3  1 -2 3  -1 2 3  1 2 3]\n"
    "AttributeEnd\n"
    "AttributeEnd\n";

// The box for the bound 0 1 0 1 0 1 with no options at all: faces only.
inline const char defaultbox[] =
    "AttributeBegin\n"
    "Surface \"defaultsurface\"\n"
    "AttributeBegin\n"
    "Opacity 1 1 1\n"
    "PointsPolygons [4 4 4 4 4 4] [0 2 3 1  1 3 7 5  5 7 6 4  4 6 2 0  2 6 7 3  4 0 1 5] "
    "\"P\" [0 0 0  1 0 0  0 1 0  1 1 0 0 0 1  1 0 1  0 1 1  1 1 1]\n"
    "AttributeEnd\n"
    "AttributeEnd\n";
// clang-format on

#endif
