// A written model read back with glmReadOBJ holds the same geometry, faces
// and materials, for generated models and for the two shipped spacecraft.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "read_fixture.h"

namespace {

const unsigned round_trip_modes[] = {
    0,
    MODE_SMOOTH,
    MODE_FLAT,
    MODE_TEXTURE,
    MODE_SMOOTH | MODE_TEXTURE,
    MODE_FLAT | MODE_TEXTURE,
    MODE_MATERIAL,
    MODE_SMOOTH | MODE_TEXTURE | MODE_MATERIAL,
};

// Six decimals are written; the value read back is the float nearest to them.
void expect_arrays_near(const std::vector<float>& written, const std::vector<float>& read,
                        size_t first, const char* what)
{
    ASSERT_EQ(read.size(), written.size()) << what;
    for (size_t i = first; i < written.size(); ++i)
        ASSERT_NEAR(read[i], written[i], 5e-7 + 1e-7 * std::fabs(written[i])) << what << " " << i;
}

void expect_colour_near(const float* written, const float* read, const std::string& name)
{
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(read[i], written[i], 5e-7) << name << " " << i;
}

// The reader's "default" comes first, then every written material, "default" included.
void expect_same_materials(const Model& written, const Model& read)
{
    ASSERT_EQ(read.materialcount, written.materialcount + 1);
    ASSERT_EQ(read.mtlfile, written.mtlfile);
    for (uint32_t i = 0; i < written.materialcount; ++i) {
        const ModelMaterial& before = written.materials[i];
        const ModelMaterial& after = read.materials[i + 1];
        EXPECT_EQ(after.name, before.name);
        expect_colour_near(before.ambient, after.ambient, before.name);
        expect_colour_near(before.diffuse, after.diffuse, before.name);
        expect_colour_near(before.specular, after.specular, before.name);
        EXPECT_NEAR(after.shininess, before.shininess, 1e-4) << before.name;
    }
}

// Corner fields that the mode writes come back; the normal of a flat face is its facet normal.
void expect_same_triangle(const ModelTriangle& before, const ModelTriangle& after, unsigned mode)
{
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(after.vertexidx[c], before.vertexidx[c]);
        if (mode & MODE_TEXTURE) {
            EXPECT_EQ(after.texcoordidx[c], before.texcoordidx[c]);
        }
        if (mode & MODE_SMOOTH) {
            EXPECT_EQ(after.normalidx[c], before.normalidx[c]);
        }
        if (mode & MODE_FLAT) {
            EXPECT_EQ(after.normalidx[c], before.facetnormidx);
        }
    }
}

// Each written group comes back with one more leading blank, in reversed list
// order (so compared by name), plus the reader's own empty "default".
void expect_same_groups(const Model& written, const Model& read, unsigned mode)
{
    ASSERT_EQ(read.groupcount, written.groupcount + 1);
    ModelGroup* fresh = glmLookupGroup(const_cast<Model*>(&read), "default");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->trianglecount, 0u);
    for (const ModelGroup* group = written.groups.get(); group; group = group->next.get()) {
        std::string name = " " + group->name;
        const ModelGroup* again = glmLookupGroup(const_cast<Model*>(&read), name.c_str());
        ASSERT_NE(again, nullptr) << "group \"" << name << "\"";
        ASSERT_EQ(again->trianglecount, group->trianglecount) << name;
        for (uint32_t i = 0; i < group->trianglecount; ++i) {
            SCOPED_TRACE(name + " triangle " + std::to_string(i));
            expect_same_triangle(written.triangles[group->triangles[i]],
                                 read.triangles[again->triangles[i]], mode);
        }
        if (mode & MODE_MATERIAL) {
            EXPECT_EQ(read.materials[again->material].name,
                      written.materials[group->material].name);
        }
    }
}

// The mode the writer settles on for this model (missing parts dropped).
unsigned settled(const Model& model, unsigned mode)
{
    if (model.facetnorms.empty()) mode &= ~MODE_FLAT;
    if (model.normals.empty()) mode &= ~MODE_SMOOTH;
    if (model.texcoords.empty()) mode &= ~MODE_TEXTURE;
    if (mode & MODE_SMOOTH) mode &= ~MODE_FLAT;
    if (model.materials.empty()) mode &= ~MODE_MATERIAL;
    return mode;
}

