// OBJ reading: a counting pass sizes every array and group list, a filling
// pass over the same bytes fills them. Both run over the file loaded once
// into memory, with the primitives of scanner.h.
//
// The filling pass trusts nothing the counting pass did not see: a file on
// which the two passes would disagree (a statement that starts after three
// coordinates on a vertex line, say) is reported as unreadable instead of
// being written past the sized arrays. Face indices are checked against the
// counts; negative ones count back from the latest element read.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <memory>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"
#include "name_index.h"
#include "scanner.h"

namespace {

// Room for one error message body (the file name is printed apart).
constexpr size_t message_size = 256;
// Counts stop one short of the 32-bit limit so that count + 1 still fits.
constexpr uint32_t count_limit = UINT32_MAX - 1;
// What a failed "%s" leaves for a face that has no first corner.
const std::string_view no_token("");

// Parse state shared by the statements of one pass.
struct ObjReading {
    Model* model;
    ModelText text;
    Scanner scan;
    const char* statement = nullptr;           // first byte of the statement being read
    ModelGroup* group = nullptr;               // current group, never null once started
    GroupIndex* groups = nullptr;              // the model's groups by name
    const MaterialIndex* materials = nullptr;  // materials by name (filling pass)
    uint32_t material = 0;                     // current material (filling pass)
    // Counting pass: elements seen. Filling pass: next 1-based slot
    // (triangles: next 0-based slot).
    uint32_t vertices = 0, normals = 0, texcoords = 0, triangles = 0;
};

// Ends reading with "glmReadOBJ() failed: " naming the file, the problem and the line.
[[noreturn]] void obj_failed(const ObjReading& r, const char* problem)
{
    std::fflush(stdout);
    std::fprintf(stderr, "glmReadOBJ() failed: \"%s\": %s on line %u.\n", r.model->filepath.c_str(),
                 problem,
                 glm_line_number(r.text, r.statement != nullptr ? r.statement : r.scan.pos));
    glmExit(1);
}

[[noreturn]] void passes_disagree(const ObjReading& r)
{
    obj_failed(r, "the counting and filling passes disagree");
}

ObjReading start_pass(Model* model, const ModelText& text)
{
    ObjReading r;
    r.model = model;
    r.text = text;
    r.scan = Scanner{text.begin, text.end};
    return r;
}

// The second character of a token as a C string holds it (NUL if none).
char second_of(std::string_view token) { return token.size() > 1 ? token[1] : '\0'; }

// ---------------------------------------------------------------------------
// Counting pass
// ---------------------------------------------------------------------------

void count_one(const ObjReading& r, uint32_t* counter)
{
    if (*counter >= count_limit) obj_failed(r, "too many elements");
    ++*counter;
}

[[noreturn]] void unknown_token(std::string_view token)
{
    std::string_view shown = glm_c_string_part(token).substr(0, line_limit);
    std::printf("glmFirstPass(): Unknown token \"%.*s\".\n", static_cast<int>(shown.size()),
                shown.data());
    glmExit(1);
}

void count_vertex_statement(ObjReading& r, std::string_view token)
{
    switch (second_of(token)) {
        case '\0':
            count_one(r, &r.vertices);
            break;
        case 'n':
            count_one(r, &r.normals);
            break;
        case 't':
            count_one(r, &r.texcoords);
            break;
        default:
            unknown_token(token);
    }
    glm_skip_line(r.scan);
}

void count_triangle(ObjReading& r)
{
    count_one(r, &r.triangles);
    count_one(r, &r.group->trianglecount);
}

void count_triangles(ObjReading& r, uint32_t triangles);

// A face of n corners counts n - 2 triangles, and at least one.
void count_triangles(ObjReading& r, uint32_t triangles)
{
    if (triangles > count_limit - r.triangles || triangles > count_limit - r.group->trianglecount)
        obj_failed(r, "too many elements");
    r.triangles += triangles;
    r.group->trianglecount += triangles;
}

template <CornerForm F>
void count_corners(ObjReading& r)
{
    const int plain = glm_count_plain_corners<F>(r.scan);
    if (plain >= 0) {
        const int corners = 1 + plain;  // the first corner was the token
        count_triangles(r, corners >= 3 ? static_cast<uint32_t>(corners - 2) : 1u);
        return;
    }
    CornerIndices ignored;
    glm_scan_corner_as<F, false>(r.scan, &ignored);
    glm_scan_corner_as<F, false>(r.scan, &ignored);
    count_triangle(r);
    while (glm_scan_corner_as<F, false>(r.scan, &ignored) >= 1) count_triangle(r);
}

void count_face(ObjReading& r)
{
    CornerForm form;
    CornerIndices ignored;
    if (!glm_plain_first_corner(r.scan, &form, &ignored)) {
        std::string_view first = no_token;
        glm_read_token(r.scan, &first);
        form = glm_choose_form(first);
    }
    switch (form) {
        case CornerForm::vertex:
            count_corners<CornerForm::vertex>(r);
            break;
        case CornerForm::vertex_texcoord:
            count_corners<CornerForm::vertex_texcoord>(r);
            break;
        case CornerForm::vertex_texcoord_normal:
            count_corners<CornerForm::vertex_texcoord_normal>(r);
            break;
        case CornerForm::vertex_normal:
            count_corners<CornerForm::vertex_normal>(r);
            break;
    }
}

// The library is read at once, so every material exists before any usemtl.
void read_library(ObjReading& r)
{
    char name[name_buffer_size];
    glm_take_name(r.scan, name);
    r.model->mtlfile = std::string(name);
    glmReadMTL(r.model, name);
}

// ---------------------------------------------------------------------------
// Filling pass
// ---------------------------------------------------------------------------

// Reads width floats into the next slot of a 1-based array.
GLM_ALWAYS_INLINE void fill_vector(ObjReading& r, uint32_t* next, uint32_t count,
                                   std::vector<float>& array, size_t width)
{
    const size_t first = width * *next;
    if (*next > count || first + width > array.size()) passes_disagree(r);
    glm_scan_floats(r.scan, &array[first], static_cast<int>(width));
    ++*next;
}

// A position that is not a finite number would spread through fitting to the
// whole model, which would then be drawn as nothing; the file is refused instead.
void require_finite_vertex(const ObjReading& r)
{
    const float* v = &r.model->vertices[3 * (r.vertices - 1)];
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]))
        obj_failed(r, "vertex coordinate that is not a finite number");
}

