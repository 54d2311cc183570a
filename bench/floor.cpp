// SPDX-License-Identifier: MIT
// The floor responder: what any program that speaks procbox's protocol must
// at least do. It reads each line exactly as procbox does (the same
// 1,000,000-byte buffer, the same fgets, the same stdio buffers) and writes a
// reply of the size procbox's would have, then 0xFF and a flush. It does none
// of procbox's own work: no search for "options", no tokenizing, no box.
//
// The reply size is base + perbyte * (length of the line), with base and
// perbyte given on the command line. In each benchmark stream everything but
// the bound is fixed in length and the box repeats every bound text the same
// number of times, so procbox's reply size is exactly such a line; run.py
// fits the two numbers on procbox's own replies and checks that both
// programs write the same number of bytes over the whole stream.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char line[1000000];
// Reply bytes are taken from here; only as much of it is filled (and so
// made resident) as the largest reply needs.
char filler[1 << 16];
std::size_t filled;

void reply(std::size_t size)
{
    while (size > 0) {
        std::size_t n = size < sizeof filler ? size : sizeof filler;
        if (n > filled) {
            std::memset(filler + filled, 'x', n - filled);
            filled = n;
        }
        std::fwrite(filler, 1, n, stdout);
        size -= n;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s base perbyte\n", argv[0]);
        return 2;
    }
    long base = std::strtol(argv[1], nullptr, 10);
    long perbyte = std::strtol(argv[2], nullptr, 10);

    std::signal(SIGPIPE, SIG_IGN);
    static char inbuffer[1 << 16];
    static char outbuffer[1 << 16];
    std::setvbuf(stdin, inbuffer, _IOFBF, sizeof inbuffer);
    std::setvbuf(stdout, outbuffer, _IOFBF, sizeof outbuffer);

    std::fputs("Procedural\n", stdout);
    std::fflush(stdout);
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        long size = base + perbyte * static_cast<long>(std::strlen(line));
        reply(size > 0 ? static_cast<std::size_t>(size) : 0);
        std::putc(0xFF, stdout);
        std::fflush(stdout);
    }
    return 0;
}
