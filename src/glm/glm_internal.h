// What the library's own files share beyond glm.h: the reader's entry with
// chosen chunk borders, a way to run work on several threads, the
// replaceable exit, and the bounds every operation puts on a model's arrays
// before walking them.
// Private to the library (and to the tests, benchmarks and fuzz harnesses
// that link glm_internals); not part of the library surface.
#ifndef ORVANEL_GLM_INTERNAL_H
#define ORVANEL_GLM_INTERNAL_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include "glm.h"

// A whole file held in memory, scanned by the reader's passes.
struct ModelText {
    const char* begin;  // first byte
    const char* end;    // one past the last byte
};

// glmReadOBJ with the chunk borders chosen by the caller: the text is cut at
// the given byte offsets (any offset, not only line ends; out-of-range ones
// are dropped) and the chunks are read by up to threads threads. No offsets
// is the single-threaded reading. The result is always that of the
// single-threaded reading, messages included.
Model* glm_read_obj_cut(const char* filename, const std::vector<size_t>& cuts, unsigned threads);

// Runs work(0) .. work(count - 1) on up to threads threads, the calling one
// included, and returns when all are done. work must not throw. Fewer
// threads are used when the system will not start more.
template <typename Work>
void glm_run_parallel(size_t count, unsigned threads, const Work& work)
{
    std::atomic<size_t> next{0};
    const auto take_turns = [&] {
        for (size_t i = next++; i < count; i = next++) work(i);
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads && t < count; ++t) {
        try {
            helpers.emplace_back(take_turns);
        } catch (const std::system_error&) {
            break;  // the calling thread takes the chunks no helper takes
        }
    }
    take_turns();
    for (std::thread& helper : helpers) helper.join();
}

// Replaceable exit used by glmExit; a handler must not return (it may throw).
extern void (*glmExitHandler)(int status);

// Entries of a 0-based array (triangles, materials, a group's triangle list)
// that both its count and its vector allow. A hand-built or damaged model
// may claim more entries than it holds, or hold more than it claims; every
// walk over such an array stops at this bound.
template <typename T>
inline uint32_t glm_usable_count(uint32_t count, const std::vector<T>& array)
{
    return array.size() < count ? static_cast<uint32_t>(array.size()) : count;
}

// The same bound for a 1-based array of stride floats per entry: the highest
// index both the count and the vector allow, 0 when it cannot even hold
// element 0.
inline uint32_t glm_last_usable(uint32_t count, const std::vector<float>& array, size_t stride)
{
    const size_t held = array.size() / stride;
    if (held == 0) return 0;
    return held - 1 < count ? static_cast<uint32_t>(held - 1) : count;
}

#endif
