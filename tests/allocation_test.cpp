// SPDX-License-Identifier: MIT
// Counts the heap allocations made while the request loop runs. This binary
// replaces the C library's allocator entry points with counting ones, which
// catches operator new, stdio and everything else that reaches malloc.
#include "filter.h"
#include "settings.h"

#include "casename.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

// A sanitizer brings its own allocator: counting beside it would mix two heaps.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PROCBOX_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define PROCBOX_SANITIZED 1
#endif
#endif

#if defined(__GLIBC__) && !defined(PROCBOX_SANITIZED)
#define PROCBOX_COUNTS_ALLOCATIONS 1

namespace {
bool counting;
long allocations;
} // namespace

// glibc lets a program replace these four and keeps its own under the
// __libc_ names, so the counting versions only add to a tally and forward.
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *block, std::size_t size);
void __libc_free(void *block);

void *malloc(std::size_t size)
{
    allocations += counting;
    return __libc_malloc(size);
}

void *calloc(std::size_t count, std::size_t size)
{
    allocations += counting;
    return __libc_calloc(count, size);
}

void *realloc(void *block, std::size_t size)
{
    allocations += counting;
    return __libc_realloc(block, size);
}

void free(void *block)
{
    __libc_free(block);
}
}
#endif

namespace {

struct streamcase {
    const char *name;
    std::vector<const char *> words;
    // The i-th line of the input.
    std::string (*line)(int i);
    int few;
    int many;
};

void PrintTo(const streamcase &c, std::ostream *os)
{
    *os << c.name;
}

// Every kind of line the loop tells apart, with bounds that differ from
// line to line.
std::string mixedline(int i)
{
    std::string n = std::to_string(i);
    switch (i % 5) {
    case 0:
        return "Procedural \"DelayedReadArchive\" [\"tree" + n + ".rib\"] [-" + n + " " + n + " -" + n + ".5 " + n +
               ".5 0 " + n + "e2]\n";
    case 1:
        return "Procedural \"RunProgram\" [\"gen\" \"options\"] [0 1 0 1 0 " + n + "]\n";
    case 2:
        return "Procedural \"a\" [] [0 1 0 1 " + n + "]\n";
    case 3:
        return "\n";
    default:
        return "Procedural \"a\" [] \"0 1 0 1 0 " + n + std::string("\"\0tail\n", 7);
    }
}

// Bound texts so long that one box outgrows every buffer on its way out.
std::string longboundline(int i)
{
    return "Procedural \"a\" [] [" + std::string(10000, static_cast<char>('1' + i % 9)) + " 1 0 1 0 1]\n";
}

// clang-format off
const char *const allelements[] = {
    "replace", "0",
    "linewidth", "0.01", "linecolor", "1", "0", "0",
    "cornerwidth", "0.05", "cornercolor", "0.5", "0.5", "0.5",
    "boxalpha", "0.25", "boxcolor", "0", "0", "1"};
// clang-format on

const streamcase cases[] = {
    {"defaults", {}, mixedline, 10, 10000},
    {"all elements echoed", {std::begin(allelements), std::end(allelements)}, mixedline, 10, 10000},
    {"long bounds", {std::begin(allelements), std::end(allelements)}, longboundline, 10, 1000},
};

// Heap allocations made by one run of the loop over count lines; the input
// is a temporary file and the output goes to /dev/null, so the streams'
// own buffers are the only allocations the stdio side may make.
long allocationsfor(const streamcase &c, int count)
{
    std::vector<const char *> words = c.words;
    words.insert(words.begin(), "procbox");
    boxsettings settings;
    parseoptions(static_cast<int>(words.size()), words.data(), &settings);

    std::FILE *in = std::tmpfile();
    for (int i = 0; i < count; i++) {
        std::string line = c.line(i);
        std::fwrite(line.data(), 1, line.size(), in);
    }
    std::rewind(in);
    std::FILE *out = std::fopen("/dev/null", "w");

#ifdef PROCBOX_COUNTS_ALLOCATIONS
    allocations = 0;
    counting = true;
#endif
    runfilter(settings, in, out);
#ifdef PROCBOX_COUNTS_ALLOCATIONS
    counting = false;
#endif
    std::fclose(in);
    std::fclose(out);
#ifdef PROCBOX_COUNTS_ALLOCATIONS
    return allocations;
#else
    return -1;
#endif
}

class allocationtable : public testing::TestWithParam<streamcase> {};

TEST_P(allocationtable, doNotGrowWithTheNumberOfRequests)
{
#ifndef PROCBOX_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "allocations are counted only with glibc's allocator";
#endif
    const streamcase &c = GetParam();
    long few = allocationsfor(c, c.few);
    long many = allocationsfor(c, c.many);
    // The streams' buffers are allocated on their first use: a count of 0
    // would mean the counting itself is broken.
    EXPECT_GT(few, 0);
    EXPECT_EQ(few, many) << c.few << " lines: " << few << " allocations, " << c.many << " lines: " << many;
}

INSTANTIATE_TEST_SUITE_P(streams, allocationtable, testing::ValuesIn(cases), casename());

} // namespace
