// Geometry operations: bounding box, fitting, scaling, winding, facet normals,
// smoothed vertex normals and the small vector helpers they share.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"

namespace {

constexpr double pi_single = 3.1415927f;  // single-precision value of pi, widened
constexpr double degrees_per_half_turn = 180.0;
constexpr double unit_box_size = 2.0;  // the box runs from -1 to 1
// Normals are staged in chunks of this many while they are produced, then
// copied into one array of the exact size. A chunk (768 KiB) stays below the
// allocator's threshold for mapping fresh pages, so its memory is reused from
// one call to the next instead of being faulted in again; one block for the
// worst case (one normal per corner) would be mapped afresh on every call
// for large models.
constexpr size_t normals_per_chunk = size_t(1) << 16;
constexpr float unit_scale = 1.0f;  // scale applied when nothing can be scaled

struct Box {
    float maximum[3];
    float minimum[3];
};

// Bounds of vertices 1..count; the caller guarantees count >= 1.
Box bounding_box(const std::vector<float>& vertices, uint32_t count)
{
    Box box;
    for (int axis = 0; axis < 3; ++axis) {
        box.maximum[axis] = vertices[3 + axis];
        box.minimum[axis] = vertices[3 + axis];
    }
    for (size_t i = 1; i <= count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            float c = vertices[3 * i + axis];
            if (box.maximum[axis] < c) box.maximum[axis] = c;
            if (box.minimum[axis] > c) box.minimum[axis] = c;
        }
    }
    return box;
}

// Extents of the box: |max| + |min| per axis, all 0 without vertices.
void box_extents(const Model* model, float* dimensions)
{
    uint32_t count = glm_last_usable(model->vertexcount, model->vertices, 3);
    if (count == 0) {
        for (int axis = 0; axis < 3; ++axis) dimensions[axis] = 0.0f;
        return;
    }
    Box box = bounding_box(model->vertices, count);
    for (int axis = 0; axis < 3; ++axis)
        dimensions[axis] = glmAbsValue(box.maximum[axis]) + glmAbsValue(box.minimum[axis]);
}

// Pointer to vertex idx, or null when the index names no stored vertex.
const float* vertex_at(const Model* model, uint32_t idx, uint32_t count)
{
    if (idx == 0 || idx > count) return nullptr;
    return &model->vertices[3 * static_cast<size_t>(idx)];
}

void negate_vectors(std::vector<float>& array, uint32_t count)
{
    uint32_t usable = glm_last_usable(count, array, 3);
    for (size_t i = 3; i < 3 * (static_cast<size_t>(usable) + 1); ++i) array[i] = -array[i];
}

// Cosine threshold of the crease angle, worked in double and kept in single
// precision; 90 degrees gives -4.371139e-08.
float crease_threshold(float angle)
{
    return static_cast<float>(std::cos(angle * pi_single / degrees_per_half_turn));
}

const float zero_vector[3] = {0.0f, 0.0f, 0.0f};

bool names_vertex(uint32_t idx, uint32_t vertices) { return idx != 0 && idx <= vertices; }

// The triangle corners that use each vertex, in one flat array: vertex w owns
// corners[first[w]] .. corners[first[w + 1] - 1], from the highest-numbered
// triangle down (the order of a list built by pushing at its head). A corner
// is named 3 * triangle + k; Corner is wide enough for every name.
template <typename Corner>
struct Membership {
    std::vector<Corner> first;          // offsets, vertexcount + 3 entries
    std::unique_ptr<Corner[]> corners;  // first.back() corner names grouped by vertex
};

// Counting sort of the corners by vertex, linear in the number of corners.
// Counts go two places up so that, once summed, first[w + 1] is where vertex
// w starts; placing corners advances it to where w ends, which is where
// w + 1 starts, leaving first[w] .. first[w + 1] as vertex w's range.
template <typename Corner>
Membership<Corner> build_membership(const Model* model, uint32_t vertices, uint32_t triangles)
{
    Membership<Corner> m;
    m.first.assign(static_cast<size_t>(vertices) + 3, 0);
    for (uint32_t i = 0; i < triangles; ++i)
        for (uint32_t w : model->triangles[i].vertexidx)
            if (names_vertex(w, vertices)) ++m.first[static_cast<size_t>(w) + 2];
    for (size_t w = 1; w < m.first.size(); ++w) m.first[w] += m.first[w - 1];

    // Every entry is written below, so the array is not zeroed first.
    m.corners.reset(new Corner[m.first.back()]);
    for (uint32_t i = triangles; i-- > 0;) {
        const uint32_t* idx = model->triangles[i].vertexidx;
        for (int k = 2; k >= 0; --k)
            if (names_vertex(idx[k], vertices))
                m.corners[m.first[static_cast<size_t>(idx[k]) + 1]++] =
                    static_cast<Corner>(Corner(3) * i + k);
    }
    return m;
}

