// Vertex welding: vectors within epsilon of an earlier distinct vector (its
// cluster's first member) take that vector's index.
//
// The rule compares each vector with every earlier representative and keeps
// the first that matches, which is quadratic. A hash grid gives the same
// answer in near-linear time: with cells of more than 2 * epsilon, a
// representative that can match lies in a neighbouring cell, and among the
// candidates found there the lowest matching index is exactly the rule's
// first match.
//
// Why no candidate is missed: glmNearlyEqual rounds each difference to the
// nearest float, and rounding is monotonic while epsilon is itself a float,
// so |fl(u - v)| < epsilon implies |u - v| < epsilon exactly. Cell
// coordinates q = c / cell are taken in double, within a relative 2^-53;
// each axis is searched from the cell of q - reach to that of q + reach,
// reach being epsilon in cells plus a margin far wider than that error for
// |q| < 2^24. Beyond that every float near c is more than epsilon from c, so
// only an equal coordinate matches, and it has the same q and so the same
// cell, which is always searched. q is finite for any finite coordinate and
// any epsilon > 0 (at most about 2^275); epsilon = +inf puts every finite
// vector in cell 0. A vector with a NaN or infinite coordinate, and any
// vector when epsilon is not > 0 (0, negative, NaN), can match nothing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"

namespace {

constexpr uint32_t largest_exact_index = 16777216;  // 2^24: floats are exact up to here
// Cell side in epsilons: at least 2, so a match lies in a neighbouring cell;
// larger cells mean fewer cells to look in per vector. Not a round number,
// so that coordinates quantised to round steps do not all sit on borders.
constexpr double cells_per_epsilon = 4.34;
constexpr double cell_reach =
    1.0 / cells_per_epsilon + 0x1p-20;    // epsilon in cells plus the rounding margin
constexpr uint32_t none = 0;              // representatives are numbered from 1
constexpr double integer_range = 0x1p62;  // |q| below this converts to int64 exactly
constexpr size_t initial_slots = 1024;    // hash table size to start with, 2^10
constexpr int initial_shift = 64 - 10;    // top bits of a hash that index it

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

// Multiplicative hashing, read from the top bits: the cell numbers are whole
// doubles whose information sits in the high bits, and the top bits of a
// product depend on every bit of its factors.
uint64_t hash_of(const CellKey& key)
{
    return bits_of(key.axis[0]) * 0x9E3779B97F4A7C15ull +
           bits_of(key.axis[1]) * 0xC2B2AE3D27D4EB4Full +
           bits_of(key.axis[2]) * 0x165667B19E3779F9ull;
}

// One representative filed in the grid.
struct Entry {
    CellKey key;      // its cell
    uint32_t rep;     // its index among the distinct vectors
    uint32_t next;    // next entry of the same cell, or none
    float vector[3];  // a copy of the representative, read without a second lookup
};

// A slot of the table: the head of one cell's chain, with low hash bits
// that settle most mismatches without reading the entry.
struct Slot {
    uint32_t head = none;
    uint32_t tag = 0;
};

// Representatives by cell: an open-addressing table of chain heads, each
// chain linking the entries of one cell. Entries are numbered from 1 and grow
// with the representatives found, usually far fewer than the vectors, and the
// table doubles with them, so both stay small enough to be cached.
struct Grid {
    double cell;                 // cell side, a multiple of epsilon
    size_t mask;                 // table size - 1 (a power of two)
    int shift;                   // 64 - log2(table size)
    std::vector<Slot> slots;     // open addressing, linear probing
    std::vector<Entry> entries;  // entry 0 unused
};

Grid make_grid(float epsilon)
{
    return {cells_per_epsilon * static_cast<double>(epsilon),
            initial_slots - 1,
            initial_shift,
            std::vector<Slot>(initial_slots),
            {Entry{}}};
}

// Slot holding the key's chain, or the empty slot where it would go.
size_t find_slot(const Grid& g, const CellKey& key, uint64_t hash)
{
    uint32_t tag = static_cast<uint32_t>(hash);
    size_t s = static_cast<size_t>(hash >> g.shift);
    while (g.slots[s].head != none &&
           !(g.slots[s].tag == tag && g.entries[g.slots[s].head].key == key))
        s = (s + 1) & g.mask;
    return s;
}

void grow(Grid& g)
{
    std::vector<Slot> old(2 * g.slots.size());
    old.swap(g.slots);
    g.mask = g.slots.size() - 1;
    --g.shift;
    for (const Slot& slot : old) {
        if (slot.head == none) continue;
        const CellKey& key = g.entries[slot.head].key;
        g.slots[find_slot(g, key, hash_of(key))] = slot;
    }
}

void insert(Grid& g, uint32_t rep, const CellKey& key, const float* v)
{
    if (2 * g.entries.size() > g.slots.size()) grow(g);
    uint64_t hash = hash_of(key);
    Slot& slot = g.slots[find_slot(g, key, hash)];
    g.entries.push_back({key, rep, slot.head, {v[0], v[1], v[2]}});
    slot = {static_cast<uint32_t>(g.entries.size() - 1), static_cast<uint32_t>(hash)};
}

bool is_finite(const float* v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// floor(q) with negative zero folded into zero; a plain conversion where it
// is exact, since the library call is slow on baseline x86-64.
double floor_of(double q)
{
    if (!(std::fabs(q) < integer_range)) return std::floor(q) + 0.0;
    double whole = static_cast<double>(static_cast<int64_t>(q));
    return whole > q ? whole - 1.0 : whole;
}

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
        double own = floor_of(q);
        double within = q - own;  // 0 <= within < 1, exact up to rounding far below the margin
        r.own.axis[a] = own;
        int n = 0;
        if (within < cell_reach) r.cells[a][n++] = own - 1.0;
        r.cells[a][n++] = own;
        if (within + cell_reach >= 1.0) r.cells[a][n++] = own + 1.0;
        r.counts[a] = n;
    }
    return r;
}

