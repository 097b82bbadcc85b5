// Fitting, extents, winding, facet normals and smoothed vertex normals on
// hand-built models.
#include <gtest/gtest.h>

#include <cmath>

#include "capture.h"
#include "glm.h"
#include "model_builder.h"

namespace {

// Every corner of every triangle names a stored normal.
void expect_valid_normal_indices(const Model& model)
{
    ASSERT_EQ(model.normals.size(), 3 * (static_cast<size_t>(model.normalcount) + 1));
    for (const ModelTriangle& t : model.triangles)
        for (uint32_t n : t.normalidx) {
            EXPECT_GE(n, 1u);
            EXPECT_LE(n, model.normalcount);
        }
}

void expect_vec_near(Vec3 actual, Vec3 expected, float tolerance = 1e-6f)
{
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

Vec3 normalized(Vec3 v)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

}  // namespace

TEST(FitUnitBox, BoxAwayFromOriginUsesSumOfAbsoluteBounds)
{
    auto model = model_with_vertices({{1, 1, 1}, {3, 2, 2}, {2, 1.5f, 2}});
    float dimensions[3];
    glmExtents(model.get(), dimensions);
    EXPECT_EQ(dimensions[0], 4.0f);
    EXPECT_EQ(dimensions[1], 3.0f);
    EXPECT_EQ(dimensions[2], 3.0f);
    EXPECT_EQ(glmFitUnitBox(model.get()), 0.5f);
    expect_vec_near(vertex(*model, 2), {0.5f, 0.25f, 0.25f}, 0.0f);
    expect_vec_near(vertex(*model, 1), {-0.5f, -0.25f, -0.25f}, 0.0f);
}

TEST(FitUnitBox, SymmetricModelSpansExactlyMinusOneToOne)
{
    auto model = model_with_vertices({{-5, -1, 1}, {5, 1, -1}, {0, 0.5f, 0}});
    EXPECT_FLOAT_EQ(glmFitUnitBox(model.get()), 0.2f);
    EXPECT_EQ(vertex(*model, 1)[0], -1.0f);
    EXPECT_EQ(vertex(*model, 2)[0], 1.0f);
}

TEST(FitUnitBox, ModelWithoutVerticesIsLeftAloneWithScaleOne)
{
    auto model = model_with_vertices({});
    model->vertices = {7, 8, 9};
    float dimensions[3] = {-1, -1, -1};
    glmExtents(model.get(), dimensions);
    EXPECT_EQ(dimensions[0], 0.0f);
    EXPECT_EQ(dimensions[2], 0.0f);
    EXPECT_EQ(glmFitUnitBox(model.get()), 1.0f);
    EXPECT_EQ(model->vertices, (std::vector<float>{7, 8, 9}));
}

TEST(FitUnitBox, AllVerticesAtOriginGiveScaleOneWithoutNaN)
{
    auto model = model_with_vertices({{0, 0, 0}, {0, 0, 0}});
    EXPECT_EQ(glmFitUnitBox(model.get()), 1.0f);
    expect_vec_near(vertex(*model, 2), {0, 0, 0}, 0.0f);
}

TEST(FitUnitBox, ScaleModelMultipliesVerticesOnly)
{
    auto model = single_triangle();
    set_normals(*model, {{0, 0, 1}});
    glmScaleModel(model.get(), 3.0f);
    expect_vec_near(vertex(*model, 2), {3, 0, 0}, 0.0f);
    expect_vec_near(normal(*model, 1), {0, 0, 1}, 0.0f);
    EXPECT_EQ(model->vertices[0], 0.0f);
}

TEST(VectorHelpers, LargerKeepsFirstOnTieAndAbsValueNegates)
{
    EXPECT_TRUE(std::signbit(glmLarger(-0.0f, 0.0f)));
    EXPECT_EQ(glmLarger(1.0f, 2.0f), 2.0f);
    EXPECT_EQ(glmAbsValue(-2.0f), 2.0f);
    float v[3] = {3, 0, 4};
    glmUnitLength(v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[2], 0.8f);
}

TEST(VectorHelpers, ZeroVectorStaysZero)
{
    float v[3] = {0, 0, 0};
    glmUnitLength(v);
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], 0.0f);
}

