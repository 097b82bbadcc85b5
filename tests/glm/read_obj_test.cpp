// OBJ statements, groups, counts and the reader's messages, on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "read_fixture.h"

namespace {

using Names = std::vector<std::string>;
using Indices = std::vector<uint32_t>;

TEST_F(ReadTest, OpeningPrintsTheFileNameOnStandardOutput)
{
    ModelPtr model = read_obj(square_vertices());
    EXPECT_EQ(printed, ": open data file \"" + dir.file("model.obj") + "\".\n");
    EXPECT_EQ(model->filepath, dir.file("model.obj"));
    EXPECT_FALSE(model->mtlfile.has_value());
}

TEST_F(ReadTest, CountsAndArraysAreSizedExactly)
{
    ModelPtr model = read_obj(std::string(square_vertices()) +
                              "vn 0 0 1\nvt 0 0\nvt 1 1\nf 1/1/1 2/2/1 3/2/1\n");
    EXPECT_EQ(model->vertexcount, 4u);
    EXPECT_EQ(model->vertices.size(), 3u * 5);
    EXPECT_EQ(model->normalcount, 1u);
    EXPECT_EQ(model->normals.size(), 3u * 2);
    EXPECT_EQ(model->texcoordcount, 2u);
    EXPECT_EQ(model->texcoords.size(), 2u * 3);
    EXPECT_EQ(model->trianglecount, 1u);
    EXPECT_EQ(model->facetnormcount, 0u);
    EXPECT_TRUE(model->facetnorms.empty());
    EXPECT_EQ(model->materialcount, 0u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 3 + 1], 1.0f);
    EXPECT_FLOAT_EQ(model->texcoords[2 * 2 + 1], 1.0f);
}

TEST_F(ReadTest, FileWithoutVerticesStillHasElementZero)
{
    ModelPtr model = read_obj("# nothing here\n");
    EXPECT_EQ(model->vertexcount, 0u);
    EXPECT_EQ(model->vertices.size(), 3u);
    EXPECT_TRUE(model->normals.empty());
    EXPECT_TRUE(model->texcoords.empty());
    EXPECT_EQ(group_names(*model), Names{"default"});
}

TEST_F(ReadTest, FacesBeforeTheFirstGroupGoToDefault)
{
    ModelPtr model =
        read_obj(std::string(square_vertices()) + "f 1 2 3\ng a\nf 1 3 4\ng b\nf 2 3 4\nf 1 2 4\n");
    EXPECT_EQ(group_names(*model), (Names{" b", " a", "default"}));
    EXPECT_EQ(model->groupcount, 3u);
    EXPECT_EQ(group_triangles(*model, "default"), Indices{0});
    EXPECT_EQ(group_triangles(*model, " a"), Indices{1});
    EXPECT_EQ(group_triangles(*model, " b"), (Indices{2, 3}));
    for (const ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get())
        EXPECT_EQ(g->triangles.size(), g->trianglecount);
}

TEST_F(ReadTest, DefaultStaysLastEvenWithoutTriangles)
{
    ModelPtr model = read_obj(std::string(square_vertices()) + "g hull\nf 1 2 3\n");
    EXPECT_EQ(group_names(*model), (Names{" hull", "default"}));
    EXPECT_EQ(group_triangles(*model, "default"), Indices{});
}

TEST_F(ReadTest, BlankDefaultIsASecondGroup)
{
    ModelPtr model = read_obj(std::string(square_vertices()) + "f 1 2 3\ng default\nf 1 3 4\n");
    EXPECT_EQ(group_names(*model), (Names{" default", "default"}));
    EXPECT_EQ(group_triangles(*model, " default"), Indices{1});
}

TEST_F(ReadTest, GroupNameKeepsEveryBlankAfterTheKeyword)
{
    ModelPtr model = read_obj("g  two words\t\ng\n");
    EXPECT_EQ(group_names(*model), (Names{"", "  two words\t", "default"}));
}

TEST_F(ReadTest, ReturningToAGroupAddsToIt)
{
    ModelPtr model =
        read_obj(std::string(square_vertices()) + "g a\nf 1 2 3\ng b\nf 1 3 4\ng a\nf 2 3 4\n");
    EXPECT_EQ(model->groupcount, 3u);
    EXPECT_EQ(group_triangles(*model, " a"), (Indices{0, 2}));
    EXPECT_EQ(group_triangles(*model, " b"), Indices{1});
}

