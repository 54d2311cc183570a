// SPDX-License-Identifier: MIT
// Runs the procbox binary through pipes, as a host does.
//
// PROCBOX_COMMAND, when set, is the command that runs procbox, split on
// blanks (for example "wine procbox.exe"); PROCBOX_TEXTMODE=windows then
// expects the bytes that the Windows C library's text mode makes of the
// same exchange.
#include "casename.h"
#include "golden.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool windowstext()
{
    const char *mode = std::getenv("PROCBOX_TEXTMODE");
    return mode != nullptr && std::string(mode) == "windows";
}

// Every line feed of text as it leaves a stream in CR LF text mode.
std::string crlf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// What procbox's plain line feeds become on the way out.
std::string text(const std::string &bytes)
{
    return windowstext() ? crlf(bytes) : bytes;
}

std::vector<std::string> command()
{
    const char *words = std::getenv("PROCBOX_COMMAND");
    if (words == nullptr || *words == '\0')
        return {PROCBOX_PATH};
    std::vector<std::string> split;
    std::istringstream in(words);
    for (std::string word; in >> word;)
        split.push_back(word);
    return split;
}

struct child {
    pid_t pid = -1;
    int in = -1;  // procbox's standard input
    int out = -1; // its standard output
    int err = -1; // its standard error
};

child start(std::vector<std::string> words)
{
    std::vector<std::string> all = command();
    all.insert(all.end(), words.begin(), words.end());
    std::vector<char *> argv;
    for (std::string &w : all)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The tests write while procbox may be blocked writing to us: never
    // let our own writes hang.
    signal(SIGPIPE, SIG_IGN);
    return {pid, in[1], out[0], err[0]};
}

// Exit status 0 to 255, or -signal when killed: a crash is never a mismatch.
int finish(child &c)
{
    for (int fd : {c.in, c.out, c.err})
        if (fd >= 0)
            close(fd);
    int status = 0;
    waitpid(c.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

struct result {
    std::string out, err;
    int status;
};

// Writes all of input while handing procbox's output to take and keeping
// its standard error in err, so neither side can block the other, then
// waits for the exit.
template <typename sink> int pump(child &c, const std::string &input, sink take, std::string *err)
{
    std::size_t written = 0;
    if (input.empty()) {
        close(c.in);
        c.in = -1;
    }
    while (c.out >= 0 || c.err >= 0) {
        pollfd fds[3] = {{c.out, POLLIN, 0}, {c.err, POLLIN, 0}, {c.in, POLLOUT, 0}};
        if (poll(fds, 3, 20000) <= 0)
            break;
        char buffer[65536];
        for (int k = 0; k < 2; k++) {
            int &fd = k == 0 ? c.out : c.err;
            if (fd < 0 || fds[k].revents == 0)
                continue;
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fd);
                fd = -1;
            } else if (k == 0) {
                take(buffer, static_cast<std::size_t>(n));
            } else {
                err->append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (c.in >= 0 && fds[2].revents != 0) {
            ssize_t n = write(c.in, input.data() + written, std::min<std::size_t>(input.size() - written, 65536));
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) {
                close(c.in);
                c.in = -1;
            }
        }
    }
    return finish(c);
}

result run(std::vector<std::string> words, const std::string &input)
{
    child c = start(std::move(words));
    result r{"", "", 0};
    r.status = pump(
        c, input, [&r](const char *bytes, std::size_t n) { r.out.append(bytes, n); }, &r.err);
    return r;
}

// Reads one reply: in strict ping-pong nothing can follow its 0xFF, so the
// reply is complete when the bytes read so far end with it. Each wait is
// bounded, so that a reply left unflushed fails instead of hanging.
bool readreply(int fd, std::string *reply)
{
    reply->clear();
    while (reply->empty() || static_cast<unsigned char>(reply->back()) != 0xFF) {
        pollfd p = {fd, POLLIN, 0};
        char buffer[65536];
        if (poll(&p, 1, 10000) <= 0)
            return false;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        reply->append(buffer, static_cast<std::size_t>(n));
    }
    reply->pop_back();
    return true;
}

const std::string request = "Procedural \"DynamicLoad\" [\"grass.so\" \"density 4\"] [-1 1 -2 2 0 3]\n";
// A request for the unit box, and the box it gets with no keywords.
const std::string unit = "Procedural \"a\" [] [0 1 0 1 0 1]\n";
const std::string box = defaultbox;

TEST(procbox, drawsTheWorkedExample)
{
    std::vector<std::string> words(std::begin(workedwords), std::end(workedwords));
    result r = run(words, request);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, text(std::string("Procedural\n") + workedbox) + "\xFF");
}

