// Files in the shapes that modelling programs write: object and smoothing
// statements, vertex colours, extra material keys, relative indices, CR LF
// line ends. Each is read, then prepared the way the simulator prepares its
// spacecraft (fitted, given facet and smooth normals).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "read_fixture.h"

namespace {

using Names = std::vector<std::string>;

// A cube as an exporter writes it: object name, shared texture coordinates
// and one normal per side, quads, a smoothing statement, a material library
// with keys the reader does not use.
const char blender_cube_obj[] =
    "# exported cube\n"
    "# www.example.org\n"
    "mtllib cube.mtl\n"
    "o Cube\n"
    "v 1.000000 1.000000 -1.000000\n"
    "v 1.000000 -1.000000 -1.000000\n"
    "v 1.000000 1.000000 1.000000\n"
    "v 1.000000 -1.000000 1.000000\n"
    "v -1.000000 1.000000 -1.000000\n"
    "v -1.000000 -1.000000 -1.000000\n"
    "v -1.000000 1.000000 1.000000\n"
    "v -1.000000 -1.000000 1.000000\n"
    "vt 0.625000 0.500000\n"
    "vt 0.875000 0.500000\n"
    "vt 0.875000 0.750000\n"
    "vt 0.625000 0.750000\n"
    "vn 0.0000 1.0000 0.0000\n"
    "vn 0.0000 0.0000 1.0000\n"
    "vn -1.0000 0.0000 0.0000\n"
    "vn 0.0000 -1.0000 0.0000\n"
    "vn 1.0000 0.0000 0.0000\n"
    "vn 0.0000 0.0000 -1.0000\n"
    "usemtl Material\n"
    "s off\n"
    "f 1/1/1 5/2/1 7/3/1 3/4/1\n"
    "f 4/1/2 3/2/2 7/3/2 8/4/2\n"
    "f 8/1/3 7/2/3 5/3/3 6/4/3\n"
    "f 6/1/4 2/2/4 4/3/4 8/4/4\n"
    "f 2/1/5 1/2/5 3/3/5 4/4/5\n"
    "f 6/1/6 5/2/6 1/3/6 2/4/6\n"
    "l 1 2\n";

const char blender_cube_mtl[] =
    "# exported materials\n"
    "# Material Count: 1\n"
    "\n"
    "newmtl Material\n"
    "Ns 250.000000\n"
    "Ka 1.000000 1.000000 1.000000\n"
    "Kd 0.800000 0.100000 0.100000\n"
    "Ks 0.500000 0.500000 0.500000\n"
    "Ke 0.000000 0.000000 0.000000\n"
    "d 1.000000\n"
    "illum 2\n"
    "map_Kd cube.png\n";

// A scan-style mesh: a normal before each vertex, vertex colours after the
// coordinates, "v//n" corners.
const char scanned_mesh_obj[] =
    "####\n"
    "# OBJ written by a mesh processing tool\n"
    "# Vertices: 4\n"
    "# Faces: 2\n"
    "####\n"
    "vn 0.000000 0.000000 1.000000\n"
    "v 0.000000 0.000000 0.000000 0.752941 0.752941 0.752941\n"
    "vn 0.000000 0.000000 1.000000\n"
    "v 2.000000 0.000000 0.000000 0.752941 0.000000 0.000000\n"
    "vn 0.000000 0.000000 1.000000\n"
    "v 2.000000 1.000000 0.000000 0.000000 0.752941 0.000000\n"
    "vn 0.000000 0.000000 1.000000\n"
    "v 0.000000 1.000000 0.000000 0.000000 0.000000 0.752941\n"
    "# 4 vertices, 0 vertices normals\n"
    "\n"
    "f 1//1 2//2 3//3\n"
    "f 1//1 3//3 4//4\n"
    "# 2 faces, 0 coords texture\n"
    "\n"
    "# End of File";

// Two objects, each in its own group with relative indices, written with
// CR LF line ends, trailing blanks and no line end after the last face.
const char relative_objects_obj[] =
    "# two boards\r\n"
    "g board1\r\n"
    "v 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 0 1 0\r\n"
    "vt 0 0\r\nvt 1 0\r\nvt 1 1\r\nvt 0 1\r\n"
    "s 1\r\n"
    "f -4/-4 -3/-3 -2/-2 -1/-1 \r\n"
    "g board2\r\n"
    "v 0 0 5\r\nv 1 0 5\r\nv 1 1 5\r\nv 0 1 5\r\n"
    "vt 0 0\r\nvt 1 0\r\nvt 1 1\r\nvt 0 1\r\n"
    "s 1\r\n"
    "f -4/-4 -3/-3 -2/-2 -1/-1";

class ExportedFileTest : public ReadTest {
protected:
    // Fits the model and gives it normals as the simulator does, then checks
    // that every corner names a unit normal and nothing was printed.
    void prepare_like_the_scene(Model* model)
    {
        const Console console = capture_console([&] {
            glmFitUnitBox(model);
            glmTriangleNormals(model);
            glmVertexNormals(model, 90.0f);
        });
        EXPECT_EQ(console.out, "");
        for (const ModelTriangle& t : model->triangles)
            for (uint32_t n : t.normalidx) {
                ASSERT_GE(n, 1u);
                ASSERT_LE(n, model->normalcount);
                const float* v = &model->normals[3 * n];
                EXPECT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 1.0f, 1e-5f);
            }
    }
};

