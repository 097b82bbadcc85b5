// libFuzzer harness of glmReadOBJ with its MTL reader. Built twice: the
// input is the OBJ file, beside a fixed small library "fixed.mtl", read on
// one thread and in small chunks on several; or, with FUZZ_INPUT_IS_MTL, the
// input is the library of a fixed small OBJ file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_exit.h"
#include "glm.h"

namespace {

#ifndef FUZZ_INPUT_IS_MTL
const char fixed_mtl[] =
    "# two materials\nnewmtl red\nKa 0.1 0 0\nKd 1 0 0\nKs 1 1 1\nNs 500\n"
    "newmtl blue\nKd 0 0 1\n";
#else
const char fixed_obj[] =
    "mtllib input.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\n"
    "g hull\nusemtl red\nf 1/1/1 2/1/1 3/1/1\nusemtl blue\nf 1 2 3\n";
#endif

// Every corner's indices lie within their counts.
void check_corner_indices(const Model* model)
{
    for (const ModelTriangle& t : model->triangles) {
        if (t.facetnormidx > model->facetnormcount) std::abort();
        for (int k = 0; k < 3; ++k) {
            if (t.vertexidx[k] < 1 || t.vertexidx[k] > model->vertexcount) std::abort();
            if (t.normalidx[k] > model->normalcount || t.texcoordidx[k] > model->texcoordcount)
                std::abort();
        }
    }
}

// What the simulator does with a model it loads (fitting, facet and smooth
// normals), then the texture and welding operations, on whatever was read.
void prepare_and_check(Model* model)
{
    if (model->vertexcount == 0) return;
    glmFitUnitBox(model);
    glmTriangleNormals(model);
    glmVertexNormals(model, 90.0f);
    check_corner_indices(model);
    glmSphereTexCoords(model);
    glmPlanarTexCoords(model);
    glmFuseVertices(model, 1e-3f);
    check_corner_indices(model);
}

// Reads the model and walks what it holds, so that the sanitizers see every
// index the reader produced.
void read_and_check(const std::string& path)
{
    Model* model = glmReadOBJ(path.c_str());
    if (model->triangles.size() != model->trianglecount) std::abort();
    check_corner_indices(model);
    uint32_t listed = 0;
    for (const ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get()) {
        if (g->trianglecount != g->triangles.size()) std::abort();
        if (g->material != 0 && g->material >= model->materialcount) std::abort();
        for (uint32_t k = 0; k < g->trianglecount; ++k)
            if (g->triangles[k] >= model->trianglecount) std::abort();
        listed += g->trianglecount;
    }
    if (listed != model->trianglecount) std::abort();
    prepare_and_check(model);
    glmRelease(model);
}

#ifndef FUZZ_INPUT_IS_MTL
// The file read with chunk borders at the cuts, or null when reading ended.
Model* read_in_chunks(const std::string& path, const std::vector<size_t>& cuts)
{
    try {
        return glm_read_obj_cut(path.c_str(), cuts, 3);
    } catch (const FuzzExit& exit) {
        if (exit.status != 1) std::abort();
        return nullptr;
    }
}

template <typename T>
bool same_array(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Equal bit for bit: counts, arrays, groups in order with their lists and materials.
bool same_model(const Model& a, const Model& b)
{
    if (a.vertexcount != b.vertexcount || a.normalcount != b.normalcount ||
        a.texcoordcount != b.texcoordcount || a.trianglecount != b.trianglecount ||
        a.materialcount != b.materialcount || a.groupcount != b.groupcount ||
        a.mtlfile != b.mtlfile || !same_array(a.vertices, b.vertices) ||
        !same_array(a.normals, b.normals) || !same_array(a.texcoords, b.texcoords) ||
        !same_array(a.triangles, b.triangles) || a.materials.size() != b.materials.size())
        return false;
    for (size_t k = 0; k < a.materials.size(); ++k) {
        const ModelMaterial& m = a.materials[k];
        const ModelMaterial& n = b.materials[k];
        if (m.name != n.name || std::memcmp(m.diffuse, n.diffuse, sizeof m.diffuse) != 0 ||
            std::memcmp(m.ambient, n.ambient, sizeof m.ambient) != 0 ||
            std::memcmp(m.specular, n.specular, sizeof m.specular) != 0 ||
            std::memcmp(&m.shininess, &n.shininess, sizeof m.shininess) != 0)
            return false;
    }
    const ModelGroup* g = a.groups.get();
    const ModelGroup* h = b.groups.get();
    for (; g != nullptr && h != nullptr; g = g->next.get(), h = h->next.get())
        if (g->name != h->name || g->material != h->material ||
            g->trianglecount != h->trianglecount || g->triangles != h->triangles)
            return false;
    return g == nullptr && h == nullptr;
}

// The reading on one thread and the reading in chunks (a border at every
// line start and every fifth byte, on three threads) end alike and give the
// same model.
void compare_chunked(const std::string& path, const uint8_t* data, size_t size)
{
    std::vector<size_t> cuts;
    for (size_t at = 1; at < size; ++at)
        if (at % 5 == 0 || data[at - 1] == '\n') cuts.push_back(at);
    Model* alone = read_in_chunks(path, {});
    Model* chunked = read_in_chunks(path, cuts);
    if ((alone == nullptr) != (chunked == nullptr)) std::abort();
    if (alone != nullptr && !same_model(*alone, *chunked)) std::abort();
    if (alone != nullptr) glmRelease(alone);
    if (chunked != nullptr) glmRelease(chunked);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#ifdef FUZZ_INPUT_IS_MTL
    fuzz_write("input.mtl", data, size);
    std::string path = fuzz_write("fixed.obj", fixed_obj, sizeof fixed_obj - 1);
#else
    fuzz_write("fixed.mtl", fixed_mtl, sizeof fixed_mtl - 1);
    std::string path = fuzz_write("input.obj", data, size);
#endif
    try {
        read_and_check(path);
    } catch (const FuzzExit& exit) {
        if (exit.status != 1) std::abort();
    }
#ifndef FUZZ_INPUT_IS_MTL
    compare_chunked(path, data, size);
#endif
    return 0;
}
