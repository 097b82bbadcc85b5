// Vertex welding: vectors within epsilon of an earlier distinct vector (its
// cluster's first member) take that vector's index.
//
// The rule compares each vector with every earlier representative and keeps
// the first that matches, which is quadratic. A hash grid gives the same
// answer in near-linear time: with cells of 2 * epsilon, a representative
// that can match lies in a neighbouring cell, and among the candidates found
// there the lowest matching index is exactly the rule's first match.
//
// Why no candidate is missed: glmNearlyEqual rounds each difference to the
// nearest float, and rounding is monotonic while epsilon is itself a float,
// so |fl(u - v)| < epsilon implies |u - v| < epsilon exactly, half a cell.
// Cell coordinates q = c / (2 * epsilon) are taken in double, within a
// relative 2^-53; each axis is searched from floor(q - reach) to
// floor(q + reach), reach being half a cell plus a margin far wider than
// that error for |q| < 2^24. Beyond that every float near c is more than
// epsilon from c, so only an equal coordinate matches, and it has the same
// q and so the same cell. q is finite for any finite coordinate and any
// epsilon > 0 (at most about 2^276); epsilon = +inf puts every finite vector
// in cell 0. A vector with a NaN or infinite coordinate, and any vector when
// epsilon is not > 0 (0, negative, NaN), can match nothing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "glm.h"
#include "glm_check.h"

