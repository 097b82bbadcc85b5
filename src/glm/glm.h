// glm: a small library that keeps one Wavefront OBJ model in memory, reads it
// with its MTL material library, measures and reshapes it, gives it normals
// and texture coordinates, merges close vertices, draws it with OpenGL and
// writes it back as OBJ and MTL files. It also reads raw PPM images.
//
// Index conventions, relied on everywhere:
//  - vertices, normals, texcoords and facetnorms are 1-based: an array for N
//    entries holds N + 1 entries, element 0 is allocated and never used, and
//    the matching count stores N;
//  - triangles and materials are 0-based, and so are the triangle index lists
//    of the groups.
// An array is "absent" when its vector is empty; a present array always holds
// at least element 0.
//
// Preconditions stop the program with an assertion report that names the
// failed expression ("model", "model->vertices", ...), in every build type.
// Files that cannot be read end the program with exit status 1 through
// glmExit; warnings go to standard output and the operation goes on.
#ifndef ORVANEL_GLM_H
#define ORVANEL_GLM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// One material of an MTL library; colours are RGBA, alpha is never read.
struct ModelMaterial {
    std::string name;   // compared byte for byte
    float diffuse[4];   // MTL Kd; GL_DIFFUSE and the plain colour
    float ambient[4];   // MTL Ka; GL_AMBIENT
    float specular[4];  // MTL Ks; GL_SPECULAR
    float shininess;    // OpenGL exponent, 0..128 (MTL Ns is 0..1000)
};

// One triangle; every index is 1-based into the model's arrays.
struct ModelTriangle {
    uint32_t vertexidx[3];    // corners in face order
    uint32_t normalidx[3];    // set for faces with normals, rewritten by glmVertexNormals
    uint32_t texcoordidx[3];  // set for faces with texture coordinates
    uint32_t facetnormidx;    // set by glmTriangleNormals (triangle k gets k + 1)
};

// A named group of triangles; groups form a singly linked list, newest first.
struct ModelGroup {
    std::string name;                  // as read, leading blank included
    uint32_t trianglecount = 0;        // entries in triangles
    std::vector<uint32_t> triangles;   // 0-based indices into Model::triangles
    uint32_t material = 0;             // index into Model::materials
    std::unique_ptr<ModelGroup> next;  // older group, or none
    ~ModelGroup();                     // unlinks the tail iteratively
};

// One model; the reader is its only creator, glmRelease its only destroyer.
struct Model {
    std::string filepath;                // path the model was read from
    std::optional<std::string> mtlfile;  // mtllib name, relative to the OBJ's directory
    uint32_t vertexcount = 0;            // N vertices
    std::vector<float> vertices;         // 3 * (N + 1) floats, 1-based; present after reading
    uint32_t normalcount = 0;
    std::vector<float> normals;  // 3 * (normalcount + 1), 1-based, or absent
    uint32_t texcoordcount = 0;
    std::vector<float> texcoords;  // 2 * (texcoordcount + 1), 1-based, or absent
    uint32_t facetnormcount = 0;
    std::vector<float> facetnorms;  // 3 * (facetnormcount + 1), 1-based, or absent
    uint32_t trianglecount = 0;
    std::vector<ModelTriangle> triangles;  // 0-based
    uint32_t materialcount = 0;            // "default" included; 0 without a library
    std::vector<ModelMaterial> materials;  // 0-based; entry 0 is "default"
    uint32_t groupcount = 0;
    std::unique_ptr<ModelGroup> groups;  // head of the list (newest group)
};

// Mode flags for drawing and writing; any combination, 0 is positions only.
constexpr unsigned MODE_FLAT = 1;       // one facet normal per triangle
constexpr unsigned MODE_SMOOTH = 2;     // one vertex normal per corner
constexpr unsigned MODE_TEXTURE = 4;    // texture coordinates per corner
constexpr unsigned MODE_COLOR = 8;      // group colour = material diffuse
constexpr unsigned MODE_MATERIAL = 16;  // full material per group

// ---------------------------------------------------------------------------
// Program exit
// ---------------------------------------------------------------------------

// Ends the program with the status; every exit the library makes goes through here.
[[noreturn]] void glmExit(int status);

// ---------------------------------------------------------------------------
// Bookkeeping
// ---------------------------------------------------------------------------

