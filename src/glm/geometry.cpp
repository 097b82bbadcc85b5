// Geometry operations: bounding box, fitting, scaling, winding, facet normals,
// smoothed vertex normals and the small vector helpers they share.
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "glm.h"
#include "glm_check.h"

namespace {

constexpr double pi_single = 3.1415927;         // single-precision value of pi
constexpr double degrees_per_half_turn = 180.0;
constexpr double unit_box_size = 2.0;           // the box runs from -1 to 1
constexpr float unit_scale = 1.0f;              // scale applied when nothing can be scaled

// Highest vector index of a 1-based array that both the count and the vector's
// size allow; hand-built models may claim more entries than they hold.
uint32_t usable_count(uint32_t count, const std::vector<float>& array, size_t stride)
{
    size_t held = array.size() / stride;
    if (held == 0) return 0;
    return held - 1 < count ? static_cast<uint32_t>(held - 1) : count;
}

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
    uint32_t count = usable_count(model->vertexcount, model->vertices, 3);
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
    uint32_t usable = usable_count(count, array, 3);
    for (size_t i = 3; i < 3 * (static_cast<size_t>(usable) + 1); ++i) array[i] = -array[i];
}


// Cosine threshold of the crease angle, worked in double and kept in single
// precision; 90 degrees gives -4.371139e-08.
float crease_threshold(float angle)
{
    return static_cast<float>(std::cos(angle * pi_single / degrees_per_half_turn));
}

const float zero_vector[3] = {0.0f, 0.0f, 0.0f};

// One triangle corner that uses a vertex, kept while vertex normals are built.
struct VertexMember {
    uint32_t triangle;  // 0-based triangle index
    uint8_t corner;     // the corner of that triangle that named the vertex
    bool averaged;      // facet taken into the vertex's shared normal
};

// Every vertex's members in one flat array: vertex w owns the entries
// first[w] .. first[w + 1] - 1, from the highest-numbered triangle down (the
// order a list built by pushing at its head would have).
struct Membership {
    std::vector<size_t> first;  // vertexcount + 2 offsets
    std::vector<VertexMember> members;
};

bool names_vertex(uint32_t idx, uint32_t vertices) { return idx != 0 && idx <= vertices; }

// Counting sort of the corners by vertex: linear in the number of corners.
Membership build_membership(const Model* model, uint32_t vertices, uint32_t triangles)
{
    Membership m;
    m.first.assign(static_cast<size_t>(vertices) + 2, 0);
    for (uint32_t i = 0; i < triangles; ++i)
        for (uint32_t w : model->triangles[i].vertexidx)
            if (names_vertex(w, vertices)) ++m.first[static_cast<size_t>(w) + 1];
    for (size_t w = 1; w < m.first.size(); ++w) m.first[w] += m.first[w - 1];

    m.members.resize(m.first.back());
    std::vector<size_t> cursor(m.first.begin(), m.first.end() - 1);
    for (uint32_t i = triangles; i-- > 0;) {
        const ModelTriangle& t = model->triangles[i];
        for (int k = 2; k >= 0; --k)
            if (names_vertex(t.vertexidx[k], vertices))
                m.members[cursor[t.vertexidx[k]]++] = {i, static_cast<uint8_t>(k), false};
    }
    return m;
}

// State of one vertex-normal computation.
struct NormalBuild {
    Model* model;
    uint32_t facets;  // usable facet normals
    size_t next;      // next free normal index
};

const float* facet_of(const NormalBuild& b, uint32_t triangle)
{
    uint32_t idx = b.model->triangles[triangle].facetnormidx;
    if (idx == 0 || idx > b.facets) return zero_vector;
    return &b.model->facetnorms[3 * static_cast<size_t>(idx)];
}

// Stores n as the next normal and returns its index.
uint32_t push_normal(NormalBuild& b, const float* n)
{
    float* slot = &b.model->normals[3 * b.next];
    slot[0] = n[0];
    slot[1] = n[1];
    slot[2] = n[2];
    return static_cast<uint32_t>(b.next++);
}

