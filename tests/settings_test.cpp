// SPDX-License-Identifier: MIT
#include "settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

const double inf = std::numeric_limits<double>::infinity();

struct numbercase {
    const char *word;
    double value;
};

// Test listings show the word, not the bytes of the case.
void PrintTo(const numbercase &c, std::ostream *os)
{
    *os << '"' << c.word << '"';
}

const numbercase numbers[] = {
    {"1", 1},
    {"0.25", 0.25},
    {".5", 0.5},
    {"5.", 5},
    {"+2", 2},
    {"-1", -1},
    {" \t\n\v\f\r3", 3},
    {"2e", 2},
    {"2e+", 2},
    {"2d-2", 0.02},
    {"2D2", 200},
    {"1E3x", 1000},
    {"1,5", 1},
    {"0x10", 0},
    {"inf", 0},
    {"-infinity", 0},
    {"nan", 0},
    {"x", 0},
    {"", 0},
    {".", 0},
    {"-", 0},
    {"e5", 0},
    {"1e400", inf},
    {"-1e400", -inf},
    {"1d99999999999999999999", inf},
    {"1e-400", 0},
    {"0.1", 0.1},
    // Needs every digit to round correctly: just above the halfway point
    // between 1 and the next double.
    {"1.00000000000000011102230246251565404236316680908203125000001", 1.0000000000000002},
};

class numbertable : public testing::TestWithParam<numbercase> {};

TEST_P(numbertable, converts)
{
    double got = numberword(GetParam().word);
    EXPECT_EQ(got, GetParam().value) << "word: " << GetParam().word;
    EXPECT_EQ(std::signbit(got), std::signbit(GetParam().value)) << "word: " << GetParam().word;
}

INSTANTIATE_TEST_SUITE_P(words, numbertable, testing::ValuesIn(numbers));

TEST(numberword, longMantissaWithLargeExponent)
{
    // 1e-300 written out in full, then scaled back up.
    std::string word = "0." + std::string(299, '0') + "1e400";
    EXPECT_EQ(numberword(word.c_str()), 1e100);
}

TEST(numberword, underflowKeepsTheSign)
{
    EXPECT_TRUE(std::signbit(numberword("-1e-400")));
    EXPECT_EQ(numberword("-1e-400"), 0.0);
}

struct integercase {
    const char *word;
    std::int32_t value;
};

void PrintTo(const integercase &c, std::ostream *os)
{
    *os << '"' << c.word << '"';
}

const integercase integers[] = {
    {"0", 0},
    {"1", 1},
    {"-7", -7},
    {"+12x", 12},
    {"  42", 42},
    {"yes", 0},
    {"0x1", 0},
    {"", 0},
    {"2147483647", 2147483647},
    {"2147483648", 2147483647},
    {"4294967296", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"-99999999999999999999999999", -2147483647 - 1},
    {"000000000000000000000000001", 1},
};

class integertable : public testing::TestWithParam<integercase> {};

TEST_P(integertable, converts)
{
    EXPECT_EQ(integerword(GetParam().word), GetParam().value) << "word: " << GetParam().word;
}

INSTANTIATE_TEST_SUITE_P(words, integertable, testing::ValuesIn(integers));

// Runs the parser over the words (the program name is added) and returns
// what it wrote on standard error.
std::string parse(std::vector<const char *> words, boxsettings *settings)
{
    words.insert(words.begin(), "procbox");
    testing::internal::CaptureStderr();
    parseoptions(static_cast<int>(words.size()), words.data(), settings);
    return testing::internal::GetCapturedStderr();
}

TEST(parseoptions, defaultsWithoutWords)
{
    boxsettings s;
    std::memset(&s, 0x5A, sizeof s);
    EXPECT_EQ(parse({}, &s), "");
    EXPECT_EQ(s.boxalpha, 1);
    EXPECT_EQ(s.boxcolor[0], -1);
    EXPECT_EQ(s.linewidth, 0);
    EXPECT_EQ(s.linealpha, 1);
    EXPECT_EQ(s.linecolor[2], -1);
    EXPECT_STREQ(s.linetype, "polyline");
    EXPECT_EQ(s.cornerwidth, 0);
    EXPECT_EQ(s.corneralpha, 1);
    EXPECT_EQ(s.cornercolor[1], -1);
    EXPECT_STREQ(s.surface, "defaultsurface");
    EXPECT_EQ(s.replace, 1);
}