namespace {

constexpr uint32_t largest_exact_index = 16777216;  // 2^24: floats are exact up to here
constexpr double cell_reach = 0.5 + 0x1p-20;         // half a cell plus the rounding margin
constexpr uint32_t none = 0;                          // representatives are numbered from 1

// Vectors of a 1-based array that both the count and the vector's size allow.
uint32_t usable_count(uint32_t count, const std::vector<float>& array)
{
    size_t held = array.size() / 3;
    if (held == 0) return 0;
    return held - 1 < count ? static_cast<uint32_t>(held - 1) : count;
}

// A grid cell: floor(c / cell) per axis, negative zero folded into zero.
struct CellKey {
    double axis[3];
    bool operator==(const CellKey& o) const
    {
        return axis[0] == o.axis[0] && axis[1] == o.axis[1] && axis[2] == o.axis[2];
    }
};

uint64_t bits_of(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

size_t hash_of(const CellKey& key)
{
    uint64_t h = bits_of(key.axis[0]) * 0x9E3779B97F4A7C15ull;
    h ^= bits_of(key.axis[1]) * 0xC2B2AE3D27D4EB4Full;
    h ^= bits_of(key.axis[2]) * 0x165667B19E3779F9ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

// One representative filed in the grid.
struct Entry {
    CellKey key;   // its cell
    uint32_t rep;  // its index among the distinct vectors
    uint32_t next; // next entry of the same cell, or none
};

// Representatives by cell: an open-addressing table of chain heads, each
// chain linking the entries of one cell. Entries are numbered from 1 and grow
// with the representatives found, usually far fewer than the vectors.
struct Grid {
    double cell;                  // 2 * epsilon
    size_t mask;                  // table size - 1 (a power of two)
    std::vector<uint32_t> slots;  // chain head per slot, or none
    std::vector<Entry> entries;   // entry 0 unused
};

Grid make_grid(float epsilon, uint32_t count)
{
    size_t size = 16;
    while (size < 2 * (static_cast<size_t>(count) + 1)) size *= 2;
    return {2.0 * static_cast<double>(epsilon), size - 1, std::vector<uint32_t>(size, none), {Entry{}}};
}

// Slot holding the key's chain, or the empty slot where it would go.
size_t find_slot(const Grid& g, const CellKey& key)
{
    size_t s = hash_of(key) & g.mask;
    while (g.slots[s] != none && !(g.entries[g.slots[s]].key == key)) s = (s + 1) & g.mask;
    return s;
}

void insert(Grid& g, uint32_t rep, const CellKey& key)
{
    size_t s = find_slot(g, key);
    g.entries.push_back({key, rep, g.slots[s]});
    g.slots[s] = static_cast<uint32_t>(g.entries.size() - 1);
}

bool is_finite(const float* v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Up to three cells per axis that a match of v can lie in, its own included.
struct Reach {
    CellKey own;
    double cells[3][3];
    int counts[3];
};

Reach reach_of(const Grid& g, const float* v)
{
    Reach r;
    for (int a = 0; a < 3; ++a) {
        double q = v[a] / g.cell;
        double low = std::floor(q - cell_reach) + 0.0, own = std::floor(q) + 0.0;
        double high = std::floor(q + cell_reach) + 0.0;
        r.own.axis[a] = own;
        int n = 0;
        r.cells[a][n++] = low;
        if (own != low) r.cells[a][n++] = own;
        if (high != own) r.cells[a][n++] = high;
        r.counts[a] = n;
    }
    return r;
}

// Lowest representative of the cell below limit that matches v, or limit.
uint32_t lowest_in_cell(const Grid& g, const CellKey& key, const float* v, const float* reps, float epsilon,
                        uint32_t limit)
{
    size_t s = find_slot(g, key);
    for (uint32_t e = g.slots[s]; e != none; e = g.entries[e].next) {
        uint32_t rep = g.entries[e].rep;
        if (rep < limit && glmNearlyEqual(v, &reps[3 * static_cast<size_t>(rep)], epsilon)) limit = rep;
    }
    return limit;
}

uint32_t first_match(const Grid& g, const Reach& r, const float* v, const float* reps, float epsilon)
{
    uint32_t best = std::numeric_limits<uint32_t>::max();
    for (int x = 0; x < r.counts[0]; ++x)
        for (int y = 0; y < r.counts[1]; ++y)
            for (int z = 0; z < r.counts[2]; ++z) {
                CellKey key{{r.cells[0][x], r.cells[1][y], r.cells[2][z]}};
                best = lowest_in_cell(g, key, v, reps, epsilon, best);
            }
    return best == std::numeric_limits<uint32_t>::max() ? none : best;
}

// Distinct vectors of vectors 1..count and each input's new index.
struct Fused {
    std::vector<float> distinct;     // count + 1 vectors; 1..found are the distinct ones
    std::vector<uint32_t> newindex;  // per input vector, 1-based; entry 0 unused
    uint32_t found = 0;
};

Fused fuse(const std::vector<float>& vectors, uint32_t count, float epsilon)
{
    Fused f;
    f.distinct.assign(vectors.begin(), vectors.begin() + 3 * (static_cast<size_t>(count) + 1));
    f.newindex.assign(static_cast<size_t>(count) + 1, 0);
    // Nothing is strictly closer than a non-positive or NaN epsilon.
    bool can_match = epsilon > 0.0f;
    Grid g = make_grid(epsilon, can_match ? count : 0);
    for (size_t i = 1; i <= count; ++i) {
        const float* v = &vectors[3 * i];
        bool searchable = can_match && is_finite(v);
        Reach r{};
        uint32_t match = none;
        if (searchable) {
            r = reach_of(g, v);
            match = first_match(g, r, v, f.distinct.data(), epsilon);
        }
        if (match == none) {
            match = ++f.found;
            std::copy(v, v + 3, &f.distinct[3 * static_cast<size_t>(match)]);
            if (searchable) insert(g, match, r.own);
        }
        f.newindex[i] = match;
    }
    return f;
}

}  // namespace

bool glmNearlyEqual(const float* u, const float* v, float epsilon)
{
    for (int a = 0; a < 3; ++a)
        if (!(glmAbsValue(u[a] - v[a]) < epsilon)) return false;
    return true;
}

std::vector<float> glmFuseVectors(std::vector<float>& vectors, uint32_t* count, float epsilon)
{
    GLM_REQUIRE(count, "count");
    uint32_t n = usable_count(*count, vectors);
    if (n > largest_exact_index) {
        // The new indices would not survive the trip through a float.
        std::fprintf(stderr, "glmFuseVectors(): %u vectors are too many to number in single precision; nothing merged.\n",
                     n);
        return std::vector<float>(vectors.begin(), vectors.begin() + 3 * (static_cast<size_t>(n) + 1));
    }
    if (vectors.empty()) {
        *count = 0;
        return {};
    }
    Fused f = fuse(vectors, n, epsilon);
    for (size_t i = 1; i <= n; ++i) vectors[3 * i] = static_cast<float>(f.newindex[i]);
    *count = f.found;
    return std::move(f.distinct);
}

void glmFuseVertices(Model* model, float epsilon)
{
    GLM_REQUIRE(model, "model");
    if (model->vertices.empty()) return;
    // The new indices are kept in their own array rather than read back from
    // the x components, so any vertex count merges.
    uint32_t n = usable_count(model->vertexcount, model->vertices);
    Fused f = fuse(model->vertices, n, epsilon);

    size_t triangles = model->triangles.size();
    if (model->trianglecount < triangles) triangles = model->trianglecount;
    for (size_t t = 0; t < triangles; ++t)
        for (uint32_t& v : model->triangles[t].vertexidx)
            v = (v != 0 && v <= n) ? f.newindex[v] : 0;  // a corner naming no vertex gets element 0

    model->vertexcount = f.found;
    std::vector<float>(f.distinct.begin(), f.distinct.begin() + 3 * (static_cast<size_t>(f.found) + 1))
        .swap(model->vertices);
}
