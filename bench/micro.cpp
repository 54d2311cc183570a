// SPDX-License-Identifier: MIT
// Micro-benchmarks of the per-request work: splitting a typical request,
// finding its bound, and writing its box.
#include "boxwriter.h"
#include "filter.h"
#include "settings.h"
#include "tokenize.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

const char request[] = "Procedural \"DelayedReadArchive\" [\"models/tree000042.rib\"] [-1.25 3.5 0 12.75 -0.5 8]\n";

char line[sizeof request];
char *slots[tokenlimit];

// tokenize cuts the line up in place, so every iteration starts from a fresh
// copy; the copy of 88 bytes is part of what is measured.
void BM_tokenize(benchmark::State &state)
{
    for (auto _ : state) {
        std::memcpy(line, request, sizeof request);
        benchmark::DoNotOptimize(tokenize(line, tokenlimit, slots));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(sizeof request - 1));
}
BENCHMARK(BM_tokenize);

// The two calls of the request loop: the line, then its fourth token.
void BM_findbound(benchmark::State &state)
{
    for (auto _ : state) {
        std::memcpy(line, request, sizeof request);
        int count = tokenize(line, tokenlimit, slots);
        if (count >= 4)
            count = tokenize(slots[3], tokenlimit, slots);
        benchmark::DoNotOptimize(count);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(sizeof request - 1));
}
BENCHMARK(BM_findbound);

const char *const bound[6] = {"-1.25", "3.5", "0", "12.75", "-0.5", "8"};

const char *const defaultwords[] = {"procbox"};
// clang-format off
const char *const allwords[] = {
    "procbox",
    "linewidth", "0.01", "linecolor", "1", "0", "0",
    "cornerwidth", "0.05", "cornercolor", "0.5", "0.5", "0.5",
    "boxalpha", "0.25", "boxcolor", "0", "0", "1"};
// clang-format on

// Into a stream on /dev/null with procbox's own buffer size, so that the
// stream's flushes cost what they cost procbox when its buffer fills.
void writeboxes(benchmark::State &state, const char *const *words, int count)
{
    boxsettings settings;
    parseoptions(count, words, &settings);
    static boxtext box;
    preparebox(settings, &box);
    std::FILE *out = std::fopen("/dev/null", "w");
    static char buffer[1 << 16];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    long before = std::ftell(out);
    writebox(box, bound, out);
    long size = std::ftell(out) - before;
    for (auto _ : state)
        writebox(box, bound, out);
    std::fclose(out);
    state.SetBytesProcessed(static_cast<long>(state.iterations()) * size);
}

void BM_writebox_defaults(benchmark::State &state)
{
    writeboxes(state, defaultwords, static_cast<int>(std::size(defaultwords)));
}
BENCHMARK(BM_writebox_defaults);

void BM_writebox_allelements(benchmark::State &state)
{
    writeboxes(state, allwords, static_cast<int>(std::size(allwords)));
}
BENCHMARK(BM_writebox_allelements);

} // namespace

BENCHMARK_MAIN();
