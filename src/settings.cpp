// SPDX-License-Identifier: MIT
#include "settings.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

enum valuekind { number, colour, name, integer };

struct keyword {
    const char *word;
    valuekind kind;
    std::size_t field;
};

// The keywords drive the parser: adding one is one line here.
const keyword keywords[] = {
    {"boxalpha", number, offsetof(boxsettings, boxalpha)},
    {"boxcolor", colour, offsetof(boxsettings, boxcolor)},
    {"linewidth", number, offsetof(boxsettings, linewidth)},
    {"linealpha", number, offsetof(boxsettings, linealpha)},
    {"linecolor", colour, offsetof(boxsettings, linecolor)},
    {"linetype", name, offsetof(boxsettings, linetype)},
    {"cornerwidth", number, offsetof(boxsettings, cornerwidth)},
    {"corneralpha", number, offsetof(boxsettings, corneralpha)},
    {"cornercolor", colour, offsetof(boxsettings, cornercolor)},
    {"surface", name, offsetof(boxsettings, surface)},
    {"replace", integer, offsetof(boxsettings, replace)},
};

const boxsettings defaults = {
    1,            // boxalpha
    {-1, -1, -1}, // boxcolor
    0,            // linewidth
    1,            // linealpha
    {-1, -1, -1}, // linecolor
    "polyline",   // linetype
    0,            // cornerwidth
    1,            // corneralpha
    {-1, -1, -1}, // cornercolor
    "defaultsurface",
    1, // replace
};

const keyword *findkeyword(const char *word)
{
    for (const keyword &k : keywords)
        if (std::strcmp(word, k.word) == 0)
            return &k;
    return nullptr;
}

// The C library's isspace follows the locale; the word rules do not.
bool isblankbyte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isdigitbyte(char c)
{
    return c >= '0' && c <= '9';
}

const char *skipdigits(const char *p)
{
    while (isdigitbyte(*p))
        p++;
    return p;
}

// The value of a prefix that from_chars reports out of range: the sign of
// its decimal magnitude tells overflow (infinity) from underflow (zero).
double outofrange(bool negative, const char *digits, const char *exponent, const char *end)
{
    long long magnitude = 0;
    const char *p = digits;
    while (*p == '0')
        p++;
    if (isdigitbyte(*p)) {
        magnitude = skipdigits(p) - p;
    } else if (*p == '.') {
        const char *q = p + 1;
        while (*q == '0')
            q++;
        magnitude = -(q - (p + 1));
    }
    if (exponent < end) {
        const char *q = exponent + 1;
        bool minus = *q == '-';
        if (*q == '+' || *q == '-')
            q++;
        long long e = 0;
        for (; q < end && e < 1000000000; q++)
            e = e * 10 + (*q - '0');
        magnitude += minus ? -e : e;
    }
    double value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

void copyname(char *field, const char *word)
{
    int n = 0;
    for (; n < namelength && word[n] != '\0'; n++)
        field[n] = word[n];
    field[n] = '\0';
}

// Both kinds of number start alike: white space, then one optional sign.
const char *skipsign(const char *word, bool *negative)
{
    const char *p = word;
    while (isblankbyte(*p))
        p++;
    *negative = *p == '-';
    if (*p == '+' || *p == '-')
        p++;
    return p;
}

} // namespace

double numberword(const char *word)
{
    bool negative = false;
    const char *p = skipsign(word, &negative);
    const char *digits = p;
    const char *end = skipdigits(p);
    bool anydigit = end > p;
    if (*end == '.') {
        const char *fraction = end + 1;
        end = skipdigits(fraction);
        anydigit = anydigit || end > fraction;
    }
    if (!anydigit)
        return 0;
    const char *exponent = end;
    if (*end == 'e' || *end == 'E' || *end == 'd' || *end == 'D') {
        const char *q = end + 1;
        if (*q == '+' || *q == '-')
            q++;
        if (isdigitbyte(*q))
            end = skipdigits(q);
    }

    // from_chars rounds correctly and ignores the locale, but takes neither
    // a plus sign nor the d exponent: hand it the validated prefix in its
    // own spelling.
    const char *first = negative ? digits - 1 : digits;
    const char *last = end;
    std::string spelled;
    if (end > exponent && (*exponent == 'd' || *exponent == 'D')) {
        spelled.assign(first, end);
        spelled[static_cast<std::size_t>(exponent - first)] = 'e';
        first = spelled.data();
        last = first + spelled.size();
    }
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc::result_out_of_range)
        return outofrange(negative, digits, exponent, end);
    return value;
}

std::int32_t integerword(const char *word)
{
    bool negative = false;
    const char *p = skipsign(word, &negative);
    // Accumulate towards the limit and stay there: a long run of digits
    // saturates instead of wrapping back to a small or zero value.
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    long long value = 0;
    for (; isdigitbyte(*p); p++) {
        value = value * 10 + (*p - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void parseoptions(int count, const char *const *words, boxsettings *settings)
{
    *settings = defaults;
    char *base = reinterpret_cast<char *>(settings);
    for (int i = 1; i < count; i++) {
        const keyword *k = findkeyword(words[i]);
        int values = k && k->kind == colour ? 3 : 1;
        if (!k || i + values >= count) {
            std::fprintf(stderr, "Unknown option: %s\n", words[i]);
            continue;
        }
        char *field = base + k->field;
        switch (k->kind) {
        case number:
            *reinterpret_cast<double *>(field) = numberword(words[i + 1]);
            break;
        case colour:
            for (int c = 0; c < 3; c++)
                reinterpret_cast<double *>(field)[c] = numberword(words[i + 1 + c]);
            break;
        case name:
            copyname(field, words[i + 1]);
            break;
        case integer:
            *reinterpret_cast<std::int32_t *>(field) = integerword(words[i + 1]);
            break;
        }
        i += values;
    }
}
