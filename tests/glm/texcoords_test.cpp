// Planar and sphere-map texture coordinates on hand-built models.
#include <gtest/gtest.h>

#include <cmath>

#include "glm.h"
#include "model_builder.h"

namespace {

std::array<float, 2> pair(const Model& model, uint32_t i)
{
    return {model.texcoords[2 * i], model.texcoords[2 * i + 1]};
}

// A model whose only triangle uses its normals 1, 2, 3 as listed.
std::unique_ptr<Model> model_with_normals(const std::vector<Vec3>& normals)
{
    auto model = single_triangle();
    set_normals(*model, normals);
    return model;
}

}  // namespace

TEST(PlanarTexCoords, CentredModelMapsWidestAxisOntoZeroToOne)
{
    auto model = model_with_vertices({{1, 0, 0}, {-1, 0.5f, 0}, {0, -0.5f, 0.5f}, {0, 0.5f, 0.5f}});
    ModelGroup* group = add_group(*model, "default");
    add_triangle(*model, group, 1, 2, 3);
    add_triangle(*model, group, 4, 3, 2);
    model->triangles[1].texcoordidx[0] = 77;
    glmPlanarTexCoords(model.get());
    ASSERT_EQ(model->texcoordcount, 4u);
    ASSERT_EQ(model->texcoords.size(), 10u);
    EXPECT_EQ(pair(*model, 1), (std::array<float, 2>{1.0f, 0.5f}));
    EXPECT_EQ(pair(*model, 2), (std::array<float, 2>{0.0f, 0.5f}));
    EXPECT_EQ(pair(*model, 3), (std::array<float, 2>{0.5f, 0.75f}));
    // Projected along y: vertices 3 and 4 differ only in y.
    EXPECT_EQ(pair(*model, 3), pair(*model, 4));
    for (const ModelTriangle& t : model->triangles)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(t.texcoordidx[k], t.vertexidx[k]);
}

TEST(PlanarTexCoords, PositionsAreNotRecentred)
{
    // x spans 1 to 3: extent 4, scale 0.5, so x = 3 maps past 1.
    auto model = model_with_vertices({{1, 0, 1}, {3, 0, 1}});
    glmPlanarTexCoords(model.get());
    EXPECT_EQ(pair(*model, 1), (std::array<float, 2>{0.75f, 0.75f}));
    EXPECT_EQ(pair(*model, 2), (std::array<float, 2>{1.25f, 0.75f}));
}

TEST(PlanarTexCoords, ModelAtTheOriginMapsToTheCentre)
{
    auto model = model_with_vertices({{0, 0, 0}, {0, 0, 0}});
    glmPlanarTexCoords(model.get());
    EXPECT_EQ(pair(*model, 2), (std::array<float, 2>{0.5f, 0.5f}));
}

TEST(PlanarTexCoords, OnlyGroupedTrianglesAreReassigned)
{
    auto model = single_triangle();
    ModelTriangle loose{};
    loose.vertexidx[0] = loose.vertexidx[1] = loose.vertexidx[2] = 1;
    loose.texcoordidx[0] = 9;
    model->triangles.push_back(loose);
    model->trianglecount = 2;
    model->groups->triangles.push_back(30);  // names no triangle
    model->groups->trianglecount = 2;
    glmPlanarTexCoords(model.get());
    EXPECT_EQ(model->triangles[0].texcoordidx[2], 3u);
    EXPECT_EQ(model->triangles[1].texcoordidx[0], 9u);
}

TEST(SphereTexCoords, AxisNormalsGiveHalfTurnsAndXAxisGivesZero)
{
    auto model =
        model_with_normals({{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}, {0, 0, 0}, {0, 0, -1}});
    model->triangles[0].normalidx[0] = 6;
    glmSphereTexCoords(model.get());
    ASSERT_EQ(model->texcoordcount, 6u);
    EXPECT_FLOAT_EQ(pair(*model, 1)[0],
                    static_cast<float>((std::asin(1.0) + 1.570796325) / 3.14159265));
    EXPECT_NEAR(pair(*model, 1)[0], 1.0f, 1e-6);
    EXPECT_EQ(pair(*model, 1)[1], static_cast<float>(1.5707964f / 3.14159265));
    EXPECT_EQ(pair(*model, 2)[0], static_cast<float>(1.5707961f / 3.14159265));
    EXPECT_EQ(pair(*model, 2)[1], static_cast<float>(1.5707964f / 3.14159265));
    for (uint32_t i : {3u, 4u, 5u})
        EXPECT_EQ(pair(*model, i), (std::array<float, 2>{0.0f, 0.0f})) << i;
    // The sign of z does not matter.
    EXPECT_EQ(pair(*model, 6), pair(*model, 2));
    EXPECT_EQ(model->triangles[0].texcoordidx[0], 6u);
    EXPECT_EQ(model->triangles[0].texcoordidx[1], 2u);
}

TEST(SphereTexCoords, SecondCoordinateIsTheAngleFromX)
{
    auto model = model_with_normals({{0.5f, 0.8660254f, 0}, {-0.5f, 0, -0.8660254f}});
    glmSphereTexCoords(model.get());
    EXPECT_NEAR(pair(*model, 1)[1], 1.0f / 3, 1e-6);
    EXPECT_NEAR(pair(*model, 1)[0], 1.0f, 1e-6);  // y / rho = 1
    EXPECT_NEAR(pair(*model, 2)[1], 2.0f / 3, 1e-6);
    EXPECT_NEAR(pair(*model, 2)[0], 0.5f, 1e-6);
}

TEST(TexCoordPreconditions, MissingModelOrNormalsStop)
{
    auto model = single_triangle();
    EXPECT_DEATH(glmPlanarTexCoords(nullptr), "Assertion `model' failed");
    EXPECT_DEATH(glmSphereTexCoords(nullptr), "Assertion `model' failed");
    EXPECT_DEATH(glmSphereTexCoords(model.get()), "Assertion `model->normals' failed");
}
