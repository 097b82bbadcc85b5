// Shared helpers of the reader tests: files written into a temporary
// directory, models read from them and released at the end, and the parts of
// a model the tests compare.
#ifndef ORVANEL_TEST_READ_FIXTURE_H
#define ORVANEL_TEST_READ_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "capture.h"
#include "chunked_reading.h"
#include "glm.h"
#include "model_builder.h"
#include "temp_files.h"

// Reads the OBJ file at path; what the reader printed goes to printed when given.
// Every file read so is also read in chunks, and must read the same.
inline ModelPtr read_model(const std::string& path, std::string* printed = nullptr)
{
    ModelPtr model;
    const Console console = capture_console([&] { model.reset(glmReadOBJ(path.c_str())); });
    if (printed != nullptr) *printed = console.out;
    expect_chunked_reading_same(path);
    return model;
}

// A temporary directory with a quiet way to read OBJ files written into it.
class ReadTest : public ::testing::Test {
protected:
    TempDir dir;

    // Writes the OBJ text (and nothing else) and reads it back.
    ModelPtr read_obj(const std::string& text, const std::string& name = "model.obj")
    {
        return read_model(dir.write(name, text), &printed);
    }

    // What the last read_obj printed on standard output.
    std::string printed;
};

// Runs the reading of path in a death-test child whose standard output goes
// to the file out, so that the parent can compare it byte for byte.
inline void read_into(const std::string& path, const std::string& out)
{
    if (std::freopen(out.c_str(), "w", stdout) == nullptr) std::abort();
    glmReadOBJ(path.c_str());
}

// Group names from the head of the list to its end.
inline std::vector<std::string> group_names(const Model& model)
{
    std::vector<std::string> names;
    for (const ModelGroup* g = model.groups.get(); g != nullptr; g = g->next.get())
        names.push_back(g->name);
    return names;
}

// The three vertex indices of each triangle.
inline std::vector<std::array<uint32_t, 3>> triangle_vertices(const Model& model)
{
    std::vector<std::array<uint32_t, 3>> corners;
    for (const ModelTriangle& t : model.triangles)
        corners.push_back({t.vertexidx[0], t.vertexidx[1], t.vertexidx[2]});
    return corners;
}

inline std::vector<uint32_t> group_triangles(const Model& model, const char* name)
{
    const ModelGroup* g = glmLookupGroup(const_cast<Model*>(&model), name);
    if (g == nullptr) return {};
    return std::vector<uint32_t>(g->triangles.begin(), g->triangles.begin() + g->trianglecount);
}

// A square of four vertices in the z = 0 plane.
inline const char* square_vertices() { return "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"; }

#endif