// Gives every member of one vertex its normal: one shared normal for the
// facets within the crease angle of the reference facet, a copy of its own
// facet normal for each other member.
void vertex_normal(NormalBuild& b, VertexMember* begin, VertexMember* end, float threshold)
{
    const float* reference = facet_of(b, begin->triangle);
    float sum[3] = {0.0f, 0.0f, 0.0f};
    bool any = false;
    for (VertexMember* m = begin; m != end; ++m) {
        const float* f = facet_of(b, m->triangle);
        m->averaged = glmDotProduct(f, reference) > threshold;
        if (!m->averaged) continue;
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
    for (VertexMember* m = begin; m != end; ++m) {
        // Each member writes the corner that made it, so a triangle naming
        // the vertex twice still has both corners set.
        uint32_t& slot = b.model->triangles[m->triangle].normalidx[m->corner];
        slot = m->averaged ? shared : push_normal(b, facet_of(b, m->triangle));
    }
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
    uint32_t count = usable_count(model->vertexcount, model->vertices, 3);
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
    uint32_t count = usable_count(model->vertexcount, model->vertices, 3);
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
    uint32_t triangles = static_cast<uint32_t>(model->triangles.size());
    if (model->trianglecount < triangles) triangles = model->trianglecount;
    uint32_t vertices = usable_count(model->vertexcount, model->vertices, 3);

    model->facetnormcount = triangles;
    std::vector<float>(3 * (static_cast<size_t>(triangles) + 1), 0.0f).swap(model->facetnorms);
    for (uint32_t i = 0; i < triangles; ++i) {
        ModelTriangle& t = model->triangles[i];
        t.facetnormidx = i + 1;
        const float* a = vertex_at(model, t.vertexidx[0], vertices);
        const float* b = vertex_at(model, t.vertexidx[1], vertices);
        const float* c = vertex_at(model, t.vertexidx[2], vertices);
        // A corner naming no vertex leaves the facet normal zero.
        if (!a || !b || !c) continue;
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float* n = &model->facetnorms[3 * (static_cast<size_t>(i) + 1)];
        glmCrossProduct(u, v, n);
        glmUnitLength(n);
    }
}

void glmVertexNormals(Model* model, float angle)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->facetnorms.empty(), "model->facetnorms");
    float threshold = crease_threshold(angle);
    uint32_t triangles = static_cast<uint32_t>(model->triangles.size());
    if (model->trianglecount < triangles) triangles = model->trianglecount;
    uint32_t vertices = usable_count(model->vertexcount, model->vertices, 3);

    // Worst case: one normal per corner; trimmed at the end.
    std::vector<float>(3 * (3 * static_cast<size_t>(triangles) + 1), 0.0f).swap(model->normals);
    Membership m = build_membership(model, vertices, triangles);
    NormalBuild b{model, usable_count(model->facetnormcount, model->facetnorms, 3), 1};
    for (size_t w = 1; w <= vertices; ++w) {
        if (m.first[w] == m.first[w + 1]) {
            std::fputs("glmVertexNormals(): vertex w/o a triangle\n", stderr);
            continue;
        }
        vertex_normal(b, &m.members[m.first[w]], &m.members[0] + m.first[w + 1], threshold);
    }
    // Corners that name no vertex still need a normal: their facet's.
    for (uint32_t i = 0; i < triangles; ++i)
        for (int k = 0; k < 3; ++k)
            if (!names_vertex(model->triangles[i].vertexidx[k], vertices))
                model->triangles[i].normalidx[k] = push_normal(b, facet_of(b, i));

    model->normalcount = static_cast<uint32_t>(b.next - 1);
    std::vector<float>(model->normals.begin(), model->normals.begin() + 3 * b.next)
        .swap(model->normals);
}