// First group of the list whose name equals name byte for byte, or null; needs model.
ModelGroup* glmLookupGroup(Model* model, const char* name);
// The group of that name, created at the head of the list when missing; needs model.
ModelGroup* glmEnsureGroup(Model* model, const char* name);
// Index of the material named name, 0 ("default") with a message when missing; needs model.
uint32_t glmFindMaterial(Model* model, const char* name);
// Directory part of path (a C string), up to and including the last '/'; empty without one.
std::string glmDirectoryOf(const char* path);
// Frees the model and everything it owns; needs model.
void glmRelease(Model* model);

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// Reads an OBJ file and its MTL library into a new model; ends the program when it cannot.
Model* glmReadOBJ(const char* filename);
// Threads glmReadOBJ may use on a large file; 0 (the default) uses every core.
void glmSetReadThreads(unsigned count);
// Replaces the materials with the library name beside model->filepath; needs model.
void glmReadMTL(Model* model, const char* name);

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

// Centres the model and scales it into the box -1..1, returns the scale; needs vertices.
float glmFitUnitBox(Model* model);
// Stores the x, y, z extents (|max| + |min| per axis) in dimensions[0..2]; needs vertices.
void glmExtents(Model* model, float* dimensions);
// Multiplies every vertex by scale; needs model.
void glmScaleModel(Model* model, float scale);
// Reverses every triangle's winding and negates both kinds of normals; needs model.
void glmFlipWinding(Model* model);
// One unit facet normal per triangle, replacing any; needs vertices.
void glmTriangleNormals(Model* model);
// Vertex normals averaging facets within angle (degrees); needs glmTriangleNormals first.
void glmVertexNormals(Model* model, float angle);
// b when b > a, otherwise a.
float glmLarger(float a, float b);
// -x when x < 0, otherwise x.
float glmAbsValue(float x);
// u . v; needs both vectors.
float glmDotProduct(const float* u, const float* v);
// n = u x v; needs all three vectors.
void glmCrossProduct(const float* u, const float* v, float* n);
// Divides v by its length (a zero vector stays zero); needs v.
void glmUnitLength(float* v);

// ---------------------------------------------------------------------------
// Texture coordinates and vertex welding
// ---------------------------------------------------------------------------

// Texture coordinates projected along y onto the x-z plane, one per vertex; needs vertices.
void glmPlanarTexCoords(Model* model);
// Sphere-map texture coordinates, one per normal; needs normals (glmVertexNormals or the file).
void glmSphereTexCoords(Model* model);
// True when every coordinate differs by strictly less than epsilon.
bool glmNearlyEqual(const float* u, const float* v, float epsilon);
// Distinct vectors of a 1-based array, each input's new index stored in its x; needs count.
std::vector<float> glmFuseVectors(std::vector<float>& vectors, uint32_t* count, float epsilon);
// Merges vertices within epsilon and renumbers the corners; needs model.
void glmFuseVertices(Model* model, float epsilon);

// ---------------------------------------------------------------------------
// Drawing: needs a current OpenGL context. A mode part whose data is missing
// is dropped with a warning: MODE_FLAT needs facetnorms (glmTriangleNormals),
// MODE_SMOOTH normals, MODE_TEXTURE texcoords, MODE_COLOR and MODE_MATERIAL
// materials (an MTL library); MODE_SMOOTH wins over MODE_FLAT, MODE_MATERIAL
// over MODE_COLOR.
// ---------------------------------------------------------------------------

// Draws the model group by group with the parts the mode asks for; needs vertices.
void glmDraw(Model* model, unsigned mode);
// Records glmDraw into a new display list and returns its name; needs vertices.
unsigned glmCompileList(Model* model, unsigned mode);

// ---------------------------------------------------------------------------
// Writing: the mode's parts are settled by the same rules as for drawing,
// with warnings of the writer's own.
// ---------------------------------------------------------------------------

// Writes the model as OBJ, and its named MTL library in material mode; needs model.
void glmWriteOBJ(Model* model, const char* filename, unsigned mode);
// Writes the materials to libname in the directory of objpath; needs all three.
void glmWriteMTL(Model* model, const char* objpath, const char* libname);

// ---------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------

// Reads a raw P6 PPM image, or null after a message; the caller frees it with std::free.
unsigned char* glmLoadPPM(const char* filename, int* width, int* height);

#endif
