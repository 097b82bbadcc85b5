// Shared by the benchmarks that read or write models: the library prints a
// line per file opened, which would drown the figures.
#ifndef ORVANEL_BENCH_QUIET_STDOUT_H
#define ORVANEL_BENCH_QUIET_STDOUT_H

#include <cstdio>

#include <unistd.h>

// Sends standard output to /dev/null while alive.
struct QuietStdout {
    int saved;
    QuietStdout()
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        std::FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), STDOUT_FILENO);
        std::fclose(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
};

#endif