TEST(parseoptions, everyKeywordSetsItsField)
{
    boxsettings s;
    EXPECT_EQ(parse({"boxalpha", "0.5",       "boxcolor",    "1",         "2",           "3",       "linewidth",
                     "0.02",     "linealpha", "0.3",         "linecolor", "4",           "5",       "6",
                     "linetype", "cubic",     "cornerwidth", "0.1",       "corneralpha", "0.7",     "cornercolor",
                     "7",        "8",         "9",           "surface",   "plastic",     "replace", "0"},
                    &s),
              "");
    EXPECT_EQ(s.boxalpha, 0.5);
    EXPECT_EQ(s.boxcolor[0], 1);
    EXPECT_EQ(s.boxcolor[2], 3);
    EXPECT_EQ(s.linewidth, 0.02);
    EXPECT_EQ(s.linealpha, 0.3);
    EXPECT_EQ(s.linecolor[1], 5);
    EXPECT_STREQ(s.linetype, "cubic");
    EXPECT_EQ(s.cornerwidth, 0.1);
    EXPECT_EQ(s.corneralpha, 0.7);
    EXPECT_EQ(s.cornercolor[2], 9);
    EXPECT_STREQ(s.surface, "plastic");
    EXPECT_EQ(s.replace, 0);
}

TEST(parseoptions, lastOccurrenceWins)
{
    boxsettings s;
    parse({"linecolor", "1", "2", "3", "boxalpha", "2", "linecolor", "4", "5", "6", "boxalpha", "x"}, &s);
    EXPECT_EQ(s.linecolor[0], 4);
    EXPECT_EQ(s.linecolor[1], 5);
    EXPECT_EQ(s.linecolor[2], 6);
    EXPECT_EQ(s.boxalpha, 0);
}

struct badwordscase {
    std::vector<const char *> words;
    const char *errors;
};

void PrintTo(const badwordscase &c, std::ostream *os)
{
    for (const char *w : c.words)
        *os << '"' << w << "\" ";
}

const badwordscase badwords[] = {
    {{"boxcolor", "1", "0"}, "Unknown option: boxcolor\nUnknown option: 1\nUnknown option: 0\n"},
    {{"-boxalpha", "0.5"}, "Unknown option: -boxalpha\nUnknown option: 0.5\n"},
    {{"replace"}, "Unknown option: replace\n"},
    {{"surface", "boxalpha", "0.5"}, "Unknown option: 0.5\n"},
    {{"BoxAlpha", "1"}, "Unknown option: BoxAlpha\nUnknown option: 1\n"},
    {{""}, "Unknown option: \n"},
    {{"linewidth", "linewidth", "linewidth"}, "Unknown option: linewidth\n"},
};

class badwordstable : public testing::TestWithParam<badwordscase> {};

TEST_P(badwordstable, reportsEachBadWord)
{
    boxsettings s;
    EXPECT_EQ(parse(GetParam().words, &s), GetParam().errors);
}

INSTANTIATE_TEST_SUITE_P(words, badwordstable, testing::ValuesIn(badwords));

TEST(parseoptions, keywordsAndDashesAreTakenAsValues)
{
    boxsettings s;
    EXPECT_EQ(parse({"surface", "boxalpha", "linetype", "-x", "boxcolor", "", "replace", "2"}, &s), "");
    EXPECT_STREQ(s.surface, "boxalpha");
    EXPECT_STREQ(s.linetype, "-x");
    EXPECT_EQ(s.boxcolor[0], 0);
    EXPECT_EQ(s.boxcolor[1], 0);
    EXPECT_EQ(s.boxcolor[2], 2);
    EXPECT_EQ(s.replace, 1);
    EXPECT_EQ(s.boxalpha, 1);
}

TEST(parseoptions, missingColourValuesLeaveTheDefault)
{
    boxsettings s;
    parse({"boxcolor", "1", "0"}, &s);
    EXPECT_EQ(s.boxcolor[0], -1);
}

TEST(parseoptions, namesAreCutTo99Bytes)
{
    std::string longname(150, 's');
    std::string exact(99, 'e');
    boxsettings s;
    parse({"surface", longname.c_str(), "linetype", exact.c_str()}, &s);
    EXPECT_EQ(std::string(s.surface), std::string(99, 's'));
    EXPECT_EQ(std::string(s.linetype), exact);
}

} // namespace