TEST_F(ExportedFileTest, CubeWithObjectNamesSmoothingAndExtraMaterialKeys)
{
    dir.write("cube.mtl", blender_cube_mtl);
    ModelPtr model = read_obj(blender_cube_obj, "cube.obj");
    EXPECT_EQ(printed, ": open data file \"" + dir.file("cube.obj") + "\".\n");
    EXPECT_EQ(model->vertexcount, 8u);
    EXPECT_EQ(model->texcoordcount, 4u);
    EXPECT_EQ(model->normalcount, 6u);
    EXPECT_EQ(model->trianglecount, 12u);
    // "o" names no group: every face stays in "default", with the material.
    EXPECT_EQ(group_names(*model), Names{"default"});
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_EQ(model->materials[1].name, "Material");
    EXPECT_EQ(model->groups->material, 1u);
    EXPECT_FLOAT_EQ(model->materials[1].shininess, 32.0f);
    EXPECT_FLOAT_EQ(model->materials[1].diffuse[1], 0.1f);
    EXPECT_FLOAT_EQ(model->materials[1].specular[0], 0.5f);
    EXPECT_FLOAT_EQ(model->materials[1].diffuse[3], 1.0f);
    // Quads become fans around their first corner.
    const ModelTriangle& second = model->triangles[1];
    EXPECT_EQ(second.vertexidx[0], 1u);
    EXPECT_EQ(second.vertexidx[1], 7u);
    EXPECT_EQ(second.vertexidx[2], 3u);
    EXPECT_EQ(second.texcoordidx[2], 4u);
    EXPECT_EQ(second.normalidx[2], 1u);
    prepare_like_the_scene(model.get());
    // The file's own normals are replaced; perpendicular sides lie within
    // 90 degrees, so each cube corner gets one normal, the mean of its
    // triangles' facets: vertex 1 is in two top triangles (+y), one of the
    // +x side and two of the -z side.
    EXPECT_EQ(model->normalcount, 8u);
    const ModelTriangle& top = model->triangles[0];
    const float expected[3] = {1.0f / 3, 2.0f / 3, -2.0f / 3};
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(model->normals[3 * top.normalidx[0] + axis], expected[axis], 1e-6f);
}

TEST_F(ExportedFileTest, VertexColoursAfterTheCoordinatesAreIgnored)
{
    ModelPtr model = read_obj(scanned_mesh_obj);
    EXPECT_EQ(model->vertexcount, 4u);
    EXPECT_EQ(model->normalcount, 4u);
    EXPECT_EQ(model->trianglecount, 2u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 2 + 0], 2.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 3 + 1], 1.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 4 + 2], 0.0f);
    EXPECT_EQ(model->triangles[1].normalidx[2], 4u);
    EXPECT_EQ(model->triangles[1].texcoordidx[2], 0u);
    prepare_like_the_scene(model.get());
    // Fitted: the longest side (x, 2 units) spans [-1, 1].
    EXPECT_FLOAT_EQ(model->vertices[3 * 2 + 0], 1.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 1 + 0], -1.0f);
}

TEST_F(ExportedFileTest, RelativeIndicesInGroupsWithCrLfAndNoFinalLineEnd)
{
    ModelPtr model = read_obj(relative_objects_obj);
    EXPECT_EQ(model->vertexcount, 8u);
    EXPECT_EQ(model->trianglecount, 4u);
    EXPECT_EQ(group_names(*model), (Names{" board2", " board1", "default"}));
    // -4 is the first of the four vertices read just before each face.
    EXPECT_EQ(group_triangles(*model, " board1"), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(model->triangles[0].vertexidx[0], 1u);
    EXPECT_EQ(model->triangles[2].vertexidx[0], 5u);
    EXPECT_EQ(model->triangles[3].vertexidx[2], 8u);
    EXPECT_EQ(model->triangles[3].texcoordidx[2], 8u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 5 + 2], 5.0f);
    prepare_like_the_scene(model.get());
}

}  // namespace