// State of one vertex-normal computation.
struct NormalBuild {
    Model* model;
    uint32_t facets;                               // usable facet normals
    std::vector<std::unique_ptr<float[]>> chunks;  // normals made so far, from normal 0
    size_t next;                                   // next free normal index
    std::vector<uint8_t> averaged;                 // per member of the current vertex
};

const float* facet_of(const NormalBuild& b, size_t triangle)
{
    uint32_t idx = b.model->triangles[triangle].facetnormidx;
    if (idx == 0 || idx > b.facets) return zero_vector;
    return &b.model->facetnorms[3 * static_cast<size_t>(idx)];
}

// Stores n as the next normal and returns its index.
uint32_t push_normal(NormalBuild& b, const float* n)
{
    size_t within = b.next % normals_per_chunk;
    if (within == 0) b.chunks.emplace_back(new float[3 * normals_per_chunk]);
    float* slot = b.chunks.back().get() + 3 * within;
    slot[0] = n[0];
    slot[1] = n[1];
    slot[2] = n[2];
    return static_cast<uint32_t>(b.next++);
}

// Gives every member of one vertex its normal: one shared normal for the
// facets within the crease angle of the reference facet (the first member's),
// a copy of its own facet normal for each other member. Each member writes
// the corner that made it, so a triangle naming the vertex twice still has
// both corners set.
template <typename Corner>
void vertex_normal(NormalBuild& b, const Corner* begin, const Corner* end, float threshold)
{
    size_t members = static_cast<size_t>(end - begin);
    if (b.averaged.size() < members) b.averaged.resize(members);
    const float* reference = facet_of(b, *begin / 3);
    float sum[3] = {0.0f, 0.0f, 0.0f};
    bool any = false;
    for (size_t m = 0; m < members; ++m) {
        const float* f = facet_of(b, begin[m] / 3);
        b.averaged[m] = glmDotProduct(f, reference) > threshold;
        if (!b.averaged[m]) continue;
        any = true;
        sum[0] += f[0];
        sum[1] += f[1];
        sum[2] += f[2];
    }
    uint32_t shared = 0;
    if (any) {
        glmUnitLength(sum);
        shared = push_normal(b, sum);
    }
    for (size_t m = 0; m < members; ++m) {
        size_t triangle = begin[m] / 3;
        uint32_t& slot = b.model->triangles[triangle].normalidx[begin[m] % 3];
        slot = b.averaged[m] ? shared : push_normal(b, facet_of(b, triangle));
    }
}

// Normals of every used vertex; returns how many corners named a vertex.
template <typename Corner>
size_t smooth_vertices(NormalBuild& b, uint32_t vertices, uint32_t triangles, float threshold)
{
    Membership<Corner> m = build_membership<Corner>(b.model, vertices, triangles);
    for (size_t w = 1; w <= vertices; ++w) {
        if (m.first[w] == m.first[w + 1]) {
            std::fputs("glmVertexNormals(): vertex w/o a triangle\n", stderr);
            continue;
        }
        const Corner* all = m.corners.get();
        vertex_normal(b, all + m.first[w], all + m.first[w + 1], threshold);
    }
    return m.first.back();
}

}  // namespace

float glmLarger(float a, float b) { return b > a ? b : a; }

float glmAbsValue(float x) { return x < 0 ? -x : x; }

float glmDotProduct(const float* u, const float* v)
{
    GLM_REQUIRE(u, "u");
    GLM_REQUIRE(v, "v");
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

void glmCrossProduct(const float* u, const float* v, float* n)
{
    GLM_REQUIRE(u, "u");
    GLM_REQUIRE(v, "v");
    GLM_REQUIRE(n, "n");
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

void glmUnitLength(float* v)
{
    GLM_REQUIRE(v, "v");
    double x = v[0], y = v[1], z = v[2];
    float length = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    // A degenerate triangle or cancelling facets give a zero vector; it stays
    // zero rather than turning into NaNs.
    if (length == 0.0f) return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void glmExtents(Model* model, float* dimensions)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->vertices.empty(), "model->vertices");
    GLM_REQUIRE(dimensions, "dimensions");
    box_extents(model, dimensions);
}

float glmFitUnitBox(Model* model)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->vertices.empty(), "model->vertices");
    uint32_t count = glm_last_usable(model->vertexcount, model->vertices, 3);
    if (count == 0) return unit_scale;

    Box box = bounding_box(model->vertices, count);
    float centre[3];
    float dimensions[3];
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = static_cast<float>((box.maximum[axis] + box.minimum[axis]) / 2.0);
        dimensions[axis] = glmAbsValue(box.maximum[axis]) + glmAbsValue(box.minimum[axis]);
    }
    float largest = glmLarger(glmLarger(dimensions[0], dimensions[1]), dimensions[2]);
    // All vertices at the origin: centring is all that can be done.
    float scale = largest == 0.0f ? unit_scale : static_cast<float>(unit_box_size / largest);

    for (size_t i = 1; i <= count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            float& c = model->vertices[3 * i + axis];
            c -= centre[axis];
            c *= scale;
        }
    }
    return scale;
}

