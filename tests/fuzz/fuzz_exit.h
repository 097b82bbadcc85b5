// What the fuzz harnesses share: the library's deliberate exits (a message
// and status 1 for an unreadable file) become an exception caught around each
// input, and every input is written to a file in a private directory.
#ifndef ORVANEL_FUZZ_EXIT_H
#define ORVANEL_FUZZ_EXIT_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "glm.h"
#include "glm_internal.h"

// Thrown by the exit handler in place of ending the process.
struct FuzzExit {
    int status;
};

[[noreturn]] inline void throw_on_exit(int status) { throw FuzzExit{status}; }

// Path of this process's scratch directory; a plain array, so that it
// outlives every exit handler.
inline char fuzz_dir_path[] = "/tmp/orvanel-fuzz-XXXXXX";

// Removes the directory and the files the harnesses write into it.
inline void remove_fuzz_dir()
{
    const char* names[] = {"input.obj", "input.mtl", "input.ppm", "fixed.obj", "fixed.mtl"};
    for (const char* name : names) std::remove((std::string(fuzz_dir_path) + "/" + name).c_str());
    rmdir(fuzz_dir_path);
}

// The scratch directory, created on first use and removed at exit.
inline std::string fuzz_dir()
{
    static const bool made = [] {
        if (mkdtemp(fuzz_dir_path) == nullptr) std::abort();
        // The library prints its open line for every model; keep the log short.
        if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
        glmExitHandler = throw_on_exit;
        std::atexit(remove_fuzz_dir);
        return true;
    }();
    (void)made;
    return fuzz_dir_path;
}

// Writes the bytes to the named file of the directory and returns its path.
inline std::string fuzz_write(const char* name, const void* bytes, size_t size)
{
    std::string path = fuzz_dir() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(bytes, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

#endif