TEST_F(ReadTest, ManyGroupsVisitedTwiceKeepTheirOrderAndTriangles)
{
    constexpr uint32_t groups = 1000;
    std::string text = square_vertices();
    for (uint32_t k = 0; k < groups; ++k) text += "g part" + std::to_string(k) + "\nf 1 2 3\n";
    for (uint32_t k = groups; k-- > 0;) text += "g part" + std::to_string(k) + "\nf 1 3 4\n";
    ModelPtr model = read_obj(text);
    EXPECT_EQ(model->groupcount, groups + 1);
    Names expected_order;
    for (uint32_t k = groups; k-- > 0;) expected_order.push_back(" part" + std::to_string(k));
    expected_order.push_back("default");
    EXPECT_EQ(group_names(*model), expected_order);
    for (uint32_t k = 0; k < groups; ++k) {
        const std::string name = " part" + std::to_string(k);
        ASSERT_EQ(group_triangles(*model, name.c_str()), (Indices{k, 2 * groups - 1 - k})) << name;
    }
}

TEST_F(ReadTest, FourthVertexValueIsSkippedWithItsLine)
{
    ModelPtr model = read_obj("v 1 2 3 4\nv 5 6 7\n");
    EXPECT_EQ(model->vertexcount, 2u);
    EXPECT_EQ(std::vector<float>(model->vertices.begin() + 3, model->vertices.end()),
              (std::vector<float>{1, 2, 3, 5, 6, 7}));
}

TEST_F(ReadTest, OnlyTheSecondCharacterAfterVIsTested)
{
    ModelPtr model = read_obj("vnx 0 0 1\nvtx 0.5 0.25\nvn 1 0 0\n");
    EXPECT_EQ(model->normalcount, 2u);
    EXPECT_EQ(model->texcoordcount, 1u);
    EXPECT_FLOAT_EQ(model->normals[3 + 2], 1.0f);
    EXPECT_FLOAT_EQ(model->texcoords[2 + 1], 0.25f);
}

TEST_F(ReadTest, UnusedStatementsAreSkipped)
{
    ModelPtr model =
        read_obj(std::string(square_vertices()) + "o ship\ns 1\nl 1 2\ncstype bezier\nf 1 2 3\n");
    EXPECT_EQ(model->trianglecount, 1u);
    EXPECT_EQ(model->groupcount, 1u);
}

