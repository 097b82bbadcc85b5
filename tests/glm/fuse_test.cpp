// Vertex welding: small hand-checked cases (neighbours kept apart by the first
// representative, epsilon zero, out-of-range corners, too many vectors), and
// the fast merge compared with a direct transcription of the
// first-representative rule on seeded inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "capture.h"
#include "glm.h"
#include "model_builder.h"

namespace {

// The rule, one vector at a time: each takes the first earlier representative
// it is nearly equal to, else becomes a new one. Quadratic; small inputs only.
struct Reference {
    std::vector<float> distinct;     // 1-based representatives
    std::vector<uint32_t> newindex;  // per input, 1-based
};

Reference reference_fuse(const std::vector<float>& vectors, uint32_t count, float epsilon)
{
    Reference r{{0, 0, 0}, {0}};
    for (uint32_t i = 1; i <= count; ++i) {
        const float* v = &vectors[3 * i];
        uint32_t found = 0;
        for (uint32_t j = 1; j * 3 < r.distinct.size() && found == 0; ++j)
            if (glmNearlyEqual(v, &r.distinct[3 * j], epsilon)) found = j;
        if (found == 0) {
            r.distinct.insert(r.distinct.end(), v, v + 3);
            found = static_cast<uint32_t>(r.distinct.size() / 3 - 1);
        }
        r.newindex.push_back(found);
    }
    return r;
}

// Runs glmFuseVectors and the rule on the same input and compares the
// representatives and every input's new index bit for bit.
void expect_same_as_rule(const std::vector<float>& input, float epsilon)
{
    uint32_t count = static_cast<uint32_t>(input.size() / 3 - 1);
    Reference expected = reference_fuse(input, count, epsilon);
    std::vector<float> vectors = input;
    uint32_t fused_count = count;
    std::vector<float> result = glmFuseVectors(vectors, &fused_count, epsilon);
    uint32_t distinct = static_cast<uint32_t>(expected.distinct.size() / 3 - 1);
    ASSERT_EQ(fused_count, distinct) << "epsilon " << epsilon;
    ASSERT_EQ(result.size(), input.size());
    for (size_t f = 3; f < expected.distinct.size(); ++f)
        ASSERT_EQ(std::memcmp(&result[f], &expected.distinct[f], sizeof(float)), 0)
            << "float " << f;
    for (uint32_t i = 1; i <= count; ++i)
        ASSERT_EQ(vectors[3 * i], static_cast<float>(expected.newindex[i])) << "vector " << i;
}

std::vector<float> with_element_zero() { return {0, 0, 0}; }

// Clusters of points jittered around random centres, some jitter larger than
// epsilon so that clusters overlap and chain.
std::vector<float> clustered(std::mt19937& rng, size_t points, float spread, float jitter)
{
    std::uniform_real_distribution<float> centre(-spread, spread), offset(-jitter, jitter);
    std::vector<float> v = with_element_zero();
    float c[3] = {0, 0, 0};
    for (size_t i = 0; i < points; ++i) {
        if (i % 5 == 0)
            for (float& a : c) a = centre(rng);
        for (float a : c) v.push_back(a + offset(rng));
    }
    return v;
}

// Points on a lattice of step epsilon (differences of exactly epsilon, or
// one rounding away from it) nudged by a few units in the last place around
// the grid's cell borders, negative coordinates included.
std::vector<float> lattice(std::mt19937& rng, size_t points, float epsilon)
{
    std::uniform_int_distribution<int> step(-6, 6), ulps(-2, 2);
    std::vector<float> v = with_element_zero();
    for (size_t i = 0; i < points * 3; ++i) {
        float x = static_cast<float>(step(rng)) * epsilon;
        for (int n = ulps(rng); n != 0; n += n > 0 ? -1 : 1)
            x = std::nextafter(x, n > 0 ? std::numeric_limits<float>::infinity()
                                        : -std::numeric_limits<float>::infinity());
        v.push_back(x);
    }
    return v;
}

std::unique_ptr<Model> three_in_a_row()
{
    auto model = model_with_vertices({{0, 0, 0}, {0.5f, 0, 0}, {1.0f, 0, 0}, {0, 1, 0}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 4);
    add_triangle(*model, group, 3, 4, 2);
    return model;
}

}  // namespace

TEST(NearlyEqual, ComparesEachAxisStrictly)
{
    const float a[3] = {0, 0, 0}, b[3] = {0.25f, -0.24f, 0.1f}, c[3] = {0.1f, 0.1f, -0.25f};
    EXPECT_FALSE(glmNearlyEqual(a, b, 0.25f));  // exactly epsilon on x
    EXPECT_TRUE(glmNearlyEqual(a, b, 0.2500001f));
    EXPECT_FALSE(glmNearlyEqual(a, c, 0.25f));  // exactly epsilon on z
    EXPECT_FALSE(glmNearlyEqual(a, a, 0.0f));
}

TEST(FuseVertices, FirstRepresentativeKeepsLaterNeighboursApart)
{
    auto model = three_in_a_row();
    glmFuseVertices(model.get(), 0.6f);
    ASSERT_EQ(model->vertexcount, 3u);
    EXPECT_EQ(model->vertices.size(), 12u);
    EXPECT_EQ(vertex(*model, 1), (Vec3{0, 0, 0}));
    EXPECT_EQ(vertex(*model, 2), (Vec3{1, 0, 0}));
    EXPECT_EQ(vertex(*model, 3), (Vec3{0, 1, 0}));
    EXPECT_EQ(model->triangles[0].vertexidx[1], 1u);  // (0.5, 0, 0) joined the first
    EXPECT_EQ(model->triangles[1].vertexidx[0], 2u);  // the third vertex is now 2
    EXPECT_EQ(model->triangles[1].vertexidx[1], 3u);
}

TEST(FuseVertices, EpsilonZeroMergesNothingNotEvenIdenticalVertices)
{
    auto model = three_in_a_row();
    model->vertices[6] = 0;  // vertex 2 now equals vertex 1
    std::vector<float> before = model->vertices;
    glmFuseVertices(model.get(), 0.0f);
    EXPECT_EQ(model->vertexcount, 4u);
    EXPECT_EQ(model->vertices, before);
    EXPECT_EQ(model->triangles[0].vertexidx[1], 2u);
    EXPECT_EQ(model->triangles[1].vertexidx[0], 3u);
}

TEST(FuseVertices, CornersNamingNoVertexAreNotReadAndEndAtZero)
{
    auto model = three_in_a_row();
    model->triangles[0].vertexidx[2] = 4000;
    model->triangles[1].vertexidx[0] = 0;
    model->triangles[1].vertexidx[2] = 4;
    model->triangles[1].vertexidx[1] = 5;  // one past vertexcount
    glmFuseVertices(model.get(), 0.6f);
    EXPECT_EQ(model->triangles[0].vertexidx[2], 0u);
    EXPECT_EQ(model->triangles[1].vertexidx[0], 0u);
    EXPECT_EQ(model->triangles[1].vertexidx[1], 0u);
    EXPECT_EQ(model->triangles[1].vertexidx[2], 3u);
    for (const ModelTriangle& t : model->triangles)
        for (uint32_t v : t.vertexidx) EXPECT_LE(v, model->vertexcount);
}

TEST(FuseVectors, StoresNewIndicesInXAndKeepsLeftovers)
{
    std::vector<float> vectors = {9, 9, 9, 0, 0, 0, 0.5f, 0, 0, 1, 0, 0};
    uint32_t count = 3;
    std::vector<float> result = glmFuseVectors(vectors, &count, 0.6f);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(result, (std::vector<float>{9, 9, 9, 0, 0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(vectors[3], 1.0f);
    EXPECT_EQ(vectors[6], 1.0f);
    EXPECT_EQ(vectors[9], 2.0f);
    EXPECT_EQ(vectors[10], 0.0f);  // only x is overwritten
}

TEST(FuseVectors, MatchesTheRuleOnClusteredPoints)
{
    std::mt19937 rng(20240611);
    for (float epsilon : {0.01f, 0.05f, 0.2f, 1.0f}) {
        expect_same_as_rule(clustered(rng, 3000, 2.0f, 0.05f), epsilon);
        expect_same_as_rule(clustered(rng, 2000, 2000.0f, 0.3f), epsilon);
    }
}

TEST(FuseVectors, MatchesTheRuleOnLatticesAndCellBorders)
{
    std::mt19937 rng(7);
    for (float epsilon : {0.25f, 0.1f, 1.0f / 3, 3.0f, 1e-3f, 1e-30f})
        for (float scale : {1.0f, 0.5f, 2.0f, 1.0000001f})
            expect_same_as_rule(lattice(rng, 1500, epsilon), epsilon * scale);
}

TEST(FuseVectors, MatchesTheRuleOnDegenerateEpsilonsAndValues)
{
    std::mt19937 rng(99);
    const float inf = std::numeric_limits<float>::infinity(),
                nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> input = clustered(rng, 600, 1.0f, 0.01f);
    // Non-finite, huge and tiny coordinates mixed in, some repeated.
    const float odd[] = {inf, -inf, nan, 3e38f, -3e38f, 1e30f, 1e-40f, -0.0f, 0.0f, 1.4e-45f};
    for (int r = 0; r < 3; ++r)
        for (float a : odd)
            for (float b : {0.0f, 1e30f, -1e-38f}) input.insert(input.end(), {a, b, a});
    for (float epsilon : {0.0f, -1.0f, nan, inf, 1e-45f, 1e-38f, 1e30f, 3e38f, 0.02f})
        expect_same_as_rule(input, epsilon);
}

TEST(FuseVectors, ArrayShorterThanItsCountIsNotOverrun)
{
    std::vector<float> vectors = {0, 0, 0, 1, 1, 1, 1, 1, 1};
    uint32_t count = 50;
    std::vector<float> result = glmFuseVectors(vectors, &count, 0.5f);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(vectors[6], 1.0f);
}

TEST(FuseVectors, RefusesCountsPastExactFloatIndices)
{
    const uint32_t too_many = 16777217;
    std::vector<float> vectors(3 * (static_cast<size_t>(too_many) + 1), 0.5f);
    uint32_t count = too_many;
    std::vector<float> result;
    EXPECT_EQ(capture_console([&] { result = glmFuseVectors(vectors, &count, 1.0f); }).err,
              "glmFuseVectors(): 16777217 vectors are too many to number in single precision; "
              "nothing merged.\n");
    EXPECT_EQ(count, too_many);
    EXPECT_EQ(vectors[3 * static_cast<size_t>(too_many)], 0.5f);
    EXPECT_EQ(result.size(), vectors.size());
}