void fill_vertex_statement(ObjReading& r, std::string_view token)
{
    constexpr size_t xyz = 3, uv = 2;
    Model* m = r.model;
    switch (second_of(token)) {
        case '\0':
            fill_vector(r, &r.vertices, m->vertexcount, m->vertices, xyz);
            require_finite_vertex(r);
            break;
        case 'n':
            fill_vector(r, &r.normals, m->normalcount, m->normals, xyz);
            break;
        case 't':
            fill_vector(r, &r.texcoords, m->texcoordcount, m->texcoords, uv);
            break;
        default:
            passes_disagree(r);
    }
}

// One kind of index: its name in messages, its count, and the next slot to fill.
struct IndexKind {
    const char* name;
    const char* plural;
    uint32_t count;
    uint32_t next;
};

// Ends reading on a face index that names no element of its array.
[[noreturn]] void bad_index(const ObjReading& r, int64_t written, const IndexKind& kind)
{
    char problem[message_size];
    const int64_t read_so_far = static_cast<int64_t>(kind.next) - 1;
    if (written >= 0 && kind.count == 0)
        std::snprintf(problem, sizeof problem,
                      "%s index %" PRId64 " out of range (the file has no %s)", kind.name, written,
                      kind.plural);
    else if (written >= 0)
        std::snprintf(problem, sizeof problem, "%s index %" PRId64 " out of range (1..%" PRIu32 ")",
                      kind.name, written, kind.count);
    else if (read_so_far == 0)
        std::snprintf(problem, sizeof problem, "%s index %" PRId64 " out of range (no %s read yet)",
                      kind.name, written, kind.plural);
    else
        std::snprintf(problem, sizeof problem,
                      "%s index %" PRId64 " out of range (-%" PRId64 "..-1)", kind.name, written,
                      read_so_far);
    obj_failed(r, problem);
}

