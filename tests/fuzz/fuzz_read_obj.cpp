// libFuzzer harness of glmReadOBJ with its MTL reader. Built twice: the
// input is the OBJ file, beside a fixed small library "fixed.mtl"; or, with
// FUZZ_INPUT_IS_MTL, the input is the library of a fixed small OBJ file.
#include <cstddef>
#include <cstdint>

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
    return 0;
}