TEST(procbox, reportsUnknownWordsAndKeepsGoing)
{
    result r = run({"boxalpha", "0", "-linewidth", "1", "boxcolor", "1", "0"}, "\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, text("Unknown option: -linewidth\nUnknown option: 1\nUnknown option: boxcolor\n"
                          "Unknown option: 1\nUnknown option: 0\n"));
    EXPECT_EQ(r.out, text("Procedural\n") + "\xFF\xFF");
}

TEST(procbox, inputClosedAtOnce)
{
    result r = run({}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, text("Procedural\n"));
}

TEST(procbox, longLinesThroughAPipe)
{
    std::string line(1500000, 'x');
    result r = run({"replace", "0"}, line + "\n" + unit);
    std::string want = text("Procedural\n") + line.substr(0, 999999) + "\xFF" + line.substr(999999) + text("\n") +
                       "\xFF" + text(unit + defaultbox) + "\xFF";
    EXPECT_EQ(r.status, 0);
    // Compared whole but reported briefly: the texts are megabytes long.
    EXPECT_TRUE(r.out == want) << "got " << r.out.size() << " bytes, want " << want.size();
}

TEST(procbox, answersEachRequestBeforeTheNextIsSent)
{
    child c = start({"linewidth", "0.01", "replace", "0"});
    // The greeting has no end byte of its own: it is the first reply's prefix.
    std::string reply;
    std::string line = request;
    ASSERT_EQ(write(c.in, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ASSERT_TRUE(readreply(c.out, &reply)) << "no first reply";
    EXPECT_EQ(reply.rfind(text("Procedural\n" + request), 0), 0u);
    for (int i = 1; i < 2000; i++) {
        line = i % 3 == 0 ? "\n" : request;
        ASSERT_EQ(write(c.in, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        ASSERT_TRUE(readreply(c.out, &reply)) << "no reply to request " << i;
        ASSERT_EQ(reply.rfind(text(line), 0), 0u) << "reply " << i << " is not for its request";
    }
    EXPECT_EQ(finish(c), 0);
}

// Bytes that a text mode may treat specially. Procbox itself reads and
// writes plain line feeds, so on Linux a carriage return is a blank that the
// echo keeps; in Windows text mode CR LF arrives as a line feed, which
// leaves as CR LF again: the same bytes either way.
TEST(procbox, textModeLineEnds)
{
    // The unit request without its line feed.
    const std::string bare = unit.substr(0, unit.size() - 1);
    const struct {
        const char *name;
        std::vector<std::string> words;
        std::string input, want;
    } cases[] = {
        {"a request ended by CR LF is one line", {}, bare + "\r\n\r\n", text(defaultbox) + "\xFF\xFF"},
        {"its echo ends in CR LF", {"replace", "0"}, bare + "\r\n", bare + "\r\n" + text(defaultbox) + "\xFF"},
        {"a line passed back ends in CR LF", {}, "options\r\n", "options\r\n\xFF"},
        {"a lone CR stays", {"replace", "0"}, "a\rb\n", "a\rb" + text("\n") + "\xFF"},
        {"0xFF is echoed unchanged", {"replace", "0"}, "a\xFF\xFF\n", "a\xFF\xFF" + text("\n") + "\xFF"},
    };
    for (const auto &c : cases) {
        result r = run(c.words, c.input);
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, text("Procedural\n") + c.want) << c.name;
    }
}

// In Windows text mode, as Wine's C library keeps it, a 0x1A byte read is
// the end of input: the line before it is answered as the last one and the
// rest is never read. Elsewhere it is a blank like any control byte.
TEST(procbox, controlZ)
{
    result r = run({"replace", "0"}, "a\x1A"
                                     "b\nafter\n");
    EXPECT_EQ(r.status, 0);
    if (windowstext())
        EXPECT_EQ(r.out, "Procedural\r\na\xFF");
    else
        EXPECT_EQ(r.out, "Procedural\na\x1A"
                         "b\n\xFF"
                         "after\n\xFF");
}

// Numbers are formatted alike on every platform: two exponent digits and
// inf, never the three digits and 1.#INF of some C libraries.
TEST(procbox, formatsNumbersAlikeEverywhere)
{
    result r = run({"boxalpha", "1e-5", "linewidth", "1234567", "cornerwidth", "1e400"}, "a b c [0 1 0 1 0 1]\n");
    EXPECT_EQ(r.status, 0);
    for (const char *want :
         {"Opacity 1e-05 1e-05 1e-05\n", "\"constantwidth\" [1.23457e+06]\n", "Points \"constantwidth\" [inf]\n"})
        EXPECT_NE(r.out.find(text(want)), std::string::npos) << want;
}

// The host reads the given number of replies in ping-pong, then stops
// reading and closes its end while it goes on sending.
void readerleavesafter(int replies)
{
    child c = start({"cornerwidth", "1", "replace", "0"});
    std::string reply;
    for (int i = 0; i < replies; i++) {
        ASSERT_EQ(write(c.in, request.data(), request.size()), static_cast<ssize_t>(request.size()));
        ASSERT_TRUE(readreply(c.out, &reply)) << "no reply to request " << i;
    }
    close(c.out);
    c.out = -1;
    // Far more than a pipe holds: it all goes in only if procbox goes on
    // reading after its writes have started to fail.
    std::string many;
    for (int i = 0; i < 20000; i++)
        many += request;
    ssize_t written = write(c.in, many.data(), many.size());
    EXPECT_EQ(written, static_cast<ssize_t>(many.size())) << "procbox stopped reading";
    EXPECT_EQ(finish(c), 0);
}

TEST(procbox, keepsAnsweringAfterItsReaderHasGone)
{
    readerleavesafter(0);
}

TEST(procbox, keepsReadingWhenItsReaderGoesAwayMidStream)
{
    readerleavesafter(100);
}

struct hostcase {
    const char *name;
    std::vector<std::string> words;
    std::string input;
    std::string replies;
};

// Lines that a unit test of the loop also sees, here through a real pipe,
// where the end of input and odd bytes come from read calls.
std::string highbytes()
{
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; b++)
        bytes += static_cast<char>(b);
    return bytes;
}

const hostcase hostcases[] = {
    {"zero byte inside a line",
     {"replace", "0"},
     "Procedural \"a\" [] [0 1" + std::string(1, '\0') + " 0 1 0 1]\n" + unit,
     "Procedural \"a\" [] [0 1\xFF" + unit + box + "\xFF"},
    {"input ending mid-line", {}, unit + "Procedural \"a\" [] [0 1 0 1 0 1]", box + "\xFF" + box + "\xFF"},
    {"input ending mid-line echoed", {"replace", "0"}, "Procedural \"a\" [", "Procedural \"a\" [\xFF"},
    // 0xFF inside an echoed line is the host's own byte coming back; only
    // the count of lines tells the replies apart. Inside the bound's
    // brackets a high byte ends the bound, which still holds six values.
    {"high bytes everywhere",
     {"replace", "0"},
     highbytes() + "\n" + "Procedural \"" + highbytes() + "\" [] [0 1 0 1 0 1]\n" + "Procedural \"a\" [\"" +
         highbytes() + "\"] [0 1 0 1 0 1]\n" + "Procedural \"a\" [] [0 1 0 1 0 1" + highbytes() + "]\n",
     highbytes() + "\n\xFF" + "Procedural \"" + highbytes() + "\" [] [0 1 0 1 0 1]\n" + box + "\xFF" +
         "Procedural \"a\" [\"" + highbytes() + "\"] [0 1 0 1 0 1]\n\xFF" + "Procedural \"a\" [] [0 1 0 1 0 1" +
         highbytes() + "]\n" + box + "\xFF"},
};

// Test listings show the case, not its bytes.
void PrintTo(const hostcase &c, std::ostream *os)
{
    *os << c.name;
}

class hosttable : public testing::TestWithParam<hostcase> {};

TEST_P(hosttable, answersEveryLine)
{
    result r = run(GetParam().words, GetParam().input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, text("Procedural\n" + GetParam().replies));
}

INSTANTIATE_TEST_SUITE_P(lines, hosttable, testing::ValuesIn(hostcases), casename());

TEST(procbox, millionRequestsInOneStream)
{
    // Four kinds of line in turn: a request, an empty line, a malformed
    // request and one that passes through. The replies repeat with them,
    // so the output is checked byte by byte as it arrives, never stored.
    const std::string lines[] = {unit, "\n", "Procedural \"a\" [] [0 1 0 1 0]\n",
                                 "Procedural \"a\" [\"options\"] [0 1 0 1 0 1]\n"};
    const std::string cycle = text(box + "\xFF" + "\xFF" + "\xFF" + lines[3] + "\xFF");
    const int requests = 1000000;
    std::string input;
    for (int i = 0; i < requests; i++)
        input += lines[i % 4];

    const std::string greeting = text("Procedural\n");
    std::size_t received = 0;
    std::size_t replies = 0;
    std::size_t mismatches = 0;
    std::string err;
    child c = start({});
    int status = pump(
        c, input,
        [&](const char *bytes, std::size_t n) {
            for (std::size_t k = 0; k < n; k++, received++) {
                char want = received < greeting.size() ? greeting[received]
                                                       : cycle[(received - greeting.size()) % cycle.size()];
                mismatches += bytes[k] != want;
                replies += static_cast<unsigned char>(bytes[k]) == 0xFF;
            }
        },
        &err);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(replies, static_cast<std::size_t>(requests));
    EXPECT_EQ(received, greeting.size() + cycle.size() * requests / 4);
    EXPECT_EQ(mismatches, 0u);
}

} // namespace
