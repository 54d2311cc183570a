// SPDX-License-Identifier: MIT
#ifndef PROCBOX_SETTINGS_H
#define PROCBOX_SETTINGS_H

#include <cstdint>

// Longest shader or curve-type name kept; a longer word is cut to this.
constexpr int namelength = 99;

// One field per command-line keyword, named as the keyword. A colour whose
// red component is negative counts as not given.
struct boxsettings {
    double boxalpha;
    double boxcolor[3];
    double linewidth;
    double linealpha;
    double linecolor[3];
    char linetype[namelength + 1];
    double cornerwidth;
    double corneralpha;
    double cornercolor[3];
    char surface[namelength + 1];
    std::int32_t replace;
};

// Fills settings from the command-line words; words[0] is the program's own
// name and is skipped. Each word that is not a complete option costs one
// "Unknown option" line on standard error; nothing here is fatal.
void parseoptions(int count, const char *const *words, boxsettings *settings);

// Decimal value of the longest number prefix of word (after leading white
// space), with e, E, d or D exponents and the full stop as the only decimal
// point; 0 when there is none, a signed infinity when it is too large.
double numberword(const char *word);

// Signed decimal integer prefix of word, held to the 32-bit range; 0 when
// there is no digit.
std::int32_t integerword(const char *word);

#endif
