// SPDX-License-Identifier: MIT
// Runs the whole request loop over arbitrary input and checks the framing
// that the host relies on: the greeting, then one reply per line read, each
// ended by 0xFF, and with replace 0 each reply starting with its line.
#include "check.h"
#include "filter.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Bits of the first input byte.
enum : unsigned {
    echo = 1,        // replace 0
    edges = 2,       // linewidth 0.01
    corners = 4,     // cornerwidth 0.05
    nofaces = 8,     // boxalpha 0
    colours = 16,    // a colour for every element
    longline = 0xE0, // all three: the next two bytes pad the first line
};

boxsettings settingsfor(unsigned bits)
{
    std::vector<const char *> words = {"procbox"};
    if (bits & echo)
        words.insert(words.end(), {"replace", "0"});
    if (bits & edges)
        words.insert(words.end(), {"linewidth", "0.01", "linetype", "cubic"});
    if (bits & corners)
        words.insert(words.end(), {"cornerwidth", "0.05", "corneralpha", "0.5"});
    if (bits & nofaces)
        words.insert(words.end(), {"boxalpha", "0"});
    if (bits & colours)
        words.insert(words.end(),
                     {"boxcolor", "0", "0", "1", "linecolor", "1", "0", "0", "cornercolor", "0", "1", "0"});
    boxsettings settings;
    parseoptions(static_cast<int>(words.size()), words.data(), &settings);
    return settings;
}

bool startswith(const char *text, std::size_t length, const char *prefix, std::size_t prefixlength)
{
    return length >= prefixlength && std::memcmp(text, prefix, prefixlength) == 0;
}

// Checks the replies in out against the lines of input, cut as the loop
// must cut them: after each line feed and after every linelength bytes.
// Works on the buffers in place: padded inputs are a megabyte long.
void checkframing(const std::string &input, const char *out, std::size_t outlength, bool replace0)
{
    const char greeting[] = "Procedural\n";
    const char first[] = "AttributeBegin\n";
    const char last[] = "AttributeEnd\n";
    require(startswith(out, outlength, greeting, sizeof greeting - 1), "the output starts with the greeting");
    const char *at = out + sizeof greeting - 1;
    const char *outend = out + outlength;
    const char *line = input.data();
    const char *inputend = input.data() + input.size();
    while (line < inputend) {
        std::size_t length = static_cast<std::size_t>(inputend - line);
        if (length > static_cast<std::size_t>(linelength))
            length = static_cast<std::size_t>(linelength);
        const void *feed = std::memchr(line, '\n', length);
        if (feed != nullptr)
            length = static_cast<std::size_t>(static_cast<const char *>(feed) - line) + 1;
        // Only the text before a zero byte counts.
        std::size_t textlength = strnlen(line, length);
        std::string_view text(line, textlength);
        line += length;

        bool passthrough = text.find("options") != std::string_view::npos;
        if (replace0 || passthrough) {
            require(startswith(at, static_cast<std::size_t>(outend - at), text.data(), textlength),
                    "an echoed reply starts with its line's text");
            at += textlength;
        }
        const char *marker = static_cast<const char *>(std::memchr(at, 0xFF, static_cast<std::size_t>(outend - at)));
        require(marker != nullptr, "every line read gets a reply ended by 0xFF");
        std::size_t bodylength = static_cast<std::size_t>(marker - at);
        if (passthrough)
            require(bodylength == 0, "a line that mentions options is its own reply");
        require(bodylength == 0 ||
                    (startswith(at, bodylength, first, sizeof first - 1) && bodylength >= sizeof last - 1 &&
                     std::memcmp(marker - (sizeof last - 1), last, sizeof last - 1) == 0),
                "a reply holds nothing or one whole box");
        at = marker + 1;
    }
    require(at == outend, "nothing follows the last reply");
}

// Appends the loop's output to a string that lives across runs, so that
// a megabyte of replies costs no fresh pages each time.
ssize_t collect(void *replies, const char *bytes, std::size_t size)
{
    static_cast<std::string *>(replies)->append(bytes, size);
    return static_cast<ssize_t>(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    unsigned bits = data[0];
    std::size_t skip = 1;
    static std::string input;
    input.clear();
    // Lines longer than linelength are out of reach of ordinary fuzzing
    // inputs: pad the first line to just short of the cut, so that the
    // fuzzed bytes fall around it. A line feed pad would make a million
    // empty lines instead, so it is taken as a blank.
    if ((bits & longline) == longline && size >= 3) {
        char pad = data[1] == '\n' ? ' ' : static_cast<char>(data[1]);
        input.assign(static_cast<std::size_t>(linelength) - data[2], pad);
        skip = 3;
    }
    input.append(reinterpret_cast<const char *>(data) + skip, size - skip);

    boxsettings settings = settingsfor(bits);
    // fmemopen does not take an empty buffer everywhere.
    std::FILE *in = input.empty() ? std::fopen("/dev/null", "r") : fmemopen(input.data(), input.size(), "r");
    static std::string replies;
    replies.clear();
    std::FILE *out = fopencookie(&replies, "w", {nullptr, collect, nullptr, nullptr});
    require(in != nullptr && out != nullptr, "the streams open");
    runfilter(settings, in, out);
    std::fclose(in);
    std::fclose(out);

    checkframing(input, replies.data(), replies.size(), settings.replace == 0);
    return 0;
}