void expect_round_trip(Model& model, unsigned requested)
{
    unsigned mode = settled(model, requested);
    SCOPED_TRACE("mode " + std::to_string(requested));
    TempDir dir;
    std::string path = dir.file("again.obj");
    quietly([&] { glmWriteOBJ(&model, path.c_str(), requested); });
    ModelPtr read = read_model(path);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->vertexcount, model.vertexcount);
    expect_arrays_near(model.vertices, read->vertices, 3, "vertices");
    const std::vector<float>& normals = (mode & MODE_SMOOTH) ? model.normals
                                        : (mode & MODE_FLAT) ? model.facetnorms
                                                             : std::vector<float>();
    expect_arrays_near(normals, read->normals, 3, "normals");
    expect_arrays_near((mode & MODE_TEXTURE) ? model.texcoords : std::vector<float>(),
                       read->texcoords, 2, "texcoords");
    ASSERT_EQ(read->trianglecount, model.trianglecount);
    expect_same_groups(model, *read, mode);
    if (mode & MODE_MATERIAL) {
        expect_same_materials(model, *read);
    } else {
        EXPECT_EQ(read->materialcount, 0u);
        EXPECT_FALSE(read->mtlfile.has_value());
    }
}

// Random positions, normals, facet normals and texture coordinates; three
// groups, two of them with their own material.
std::unique_ptr<Model> generated_model(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto vector = [&](float scale) {
        return Vec3{scale * unit(random), scale * unit(random), scale * unit(random)};
    };
    const uint32_t vertices = 40, triangles = 60;
    std::vector<Vec3> xyz, normals, facets;
    std::vector<Vec2> uv;
    for (uint32_t i = 0; i < vertices; ++i) {
        xyz.push_back(vector(150.0f));
        normals.push_back(vector(1.0f));
        uv.push_back({unit(random) * 0.5f + 0.5f, unit(random) * 0.5f + 0.5f});
    }
    auto model = model_with_vertices(xyz);
    set_normals(*model, normals);
    set_texcoords(*model, uv);
    model->mtlfile = "generated.mtl";
    add_material(*model, "default", {0.8f, 0.8625f, 0.925f}, {0.2f, 0.325f, 0.45f},
                 {0.2f, 0.2f, 0.2f}, 65.0f);
    add_material(*model, "hull", {0.5f, 0.5625f, 0.625f}, {0.125f, 0.25f, 0.375f},
                 {0.5f, 0.5f, 0.5f}, 64.0f);
    add_material(*model, "panel", {0.1f, 0.1625f, 0.225f}, {0.025f, 0.15f, 0.275f},
                 {0.9f, 0.9f, 0.9f}, 128.0f);
    ModelGroup* groups[3] = {add_group(*model, "default"), add_group(*model, " hull", 1),
                             add_group(*model, " panels", 2)};
    std::uniform_int_distribution<uint32_t> corner(1, vertices);
    for (uint32_t k = 0; k < triangles; ++k) {
        const uint32_t a = corner(random), b = corner(random), c = corner(random);
        add_triangle(*model, groups[corner(random) % 3], a, b, c);
        facets.push_back(vector(1.0f));
    }
    set_facet_normals(*model, facets);
    return model;
}

TEST(WriteRoundTrip, GeneratedModelsInEveryMode)
{
    for (unsigned seed : {1u, 2u}) {
        auto model = generated_model(seed);
        for (unsigned mode : round_trip_modes) expect_round_trip(*model, mode);
    }
}

TEST(WriteRoundTrip, ShippedSpacecraftModelsInEveryMode)
{
    for (const char* name : {"chasseur.obj", "cible.obj"}) {
        ModelPtr model = read_model(std::string(ORVANEL_SOURCE_DIR) + "/data/" + name);
        ASSERT_TRUE(model) << name;
        // The files hold positions only: add normals as the scene does, and
        // texture coordinates, each corner using its vertex's (x, y).
        glmTriangleNormals(model.get());
        glmVertexNormals(model.get(), 90.0f);
        std::vector<Vec2> uv;
        for (uint32_t i = 1; i <= model->vertexcount; ++i)
            uv.push_back({vertex(*model, i)[0], vertex(*model, i)[1]});
        set_texcoords(*model, uv);
        for (ModelTriangle& triangle : model->triangles)
            std::copy(triangle.vertexidx, triangle.vertexidx + 3, triangle.texcoordidx);
        ASSERT_GT(model->normalcount, 0u);
        for (unsigned mode : round_trip_modes) expect_round_trip(*model, mode);
    }
}

}  // namespace
