// SPDX-License-Identifier: MIT
#include "tokenize.h"

namespace {

// Bytes 0x01 to 0x20 are blanks, 0x21 to 0x7F word bytes; 0x80 to 0xFF end
// a plain or bracketed token like a blank, but where a token would start
// they make an empty one. A request is split byte by byte, so each scan
// asks one table for the bytes that stop it.
enum : unsigned char { blank = 1, word = 2, endsbracket = 4, endsquote = 8 };

struct classtable {
    unsigned char of[256];
};

constexpr classtable makeclasses()
{
    classtable t{};
    for (int c = 0; c < 256; c++) {
        if (c >= 0x01 && c <= 0x20)
            t.of[c] |= blank;
        if (c >= 0x21 && c <= 0x7F)
            t.of[c] |= word;
        if (c == 0 || c == ']' || c >= 0x80)
            t.of[c] |= endsbracket;
        if (c == 0 || c == '"')
            t.of[c] |= endsquote;
    }
    return t;
}

constexpr classtable classes = makeclasses();

} // namespace

int tokenize(char *text, int limit, char **slots)
{
    unsigned char *p = reinterpret_cast<unsigned char *>(text);
    int count = 0;
    for (;;) {
        while (classes.of[*p] & blank)
            p++;
        if (*p == '\0')
            return count;

        unsigned char *start = *p == '[' || *p == '"' ? p + 1 : p;
        unsigned char *end = start;
        if (*p == '[') {
            while (!(classes.of[*end] & endsbracket))
                end++;
        } else if (*p == '"') {
            while (!(classes.of[*end] & endsquote))
                end++;
        } else {
            while (classes.of[*end] & word)
                end++;
        }
        slots[count++] = reinterpret_cast<char *>(start);
        // An unterminated bracket or quote runs to the end of the text.
        if (*end == '\0')
            return count;
        *end = '\0';
        p = end + 1;
        // Checked only after a token is stored, so a limit below 1 still
        // yields one token.
        if (count >= limit)
            return count;
    }
}