// A face index as an array position: positive indices as the file gives them (forward
// references up to the count allowed), negative ones back from the latest
// element read so far.
GLM_ALWAYS_INLINE uint32_t resolve_index(const ObjReading& r, int64_t written,
                                         const IndexKind& kind)
{
    const int64_t index = written < 0 ? static_cast<int64_t>(kind.next) + written : written;
    if (index < 1 || index > kind.count) bad_index(r, written, kind);
    return static_cast<uint32_t>(index);
}

// One corner's indices, resolved; fields the form does not carry stay 0.
struct Corner {
    uint32_t vertex = 0, texcoord = 0, normal = 0;
};

GLM_ALWAYS_INLINE Corner resolve_corner(const ObjReading& r, CornerForm form,
                                        const CornerIndices& read)
{
    const Model* m = r.model;
    Corner c;
    c.vertex = resolve_index(r, read.vertex, {"vertex", "vertices", m->vertexcount, r.vertices});
    if (form == CornerForm::vertex_texcoord || form == CornerForm::vertex_texcoord_normal)
        c.texcoord = resolve_index(
            r, read.texcoord,
            {"texture coordinate", "texture coordinates", m->texcoordcount, r.texcoords});
    if (form == CornerForm::vertex_normal || form == CornerForm::vertex_texcoord_normal)
        c.normal = resolve_index(r, read.normal, {"normal", "normals", m->normalcount, r.normals});
    return c;
}

// Stores the triangle a, b, c in the next slot and lists it in the current group.
GLM_ALWAYS_INLINE void store_triangle(ObjReading& r, const Corner& a, const Corner& b,
                                      const Corner& c)
{
    Model* m = r.model;
    ModelGroup* g = r.group;
    if (r.triangles >= m->trianglecount || r.triangles >= m->triangles.size() ||
        g->trianglecount >= g->triangles.size())
        passes_disagree(r);
    ModelTriangle& t = m->triangles[r.triangles];
    const Corner* corners[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        t.vertexidx[i] = corners[i]->vertex;
        t.texcoordidx[i] = corners[i]->texcoord;
        t.normalidx[i] = corners[i]->normal;
    }
    g->triangles[g->trianglecount++] = r.triangles++;
}

// The first three corners make one triangle; each further corner adds a fan
// triangle around the first. Missing corners repeat the last values read.
// The first corner has been read into read already.
template <CornerForm F>
void fill_corners(ObjReading& r, CornerIndices read)
{
    const Corner a = resolve_corner(r, F, read);
    glm_scan_corner_fast<F>(r.scan, &read);
    Corner b = resolve_corner(r, F, read);
    glm_scan_corner_fast<F>(r.scan, &read);
    Corner c = resolve_corner(r, F, read);
    store_triangle(r, a, b, c);
    while (glm_scan_corner_fast<F>(r.scan, &read) >= 1) {
        b = c;
        c = resolve_corner(r, F, read);
        store_triangle(r, a, b, c);
    }
}

void fill_face_of_form(ObjReading& r, CornerForm form, const CornerIndices& first)
{
    switch (form) {
        case CornerForm::vertex:
            fill_corners<CornerForm::vertex>(r, first);
            break;
        case CornerForm::vertex_texcoord:
            fill_corners<CornerForm::vertex_texcoord>(r, first);
            break;
        case CornerForm::vertex_texcoord_normal:
            fill_corners<CornerForm::vertex_texcoord_normal>(r, first);
            break;
        case CornerForm::vertex_normal:
            fill_corners<CornerForm::vertex_normal>(r, first);
            break;
    }
}

void fill_face(ObjReading& r)
{
    CornerForm form;
    CornerIndices first;
    if (glm_plain_first_corner(r.scan, &form, &first)) {
        fill_face_of_form(r, form, first);
        return;
    }
    std::string_view token = no_token;
    glm_read_token(r.scan, &token);
    form = glm_choose_form(token);
    Scanner in_token = glm_token_scanner(token);
    glm_scan_corner(in_token, form, &first);
    fill_face_of_form(r, form, first);
}

void use_material(ObjReading& r)
{
    char name[name_buffer_size];
    glm_take_name(r.scan, name);
    r.material = r.materials->find(name);
    r.group->material = r.material;
}

