// SPDX-License-Identifier: MIT
#include "tokenize.h"

#include "casename.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct tokencase {
    const char *name;
    std::string text;
    std::vector<std::string> tokens;
};

// Test listings show the case, not its bytes.
void PrintTo(const tokencase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<std::string> split(std::string text, int limit = 256)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    std::vector<char *> slots(256 + 1, nullptr);
    int count = tokenize(buffer.data(), limit, slots.data());
    EXPECT_EQ(slots[static_cast<std::size_t>(count)], nullptr) << "slot past the count was written";
    return std::vector<std::string>(slots.begin(), slots.begin() + count);
}

const tokencase cases[] = {
    {"empty", "", {}},
    {"blanks only", " \t\r\n\x01 ", {}},
    {"request",
     "Procedural \"DynamicLoad\" [\"a.so\" \"x\"] [-1 1 -2 2 0 3]\n",
     {"Procedural", "DynamicLoad", "\"a.so\" \"x\"", "-1 1 -2 2 0 3"}},
    {"bound keeps inner blanks", "[ 1 2 3 4 5 6 ]", {" 1 2 3 4 5 6 "}},
    {"empty brackets", "[]", {""}},
    {"no blank after closers", "\"a\"b[c]d", {"a", "b[c]d"}},
    {"closer then opener", "[a][b]\"c\"\"d\"", {"a", "b", "c", "d"}},
    {"openers inside a word are ordinary", "a[b\"c d", {"a[b\"c", "d"}},
    {"brackets do not nest, quotes ordinary inside", "[a [b\" c] d]", {"a [b\" c", "d]"}},
    {"no escape inside quotes", "\"a\\\" b\"", {"a\\", "b\""}},
    {"unterminated bracket runs to the end", "x [1 2\n", {"x", "1 2\n"}},
    {"unterminated quote runs to the end", "x \"1 ] 2\n", {"x", "1 ] 2\n"}},
    {"line feed ends a word", "word\n", {"word"}},
    {"high byte after a word",
     "ab\xE9"
     "cd",
     {"ab", "cd"}},
    {"high byte at a token start", "\xE9", {""}},
    {"word, two high bytes, word", "a\xC3\xA9z", {"a", "", "z"}},
    {"blank before two high bytes", "a \xC3\xA9z", {"a", "", "", "z"}},
    {"high byte between blanks", " \xFF ", {""}},
    {"high byte ends a bracket", "[1 \xE9 2]", {"1 ", "2]"}},
    {"after a bracket ends on a high byte, openers open again", "[1\xE9\"2 ]\" [3]", {"1", "2 ]", "3"}},
    {"high bytes are ordinary inside quotes", "\"caf\xC3\xA9 x\"", {"caf\xC3\xA9 x"}},
    {"high byte after a closer",
     "[a]\xFF"
     "b",
     {"a", "", "b"}},
};

class tokenizetable : public testing::TestWithParam<tokencase> {};

TEST_P(tokenizetable, givestokens)
{
    EXPECT_EQ(split(GetParam().text), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(shapes, tokenizetable, testing::ValuesIn(cases), casename());

TEST(tokenize, stopsAtTheLimitLeavingTheRestUntouched)
{
    std::string text;
    for (int i = 0; i < 300; i++)
        text += "w" + std::to_string(i) + " ";
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    std::vector<char> before = buffer;
    std::vector<char *> slots(256);
    ASSERT_EQ(tokenize(buffer.data(), 256, slots.data()), 256);
    EXPECT_STREQ(slots[255], "w255");

    // Only the blank that ended the 256th word became a zero byte.
    std::size_t cut = static_cast<std::size_t>(slots[255] - buffer.data()) + 4;
    EXPECT_EQ(buffer[cut], '\0');
    EXPECT_TRUE(std::equal(buffer.begin() + static_cast<long>(cut) + 1, buffer.end(),
                           before.begin() + static_cast<long>(cut) + 1));
}

TEST(tokenize, limitBelowOneStillYieldsTheFirstToken)
{
    EXPECT_EQ(split("a b c", 0), std::vector<std::string>{"a"});
    EXPECT_EQ(split("a b c", -5), std::vector<std::string>{"a"});
    EXPECT_EQ(split("a b c", 2), (std::vector<std::string>{"a", "b"}));
}

TEST(tokenize, secondPassOverTheBoundFindsSixValues)
{
    char line[] = "Procedural \"RunProgram\" [\"prog\" \"\"] [ -1 1 -2 2 0 3 ]\n";
    char *slots[256];
    ASSERT_EQ(tokenize(line, 256, slots), 4);
    ASSERT_EQ(tokenize(slots[3], 256, slots), 6);
    EXPECT_STREQ(slots[0], "-1");
    EXPECT_STREQ(slots[5], "3");
}

} // namespace
