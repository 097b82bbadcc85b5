// Faces: corner forms, fan triangulation, short and partial corners, and
// relative indices, on real files.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "read_fixture.h"

namespace {

using Triangles = std::vector<std::array<uint32_t, 3>>;

std::string vertices(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += "v " + std::to_string(i) + " 0 0\n";
    return text;
}

std::array<uint32_t, 3> normals_of(const ModelTriangle& t)
{
    return {t.normalidx[0], t.normalidx[1], t.normalidx[2]};
}

std::array<uint32_t, 3> texcoords_of(const ModelTriangle& t)
{
    return {t.texcoordidx[0], t.texcoordidx[1], t.texcoordidx[2]};
}

TEST_F(ReadTest, QuadSplitsIntoFanTriangles)
{
    ModelPtr model = read_obj(vertices(4) + "f 1 2 3 4\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}, {1, 3, 4}}));
}

TEST_F(ReadTest, PentagonAddsOneMoreFanTriangle)
{
    ModelPtr model = read_obj(vertices(5) + "f 1 2 3 4 5\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}, {1, 3, 4}, {1, 4, 5}}));
    EXPECT_EQ(group_triangles(*model, "default"), (std::vector<uint32_t>{0, 1, 2}));
}

TEST_F(ReadTest, FaceContinuesOnTheNextLine)
{
    ModelPtr model = read_obj(vertices(4) + "f 1 2\n  3\n4\nf 4 3 2\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}, {1, 3, 4}, {4, 3, 2}}));
}

TEST_F(ReadTest, ShortFacesRepeatTheLastCorner)
{
    ModelPtr model = read_obj(vertices(3) + "f 1 2\ng a\nf 3\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 2}, {3, 3, 3}}));
    EXPECT_EQ(group_triangles(*model, " a"), std::vector<uint32_t>{1});
}

TEST_F(ReadTest, EachFormSetsOnlyItsFields)
{
    ModelPtr model = read_obj(vertices(3) +
                              "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\nvn 0 1 0\n"
                              "f 1/1/2 2/2/1 3/3/2\nf 1//2 2//1 3//2\nf 1/3 2/2 3/1\nf 3 2 1\n");
    ASSERT_EQ(model->trianglecount, 4u);
    const ModelTriangle* t = model->triangles.data();
    EXPECT_EQ(texcoords_of(t[0]), (std::array<uint32_t, 3>{1, 2, 3}));
    EXPECT_EQ(normals_of(t[0]), (std::array<uint32_t, 3>{2, 1, 2}));
    EXPECT_EQ(texcoords_of(t[1]), (std::array<uint32_t, 3>{0, 0, 0}));
    EXPECT_EQ(normals_of(t[1]), (std::array<uint32_t, 3>{2, 1, 2}));
    EXPECT_EQ(texcoords_of(t[2]), (std::array<uint32_t, 3>{3, 2, 1}));
    EXPECT_EQ(normals_of(t[2]), (std::array<uint32_t, 3>{0, 0, 0}));
    EXPECT_EQ(texcoords_of(t[3]), (std::array<uint32_t, 3>{0, 0, 0}));
    EXPECT_EQ(normals_of(t[3]), (std::array<uint32_t, 3>{0, 0, 0}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t[i].facetnormidx, 0u);
}

TEST_F(ReadTest, FanTrianglesCarryEveryFieldOfTheirCorners)
{
    ModelPtr model = read_obj(vertices(4) +
                              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0 1 0\n"
                              "f 1/4/1 2/3/2 3/2/1 4/1/2\n");
    ASSERT_EQ(model->trianglecount, 2u);
    EXPECT_EQ(texcoords_of(model->triangles[1]), (std::array<uint32_t, 3>{4, 2, 1}));
    EXPECT_EQ(normals_of(model->triangles[1]), (std::array<uint32_t, 3>{1, 1, 2}));
}

TEST_F(ReadTest, PartialCornerKeepsThePreviousCornersOtherFields)
{
    // "3/3" gives no normal: it keeps normal 2 of the corner before, and
    // still counts as a corner in both passes.
    ModelPtr model = read_obj(vertices(4) +
                              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0 1 0\n"
                              "f 1/1/1 2/2/2 3/3 4/4/1\n");
    ASSERT_EQ(model->trianglecount, 2u);
    EXPECT_EQ(normals_of(model->triangles[0]), (std::array<uint32_t, 3>{1, 2, 2}));
    EXPECT_EQ(texcoords_of(model->triangles[0]), (std::array<uint32_t, 3>{1, 2, 3}));
    EXPECT_EQ(normals_of(model->triangles[1]), (std::array<uint32_t, 3>{1, 2, 1}));
}

TEST_F(ReadTest, SingleSlashesInADoubleSlashFaceGiveOneCornerPerNumber)
{
    ModelPtr model = read_obj(vertices(4) + "vn 0 0 1\nf 1//1 2/3/4\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}, {1, 3, 4}}));
    EXPECT_EQ(normals_of(model->triangles[1]), (std::array<uint32_t, 3>{1, 1, 1}));
}

TEST_F(ReadTest, NegativeIndicesCountBackFromTheLatestRead)
{
    ModelPtr model =
        read_obj(vertices(3) + "vn 0 0 1\nf -3//-1 -2//-1 -1//-1\n" + vertices(1) + "f -1 -2 -4\n");
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}, {4, 3, 1}}));
    EXPECT_EQ(normals_of(model->triangles[0]), (std::array<uint32_t, 3>{1, 1, 1}));
}

TEST_F(ReadTest, PositiveIndicesMayReferToLaterVertices)
{
    ModelPtr model = read_obj("f 1 2 3\n" + vertices(3));
    EXPECT_EQ(triangle_vertices(*model), (Triangles{{1, 2, 3}}));
}

TEST_F(ReadTest, EveryTriangleIsListedInExactlyOneGroup)
{
    ModelPtr model =
        read_obj(vertices(5) + "f 1 2 3 4 5\ng a\nf 1 2 3 4\ng b\nf 5 4 3\ng a\nf 1 2 3\n");
    std::vector<int> listed(model->trianglecount, 0);
    uint32_t total = 0;
    for (const ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get()) {
        total += g->trianglecount;
        for (uint32_t k = 0; k < g->trianglecount; ++k) listed.at(g->triangles[k])++;
    }
    EXPECT_EQ(total, model->trianglecount);
    EXPECT_EQ(listed, std::vector<int>(7, 1));
}

}  // namespace
