// SPDX-License-Identifier: MIT
// Parses arbitrary word lists, and checks each word's number conversions
// against the C library where the two follow the same grammar.
#include "check.h"
#include "settings.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool isblankbyte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool same(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

// The number rules are strtod's in the C locale, but with d and D as
// further exponent letters and without the hexadecimal, infinity and
// not-a-number forms: a word that does not start with a digit or a point
// reads as 0, and one that does reads as strtod reads it with d spelled e.
void checknumber(const char *word)
{
    double value = numberword(word);
    require(!std::isnan(value), "no word reads as not-a-number");
    const char *p = word;
    while (isblankbyte(*p))
        p++;
    if (*p == '+' || *p == '-')
        p++;
    if (!(*p >= '0' && *p <= '9') && *p != '.') {
        require(same(value, 0) || same(value, -0.0), "a word without a number reads as 0");
        return;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return;
    std::string spelled = word;
    for (char &c : spelled)
        if (c == 'd' || c == 'D')
            c = 'e';
    require(same(value, std::strtod(spelled.c_str(), nullptr)), "a number reads as strtod reads it");
}

// strtoll reads the same prefix as integerword; only the range differs.
void checkinteger(const char *word)
{
    long long wide = std::strtoll(word, nullptr, 10);
    long long held = wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : wide;
    require(integerword(word) == held, "an integer reads as strtoll reads it, held to 32 bits");
}

} // namespace

// The input is the word list, the words separated by zero bytes; the
// program's own name comes first, as it does for main.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<char> bytes(data, data + size);
    bytes.push_back('\0');
    std::vector<const char *> words = {"procbox"};
    for (std::size_t start = 0; size > 0 && start < bytes.size();) {
        const char *word = bytes.data() + start;
        words.push_back(word);
        start += std::strlen(word) + 1;
    }

    // The unknown-word lines are not checked here: keep them out of the
    // fuzzer's own log.
    static std::FILE *quiet = std::fopen("/dev/null", "w");
    std::FILE *saved = stderr;
    stderr = quiet;
    boxsettings settings;
    parseoptions(static_cast<int>(words.size()), words.data(), &settings);
    stderr = saved;

    require(std::memchr(settings.surface, '\0', sizeof settings.surface) != nullptr, "surface is zero-terminated");
    require(std::memchr(settings.linetype, '\0', sizeof settings.linetype) != nullptr, "linetype is zero-terminated");
    for (double n :
         {settings.boxalpha, settings.linewidth, settings.linealpha, settings.cornerwidth, settings.corneralpha})
        require(!std::isnan(n), "no setting is not-a-number");
    for (const double *colour : {settings.boxcolor, settings.linecolor, settings.cornercolor})
        for (int c = 0; c < 3; c++)
            require(!std::isnan(colour[c]), "no colour is not-a-number");

    for (std::size_t i = 1; i < words.size(); i++) {
        checknumber(words[i]);
        checkinteger(words[i]);
    }
    return 0;
}