// Lowest representative of the cell below limit that matches v, or limit.
uint32_t lowest_in_cell(const Grid& g, const CellKey& key, const float* v, float epsilon,
                        uint32_t limit)
{
    size_t s = find_slot(g, key, hash_of(key));
    for (uint32_t e = g.slots[s].head; e != none; e = g.entries[e].next) {
        const Entry& entry = g.entries[e];
        if (entry.rep < limit && glmNearlyEqual(v, entry.vector, epsilon)) limit = entry.rep;
    }
    return limit;
}

uint32_t first_match(const Grid& g, const Reach& r, const float* v, float epsilon)
{
    uint32_t best = std::numeric_limits<uint32_t>::max();
    for (int x = 0; x < r.counts[0]; ++x)
        for (int y = 0; y < r.counts[1]; ++y)
            for (int z = 0; z < r.counts[2]; ++z) {
                CellKey key{{r.cells[0][x], r.cells[1][y], r.cells[2][z]}};
                best = lowest_in_cell(g, key, v, epsilon, best);
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
    Grid g = make_grid(epsilon);
    for (size_t i = 1; i <= count; ++i) {
        const float* v = &vectors[3 * i];
        bool searchable = can_match && is_finite(v);
        Reach r{};
        uint32_t match = none;
        if (searchable) {
            r = reach_of(g, v);
            match = first_match(g, r, v, epsilon);
        }
        if (match == none) {
            match = ++f.found;
            std::copy(v, v + 3, &f.distinct[3 * static_cast<size_t>(match)]);
            if (searchable) insert(g, match, r.own, v);
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
    uint32_t n = glm_last_usable(*count, vectors, 3);
    if (n > largest_exact_index) {
        // The new indices would not survive the trip through a float.
        std::fprintf(stderr,
                     "glmFuseVectors(): %u vectors are too many to number in single precision; "
                     "nothing merged.\n",
                     n);
        return std::vector<float>(vectors.begin(),
                                  vectors.begin() + 3 * (static_cast<size_t>(n) + 1));
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
    uint32_t n = glm_last_usable(model->vertexcount, model->vertices, 3);
    Fused f = fuse(model->vertices, n, epsilon);

    const uint32_t triangles = glm_usable_count(model->trianglecount, model->triangles);
    for (size_t t = 0; t < triangles; ++t)
        for (uint32_t& v : model->triangles[t].vertexidx)
            v = (v != 0 && v <= n) ? f.newindex[v] : 0;  // a corner naming no vertex gets element 0

    model->vertexcount = f.found;
    std::vector<float>(f.distinct.begin(),
                       f.distinct.begin() + 3 * (static_cast<size_t>(f.found) + 1))
        .swap(model->vertices);
}
