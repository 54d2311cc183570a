// SPDX-License-Identifier: MIT
#include "boxwriter.h"
#include "casename.h"
#include "golden.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

boxsettings withwords(std::vector<const char *> words)
{
    words.insert(words.begin(), "procbox");
    boxsettings s;
    parseoptions(static_cast<int>(words.size()), words.data(), &s);
    return s;
}

std::string drawn(const boxsettings &settings, std::vector<const char *> bound)
{
    static boxtext box;
    preparebox(settings, &box);
    char *text = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&text, &size);
    writebox(box, bound.data(), out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

const std::vector<const char *> unitbound = {"0", "1", "0", "1", "0", "1"};

TEST(writebox, workedExample)
{
    std::vector<const char *> words(std::begin(workedwords), std::end(workedwords));
    EXPECT_EQ(drawn(withwords(words), {"-1", "1", "-2", "2", "0", "3"}), workedbox);
}

TEST(writebox, defaultsDrawFacesOnly)
{
    EXPECT_EQ(drawn(withwords({}), unitbound), defaultbox);
}

struct offcase {
    const char *name;
    std::vector<const char *> words;
    bool edges, corners, faces;
};

// Test listings show the case, not its bytes.
void PrintTo(const offcase &c, std::ostream *os)
{
    *os << c.name;
}

const offcase offcases[] = {
    {"nothing", {"boxalpha", "0"}, false, false, false},
    {"edges without opacity", {"boxalpha", "0", "linewidth", "1", "linealpha", "0"}, false, false, false},
    {"corners without opacity", {"cornerwidth", "1", "corneralpha", "-1"}, false, false, true},
    {"negative width", {"linewidth", "-1", "cornerwidth", "-0.5"}, false, false, true},
    {"edges only", {"boxalpha", "0", "linewidth", "2d-2"}, true, false, false},
    {"corners only", {"boxalpha", "-3", "cornerwidth", "1"}, false, true, false},
    {"hexadecimal width is zero", {"linewidth", "0x10"}, false, false, true},
    {"all", {"linewidth", "1", "cornerwidth", "1"}, true, true, true},
};

class elementtable : public testing::TestWithParam<offcase> {};

TEST_P(elementtable, drawsOnlyTheElementsSwitchedOn)
{
    std::string text = drawn(withwords(GetParam().words), unitbound);
    EXPECT_EQ(text.find("Curves") != std::string::npos, GetParam().edges) << text;
    EXPECT_EQ(text.find("Points \"constantwidth\"") != std::string::npos, GetParam().corners) << text;
    EXPECT_EQ(text.find("PointsPolygons") != std::string::npos, GetParam().faces) << text;
    // Every block opened is closed, and nothing but the blocks drawn is opened.
    std::size_t blocks = 0;
    for (std::size_t at = 0; (at = text.find("AttributeBegin\n", at)) != std::string::npos; at++)
        blocks++;
    EXPECT_EQ(blocks, 1u + GetParam().edges + GetParam().corners + GetParam().faces);
}

INSTANTIATE_TEST_SUITE_P(settings, elementtable, testing::ValuesIn(offcases), casename());

TEST(writebox, nothingOnLeavesTheOuterBlockAlone)
{
    EXPECT_EQ(drawn(withwords({"boxalpha", "0"}), unitbound),
              "AttributeBegin\nSurface \"defaultsurface\"\nAttributeEnd\n");
}

TEST(writebox, colourLineOnlyWhenRedIsNotNegative)
{
    std::string zero = drawn(withwords({"boxcolor", "x", "y", "z"}), unitbound);
    EXPECT_NE(zero.find("AttributeBegin\nColor 0 0 0\nOpacity 1 1 1\n"), std::string::npos) << zero;
    std::string negative = drawn(withwords({"boxcolor", "-1", "1", "1"}), unitbound);
    EXPECT_EQ(negative.find("Color"), std::string::npos) << negative;
    std::string corner = drawn(withwords({"cornerwidth", "1", "cornercolor", "0.5", "-1", "2"}), unitbound);
    EXPECT_NE(corner.find("Color 0.5 -1 2\nOpacity 1 1 1\nAttribute \"point\""), std::string::npos) << corner;
}

TEST(writebox, numbersAreWrittenAsPrintfGeneralFormat)
{
    std::string text = drawn(withwords({"boxalpha", "2", "linewidth", "1234567", "linealpha", "0.00001", "cornerwidth",
                                        "1e400", "linecolor", "0.1234567", "100000", "1e-5"}),
                             unitbound);
    EXPECT_NE(text.find("Opacity 2 2 2\n"), std::string::npos);
    EXPECT_NE(text.find("[1.23457e+06]\n"), std::string::npos);
    EXPECT_NE(text.find("Opacity 1e-05 1e-05 1e-05\n"), std::string::npos);
    EXPECT_NE(text.find("Color 0.123457 100000 1e-05\n"), std::string::npos);
    EXPECT_NE(text.find("Points \"constantwidth\" [inf]\n"), std::string::npos);
}

TEST(writebox, boundTextsAndNamesAreCopiedUnchanged)
{
    std::string text =
        drawn(withwords({"surface", "my \"odd\" shader", "boxalpha", "0"}), {"1e3", ".5", "b", "a", "-0", "x"});
    EXPECT_NE(text.find("Surface \"my \"odd\" shader\"\n"), std::string::npos) << text;

    text = drawn(withwords({}), {"1e3", ".5", "b", "a", "-0", "x"});
    EXPECT_NE(text.find("\"P\" [1e3 b -0  .5 b -0  1e3 a -0  .5 a -0 1e3 b x  .5 b x  1e3 a x  .5 a x]\n"),
              std::string::npos)
        << text;
}

TEST(writebox, emptyBoundTextsLeaveTheirBlanks)
{
    std::string text = drawn(withwords({}), {"", "", "", "", "", ""});
    // Eight empty points: two blanks inside each, two between them, one
    // where the two writes meet.
    EXPECT_NE(text.find("\"P\" [" + std::string(29, ' ') + "]\n"), std::string::npos) << text;
}

TEST(writebox, boundTextsLargerThanAnyBufferPassThrough)
{
    std::string huge(200000, '7');
    std::string text =
        drawn(withwords({"linewidth", "1", "cornerwidth", "1"}), {huge.c_str(), "1", "2", "3", "4", "5"});
    // xmin stands in 12 of the 24 edge points, 4 corners and 4 face points.
    EXPECT_EQ(text.size(),
              drawn(withwords({"linewidth", "1", "cornerwidth", "1"}), {"", "1", "2", "3", "4", "5"}).size() +
                  20 * huge.size());
    EXPECT_NE(text.find(" \"P\" [" + huge + " 2 4  1 2 4  " + huge + " 3 4"), std::string::npos);
}

} // namespace

TEST(writebox, boundTextsOfAnyLengthLandInTheirPlaces)
{
    // Drawn once with one-byte markers for the six texts, then with real
    // texts: the second must be the first with each marker replaced. The
    // lengths straddle the sizes the writer moves in one block, and the
    // odd fields are one byte longer than the even ones.
    std::string shader(99, 's');
    boxsettings all =
        withwords({"linewidth", "1", "cornerwidth", "1", "linecolor", "1", "0", "0", "surface", shader.c_str()});
    std::string marked = drawn(all, {"\x01", "\x02", "\x03", "\x04", "\x05", "\x06"});
    const std::size_t lengths[] = {0, 1, 15, 16, 17, 31, 63, 64, 65, 1000};
    for (std::size_t length : lengths) {
        std::string texts[6];
        std::vector<const char *> bound;
        for (std::size_t k = 0; k < 6; k++) {
            texts[k] = std::string(length + k % 2, static_cast<char>('a' + k));
            bound.push_back(texts[k].c_str());
        }
        std::string want;
        for (char c : marked)
            want += c >= 1 && c <= 6 ? texts[c - 1] : std::string(1, c);
        EXPECT_EQ(drawn(all, bound), want) << "texts of " << length << " and " << length + 1 << " bytes";
    }
}
