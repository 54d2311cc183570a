// SPDX-License-Identifier: MIT
#include "filter.h"

#include "boxwriter.h"
#include "tokenize.h"

#include <cstring>

namespace {

// Held for the whole run: nothing is allocated per request.
char line[linelength + 1];
char *slots[tokenlimit];
boxtext box;

// The reply body for the line in the buffer; the caller ends it.
void answer(const boxsettings &settings, std::FILE *out)
{
    // A zero byte read from the input ends the line's text: what follows
    // it, the line feed included, is neither searched nor written back.
    // Lines that mention options anywhere pass through untouched, so that
    // a procedural's own arguments are never taken for a box.
    if (std::strstr(line, "options") != nullptr) {
        std::fwrite(line, 1, std::strlen(line), out);
        return;
    }
    // The echo shows the line as it was read, before tokenizing cuts it up.
    if (settings.replace == 0)
        std::fwrite(line, 1, std::strlen(line), out);

    if (tokenize(line, tokenlimit, slots) < 4)
        return;
    // The bounding box is the fourth token; its values are split in place
    // into the same slots.
    if (tokenize(slots[3], tokenlimit, slots) != 6)
        return;
    writebox(box, slots, out);
}

} // namespace

void runfilter(const boxsettings &settings, std::FILE *in, std::FILE *out)
{
    preparebox(settings, &box);

    std::fputs("Procedural\n", out);
    std::fflush(out);

    // fgets takes bytes up to and including the first line feed, at most
    // linelength of them, and returns null only when no byte was read.
    while (std::fgets(line, sizeof line, in) != nullptr) {
        answer(settings, out);
        // The host reads up to this byte and only then sends the next
        // request: the reply must leave now, and only now.
        std::putc(0xFF, out);
        std::fflush(out);
    }
}
