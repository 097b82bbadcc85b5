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

// A whole file held in memory, scanned by the reader's passes.
struct ModelText {
    const char* begin;  // first byte
    const char* end;    // one past the last byte
};

// ---------------------------------------------------------------------------
// Program exit
// ---------------------------------------------------------------------------

// Ends the program with the status through glmExitHandler (std::exit by default).
[[noreturn]] void glmExit(int status);
// Replaceable exit used by glmExit; a handler must not return (it may throw).
extern void (*glmExitHandler)(int status);

// ---------------------------------------------------------------------------
// Bookkeeping
// ---------------------------------------------------------------------------

// First group of the list whose name equals name byte for byte, or null.
ModelGroup* glmLookupGroup(Model* model, const char* name);
// The group of that name, created at the head of the list when missing.
ModelGroup* glmEnsureGroup(Model* model, const char* name);
// Index of the material named name; 0 ("default") with a message when missing.
uint32_t glmFindMaterial(Model* model, const char* name);
// Directory part of path, up to and including the last '/'; empty without one.
std::string glmDirectoryOf(const char* path);
// Frees the model and everything it owns.
void glmRelease(Model* model);

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// Reads an OBJ file and its MTL library; ends the program when it cannot.
Model* glmReadOBJ(const char* filename);
// Counting pass: counts, groups with their list sizes, the material library.
void glmFirstPass(Model* model, const ModelText& text);
// Filling pass over the same text into the arrays the counting pass sized.
void glmFillPass(Model* model, const ModelText& text);
// Reads the material library name, looked for beside the model's file.
void glmReadMTL(Model* model, const char* name);

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

// Centres the model and scales it into the box -1..1; returns the scale factor.
float glmFitUnitBox(Model* model);
// Stores the x, y and z extents (|max| + |min| per axis) in dimensions[0..2].
void glmExtents(Model* model, float* dimensions);
// Multiplies every vertex by scale.
void glmScaleModel(Model* model, float scale);
// Reverses every triangle's winding and negates both kinds of normals.
void glmFlipWinding(Model* model);
// One unit facet normal per triangle.
void glmTriangleNormals(Model* model);
// Smooth vertex normals, averaging facets within angle (degrees) of a reference.
void glmVertexNormals(Model* model, float angle);
// b when b > a, otherwise a.
float glmLarger(float a, float b);
// -x when x < 0, otherwise x.
float glmAbsValue(float x);
// u . v
float glmDotProduct(const float* u, const float* v);
// n = u x v
void glmCrossProduct(const float* u, const float* v, float* n);
// Divides v by its length (a zero vector stays zero).
void glmUnitLength(float* v);

// ---------------------------------------------------------------------------
// Texture coordinates and vertex welding
// ---------------------------------------------------------------------------

// Planar texture coordinates projected along y onto the x-z plane.
void glmPlanarTexCoords(Model* model);
// Sphere-map texture coordinates from the vertex normals.
void glmSphereTexCoords(Model* model);
// True when every coordinate differs by strictly less than epsilon.
bool glmNearlyEqual(const float* u, const float* v, float epsilon);
// Distinct vectors of a 1-based array; stores each input's new index in its x.
std::vector<float> glmFuseVectors(std::vector<float>& vectors, uint32_t* count, float epsilon);
// Merges vertices within epsilon and renumbers the corners.
void glmFuseVertices(Model* model, float epsilon);

// ---------------------------------------------------------------------------
// Drawing (needs a current OpenGL context)
// ---------------------------------------------------------------------------

// Draws the model group by group with the parts the mode asks for.
void glmDraw(Model* model, unsigned mode);
// Records glmDraw into a new display list and returns its name.
unsigned glmCompileList(Model* model, unsigned mode);

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// Writes the model as an OBJ file, with its MTL library in material mode.
void glmWriteOBJ(Model* model, const char* filename, unsigned mode);
// Writes the materials to libname in the directory of objpath.
void glmWriteMTL(Model* model, const char* objpath, const char* libname);

// ---------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------

// Reads a raw P6 PPM image; the caller frees the RGB buffer with std::free.
unsigned char* glmLoadPPM(const char* filename, int* width, int* height);

#endif