void enter_group(ObjReading& r)
{
    char name[name_buffer_size];
    glm_take_group_name(r.scan, name);
    r.group = r.groups->lookup(name);
    if (r.group == nullptr) passes_disagree(r);
    r.group->material = r.material;
}

// Every slot the counting pass sized has been filled, and no more.
void check_filled(const ObjReading& r)
{
    const Model* m = r.model;
    bool filled = r.vertices == m->vertexcount + 1 && r.normals == m->normalcount + 1 &&
                  r.texcoords == m->texcoordcount + 1 && r.triangles == m->trianglecount;
    for (const ModelGroup* g = m->groups.get(); g != nullptr; g = g->next.get())
        filled = filled && g->trianglecount == g->triangles.size();
    if (!filled) passes_disagree(r);
}

// Sizes the arrays from the counts: vertices and triangles always, normals
// and texture coordinates only when the file has some.
void allocate_arrays(Model* m)
{
    constexpr size_t xyz = 3, uv = 2;
    m->vertices.assign(xyz * (size_t{m->vertexcount} + 1), 0.0f);
    m->triangles.assign(m->trianglecount, ModelTriangle{});
    if (m->normalcount != 0) m->normals.assign(xyz * (size_t{m->normalcount} + 1), 0.0f);
    if (m->texcoordcount != 0) m->texcoords.assign(uv * (size_t{m->texcoordcount} + 1), 0.0f);
}

}  // namespace

void glmFirstPass(Model* model, const ModelText& text)
{
    GLM_REQUIRE(model, "model");
    ObjReading r = start_pass(model, text);
    GroupIndex groups(model);
    r.groups = &groups;
    r.group = groups.ensure("default");
    std::string_view token;
    while (glm_read_token(r.scan, &token)) {
        r.statement = token.data();
        switch (token[0]) {
            case 'v':
                count_vertex_statement(r, token);
                break;
            case 'm':
                read_library(r);
                break;
            case 'g': {
                char name[name_buffer_size];
                glm_take_group_name(r.scan, name);
                r.group = groups.ensure(name);
                break;
            }
            case 'f':
                count_face(r);
                break;
            default:
                glm_skip_line(r.scan);
                break;  // '#', 'u' and the rest
        }
    }
    model->vertexcount = r.vertices;
    model->normalcount = r.normals;
    model->texcoordcount = r.texcoords;
    model->trianglecount = r.triangles;
    for (ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get()) {
        g->triangles.assign(g->trianglecount, 0);
        g->trianglecount = 0;
    }
}

void glmFillPass(Model* model, const ModelText& text)
{
    GLM_REQUIRE(model, "model");
    ObjReading r = start_pass(model, text);
    GroupIndex groups(model);
    const MaterialIndex materials(model);
    r.groups = &groups;
    r.materials = &materials;
    r.group = groups.lookup("default");
    if (r.group == nullptr) passes_disagree(r);
    r.vertices = r.normals = r.texcoords = 1;
    std::string_view token;
    while (glm_read_token(r.scan, &token)) {
        r.statement = token.data();
        switch (token[0]) {
            case 'v':
                fill_vertex_statement(r, token);
                break;
            case 'u':
                use_material(r);
                break;
            case 'g':
                enter_group(r);
                break;
            case 'f':
                fill_face(r);
                break;
            default:
                glm_skip_line(r.scan);
                break;  // '#', 'm' and the rest
        }
    }
    r.statement = nullptr;
    check_filled(r);
}

Model* glmReadOBJ(const char* filename)
{
    LoadedText text;
    LoadFailure failure;
    if (!glm_load_text(filename, &text, &failure)) {
        if (failure == LoadFailure::not_regular)
            std::fprintf(stderr,
                         "glmReadOBJ() failed: can't open data file \"%s\": not a regular file.\n",
                         filename);
        else
            std::fprintf(stderr, "glmReadOBJ() failed: can't open data file \"%s\".\n", filename);
        glmExit(1);
    }
    std::printf(": open data file \"%s\".\n", filename);
    // Owned here until complete, so an exit handler that throws frees it all.
    std::unique_ptr<Model> model(new Model());
    model->filepath = filename;
    const ModelText view = glm_text_of(text);
    glmFirstPass(model.get(), view);
    allocate_arrays(model.get());
    glmFillPass(model.get(), view);
    return model.release();
}
