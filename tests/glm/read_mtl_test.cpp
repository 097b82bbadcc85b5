// Material libraries: where they are looked for, defaults, colours,
// shininess, usemtl and the group materials, on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <unistd.h>

#include "read_fixture.h"

namespace {

const char triangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

std::vector<float> rgba(const float* c) { return {c[0], c[1], c[2], c[3]}; }

TEST_F(ReadTest, MaterialsStartFromTheDefaults)
{
    dir.write("m.mtl", "newmtl plain\n");
    ModelPtr model = read_obj("mtllib m.mtl\n");
    ASSERT_EQ(model->materialcount, 2u);
    ASSERT_EQ(model->materials.size(), 2u);
    EXPECT_EQ(model->materials[0].name, "default");
    EXPECT_EQ(model->materials[1].name, "plain");
    for (const ModelMaterial& m : model->materials) {
        EXPECT_EQ(rgba(m.diffuse), (std::vector<float>{0.8f, 0.8f, 0.8f, 1.0f}));
        EXPECT_EQ(rgba(m.ambient), (std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}));
        EXPECT_EQ(rgba(m.specular), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));
        EXPECT_EQ(m.shininess, 65.0f);
    }
    EXPECT_EQ(model->mtlfile, std::string("m.mtl"));
}

TEST_F(ReadTest, ColoursSetThreeComponentsAndKeepAlpha)
{
    dir.write("m.mtl", "newmtl hull\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6 0.7\nKs 1 1 1\nKe 9 9 9\n");
    ModelPtr model = read_obj("mtllib m.mtl\n");
    const ModelMaterial& m = model->materials.at(1);
    EXPECT_EQ(rgba(m.ambient), (std::vector<float>{0.1f, 0.2f, 0.3f, 1.0f}));
    EXPECT_EQ(rgba(m.diffuse), (std::vector<float>{0.4f, 0.5f, 0.6f, 1.0f}));
    EXPECT_EQ(rgba(m.specular), (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f}));
}

