// SPDX-License-Identifier: MIT
#include "tokenize.h"

namespace {

// Bytes 0x01 to 0x20 are blanks, 0x21 to 0x7F word bytes; 0x80 to 0xFF end
// a plain or bracketed token like a blank, but where a token would start
// they make an empty one.
bool isblankbyte(unsigned char c)
{
    return c >= 0x01 && c <= 0x20;
}

bool iswordbyte(unsigned char c)
{
    return c >= 0x21 && c <= 0x7F;
}

} // namespace

int tokenize(char *text, int limit, char **slots)
{
    unsigned char *p = reinterpret_cast<unsigned char *>(text);
    int count = 0;
    for (;;) {
        while (isblankbyte(*p))
            p++;
        if (*p == '\0')
            return count;

        unsigned char *start = *p == '[' || *p == '"' ? p + 1 : p;
        unsigned char *end = start;
        if (*p == '[') {
            while (*end != '\0' && *end != ']' && *end < 0x80)
                end++;
        } else if (*p == '"') {
            while (*end != '\0' && *end != '"')
                end++;
        } else {
            while (iswordbyte(*end))
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
