// Small models built by hand for the model library's tests: vertices,
// triangles, groups, materials and normals filled in directly, without the
// reader, and two ready-made shapes (a single triangle, a closed cube).
// Every array the builder fills is 1-based like the reader's: element 0 is
// allocated and zero.
#ifndef ORVANEL_TEST_MODEL_BUILDER_H
#define ORVANEL_TEST_MODEL_BUILDER_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glm.h"

using Vec2 = std::array<float, 2>;
using Vec3 = std::array<float, 3>;

// A model the library made, released the library's way.
struct ModelReleaser {
    void operator()(Model* model) const { glmRelease(model); }
};
using ModelPtr = std::unique_ptr<Model, ModelReleaser>;

// The entries laid out one after the other behind a zero entry 0.
template <size_t Width>
std::vector<float> one_based(const std::vector<std::array<float, Width>>& entries)
{
    std::vector<float> array(Width, 0.0f);
    for (const auto& e : entries) array.insert(array.end(), e.begin(), e.end());
    return array;
}

// A model holding the given vertices and nothing else.
inline std::unique_ptr<Model> model_with_vertices(const std::vector<Vec3>& points)
{
    auto model = std::make_unique<Model>();
    model->vertexcount = static_cast<uint32_t>(points.size());
    model->vertices = one_based(points);
    return model;
}

// Vertex, normal and facet normal i (1-based) of the model as vectors.
inline Vec3 vertex(const Model& model, uint32_t i)
{
    return {model.vertices[3 * i], model.vertices[3 * i + 1], model.vertices[3 * i + 2]};
}
inline Vec3 normal(const Model& model, uint32_t i)
{
    return {model.normals[3 * i], model.normals[3 * i + 1], model.normals[3 * i + 2]};
}
inline Vec3 facet_normal(const Model& model, uint32_t i)
{
    return {model.facetnorms[3 * i], model.facetnorms[3 * i + 1], model.facetnorms[3 * i + 2]};
}

// A new group at the head of the list, the way the reader links groups,
// listing the given triangle indices (add_triangle lists more).
inline ModelGroup* add_group(Model& model, const std::string& name, uint32_t material = 0,
                             const std::vector<uint32_t>& triangles = {})
{
    auto group = std::make_unique<ModelGroup>();
    group->name = name;
    group->material = material;
    group->triangles = triangles;
    group->trianglecount = static_cast<uint32_t>(triangles.size());
    group->next = std::move(model.groups);
    model.groups = std::move(group);
    ++model.groupcount;
    return model.groups.get();
}

// Appends the triangle (a, b, c) to the model and, unless group is null, to
// the group's list; its normal and texture coordinate indices repeat the
// vertex indices. Returns the triangle's index.
inline uint32_t add_triangle(Model& model, ModelGroup* group, uint32_t a, uint32_t b, uint32_t c)
{
    ModelTriangle t{};
    t.vertexidx[0] = t.normalidx[0] = t.texcoordidx[0] = a;
    t.vertexidx[1] = t.normalidx[1] = t.texcoordidx[1] = b;
    t.vertexidx[2] = t.normalidx[2] = t.texcoordidx[2] = c;
    uint32_t index = static_cast<uint32_t>(model.triangles.size());
    model.triangles.push_back(t);
    model.trianglecount = index + 1;
    if (group != nullptr) {
        group->triangles.push_back(index);
        group->trianglecount = static_cast<uint32_t>(group->triangles.size());
    }
    return index;
}

// Appends a material with the given colours (alpha 1) and returns its index.
inline uint32_t add_material(Model& model, const std::string& name, Vec3 diffuse,
                             Vec3 ambient = {0.2f, 0.2f, 0.2f}, Vec3 specular = {0.0f, 0.0f, 0.0f},
                             float shininess = 65.0f)
{
    ModelMaterial m{};
    m.name = name;
    for (int i = 0; i < 3; ++i) {
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
        m.specular[i] = specular[i];
    }
    m.diffuse[3] = m.ambient[3] = m.specular[3] = 1.0f;
    m.shininess = shininess;
    model.materials.push_back(m);
    model.materialcount = static_cast<uint32_t>(model.materials.size());
    return model.materialcount - 1;
}

// Stores the vectors as the model's normals.
inline void set_normals(Model& model, const std::vector<Vec3>& normals)
{
    model.normalcount = static_cast<uint32_t>(normals.size());
    model.normals = one_based(normals);
}

// Stores the pairs as the model's texture coordinates.
inline void set_texcoords(Model& model, const std::vector<Vec2>& pairs)
{
    model.texcoordcount = static_cast<uint32_t>(pairs.size());
    model.texcoords = one_based(pairs);
}

// Stores one facet normal per triangle, triangle k getting facet normal k + 1.
inline void set_facet_normals(Model& model, const std::vector<Vec3>& normals)
{
    model.facetnormcount = static_cast<uint32_t>(normals.size());
    model.facetnorms = one_based(normals);
    for (uint32_t k = 0; k < model.trianglecount && k < model.facetnormcount; ++k)
        model.triangles[k].facetnormidx = k + 1;
}

// One counter-clockwise triangle in the z = 0 plane, in the group "default".
inline std::unique_ptr<Model> single_triangle()
{
    auto model = model_with_vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    add_triangle(*model, add_group(*model, "default"), 1, 2, 3);
    return model;
}

// The closed cube from lo to hi on every axis: 8 vertices, 12 triangles wound
// counter-clockwise seen from outside, two per face, all in "default".
// Vertex 1 is (lo, lo, lo); vertex index - 1 has bit 0 for x, 1 for y, 2 for z.
inline std::unique_ptr<Model> closed_cube(float lo = -1.0f, float hi = 1.0f)
{
    std::vector<Vec3> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back({i & 1 ? hi : lo, i & 2 ? hi : lo, i & 4 ? hi : lo});
    auto model = model_with_vertices(corners);
    ModelGroup* group = add_group(*model, "default");
    // Each face as four corners counter-clockwise seen from outside.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& f : faces) {
        add_triangle(*model, group, f[0] + 1, f[1] + 1, f[2] + 1);
        add_triangle(*model, group, f[0] + 1, f[2] + 1, f[3] + 1);
    }
    return model;
}

#endif
