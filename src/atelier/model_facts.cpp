// Measures of a read model that the library does not give directly, and the
// preparation the scene applies before drawing a model.
#include <algorithm>

#include "atelier.h"

Box model_box(const Model* model)
{
    Box box;
    const std::vector<float>& v = model->vertices;
    for (size_t i = 1; i <= model->vertexcount && 3 * i + 2 < v.size(); ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const float c = v[3 * i + axis];
            if (box.empty || c < box.min[axis]) box.min[axis] = c;
            if (box.empty || c > box.max[axis]) box.max[axis] = c;
        }
        box.empty = false;
    }
    return box;
}

std::string shown_group_name(const std::string& name)
{
    // A file the library wrote and read again has gained one blank per round.
    const size_t start = name.find_first_not_of(" \t");
    return start == std::string::npos ? "" : name.substr(start);
}

std::vector<const ModelGroup*> groups_in_file_order(const Model* model)
{
    std::vector<const ModelGroup*> groups;
    for (const ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get())
        groups.push_back(g);
    std::reverse(groups.begin(), groups.end());
    return groups;
}

unsigned unused_vertex_count(const Model* model)
{
    std::vector<bool> used(size_t{model->vertexcount} + 1, false);
    for (const ModelTriangle& t : model->triangles)
        for (uint32_t v : t.vertexidx)
            if (v <= model->vertexcount) used[v] = true;
    return static_cast<unsigned>(std::count(used.begin() + 1, used.end(), false));
}

float prepare_as_scene(Model* model)
{
    float scale = 0.0f;
    // glmVertexNormals names every vertex no triangle uses; verifier counts them itself.
    capture_output([&] {
        scale = glmFitUnitBox(model);
        glmTriangleNormals(model);
        glmVertexNormals(model, scene_crease_angle);
    });
    return scale;
}
