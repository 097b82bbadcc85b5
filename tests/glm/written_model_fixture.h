// Models built by hand for the writer's tests, so that writing can be
// checked without the reader, and helpers to look at the written text.
#ifndef ORVANEL_TEST_WRITTEN_MODEL_FIXTURE_H
#define ORVANEL_TEST_WRITTEN_MODEL_FIXTURE_H

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "glm.h"

// A model with the given 1-based vertices (x, y, z per entry, element 0 added).
inline std::unique_ptr<Model> hand_model(const std::vector<float>& xyz)
{
    auto model = std::make_unique<Model>();
    model->vertexcount = static_cast<uint32_t>(xyz.size() / 3);
    model->vertices = {0.0f, 0.0f, 0.0f};
    model->vertices.insert(model->vertices.end(), xyz.begin(), xyz.end());
    return model;
}

// Appends a triangle with these corners; texture and normal indices follow
// the vertex indices so that every index field is in range.
inline void add_triangle(Model& model, uint32_t a, uint32_t b, uint32_t c)
{
    ModelTriangle triangle{};
    uint32_t corners[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        triangle.vertexidx[i] = corners[i];
        triangle.texcoordidx[i] = corners[i];
        triangle.normalidx[i] = corners[i];
    }
    model.triangles.push_back(triangle);
    model.trianglecount = static_cast<uint32_t>(model.triangles.size());
}

// Links a new group at the head of the list, as the reader would.
inline ModelGroup& add_group(Model& model, const std::string& name,
                             const std::vector<uint32_t>& triangles, uint32_t material = 0)
{
    auto group = std::make_unique<ModelGroup>();
    group->name = name;
    group->triangles = triangles;
    group->trianglecount = static_cast<uint32_t>(triangles.size());
    group->material = material;
    group->next = std::move(model.groups);
    model.groups = std::move(group);
    ++model.groupcount;
    return *model.groups;
}

// A 1-based array of `width` floats per entry from the entries' values.
inline std::vector<float> one_based(const std::vector<float>& values, int width)
{
    std::vector<float> array(static_cast<size_t>(width), 0.0f);
    array.insert(array.end(), values.begin(), values.end());
    return array;
}

// One unit facet normal per triangle (+z, -z, +z ...), triangle k getting k + 1.
inline void give_facet_normals(Model& model)
{
    std::vector<float> values;
    for (uint32_t k = 0; k < model.trianglecount; ++k) {
        values.insert(values.end(), {0.0f, 0.0f, k % 2 == 0 ? 1.0f : -1.0f});
        model.triangles[k].facetnormidx = k + 1;
    }
    model.facetnormcount = model.trianglecount;
    model.facetnorms = one_based(values, 3);
}

// One texture coordinate pair per vertex (its x and y), each corner using its vertex's.
inline void give_vertex_texcoords(Model& model)
{
    std::vector<float> values;
    for (uint32_t i = 1; i <= model.vertexcount; ++i)
        values.insert(values.end(), {model.vertices[3 * i], model.vertices[3 * i + 1]});
    for (ModelTriangle& triangle : model.triangles)
        for (int c = 0; c < 3; ++c) triangle.texcoordidx[c] = triangle.vertexidx[c];
    model.texcoordcount = model.vertexcount;
    model.texcoords = one_based(values, 2);
}

inline ModelMaterial make_material(const std::string& name, float shade, float shininess)
{
    ModelMaterial material{};
    material.name = name;
    for (int i = 0; i < 3; ++i) {
        material.ambient[i] = shade * 0.25f + 0.125f * static_cast<float>(i);
        material.diffuse[i] = shade + 0.0625f * static_cast<float>(i);
        material.specular[i] = 1.0f - shade;
    }
    material.ambient[3] = material.diffuse[3] = material.specular[3] = 1.0f;
    material.shininess = shininess;
    return material;
}

// The material library of the reader: "default" first, then the named ones.
inline void give_materials(Model& model, const std::string& mtlfile,
                           const std::vector<ModelMaterial>& named)
{
    model.mtlfile = mtlfile;
    model.materials = {make_material("default", 0.8f, 65.0f)};
    model.materials.insert(model.materials.end(), named.begin(), named.end());
    model.materialcount = static_cast<uint32_t>(model.materials.size());
}

// The one-triangle model of the simplest written file: vertices (1, 0.5, -2),
// (0, 1, 0), (0, 0, 1), triangle 1 2 3 in the group "default".
inline std::unique_ptr<Model> single_triangle_model()
{
    auto model = hand_model({1.0f, 0.5f, -2.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f});
    add_triangle(*model, 1, 2, 3);
    add_group(*model, "default", {0});
    return model;
}

// The lines of a text, without their newlines.
inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines that start with prefix, in order.
inline std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : lines_of(text))
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

#endif
