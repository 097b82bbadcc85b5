// Writing a model back as an OBJ file and its materials as an MTL file, in
// the subset of both formats that the reader accepts.
//
// Output goes through a large buffer of our own. Indices are formatted by
// hand (as "%d" prints them); floats go through snprintf "%f": a formatter of
// our own would save about a millisecond on the shipped models, too little
// for its code (figures in bench/README.md).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"
#include "orvanel_project.h"

namespace {

constexpr size_t output_buffer_size = size_t{1} << 18;
// Room that one formatted number may need ("%f" of the largest float).
constexpr size_t longest_number = 64;
// OpenGL shininess runs 0..128, MTL Ns 0..1000.
constexpr double gl_shininess_range = 128.0;
constexpr double mtl_shininess_range = 1000.0;

// Closes a file left open when glmExit's handler unwinds instead of exiting.
struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// One file being written: bytes gather in `buffer` and go out in big writes.
struct TextOutput {
    std::unique_ptr<FILE, FileCloser> file;
    std::unique_ptr<char[]> buffer{new char[output_buffer_size]};
    size_t used = 0;      // bytes waiting in buffer
    bool failed = false;  // a write to the file came up short
};

void flush_output(TextOutput& out)
{
    if (out.used != 0 && std::fwrite(out.buffer.get(), 1, out.used, out.file.get()) != out.used)
        out.failed = true;
    out.used = 0;
}

// Makes room for `bytes` more bytes (at most the buffer size) and returns where they go.
char* reserve(TextOutput& out, size_t bytes)
{
    if (output_buffer_size - out.used < bytes) flush_output(out);
    return out.buffer.get() + out.used;
}

void put_bytes(TextOutput& out, const char* text, size_t length)
{
    while (length != 0) {
        size_t piece = std::min(length, output_buffer_size);
        std::memcpy(reserve(out, piece), text, piece);
        out.used += piece;
        text += piece;
        length -= piece;
    }
}

void put_text(TextOutput& out, const char* text) { put_bytes(out, text, std::strlen(text)); }

// Writes the digits of value into the end of a scratch area; returns the first digit.
char* digits_before(char* end, uint64_t value)
{
    do {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

void put_unsigned(TextOutput& out, uint64_t value)
{
    char scratch[longest_number];
    char* end = scratch + sizeof scratch;
    char* first = digits_before(end, value);
    put_bytes(out, first, static_cast<size_t>(end - first));
}

// An index as "%d" prints it: indices are read with "%d", so a negative one
// read from a file comes back out as the same negative number.
void put_index(TextOutput& out, uint32_t stored)
{
    auto value = static_cast<int64_t>(static_cast<int32_t>(stored));
    if (value < 0) put_bytes(out, "-", 1);
    put_unsigned(out, static_cast<uint64_t>(value < 0 ? -value : value));
}

// A float widened to double and printed as "%f".
void put_fixed(TextOutput& out, float value)
{
    char* text = reserve(out, longest_number);
    int length = std::snprintf(text, longest_number, "%f", static_cast<double>(value));
    out.used += static_cast<size_t>(std::max(length, 0));
}

// "<keyword> %f %f %f\n" (or fewer values) from consecutive floats.
void put_vector_line(TextOutput& out, const char* keyword, const float* values, int count)
{
    put_text(out, keyword);
    for (int i = 0; i < count; ++i) {
        put_bytes(out, " ", 1);
        put_fixed(out, values[i]);
    }
    put_bytes(out, "\n", 1);
}

// "\n# <count> <what>\n"
void put_section_title(TextOutput& out, uint32_t count, const char* what)
{
    put_text(out, "\n# ");
    put_unsigned(out, count);
    put_bytes(out, " ", 1);
    put_text(out, what);
    put_bytes(out, "\n", 1);
}

// Entries 1..count of a 1-based array of `width` floats each, as far as the
// array really holds them (a hand-made model may claim more than it has).
void put_vectors(TextOutput& out, const char* keyword, const std::vector<float>& array,
                 uint32_t count, int width)
{
    const uint32_t last = glm_last_usable(count, array, static_cast<size_t>(width));
    for (size_t i = 1; i <= last; ++i)
        put_vector_line(out, keyword, &array[i * static_cast<size_t>(width)], width);
}

// Sends what is left and closes; a failed write or close ends the program
// like a failed open, so a damaged file never passes for a written one.
void finish_output(TextOutput& out, const char* operation, const char* path)
{
    flush_output(out);
    FILE* file = out.file.release();
    bool failed = out.failed || std::fflush(file) != 0 || std::ferror(file) != 0;
    failed = std::fclose(file) != 0 || failed;
    if (failed) {
        std::fprintf(stderr, "%s() failed: error while writing file \"%s\".\n", operation, path);
        glmExit(1);
    }
}

void put_library_header(TextOutput& out, const char* kind)
{
    put_text(out, "#  \n#  Wavefront ");
    put_text(out, kind);
    put_text(out, " generated by the OBJ model library\n#  \n#  OBJ model library\n");
    for (const char* line : {project_name, project_email, project_web}) {
        put_text(out, "#  ");
        put_text(out, line);
        put_text(out, "\n");
    }
    put_text(out, "#  \n");
}

void put_material(TextOutput& out, const ModelMaterial& material)
{
    put_text(out, "newmtl ");
    put_text(out, material.name.c_str());
    put_bytes(out, "\n", 1);
    put_vector_line(out, "Ka", material.ambient, 3);
    put_vector_line(out, "Kd", material.diffuse, 3);
    put_vector_line(out, "Ks", material.specular, 3);
    char line[longest_number + 8];
    double ns = material.shininess / gl_shininess_range * mtl_shininess_range;
    int length = std::snprintf(line, sizeof line, "Ns %f\n\n", ns);
    put_bytes(out, line, static_cast<size_t>(std::clamp<int>(length, 0, sizeof line - 1)));
}

// Drops `bit` from mode with a warning when `applies` holds.
unsigned drop_mode(unsigned mode, bool applies, unsigned bit, const char* reason)
{
    if (!applies || (mode & bit) == 0) return mode;
    std::printf("glmWriteOBJ() warning: %s\n", reason);
    return mode & ~bit;
}

// The mode actually written: parts whose data is missing, and the weaker of
// two conflicting requests, are dropped with a warning each, in this order.
unsigned settle_mode(const Model& model, unsigned mode)
{
    bool no_materials = model.materials.empty();
    mode = drop_mode(mode, model.facetnorms.empty(), MODE_FLAT,
                     "flat normal output requested with no facet normals defined.");
    mode = drop_mode(mode, model.normals.empty(), MODE_SMOOTH,
                     "smooth normal output requested with no normals defined.");
    mode = drop_mode(mode, model.texcoords.empty(), MODE_TEXTURE,
                     "texture coordinate output requested with no texture coordinates defined.");
    mode = drop_mode(mode, (mode & MODE_SMOOTH) != 0, MODE_FLAT,
                     "flat normal output requested and smooth normal output requested "
                     "(using smooth).");
    mode = drop_mode(mode, no_materials, MODE_COLOR,
                     "color output requested with no colors (materials) defined.");
    mode = drop_mode(mode, no_materials, MODE_MATERIAL,
                     "material output requested with no materials defined.");
    mode = drop_mode(mode, (mode & MODE_MATERIAL) != 0, MODE_COLOR,
                     "color and material output requested outputting only materials.");
    return mode;
}

// One face line in the form the settled mode calls for.
void put_face(TextOutput& out, const ModelTriangle& triangle, unsigned mode)
{
    bool texture = (mode & MODE_TEXTURE) != 0;
    bool smooth = (mode & MODE_SMOOTH) != 0;
    bool normals = smooth || (mode & MODE_FLAT) != 0;
    put_bytes(out, "f", 1);
    for (int corner = 0; corner < 3; ++corner) {
        put_bytes(out, " ", 1);
        put_index(out, triangle.vertexidx[corner]);
        if (texture) {
            put_bytes(out, "/", 1);
            put_index(out, triangle.texcoordidx[corner]);
        }
        if (normals) {
            put_bytes(out, texture ? "/" : "//", texture ? 1 : 2);
            put_index(out, smooth ? triangle.normalidx[corner] : triangle.facetnormidx);
        }
    }
    put_bytes(out, "\n", 1);
}

// The material a group names; a hand-made model may hold an index past the
// end, which falls back to material 0 ("default") as the reader would.
const ModelMaterial& group_material(const Model& model, const ModelGroup& group)
{
    const uint32_t known = glm_usable_count(model.materialcount, model.materials);
    return group.material < known ? model.materials[group.material] : model.materials[0];
}

void put_group(TextOutput& out, const Model& model, const ModelGroup& group, unsigned mode)
{
    put_text(out, "g ");
    put_text(out, group.name.c_str());
    put_bytes(out, "\n", 1);
    if ((mode & MODE_MATERIAL) != 0) {
        put_text(out, "usemtl ");
        put_text(out, group_material(model, group).name.c_str());
        put_bytes(out, "\n", 1);
    }
    const uint32_t listed = glm_usable_count(group.trianglecount, group.triangles);
    const uint32_t known = glm_usable_count(model.trianglecount, model.triangles);
    for (size_t i = 0; i < listed; ++i) {
        uint32_t index = group.triangles[i];
        if (index < known) put_face(out, model.triangles[index], mode);  // others: no triangle
    }
    put_bytes(out, "\n", 1);
}

// Everything after the header and the material library line.
void put_model_body(TextOutput& out, const Model& model, unsigned mode)
{
    put_section_title(out, model.vertexcount, "vertices");
    put_vectors(out, "v", model.vertices, model.vertexcount, 3);
    if ((mode & MODE_SMOOTH) != 0) {
        put_section_title(out, model.normalcount, "normals");
        put_vectors(out, "vn", model.normals, model.normalcount, 3);
    } else if ((mode & MODE_FLAT) != 0) {
        put_section_title(out, model.facetnormcount, "normals");
        put_vectors(out, "vn", model.facetnorms, model.facetnormcount, 3);
    }
    if ((mode & MODE_TEXTURE) != 0) {
        put_section_title(out, model.texcoordcount, "texcoords");
        put_vectors(out, "vt", model.texcoords, model.texcoordcount, 2);
    }
    put_section_title(out, model.groupcount, "groups");
    put_text(out, "# ");
    put_unsigned(out, model.trianglecount);
    put_text(out, " faces (triangles)\n\n");
    for (const ModelGroup* group = model.groups.get(); group; group = group->next.get())
        put_group(out, model, *group, mode);
}

}  // namespace

void glmWriteMTL(Model* model, const char* objpath, const char* libname)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(objpath, "objpath");
    GLM_REQUIRE(libname, "libname");
    std::string path = glmDirectoryOf(objpath) + libname;
    TextOutput out;
    out.file.reset(std::fopen(path.c_str(), "w"));
    if (!out.file) {
        std::fprintf(stderr, "glmWriteMTL() failed: can't open file \"%s\".\n", path.c_str());
        glmExit(1);
    }
    put_library_header(out, "MTL");
    put_bytes(out, "\n", 1);
    const uint32_t known = glm_usable_count(model->materialcount, model->materials);
    for (size_t i = 0; i < known; ++i) put_material(out, model->materials[i]);
    finish_output(out, "glmWriteMTL", path.c_str());
}

void glmWriteOBJ(Model* model, const char* filename, unsigned mode)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(filename, "filename");
    mode = settle_mode(*model, mode);
    TextOutput out;
    out.file.reset(std::fopen(filename, "w"));
    if (!out.file) {
        std::fprintf(stderr, "glmWriteOBJ() failed: can't open file \"%s\" to write.\n", filename);
        glmExit(1);
    }
    put_library_header(out, "OBJ");
    if ((mode & MODE_MATERIAL) != 0 && model->mtlfile) {
        put_text(out, "\nmtllib ");
        put_text(out, model->mtlfile->c_str());
        put_text(out, "\n\n");
        // The OBJ text so far reaches the disk before the library is written.
        flush_output(out);
        std::fflush(out.file.get());
        glmWriteMTL(model, filename, model->mtlfile->c_str());
    }
    put_model_body(out, *model, mode);
    finish_output(out, "glmWriteOBJ", filename);
}
