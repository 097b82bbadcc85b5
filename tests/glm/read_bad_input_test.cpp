// Files the reader must refuse without crashing, writing out of bounds or
// looping: bad face indices and files on which the counting and filling
// passes would disagree. Each one ends with status 1 and a message naming
// the file.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "read_fixture.h"

namespace {

const char triangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

class BadInput : public ReadTest {
protected:
    // Reading the text ends with status 1 and "glmReadOBJ() failed: "
    // naming the file, followed by the expected problem.
    void expect_unreadable(const std::string& text, const std::string& problem)
    {
        std::string path = dir.write("bad.obj", text);
        expect_chunked_reading_same(path);
        EXPECT_EXIT(glmReadOBJ(path.c_str()), ::testing::ExitedWithCode(1),
                    "^glmReadOBJ\\(\\) failed: \"" + path + "\": " + problem);
    }
};

TEST_F(BadInput, VertexIndexZero)
{
    expect_unreadable(std::string(triangle) + "f 1 2 0\n",
                      "vertex index 0 out of range \\(1\\.\\.3\\) on line 4\\.\n$");
}

TEST_F(BadInput, VertexCoordinatesThatAreNotFiniteNumbers)
{
    for (const char* bad : {"v 1 nan 0\n", "v inf 0 0\n", "v 0 0 -1e39\n"}) {
        expect_unreadable(std::string(triangle) + bad + "f 1 2 3\n",
                          "vertex coordinate that is not a finite number on line 4\\.\n$");
    }
}

TEST_F(BadInput, FifoAsModelOrMaterialFileIsRefusedWithoutBlocking)
{
    const std::string fifo = dir.file("pipe.obj");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EXIT(glmReadOBJ(fifo.c_str()), ::testing::ExitedWithCode(1),
                "^glmReadOBJ\\(\\) failed: can't open data file \"" + fifo +
                    "\": not a regular file\\.\n$");
    ASSERT_EQ(mkfifo(dir.file("pipe.mtl").c_str(), 0600), 0);
    const std::string model =
        dir.write("uses_pipe.obj", "mtllib pipe.mtl\n" + std::string(triangle));
    EXPECT_EXIT(
        glmReadOBJ(model.c_str()), ::testing::ExitedWithCode(1),
        "glmReadMTL\\(\\) failed: can't open material file \".*pipe.mtl\": not a regular file");
}

TEST_F(BadInput, VertexIndexBeyondTheCount)
{
    expect_unreadable(std::string(triangle) + "v 1 1 1\nf 1 2 7\n",
                      "vertex index 7 out of range \\(1\\.\\.4\\)");
}

TEST_F(BadInput, FaceWithoutAnyNumber)
{
    expect_unreadable(std::string(triangle) + "f\n", "vertex index 0 out of range");
}

TEST_F(BadInput, HugeIndexDoesNotWrapAround)
{
    // 2^32 + 1 would be index 1 if it were cut to 32 bits.
    expect_unreadable(std::string(triangle) + "f 1 2 4294967297\n",
                      "vertex index 4294967297 out of range");
    expect_unreadable(std::string(triangle) + "f 1 2 999999999999999999999999\n",
                      "vertex index [0-9]+ out of range");
}

TEST_F(BadInput, TextureIndexWithoutTextureCoordinates)
{
    expect_unreadable(
        std::string(triangle) + "f 1/1 2/1 3/1\n",
        "texture coordinate index 1 out of range \\(the file has no texture coordinates\\)");
}

TEST_F(BadInput, NormalIndexBeyondTheNormals)
{
    expect_unreadable(std::string(triangle) + "vn 0 0 1\nf 1//1 2//2 3//1\n",
                      "normal index 2 out of range \\(1\\.\\.1\\)");
}

TEST_F(BadInput, NegativeIndexBeforeTheFirstVertex)
{
    expect_unreadable(std::string(triangle) + "f -1 -2 -4\n",
                      "vertex index -4 out of range \\(-3\\.\\.-1\\)");
    expect_unreadable("f -1 -1 -1\n" + std::string(triangle),
                      "vertex index -1 out of range \\(no vertices read yet\\)");
}

TEST_F(BadInput, GroupStartedOnAVertexLine)
{
    // Counting skips the rest of the vertex line; filling reads "g foo",
    // a group the counting pass never created.
    expect_unreadable("v 1 2 3 g foo\n", "the counting and filling passes disagree on line 1");
}

TEST_F(BadInput, FaceOrVertexStartedOnAVertexLine)
{
    expect_unreadable("v 1 2 3 f 1 1 1\n", "the counting and filling passes disagree");
    expect_unreadable("v 1 2 3 v 4 5 6\n", "the counting and filling passes disagree");
    expect_unreadable("v 1 2 3 vp 4\n", "the counting and filling passes disagree");
    // The third coordinate is taken from the next line, leaving "f" behind.
    expect_unreadable("v 1 2\n3f 1 1 1\n", "the counting and filling passes disagree on line 2");
}

TEST_F(BadInput, FaceThatOnlyTheCountingPassSees)
{
    // Counting skips 127 characters of the vertex line and then meets the
    // face; filling reads the comment and skips 127 characters from there,
    // face included. The model would have an unfilled triangle.
    expect_unreadable("v 1 2 3 #" + std::string(119, ' ') + "f 1 1 1\n",
                      "the counting and filling passes disagree");
}

TEST_F(BadInput, NulBytesAreOrdinaryCharacters)
{
    std::string text =
        std::string(triangle) + "f 1 2 3\ng a" + std::string(1, '\0') + "b\nf 1 2 3\n";
    ModelPtr model = read_obj(text);
    EXPECT_EQ(model->trianglecount, 2u);
    EXPECT_EQ(group_triangles(*model, " a"), std::vector<uint32_t>{1});
}

}  // namespace
