#include "web_models.h"

#include <memory>
#include <vector>

#include "glm.h"

namespace {

// The crease angle of the desktop scene's smooth normals (degrees).
constexpr float crease_angle = 90.0f;

emscripten::val float32_array(const std::vector<float>& values)
{
    const emscripten::val view(emscripten::typed_memory_view(values.size(), values.data()));
    return emscripten::val::global("Float32Array").new_(view);
}

// Appends the three floats at 1-based `index` of `table`, or zeros when the
// index is out of the table (a model without normals for that corner).
void append_triple(std::vector<float>& out, const std::vector<float>& table, uint32_t index)
{
    const size_t at = 3 * static_cast<size_t>(index);
    if (index == 0 || at + 2 >= table.size()) {
        out.insert(out.end(), {0.0f, 0.0f, 0.0f});
        return;
    }
    out.insert(out.end(), {table[at], table[at + 1], table[at + 2]});
}

struct ModelDeleter {
    void operator()(Model* model) const { glmRelease(model); }
};

}  // namespace

emscripten::val model_mesh(const std::string& path)
{
    // The page has a single thread: the reader must not try to start others.
    glmSetReadThreads(1);
    std::unique_ptr<Model, ModelDeleter> model(glmReadOBJ(path.c_str()));
    if (!model) return emscripten::val::null();
    glmFitUnitBox(model.get());
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), crease_angle);
    std::vector<float> positions, normals, colors;
    const size_t corners = 3 * static_cast<size_t>(model->trianglecount);
    positions.reserve(3 * corners);
    normals.reserve(3 * corners);
    colors.reserve(3 * corners);
    for (const ModelGroup* group = model->groups.get(); group != nullptr;
         group = group->next.get()) {
        const float grey[3] = {0.8f, 0.8f, 0.8f};
        const float* diffuse = grey;
        if (group->material < model->materials.size())
            diffuse = model->materials[group->material].diffuse;
        for (uint32_t t : group->triangles) {
            if (t >= model->triangles.size()) continue;
            const ModelTriangle& triangle = model->triangles[t];
            for (int corner = 0; corner < 3; ++corner) {
                append_triple(positions, model->vertices, triangle.vertexidx[corner]);
                append_triple(normals, model->normals, triangle.normalidx[corner]);
                colors.insert(colors.end(), {diffuse[0], diffuse[1], diffuse[2]});
            }
        }
    }
    emscripten::val mesh = emscripten::val::object();
    mesh.set("positions", float32_array(positions));
    mesh.set("normals", float32_array(normals));
    mesh.set("colors", float32_array(colors));
    return mesh;
}
