// SPDX-License-Identifier: MIT
// Round-trip latency as a host that waits sees it: send one request, read
// until its reply's 0xFF byte, send the next. Two responders run side by
// side and take turns request by request (in swapped order every other
// round), so that both meet the same load on a shared machine.
//
// usage: procbox_pingpong REQUESTS ROUNDS -- PROGRAM [WORD...] -- PROGRAM [WORD...]
// Prints, for each program, the median and the 99th percentile in
// microseconds. The requests are the lines of the file REQUESTS, in turn.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct responder {
    std::vector<char *> words;
    pid_t pid = -1;
    int in = -1;  // the responder's standard input
    int out = -1; // its standard output
    std::vector<double> trips;
};

char replybuffer[1 << 16];

bool start(responder &r)
{
    // Close-on-exec, so that a responder started later holds no end of an
    // earlier one's pipes and each sees the end of its input when we close.
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        return false;
    r.pid = fork();
    if (r.pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (int fd : {in[0], in[1], out[0], out[1]})
            close(fd);
        std::vector<char *> argv = r.words;
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    r.in = in[1];
    r.out = out[0];
    return r.pid > 0;
}

// Reads until the byte that ends the reply (or the greeting's line feed).
bool readuntil(int fd, unsigned char last)
{
    for (;;) {
        ssize_t n = read(fd, replybuffer, sizeof replybuffer);
        if (n <= 0)
            return false;
        if (static_cast<unsigned char>(replybuffer[n - 1]) == last)
            return true;
    }
}

bool writeall(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

bool trip(responder &r, const std::string &request, bool keep)
{
    double t0 = now();
    if (!writeall(r.in, request) || !readuntil(r.out, 0xFF))
        return false;
    if (keep)
        r.trips.push_back(now() - t0);
    return true;
}

double percentile(std::vector<double> &v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<responder> responders;
    for (int i = 3; i < argc; i++) {
        if (std::strcmp(argv[i], "--") == 0)
            responders.emplace_back();
        else if (!responders.empty())
            responders.back().words.push_back(argv[i]);
    }
    if (argc < 3 || responders.size() != 2 || responders[0].words.empty() || responders[1].words.empty()) {
        std::fprintf(stderr, "usage: %s REQUESTS ROUNDS -- PROGRAM [WORD...] -- PROGRAM [WORD...]\n", argv[0]);
        return 2;
    }
    std::vector<std::string> requests;
    std::ifstream file(argv[1]);
    for (std::string line; std::getline(file, line);)
        requests.push_back(line + "\n");
    long rounds = std::atol(argv[2]);
    if (requests.empty() || rounds < 1) {
        std::fprintf(stderr, "no requests or no rounds\n");
        return 2;
    }

    signal(SIGPIPE, SIG_IGN);
    // All three processes on one core: on a shared machine a responder that
    // lands on a core busy with other work waits out time slices there, and
    // which responder that is would decide the comparison.
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    CPU_SET(sched_getcpu(), &cpus);
    sched_setaffinity(0, sizeof cpus, &cpus);
    for (responder &r : responders)
        if (!start(r) || !readuntil(r.out, '\n'))
            return 1;
    // The first rounds only warm the caches and the scheduler up.
    long warmup = std::min(rounds / 10 + 1, 1000L);
    for (long i = 0; i < warmup + rounds; i++) {
        const std::string &request = requests[static_cast<std::size_t>(i) % requests.size()];
        for (int k = 0; k < 2; k++)
            if (!trip(responders[static_cast<std::size_t>((i + k) % 2)], request, i >= warmup))
                return 1;
    }
    for (responder &r : responders) {
        close(r.in);
        close(r.out);
        waitpid(r.pid, nullptr, 0);
    }
    for (responder &r : responders) {
        const char *name = std::strrchr(r.words[0], '/');
        std::printf("%s median %.2f p99 %.2f\n", name ? name + 1 : r.words[0], percentile(r.trips, 0.5),
                    percentile(r.trips, 0.99));
    }
    return 0;
}
