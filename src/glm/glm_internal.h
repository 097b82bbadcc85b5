// What the library's own files share beyond glm.h: the reader's two passes
// over a file held in memory, the replaceable exit, and the bounds every
// operation puts on a model's arrays before walking them.
// Private to the library (and to the tests, benchmarks and fuzz harnesses
// that link glm_internals); not part of the library surface.
#ifndef ORVANEL_GLM_INTERNAL_H
#define ORVANEL_GLM_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "glm.h"

// A whole file held in memory, scanned by the reader's passes.
struct ModelText {
    const char* begin;  // first byte
    const char* end;    // one past the last byte
};

// Counting pass: counts, groups with their list sizes, the material library.
void glmFirstPass(Model* model, const ModelText& text);
// Filling pass over the same text into the arrays the counting pass sized.
void glmFillPass(Model* model, const ModelText& text);

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