TEST(TriangleNormals, OneUnitOutwardNormalPerTriangle)
{
    auto model = closed_cube();
    glmTriangleNormals(model.get());
    ASSERT_EQ(model->facetnormcount, 12u);
    ASSERT_EQ(model->facetnorms.size(), 3u * 13);
    const Vec3 outward[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (uint32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(model->triangles[i].facetnormidx, i + 1);
        expect_vec_near(facet_normal(*model, i + 1), outward[i / 2]);
    }
}

TEST(TriangleNormals, DegenerateAndOutOfRangeTrianglesGetZeroNormals)
{
    auto model = model_with_vertices({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);   // collinear
    add_triangle(*model, group, 1, 2, 99);  // names no vertex
    glmTriangleNormals(model.get());
    expect_vec_near(facet_normal(*model, 1), {0, 0, 0}, 0.0f);
    expect_vec_near(facet_normal(*model, 2), {0, 0, 0}, 0.0f);
}

TEST(FlipWinding, TwiceRestoresIndicesAndNormals)
{
    auto model = closed_cube();
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    set_texcoords(*model, std::vector<std::array<float, 2>>(8, {0.5f, 0.5f}));
    std::vector<ModelTriangle> before = model->triangles;
    std::vector<float> normals = model->normals, facets = model->facetnorms;

    glmFlipWinding(model.get());
    EXPECT_EQ(model->triangles[0].vertexidx[0], before[0].vertexidx[2]);
    EXPECT_EQ(model->triangles[0].normalidx[2], before[0].normalidx[0]);
    EXPECT_EQ(model->triangles[0].texcoordidx[0], before[0].texcoordidx[2]);
    EXPECT_EQ(model->triangles[0].facetnormidx, before[0].facetnormidx);
    EXPECT_EQ(model->facetnorms[3], -facets[3]);
    EXPECT_EQ(model->normals[5], -normals[5]);

    glmFlipWinding(model.get());
    EXPECT_EQ(model->normals, normals);
    EXPECT_EQ(model->facetnorms, facets);
    for (size_t i = 0; i < before.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(model->triangles[i].vertexidx[k], before[i].vertexidx[k]);
            EXPECT_EQ(model->triangles[i].normalidx[k], before[i].normalidx[k]);
            EXPECT_EQ(model->triangles[i].texcoordidx[k], before[i].texcoordidx[k]);
        }
}

TEST(FlipWinding, LeavesNormalIndicesWithoutNormals)
{
    auto model = single_triangle();
    glmFlipWinding(model.get());
    EXPECT_EQ(model->triangles[0].vertexidx[0], 3u);
    EXPECT_EQ(model->triangles[0].normalidx[0], 1u);
    EXPECT_EQ(model->triangles[0].texcoordidx[0], 1u);
}

TEST(VertexNormals, CubeCornerAveragesPerpendicularFacesAtNinetyDegrees)
{
    auto model = closed_cube();
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    // Perpendicular facets (dot 0) lie above the threshold, so each corner
    // of the cube has exactly one normal.
    EXPECT_EQ(model->normalcount, 8u);
    expect_valid_normal_indices(*model);
    // Vertex 1 is used by two triangles of each of its three faces.
    const ModelTriangle& first = model->triangles[0];
    ASSERT_EQ(first.vertexidx[0], 1u);
    expect_vec_near(normal(*model, first.normalidx[0]), normalized({-1, -1, -1}));
    for (const ModelTriangle& t : model->triangles)
        for (int k = 0; k < 3; ++k) {
            if (t.vertexidx[k] != 1) continue;
            EXPECT_EQ(t.normalidx[k], first.normalidx[0]);
        }
}

TEST(VertexNormals, CoplanarTrianglesShareOneNormalPerVertex)
{
    auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);
    add_triangle(*model, group, 1, 3, 4);
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_EQ(model->normalcount, 4u);
    EXPECT_EQ(model->triangles[0].normalidx[0], model->triangles[1].normalidx[0]);
    EXPECT_EQ(model->triangles[0].normalidx[2], model->triangles[1].normalidx[1]);
    for (uint32_t i = 1; i <= 4; ++i) expect_vec_near(normal(*model, i), {0, 0, 1});
}

TEST(VertexNormals, HighestTriangleIsTheReferenceFacet)
{
    // Vertex 1 is used by three triangles with normals +z (triangle 0), 60
    // degrees from z towards x (triangle 1) and +x (triangle 2). Against the
    // reference +x, only triangle 1 lies within 45 degrees.
    auto model = model_with_vertices(
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {-0.5f, 0, 0.8660254f}, {0, 1, 0}, {0, 0, 1}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);
    add_triangle(*model, group, 1, 4, 5);
    add_triangle(*model, group, 1, 6, 7);
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 45.0f);
    expect_valid_normal_indices(*model);
    uint32_t shared = model->triangles[2].normalidx[0];
    EXPECT_EQ(model->triangles[1].normalidx[0], shared);
    EXPECT_NE(model->triangles[0].normalidx[0], shared);
    expect_vec_near(normal(*model, shared), normalized({1.8660254f, 0, 0.5f}), 1e-5f);
    expect_vec_near(normal(*model, model->triangles[0].normalidx[0]), {0, 0, 1});
    // Vertex 1's shared normal comes first, then its own copy for triangle 0.
    EXPECT_EQ(shared, 1u);
    EXPECT_EQ(model->triangles[0].normalidx[0], 2u);
}