void glmScaleModel(Model* model, float scale)
{
    GLM_REQUIRE(model, "model");
    uint32_t count = glm_last_usable(model->vertexcount, model->vertices, 3);
    for (size_t i = 3; i < 3 * (static_cast<size_t>(count) + 1); ++i) model->vertices[i] *= scale;
}

void glmFlipWinding(Model* model)
{
    GLM_REQUIRE(model, "model");
    for (ModelTriangle& t : model->triangles) {
        std::swap(t.vertexidx[0], t.vertexidx[2]);
        if (model->normalcount != 0) std::swap(t.normalidx[0], t.normalidx[2]);
        if (model->texcoordcount != 0) std::swap(t.texcoordidx[0], t.texcoordidx[2]);
    }
    negate_vectors(model->facetnorms, model->facetnormcount);
    negate_vectors(model->normals, model->normalcount);
}

void glmTriangleNormals(Model* model)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->vertices.empty(), "model->vertices");
    uint32_t triangles = glm_usable_count(model->trianglecount, model->triangles);
    uint32_t vertices = glm_last_usable(model->vertexcount, model->vertices, 3);

    // Filled in one pass rather than zeroed first: large models are bound by
    // memory traffic here.
    std::vector<float> facets;
    facets.reserve(3 * (static_cast<size_t>(triangles) + 1));
    facets.insert(facets.end(), zero_vector, zero_vector + 3);
    for (uint32_t i = 0; i < triangles; ++i) {
        ModelTriangle& t = model->triangles[i];
        t.facetnormidx = i + 1;
        float n[3] = {0.0f, 0.0f, 0.0f};
        const float* a = vertex_at(model, t.vertexidx[0], vertices);
        const float* b = vertex_at(model, t.vertexidx[1], vertices);
        const float* c = vertex_at(model, t.vertexidx[2], vertices);
        // A corner naming no vertex leaves the facet normal zero.
        if (a && b && c) {
            float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            glmCrossProduct(u, v, n);
            glmUnitLength(n);
        }
        facets.insert(facets.end(), n, n + 3);
    }
    model->facetnorms.swap(facets);
    model->facetnormcount = triangles;
}

void glmVertexNormals(Model* model, float angle)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->facetnorms.empty(), "model->facetnorms");
    float threshold = crease_threshold(angle);
    uint32_t triangles = glm_usable_count(model->trianglecount, model->triangles);
    uint32_t vertices = glm_last_usable(model->vertexcount, model->vertices, 3);

    NormalBuild b{model, glm_last_usable(model->facetnormcount, model->facetnorms, 3), {}, 0, {}};
    push_normal(b, zero_vector);  // element 0, never used
    size_t corners = 3 * static_cast<size_t>(triangles);
    size_t named = corners <= std::numeric_limits<uint32_t>::max()
                       ? smooth_vertices<uint32_t>(b, vertices, triangles, threshold)
                       : smooth_vertices<uint64_t>(b, vertices, triangles, threshold);

    // Corners that name no vertex still need a normal: their facet's.
    for (uint32_t i = 0; named < corners && i < triangles; ++i)
        for (int k = 0; k < 3; ++k)
            if (!names_vertex(model->triangles[i].vertexidx[k], vertices))
                model->triangles[i].normalidx[k] = push_normal(b, facet_of(b, i));

    model->normalcount = static_cast<uint32_t>(b.next - 1);
    // One allocation of the exact size, filled from the staging chunks.
    std::vector<float> normals;
    normals.reserve(3 * b.next);
    for (size_t c = 0; c < b.chunks.size(); ++c) {
        size_t count = std::min(normals_per_chunk, b.next - c * normals_per_chunk);
        normals.insert(normals.end(), b.chunks[c].get(), b.chunks[c].get() + 3 * count);
    }
    model->normals.swap(normals);
}
