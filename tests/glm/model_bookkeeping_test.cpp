// Groups, material lookup, directory part of a path, release and the
// bookkeeping preconditions, on models built directly.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "read_fixture.h"

namespace {

using Names = std::vector<std::string>;

ModelPtr empty_model() { return ModelPtr(new Model()); }

TEST(ModelBookkeeping, NewGroupsGoToTheHeadOfTheList)
{
    ModelPtr model = empty_model();
    glmEnsureGroup(model.get(), "default");
    glmEnsureGroup(model.get(), "a");
    glmEnsureGroup(model.get(), "b");
    EXPECT_EQ(group_names(*model), (Names{"b", "a", "default"}));
    EXPECT_EQ(model->groupcount, 3u);
}

TEST(ModelBookkeeping, EnsuringAGroupTwiceReturnsTheSameGroup)
{
    ModelPtr model = empty_model();
    ModelGroup* first = glmEnsureGroup(model.get(), "hull");
    first->material = 2;
    ModelGroup* again = glmEnsureGroup(model.get(), "hull");
    EXPECT_EQ(first, again);
    EXPECT_EQ(model->groupcount, 1u);
    EXPECT_EQ(again->material, 2u);
    EXPECT_EQ(again->trianglecount, 0u);
    EXPECT_TRUE(again->triangles.empty());
}

TEST(ModelBookkeeping, LookupComparesNamesByteForByte)
{
    ModelPtr model = empty_model();
    ModelGroup* hull = glmEnsureGroup(model.get(), "hull");
    EXPECT_EQ(glmLookupGroup(model.get(), "hull"), hull);
    EXPECT_EQ(glmLookupGroup(model.get(), "Hull"), nullptr);
    EXPECT_EQ(glmLookupGroup(model.get(), " hull"), nullptr);
    EXPECT_EQ(glmLookupGroup(model.get(), "hul"), nullptr);
    EXPECT_NE(glmEnsureGroup(model.get(), " hull"), hull);
    EXPECT_EQ(model->groupcount, 2u);
}

TEST(ModelBookkeeping, FindMaterialReturnsTheLowestIndexOfThatName)
{
    ModelPtr model = empty_model();
    for (const char* name : {"default", "red", "blue", "red"})
        add_material(*model, name, {1, 1, 1});
    EXPECT_EQ(glmFindMaterial(model.get(), "red"), 1u);
    EXPECT_EQ(glmFindMaterial(model.get(), "blue"), 2u);
    EXPECT_EQ(glmFindMaterial(model.get(), "default"), 0u);
}

TEST(ModelBookkeeping, MissingMaterialPrintsAndGivesDefault)
{
    ModelPtr model = empty_model();
    for (const char* name : {"default", "red"}) add_material(*model, name, {1, 1, 1});
    uint32_t found = 99;
    EXPECT_EQ(capture_console([&] { found = glmFindMaterial(model.get(), "RED"); }).out,
              "glmFindMaterial():  can't find material \"RED\".\n");
    EXPECT_EQ(found, 0u);
}

TEST(ModelBookkeeping, ModelWithoutMaterialsFindsNothing)
{
    ModelPtr model = empty_model();
    uint32_t found = 99;
    EXPECT_EQ(capture_console([&] { found = glmFindMaterial(model.get(), "default"); }).out,
              "glmFindMaterial():  can't find material \"default\".\n");
    EXPECT_EQ(found, 0u);
}

TEST(ModelBookkeeping, DirectoryOfKeepsEverythingUpToTheLastSlash)
{
    EXPECT_EQ(glmDirectoryOf("a/b/c.obj"), "a/b/");
    EXPECT_EQ(glmDirectoryOf("data/chasseur.obj"), "data/");
    EXPECT_EQ(glmDirectoryOf("c.obj"), "");
    EXPECT_EQ(glmDirectoryOf("dir\\c.obj"), "");
    EXPECT_EQ(glmDirectoryOf("/abs.obj"), "/");
    EXPECT_EQ(glmDirectoryOf("dir/"), "dir/");
    EXPECT_EQ(glmDirectoryOf(""), "");
}

TEST(ModelBookkeeping, ReleaseFreesALongGroupList)
{
    // A list this long would overflow the stack if freed recursively; the
    // sanitizer build checks that nothing leaks.
    constexpr int many_groups = 200000;
    Model* model = new Model();
    for (int i = 0; i < many_groups; ++i) {
        auto group = std::make_unique<ModelGroup>();
        group->triangles.assign(3, 0);
        group->next = std::move(model->groups);
        model->groups = std::move(group);
    }
    model->mtlfile = "ship.mtl";
    model->vertices.assign(6, 1.0f);
    add_material(*model, "default", {1, 1, 1});
    glmRelease(model);
}

TEST(ModelBookkeeping, OperationsWithoutAModelStop)
{
    EXPECT_DEATH(glmLookupGroup(nullptr, "a"), "Assertion `model' failed");
    EXPECT_DEATH(glmEnsureGroup(nullptr, "a"), "Assertion `model' failed");
    EXPECT_DEATH(glmRelease(nullptr), "Assertion `model' failed");
    EXPECT_DEATH(glmFindMaterial(nullptr, "a"), "Assertion `model' failed");
}

}  // namespace