TEST_F(ReadTest, MissingCoordinatesAreZero)
{
    ModelPtr model = read_obj("v 1\nvt\nvn 0 1\nf 1/1/1 1/1/1 1/1/1\n");
    EXPECT_EQ(std::vector<float>(model->vertices.begin() + 3, model->vertices.end()),
              (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(model->texcoords[2], 0.0f);
    EXPECT_EQ(model->texcoords[3], 0.0f);
    EXPECT_EQ(model->normals[3 + 2], 0.0f);
}

// The unknown-token exit: status 1 and the message on standard output.
void expect_unknown_token(const std::string& path, const std::string& out, const std::string& shown)
{
    EXPECT_EXIT(read_into(path, out), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(read_file(out), ": open data file \"" + path +
                                  "\".\nglmFirstPass(): Unknown token \"" + shown + "\".\n");
}

TEST_F(ReadTest, VpStopsWithUnknownToken)
{
    std::string path = dir.write("vp.obj", "v 1 2 3\nvp 0.5\n");
    expect_unknown_token(path, dir.file("out.txt"), "vp");
}

TEST_F(ReadTest, CommentRestBeyond127CharactersIsReadAsTokens)
{
    // "#" and one blank, then 126 more characters: 127 are skipped and the
    // line goes on with " vp" read as a statement.
    std::string comment = "# " + std::string(125, 'x') + " vp\n";
    std::string path = dir.write("long.obj", comment);
    expect_unknown_token(path, dir.file("out.txt"), "vp");

    ModelPtr model = read_obj("# " + std::string(124, 'x') + "\nv 1 2 3\n");
    EXPECT_EQ(model->vertexcount, 1u);
}

TEST_F(ReadTest, UnknownTokenLongerThan127CharactersShowsItsStart)
{
    std::string token = "vq" + std::string(200, 'z');
    std::string path = dir.write("token.obj", token + "\n");
    expect_unknown_token(path, dir.file("out.txt"), token.substr(0, 127));
}

TEST_F(ReadTest, LongTokensAreReadWhole)
{
    // A 300-character comment word and a 300-character keyword starting
    // with 'o' are one token each; the statement after them still counts.
    std::string text =
        "#" + std::string(300, 'c') + "\no" + std::string(300, 'b') + " name\nv 1 2 3\n";
    ModelPtr model = read_obj(text);
    EXPECT_EQ(model->vertexcount, 1u);
}

TEST_F(ReadTest, LongGroupNameKeepsItsFirst126Characters)
{
    std::string name = std::string(200, 'n');
    ModelPtr model = read_obj(std::string(square_vertices()) + "g " + name + "\nf 1 2 3\n");
    EXPECT_EQ(group_names(*model), (Names{" " + name.substr(0, 125), "default"}));
    EXPECT_EQ(group_triangles(*model, (" " + name.substr(0, 125)).c_str()), Indices{0});
}

TEST_F(ReadTest, MissingFileEndsWithStatusOne)
{
    std::string path = dir.file("absent.obj");
    EXPECT_EXIT(glmReadOBJ(path.c_str()), ::testing::ExitedWithCode(1),
                "^glmReadOBJ\\(\\) failed: can't open data file \"" + path + "\"\\.\n$");
}

TEST_F(ReadTest, DirectoryIsNotAModelFile)
{
    EXPECT_EXIT(glmReadOBJ(dir.path().c_str()), ::testing::ExitedWithCode(1),
                "glmReadOBJ\\(\\) failed: can't open data file");
}

// Everything a reader fills in, for comparing two reads.
void expect_same_model(const Model& a, const Model& b)
{
    EXPECT_EQ(a.vertices, b.vertices);
    EXPECT_EQ(a.normals, b.normals);
    EXPECT_EQ(a.texcoords, b.texcoords);
    EXPECT_EQ(triangle_vertices(a), triangle_vertices(b));
    ASSERT_EQ(a.trianglecount, b.trianglecount);
    for (uint32_t i = 0; i < a.trianglecount; ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(a.triangles[i].normalidx[k], b.triangles[i].normalidx[k]);
            EXPECT_EQ(a.triangles[i].texcoordidx[k], b.triangles[i].texcoordidx[k]);
        }
    EXPECT_EQ(group_names(a), group_names(b));
    EXPECT_EQ(a.mtlfile, b.mtlfile);
    ASSERT_EQ(a.materialcount, b.materialcount);
    for (uint32_t i = 0; i < a.materialcount; ++i) {
        EXPECT_EQ(a.materials[i].name, b.materials[i].name);
        EXPECT_EQ(a.materials[i].shininess, b.materials[i].shininess);
    }
    for (const ModelGroup *g = a.groups.get(), *h = b.groups.get(); g && h;
         g = g->next.get(), h = h->next.get()) {
        EXPECT_EQ(g->triangles, h->triangles);
        EXPECT_EQ(g->material, h->material);
    }
}

std::string with_crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST_F(ReadTest, CrLfFileGivesTheSameModelAsLf)
{
    const std::string obj = "mtllib ship.mtl\n# hull\n" + std::string(square_vertices()) +
                            "vn 0 0 1\nvt 0 0\nvt 1 0\ng hull\nusemtl red\n"
                            "f 1/1/1 2/2/1 3/2/1 4/1/1\ng  fins \nf 1//1 3//1\n4//1\n";
    const std::string mtl = "newmtl red\nKd 1 0 0\nNs 500\nnewmtl blue\nKd 0 0 1\n";
    dir.write("ship.mtl", mtl);
    ModelPtr lf = read_obj(obj, "lf.obj");
    dir.write("ship.mtl", with_crlf(mtl));
    ModelPtr crlf = read_obj(with_crlf(obj), "crlf.obj");
    expect_same_model(*lf, *crlf);
    EXPECT_EQ(group_names(*crlf), (Names{"  fins ", " hull", "default"}));
    EXPECT_EQ(crlf->materials[1].name, "red");
    EXPECT_EQ(lf->trianglecount, 3u);
}

}  // namespace