TEST(VertexNormals, NinetyDegreeThresholdSitsJustBelowZero)
{
    // The threshold is cos(90 * 3.1415927f / 180) = -4.371139e-08: a dot of
    // -3e-08 is still averaged, one of -6e-08 is not.
    for (float dot : {-3e-8f, -6e-8f}) {
        auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        ModelGroup* group = add_group(*model, "default");
        add_triangle(*model, group, 1, 2, 3);
        add_triangle(*model, group, 1, 3, 2);
        glmTriangleNormals(model.get());
        model->facetnorms = {0, 0, 0, 1, 0, 0, dot, 1, 0};
        glmVertexNormals(model.get(), 90.0f);
        bool shared = model->triangles[0].normalidx[0] == model->triangles[1].normalidx[0];
        EXPECT_EQ(shared, dot > -4.371139e-08f) << "dot " << dot;
    }
}

TEST(VertexNormals, HalfTurnExcludesOnlyTheOppositeFacet)
{
    // Vertex 1 in three triangles: +z, +x, then -z as the reference.
    auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, 0, 1}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);  // +z
    add_triangle(*model, group, 1, 4, 5);  // +x
    add_triangle(*model, group, 1, 3, 2);  // -z
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 180.0f);
    uint32_t shared = model->triangles[2].normalidx[0];
    EXPECT_EQ(model->triangles[1].normalidx[0], shared);
    EXPECT_NE(model->triangles[0].normalidx[0], shared);
    expect_vec_near(normal(*model, shared), normalized({1, 0, -1}));
    expect_vec_near(normal(*model, model->triangles[0].normalidx[0]), {0, 0, 1});
}

TEST(VertexNormals, FacetsOutsideTheAngleGetTheirOwnCopies)
{
    // Two triangles folded 120 degrees apart along the edge 1-2.
    auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0.5f, 0.8660254f}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);
    add_triangle(*model, group, 2, 1, 4);
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    // Shared edge vertices: one shared normal and one copy each; others one.
    EXPECT_EQ(model->normalcount, 6u);
    expect_valid_normal_indices(*model);
    EXPECT_NE(model->triangles[0].normalidx[0], model->triangles[1].normalidx[1]);
    expect_vec_near(normal(*model, model->triangles[0].normalidx[0]), {0, 0, 1});
}

TEST(VertexNormals, UnusedVertexReportsOnceAndAddsNoNormal)
{
    auto model = single_triangle();
    model->vertices.insert(model->vertices.end(), {5, 5, 5});
    model->vertexcount = 4;
    glmTriangleNormals(model.get());
    EXPECT_EQ(capture_console([&] { glmVertexNormals(model.get(), 90.0f); }).err,
              "glmVertexNormals(): vertex w/o a triangle\n");
    EXPECT_EQ(model->normalcount, 3u);
    expect_valid_normal_indices(*model);
}

TEST(VertexNormals, RepeatedOrMissingVertexStillGivesEveryCornerANormal)
{
    auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);
    add_triangle(*model, group, 2, 1, 2);   // names vertex 2 twice
    add_triangle(*model, group, 1, 40, 3);  // names a vertex that does not exist
    for (float angle : {90.0f, 0.0f}) {
        glmTriangleNormals(model.get());
        glmVertexNormals(model.get(), angle);
        expect_valid_normal_indices(*model);
    }
}

TEST(VertexNormals, ReplacesNormalsReadFromFile)
{
    auto model = single_triangle();
    set_normals(*model, {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}});
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_EQ(model->normalcount, 3u);
    expect_valid_normal_indices(*model);
    expect_vec_near(normal(*model, 2), {0, 0, 1});
}

TEST(GeometryPreconditions, MissingArgumentsStopWithTheirExpression)
{
    auto empty = std::make_unique<Model>();
    auto model = single_triangle();
    float v[3] = {1, 0, 0};
    EXPECT_DEATH(glmFitUnitBox(nullptr), "Assertion `model' failed");
    EXPECT_DEATH(glmFitUnitBox(empty.get()), "Assertion `model->vertices' failed");
    EXPECT_DEATH(glmExtents(model.get(), nullptr), "Assertion `dimensions' failed");
    EXPECT_DEATH(glmTriangleNormals(empty.get()), "Assertion `model->vertices' failed");
    EXPECT_DEATH(glmVertexNormals(model.get(), 90.0f), "Assertion `model->facetnorms' failed");
    EXPECT_DEATH(glmFlipWinding(nullptr), "Assertion `model' failed");
    EXPECT_DEATH(glmDotProduct(nullptr, v), "Assertion `u' failed");
    EXPECT_DEATH(glmCrossProduct(v, v, nullptr), "Assertion `n' failed");
    EXPECT_DEATH(glmUnitLength(nullptr), "Assertion `v' failed");
}
