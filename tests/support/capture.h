// What a call prints: its standard output and standard error taken from the
// file descriptors, so that printf, iostreams and children all land in them.
#ifndef ORVANEL_TEST_CAPTURE_H
#define ORVANEL_TEST_CAPTURE_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

// What a call wrote on standard output and on standard error.
struct Console {
    std::string out;
    std::string err;
};

namespace capture_detail {

// A fresh temporary file; a test cannot go on without one.
inline FILE* sink()
{
    FILE* file = std::tmpfile();
    if (file == nullptr) std::abort();
    return file;
}

// Whole content of a temporary file, which is then closed.
inline std::string drain(FILE* sink)
{
    std::string text;
    std::rewind(sink);
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, sink)) > 0) text.append(chunk, n);
    std::fclose(sink);
    return text;
}

// Runs the call with standard output sent to out_sink and standard error to
// err_sink (which may be the same file), then puts both streams back.
template <class Call>
void run_into(FILE* out_sink, FILE* err_sink, Call&& call)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved_out = dup(STDOUT_FILENO);
    const int saved_err = dup(STDERR_FILENO);
    dup2(fileno(out_sink), STDOUT_FILENO);
    dup2(fileno(err_sink), STDERR_FILENO);
    call();
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(saved_out, STDOUT_FILENO);
    dup2(saved_err, STDERR_FILENO);
    close(saved_out);
    close(saved_err);
}

}  // namespace capture_detail

// Runs the call and returns what it wrote on each stream.
template <class Call>
Console capture_console(Call&& call)
{
    FILE* out = capture_detail::sink();
    FILE* err = capture_detail::sink();
    capture_detail::run_into(out, err, call);
    return {capture_detail::drain(out), capture_detail::drain(err)};
}

// Runs the call with both streams sent to one file, and returns the text in
// the order it reached the file: a stream left unflushed shows up late.
template <class Call>
std::string capture_interleaved(Call&& call)
{
    FILE* both = capture_detail::sink();
    capture_detail::run_into(both, both, call);
    return capture_detail::drain(both);
}

// Runs the call with whatever it prints thrown away.
template <class Call>
void quietly(Call&& call)
{
    capture_console(call);
}

#endif
