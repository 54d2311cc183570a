// SPDX-License-Identifier: MIT
#include "casename.h"
#include "filter.h"
#include "golden.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The request loop over an in-memory input, as the host would see it.
std::string filtered(std::vector<const char *> words, const std::string &input)
{
    words.insert(words.begin(), "procbox");
    boxsettings settings;
    parseoptions(static_cast<int>(words.size()), words.data(), &settings);

    std::string copy = input;
    std::FILE *in = copy.empty() ? std::fopen("/dev/null", "r") : fmemopen(copy.data(), copy.size(), "r");
    char *text = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&text, &size);
    runfilter(settings, in, out);
    std::fclose(in);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

const std::string box = defaultbox;
const std::string end = "\xFF";
const std::string request = "Procedural \"DelayedReadArchive\" [\"a.rib\"] [0 1 0 1 0 1]\n";

struct loopcase {
    const char *name;
    std::vector<const char *> words;
    std::string input;
    std::string replies;
};

// Test listings show the case, not its bytes.
void PrintTo(const loopcase &c, std::ostream *os)
{
    *os << c.name;
}

const loopcase cases[] = {
    {"no input", {}, "", ""},
    {"request", {}, request, box + end},
    {"echo before the box", {"replace", "0"}, request, request + box + end},
    {"empty line", {}, "\n", end},
    {"empty line echoed", {"replace", "0"}, "\n", "\n" + end},
    {"five values", {}, "Procedural \"a\" [] [0 1 0 1 0]\n", end},
    {"seven values echoed",
     {"replace", "0"},
     "Procedural \"a\" [] [0 1 0 1 0 1 2]\n",
     "Procedural \"a\" [] [0 1 0 1 0 1 2]\n" + end},
    {"three tokens", {}, "Procedural \"a\" [0 1 0 1 0 1]\n", end},
    {"bound as a quoted string", {}, "Procedural \"a\" [] \"0 1 0 1 0 1\"\n", box + end},
    {"any first word", {}, "Whatever \"a\" [] [0 1 0 1 0 1]\n", box + end},
    {"tokens after the bound", {}, "Procedural \"a\" [] [0 1 0 1 0 1] extra [more]\n", box + end},
    {"options in the arguments pass through",
     {},
     "Procedural \"a\" [\"-options\"] [0 1 0 1 0 1]\n",
     "Procedural \"a\" [\"-options\"] [0 1 0 1 0 1]\n" + end},
    {"options pass through once when echoing",
     {"replace", "0"},
     "Procedural \"myoptionsfile\" [] [0 1 0 1 0 1]\n",
     "Procedural \"myoptionsfile\" [] [0 1 0 1 0 1]\n" + end},
    {"Options is not options", {}, "Procedural \"Options\" [] [0 1 0 1 0 1]\n", box + end},
    {"high byte in the arguments", {}, "Procedural \"a\" [\"caf\xC3\xA9.rib\"] [0 1 0 1 0 1]\n", end},
    {"high byte in the name", {}, "Procedural \"caf\xC3\xA9\" [] [0 1 0 1 0 1]\n", box + end},
    {"unclosed bound", {}, "Procedural \"a\" [] [0 1 0 1 0 1\n", box + end},
    {"quoted bound values", {}, "Procedural \"a\" [] [\"0\" \"1\" \"0\" \"1\" \"0\" \"1\"]\n", box + end},
    {"zero byte ends the text",
     {"replace", "0"},
     std::string("Procedural \"a\" [] [0 1 0 1 0 1]\0x\n", 34),
     "Procedural \"a\" [] [0 1 0 1 0 1]" + box + end},
    {"zero byte before the bound", {}, std::string("Procedural \"a\" []\0 [0 1 0 1 0 1]\n", 33), end},
    {"last line without a line feed", {}, "\nProcedural \"a\" [] [0 1 0 1 0 1]", end + box + end},
    {"carriage return is a blank", {}, "Procedural \"a\" [] [0 1 0 1 0 1]\r\n", box + end},
};

class looptable : public testing::TestWithParam<loopcase> {};

TEST_P(looptable, answersEveryLine)
{
    EXPECT_EQ(filtered(GetParam().words, GetParam().input), "Procedural\n" + GetParam().replies);
}

INSTANTIATE_TEST_SUITE_P(lines, looptable, testing::ValuesIn(cases), casename());

TEST(runfilter, longLineIsAnsweredInPieces)
{
    std::string line(1500000, 'w');
    line += '\n';
    std::string out = filtered({"replace", "0"}, line);
    // Compared whole but reported briefly: the texts are megabytes long.
    EXPECT_TRUE(out == "Procedural\n" + line.substr(0, 999999) + end + line.substr(999999) + end) << out.size();
}

TEST(runfilter, lineOfExactlyTheLimitIsOneReplyAndItsLineFeedAnother)
{
    std::string line(999999, 'w');
    EXPECT_EQ(filtered({}, line + "\n"), "Procedural\n" + end + end);
    EXPECT_EQ(filtered({}, line.substr(1) + "\n"), "Procedural\n" + end);
}

TEST(runfilter, boundFromAVeryLongLine)
{
    // A bound whose texts fill most of the line still comes out whole.
    std::string x(400000, '1');
    std::string out = filtered({}, "P \"a\" [] [" + x + " 1 0 1 0 1]\n");
    EXPECT_EQ(out.size(), std::string("Procedural\n").size() + box.size() + 4 * (x.size() - 1) + 1);
}

} // namespace