TEST_F(ReadTest, MissingColourComponentsKeepTheirValues)
{
    dir.write("m.mtl", "newmtl a\nKd 0.5\nNs\n# end\n");
    ModelPtr model = read_obj("mtllib m.mtl\n");
    EXPECT_EQ(rgba(model->materials.at(1).diffuse), (std::vector<float>{0.5f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(model->materials.at(1).shininess, 65.0f);
}

TEST_F(ReadTest, ShininessIsConvertedToTheOpenGLScale)
{
    dir.write("m.mtl", "newmtl full\nNs 1000\nnewmtl half\nNs 500\nnewmtl later\nNs 500\nNi 250\n");
    ModelPtr model = read_obj("mtllib m.mtl\n");
    EXPECT_EQ(model->materials.at(1).shininess, 128.0f);
    EXPECT_EQ(model->materials.at(2).shininess, 64.0f);
    EXPECT_EQ(model->materials.at(3).shininess, 32.0f);
    // Each step is stored as a float: 96.1 / 1000 first, then times 128.
    dir.write("m.mtl", "newmtl odd\nNs 96.1\n");
    ModelPtr odd = read_obj("mtllib m.mtl\n", "odd.obj");
    float step = static_cast<float>(96.1f / 1000.0);
    EXPECT_EQ(odd->materials.at(1).shininess, static_cast<float>(step * 128.0));
}

TEST_F(ReadTest, StatementsBeforeTheFirstNewmtlChangeDefault)
{
    dir.write("m.mtl", "Kd 0.1 0.2 0.3\nNs 500\nnewmtl red\nKd 1 0 0\n");
    ModelPtr model = read_obj("mtllib m.mtl\n");
    EXPECT_EQ(rgba(model->materials[0].diffuse), (std::vector<float>{0.1f, 0.2f, 0.3f, 1.0f}));
    EXPECT_EQ(model->materials[0].shininess, 64.0f);
    EXPECT_EQ(model->materials[0].name, "default");
    EXPECT_EQ(rgba(model->materials[1].diffuse), (std::vector<float>{1, 0, 0, 1}));
}

TEST_F(ReadTest, NamesAreTheSecondWordOfTheirLine)
{
    dir.write("b.mtl", "newmtl shiny red\nnewmtl\n");
    ModelPtr model = read_obj("mtllib a.mtl b.mtl\n");
    EXPECT_EQ(model->mtlfile, std::string("b.mtl"));
    EXPECT_EQ(model->materials.at(1).name, "red");
    EXPECT_EQ(model->materials.at(2).name, "");
}

TEST_F(ReadTest, UsemtlBeforeMtllibStillFindsItsMaterial)
{
    dir.write("m.mtl", "newmtl red\nnewmtl blue\n");
    ModelPtr model = read_obj(std::string(triangle) + "usemtl blue\nf 1 2 3\nmtllib m.mtl\n");
    EXPECT_EQ(model->groups->material, 2u);
    EXPECT_EQ(printed.find("glmFindMaterial"), std::string::npos);
}

TEST_F(ReadTest, GroupTakesTheMaterialCurrentWhenEnteredAndTheLastUsemtl)
{
    dir.write("m.mtl", "newmtl red\nnewmtl blue\nnewmtl green\n");
    ModelPtr model =
        read_obj("mtllib m.mtl\n" + std::string(triangle) +
                 "usemtl red\ng a\nf 1 2 3\ng b\nusemtl blue\nusemtl green\nf 1 2 3\n");
    EXPECT_EQ(glmLookupGroup(model.get(), " a")->material, 1u);
    EXPECT_EQ(glmLookupGroup(model.get(), " b")->material, 3u);
    EXPECT_EQ(glmLookupGroup(model.get(), "default")->material, 1u);
}

TEST_F(ReadTest, UnknownMaterialFallsBackToDefaultWithAMessage)
{
    dir.write("m.mtl", "newmtl red\n");
    ModelPtr model = read_obj("mtllib m.mtl\ng a\nusemtl Red\nusemtl\n");
    EXPECT_NE(printed.find("glmFindMaterial():  can't find material \"Red\".\n"),
              std::string::npos);
    EXPECT_NE(printed.find("glmFindMaterial():  can't find material \"\".\n"), std::string::npos);
    EXPECT_EQ(glmLookupGroup(model.get(), " a")->material, 0u);
}

TEST_F(ReadTest, UsemtlTakesTheFirstOfMaterialsSharingAName)
{
    dir.write("m.mtl", "newmtl twice\nKd 1 0 0\nnewmtl other\nnewmtl twice\nKd 0 0 1\n");
    ModelPtr model = read_obj("mtllib m.mtl\ng a\nusemtl twice\n");
    EXPECT_EQ(glmLookupGroup(model.get(), " a")->material, 1u);
    EXPECT_EQ(printed.find("can't find"), std::string::npos);
}

TEST_F(ReadTest, ManyMaterialsAreFoundByName)
{
    constexpr uint32_t materials = 500;
    std::string library, text = "mtllib m.mtl\n" + std::string(triangle);
    for (uint32_t k = 0; k < materials; ++k) library += "newmtl m" + std::to_string(k) + "\n";
    dir.write("m.mtl", library);
    // Group k uses material m(7k mod 500), entry 1 + that of the table.
    for (uint32_t k = 0; k < materials; ++k)
        text += "g g" + std::to_string(k) + "\nusemtl m" + std::to_string(7 * k % materials) + "\n";
    ModelPtr model = read_obj(text);
    ASSERT_EQ(model->materialcount, materials + 1);
    for (uint32_t k = 0; k < materials; ++k) {
        const std::string name = " g" + std::to_string(k);
        ASSERT_EQ(glmLookupGroup(model.get(), name.c_str())->material, 1 + 7 * k % materials)
            << name;
    }
    EXPECT_EQ(printed.find("can't find"), std::string::npos);
}

TEST_F(ReadTest, UsemtlWithoutLibraryUsesMaterialZero)
{
    ModelPtr model = read_obj("usemtl red\n");
    EXPECT_EQ(printed, ": open data file \"" + dir.file("model.obj") +
                           "\".\nglmFindMaterial():  can't find material \"red\".\n");
    EXPECT_EQ(model->groups->material, 0u);
    EXPECT_EQ(model->materialcount, 0u);
}

TEST_F(ReadTest, ALaterMtllibReplacesTheEarlierLibrary)
{
    dir.write("big.mtl", "newmtl a\nnewmtl b\nnewmtl c\n");
    dir.write("small.mtl", "newmtl x\n");
    ModelPtr model = read_obj("mtllib big.mtl\ng g\nusemtl c\nmtllib small.mtl\n");
    EXPECT_EQ(model->mtlfile, std::string("small.mtl"));
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_EQ(model->materials[1].name, "x");
    // "c" is gone by the time usemtl is resolved: the group gets 0, never 3.
    EXPECT_EQ(glmLookupGroup(model.get(), " g")->material, 0u);
}

TEST_F(ReadTest, LibraryIsLookedForBesideTheObjFile)
{
    std::string sub = dir.file("data");
    ASSERT_EQ(std::system(("mkdir '" + sub + "'").c_str()), 0);
    dir.write("data/ship.mtl", "newmtl beside\n");
    dir.write("ship.mtl", "newmtl wrong\n");
    ModelPtr model = read_obj("mtllib ship.mtl\n", "data/ship.obj");
    EXPECT_EQ(model->materials.at(1).name, "beside");
}

TEST_F(ReadTest, LibraryOfAPathWithoutDirectoryIsTheNameAlone)
{
    dir.write("ship.mtl", "newmtl here\n");
    dir.write("ship.obj", "mtllib ship.mtl\n");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ModelPtr model = read_model("ship.obj");
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(model->materials.at(1).name, "here");
}

TEST_F(ReadTest, MissingLibraryEndsWithStatusOneAfterTheOpenLine)
{
    std::string path = dir.write("ship.obj", "mtllib none.mtl\n");
    std::string out = dir.file("out.txt");
    EXPECT_EXIT(read_into(path, out), ::testing::ExitedWithCode(1),
                "^glmReadMTL\\(\\) failed: can't open material file \"" + dir.file("none.mtl") +
                    "\"\\.\n$");
    EXPECT_EQ(read_file(out), ": open data file \"" + path + "\".\n");
}

TEST_F(ReadTest, EmptyLibraryNameFailsToOpen)
{
    std::string path = dir.write("ship.obj", "mtllib\n");
    EXPECT_EXIT(glmReadOBJ(path.c_str()), ::testing::ExitedWithCode(1),
                "glmReadMTL\\(\\) failed: can't open material file \"" + dir.path() +
                    "/\": not a regular file\\.\n");
}

TEST_F(ReadTest, LibraryWhosePassesDisagreeIsUnreadable)
{
    // The filling pass reads "ne" of the second newmtl as a failed "nan".
    dir.write("m.mtl", "newmtl a\nNs\nnewmtl b\n");
    std::string path = dir.write("ship.obj", "mtllib m.mtl\n");
    EXPECT_EXIT(glmReadOBJ(path.c_str()), ::testing::ExitedWithCode(1),
                "glmReadMTL\\(\\) failed: \"" + dir.file("m.mtl") +
                    "\": the counting and filling passes disagree");
}

}  // namespace
