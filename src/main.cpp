// SPDX-License-Identifier: MIT
#include "filter.h"
#include "settings.h"

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
#ifdef SIGPIPE
    // The host owns the pipe. If the reader of our output goes away, the
    // writes fail quietly and procbox keeps reading and answering until its
    // input ends, then exits 0, instead of dying in the middle of a render.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Full buffering whatever standard output is, so that a reply leaves at
    // its flush and not line by line; larger buffers take long lines in
    // fewer system calls.
    static char inbuffer[1 << 16];
    static char outbuffer[1 << 16];
    std::setvbuf(stdin, inbuffer, _IOFBF, sizeof inbuffer);
    std::setvbuf(stdout, outbuffer, _IOFBF, sizeof outbuffer);

    static boxsettings settings;
    parseoptions(argc, argv, &settings);
    runfilter(settings, stdin, stdout);
    return 0;
}
