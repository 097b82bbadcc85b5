// OBJ reading: a counting pass sizes every array and group list, a filling
// pass over the same bytes fills them. Both run over the file loaded once
// into memory, with the primitives of scanner.h.
//
// A large file is cut into chunks, one per thread, and each pass reads the
// chunks at once. Reading is sequential by nature: where a statement ends
// depends on the statements before it (a line skip takes at most 127 bytes,
// a face or a vertex may take numbers from the next line), the groups are
// created in file order, relative indices count back over the whole file and
// the first error is the one reported. So each chunk reads on from its first
// statement as if the file started there, and the results are merged in file
// order: a chunk is kept only when the statement the previous chunk stopped
// at is its own first one, otherwise it is read again from there; the
// counting pass gives every chunk its slots in the arrays and lists, and the
// filling pass checks that it filled exactly those. Whenever the chunks do
// not agree, or a chunk meets an error, the file is read again on one
// thread, which gives the messages of the sequential reading unchanged.
//
// The filling pass trusts nothing the counting pass did not see: a file on
// which the two passes would disagree (a statement that starts after three
// coordinates on a vertex line, say) is reported as unreadable instead of
// being written past the sized arrays. Face indices are checked against the
// counts; negative ones count back from the latest element read.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

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
// A chunk's current material before its first usemtl: the one the chunks
// before it leave, known only when they are merged.
constexpr uint32_t inherited_material = UINT32_MAX;
// Files below two chunks of this size are read on one thread: starting a
// thread costs more than it saves there.
constexpr size_t min_chunk_bytes = size_t{1} << 20;
// Arrays from this size on are asked for huge pages: zeroing them one 4 kB
// page fault at a time costs as much as reading the numbers that fill them.
constexpr size_t huge_page_bytes = size_t{2} << 20;

// Threads glmReadOBJ may use; 0 follows the hardware.
std::atomic<unsigned> read_threads{0};

// Why reading stops, raised where it is found (possibly on another thread)
// and reported by the merge.
struct ReadFailure {
    enum Kind {
        problem,        // "glmReadOBJ() failed: ... on line N."
        unknown_token,  // the counting pass's message on standard output
        too_many,       // "too many elements", exact only on one chunk
    } kind;
    const char* at;    // where the line number is taken
    std::string text;  // the problem, or the token shown
};

// A run of statements in one group: the start of a chunk, or a "g" statement.
struct GroupSpan {
    const char* statement = nullptr;  // its "g" statement; null for a chunk's start
    std::string name;                 // the group named there
    uint32_t triangles = 0;           // triangles counted in the run
    ModelGroup* group = nullptr;      // set by the merge
    uint32_t first = 0;               // its first slot in the group's list, set by the merge
};

// A group's material set by a "g" or "usemtl" statement of the filling pass,
// applied in file order by the merge.
struct MaterialSetting {
    ModelGroup* group;
    uint32_t material;  // or inherited_material
    int missing = -1;   // the usemtl's missing name in Chunk::missing, or -1
};

// Element counts of the four arrays.
struct Counts {
    uint32_t vertices = 0, normals = 0, texcoords = 0, triangles = 0;
};

// One chunk of the text and what the passes found in it.
struct Chunk {
    explicit Chunk(const char* end) : bound(end) {}
    const char* bound;            // statements starting here or later are the next chunk's
    const char* start = nullptr;  // its first statement (or bound, or the end)
    const char* stop = nullptr;   // the first statement after it
    std::optional<ReadFailure> failure;
    std::exception_ptr exception;  // anything else a pass threw
    // Counting pass.
    Counts counted;
    std::vector<GroupSpan> spans;        // the first starts at start
    std::vector<std::string> libraries;  // mtllib names, in order
    // Filling pass.
    Counts first_slot;  // 1-based next slots (triangles: 0-based) at the start
    bool filled = false;
    std::vector<MaterialSetting> settings;
    std::vector<std::string> missing;
    uint32_t end_material = inherited_material;
};

// Parse state of one pass over one chunk.
struct ObjReading {
    Model* model;
    ModelText text;
    Scanner scan;
    const char* bound;                // where the chunk's statements end
    const char* statement = nullptr;  // first byte of the statement being read
    Chunk* chunk = nullptr;
    // Counting pass: elements seen. Filling pass: next 1-based slot
    // (triangles: next 0-based slot).
    uint32_t vertices = 0, normals = 0, texcoords = 0, triangles = 0;
    // Counting pass: triangles of the current group span.
    uint32_t* span_triangles = nullptr;
    // Filling pass: the slots allowed (one past the last), the current group
    // and the slot of its list to fill next, the current material.
    uint32_t vertex_end = 0, normal_end = 0, texcoord_end = 0, triangle_end = 0;
    ModelGroup* group = nullptr;
    uint32_t* list_next = nullptr;
    uint32_t list_end = 0;
    uint32_t span_next = 0;                    // list_next of a chunk's span
    size_t span = 0;                           // current span of a chunk
    GroupIndex* groups = nullptr;              // groups by name, when read on one thread
    const MaterialIndex* materials = nullptr;  // materials by name
    uint32_t material = 0;
};

// Stops reading with "glmReadOBJ() failed: " naming the file, the problem and the line.
[[noreturn]] void obj_failed(const ObjReading& r, const char* problem,
                             ReadFailure::Kind kind = ReadFailure::problem)
{
    throw ReadFailure{kind, r.statement != nullptr ? r.statement : r.scan.pos, problem};
}

[[noreturn]] void passes_disagree(const ObjReading& r)
{
    obj_failed(r, "the counting and filling passes disagree");
}

// Prints a failure the way the sequential reading does, and ends reading.
[[noreturn]] void report(const Model& model, const ModelText& text, const ReadFailure& failure)
{
    if (failure.kind == ReadFailure::unknown_token) {
        std::printf("glmFirstPass(): Unknown token \"%s\".\n", failure.text.c_str());
        glmExit(1);
    }
    std::fflush(stdout);
    std::fprintf(stderr, "glmReadOBJ() failed: \"%s\": %s on line %u.\n", model.filepath.c_str(),
                 failure.text.c_str(), glm_line_number(text, failure.at));
    glmExit(1);
}

ObjReading start_pass(Model* model, const ModelText& text, Chunk& chunk, const char* from)
{
    ObjReading r;
    r.model = model;
    r.text = text;
    r.scan = Scanner{from, text.end};
    r.bound = chunk.bound;
    r.chunk = &chunk;
    glm_skip_blanks(r.scan);
    chunk.start = r.scan.pos;
    return r;
}

// Reads the next statement's token when it belongs to the chunk.
GLM_ALWAYS_INLINE bool next_statement(ObjReading& r, std::string_view* token)
{
    glm_skip_blanks(r.scan);
    if (r.scan.pos >= r.bound) return false;
    glm_read_token(r.scan, token);
    r.statement = token->data();
    return true;
}

// The second character of a token as a C string holds it (NUL if none).
char second_of(std::string_view token) { return token.size() > 1 ? token[1] : '\0'; }

// ---------------------------------------------------------------------------
// Counting pass
// ---------------------------------------------------------------------------

void count_one(const ObjReading& r, uint32_t* counter)
{
    if (*counter >= count_limit) obj_failed(r, "too many elements", ReadFailure::too_many);
    ++*counter;
}

[[noreturn]] void unknown_token(const ObjReading& r, std::string_view token)
{
    std::string_view shown = glm_c_string_part(token).substr(0, line_limit);
    obj_failed(r, std::string(shown).c_str(), ReadFailure::unknown_token);
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
            unknown_token(r, token);
    }
    glm_skip_line(r.scan);
}

// A face of n corners counts n - 2 triangles, and at least one. A group
// never holds more triangles than the file, so the file's count alone is
// checked.
void count_triangles(ObjReading& r, uint32_t triangles)
{
    if (triangles > count_limit - r.triangles)
        obj_failed(r, "too many elements", ReadFailure::too_many);
    r.triangles += triangles;
    *r.span_triangles += triangles;
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
    count_triangles(r, 1);
    while (glm_scan_corner_as<F, false>(r.scan, &ignored) >= 1) count_triangles(r, 1);
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

// A new group span at a "g" statement; the group itself is made by the merge.
void start_span(ObjReading& r, const char* statement, std::string name)
{
    std::vector<GroupSpan>& spans = r.chunk->spans;
    spans.push_back(GroupSpan{statement, std::move(name), 0, nullptr, 0});
    r.span_triangles = &spans.back().triangles;
}

// Counts the statements of the chunk that start from on.
void count_chunk(Model* model, const ModelText& text, Chunk& chunk, const char* from)
{
    ObjReading r = start_pass(model, text, chunk, from);
    chunk.failure.reset();
    chunk.spans.clear();
    chunk.libraries.clear();
    start_span(r, nullptr, std::string());
    try {
        std::string_view token;
        while (next_statement(r, &token)) {
            switch (token[0]) {
                case 'v':
                    count_vertex_statement(r, token);
                    break;
                case 'm': {
                    // Read by the merge, so that libraries replace each other in file order.
                    char name[name_buffer_size];
                    glm_take_name(r.scan, name);
                    chunk.libraries.emplace_back(name);
                    break;
                }
                case 'g': {
                    char name[name_buffer_size];
                    glm_take_group_name(r.scan, name);
                    start_span(r, r.statement, name);
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
    } catch (ReadFailure& failure) {
        chunk.failure = std::move(failure);
    } catch (...) {
        chunk.exception = std::current_exception();
    }
    chunk.stop = r.scan.pos;
    chunk.counted = Counts{r.vertices, r.normals, r.texcoords, r.triangles};
}

// Merges the chunks' counts in file order: chunks that did not start where
// the one before stopped are counted again from there, the libraries are
// read, the groups made and every span given its slots, the first failure
// reported. False, with nothing done, when the counts overflow across chunks:
// only a reading on one thread tells at which statement.
bool merge_counts(Model* model, const ModelText& text, std::vector<Chunk>& chunks)
{
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (i > 0 && chunks[i].start != chunks[i - 1].stop)
            count_chunk(model, text, chunks[i], chunks[i - 1].stop);
        if (chunks[i].exception) std::rethrow_exception(chunks[i].exception);
        if (chunks[i].failure) {
            chunks.erase(chunks.begin() + static_cast<ptrdiff_t>(i) + 1, chunks.end());
            break;
        }
    }
    const bool alone = chunks.size() == 1;
    uint64_t totals[4] = {0, 0, 0, 0};
    for (const Chunk& chunk : chunks) {
        if (chunk.failure && chunk.failure->kind == ReadFailure::too_many && !alone) return false;
        totals[0] += chunk.counted.vertices;
        totals[1] += chunk.counted.normals;
        totals[2] += chunk.counted.texcoords;
        totals[3] += chunk.counted.triangles;
    }
    for (uint64_t total : totals)
        if (total > count_limit) return false;
    GroupIndex groups(model);
    ModelGroup* group = groups.ensure("default");
    Counts slot{1, 1, 1, 0};
    for (Chunk& chunk : chunks) {
        for (GroupSpan& span : chunk.spans) {
            if (span.statement != nullptr) group = groups.ensure(span.name.c_str());
            span.group = group;
            span.first = group->trianglecount;
            group->trianglecount += span.triangles;
        }
        for (const std::string& name : chunk.libraries) {
            model->mtlfile = name;
            glmReadMTL(model, name.c_str());
        }
        if (chunk.failure) report(*model, text, *chunk.failure);
        chunk.first_slot = slot;
        slot.vertices += chunk.counted.vertices;
        slot.normals += chunk.counted.normals;
        slot.texcoords += chunk.counted.texcoords;
        slot.triangles += chunk.counted.triangles;
    }
    model->vertexcount = static_cast<uint32_t>(totals[0]);
    model->normalcount = static_cast<uint32_t>(totals[1]);
    model->texcoordcount = static_cast<uint32_t>(totals[2]);
    model->trianglecount = static_cast<uint32_t>(totals[3]);
    return true;
}

// ---------------------------------------------------------------------------
// Filling pass
// ---------------------------------------------------------------------------

// Reads width floats into the next slot of a 1-based array.
GLM_ALWAYS_INLINE void fill_vector(ObjReading& r, uint32_t* next, uint32_t end,
                                   std::vector<float>& array, size_t width)
{
    const size_t first = width * *next;
    if (*next >= end || first + width > array.size()) passes_disagree(r);
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
            fill_vector(r, &r.vertices, r.vertex_end, m->vertices, xyz);
            require_finite_vertex(r);
            break;
        case 'n':
            fill_vector(r, &r.normals, r.normal_end, m->normals, xyz);
            break;
        case 't':
            fill_vector(r, &r.texcoords, r.texcoord_end, m->texcoords, uv);
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
    if (r.triangles >= r.triangle_end || *r.list_next >= r.list_end) passes_disagree(r);
    ModelTriangle& t = r.model->triangles[r.triangles];
    const Corner* corners[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        t.vertexidx[i] = corners[i]->vertex;
        t.texcoordidx[i] = corners[i]->texcoord;
        t.normalidx[i] = corners[i]->normal;
    }
    r.group->triangles[(*r.list_next)++] = r.triangles++;
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

// The group's material becomes the current one when the merge gets there.
void set_material(ObjReading& r, int missing = -1)
{
    r.chunk->settings.push_back(MaterialSetting{r.group, r.material, missing});
}

void use_material(ObjReading& r)
{
    char name[name_buffer_size];
    glm_take_name(r.scan, name);
    const uint32_t* found = r.materials->find(name);
    int missing = -1;
    if (found == nullptr) {
        missing = static_cast<int>(r.chunk->missing.size());
        r.chunk->missing.emplace_back(name);
    }
    r.material = found != nullptr ? *found : 0;
    set_material(r, missing);
}

// Makes the group the current one, its list filled from list_next on.
void enter_list(ObjReading& r, ModelGroup* group, uint32_t* next, size_t end)
{
    r.group = group;
    r.list_next = next;
    r.list_end = static_cast<uint32_t>(std::min(end, group->triangles.size()));
}

void enter_span(ObjReading& r, size_t span)
{
    const std::vector<GroupSpan>& spans = r.chunk->spans;
    if (span >= spans.size() || spans[span].statement != (span == 0 ? nullptr : r.statement))
        passes_disagree(r);
    if (span > 0 && r.span_next != r.list_end) passes_disagree(r);
    r.span = span;
    r.span_next = spans[span].first;
    enter_list(r, spans[span].group, &r.span_next,
               size_t{spans[span].first} + spans[span].triangles);
}

void enter_group(ObjReading& r)
{
    if (r.groups == nullptr) {
        glm_skip_line(r.scan);  // the name was read by the counting pass
        enter_span(r, r.span + 1);
    } else {
        char name[name_buffer_size];
        glm_take_group_name(r.scan, name);
        ModelGroup* group = r.groups->lookup(name);
        if (group == nullptr) passes_disagree(r);
        enter_list(r, group, &group->trianglecount, group->triangles.size());
    }
    set_material(r);
}

// Fills from the chunk's statements. groups is null when the file has
// several chunks: each keeps to the slots the counting pass gave it and
// meets its groups in the order of its spans.
void fill_chunk(Model* model, const ModelText& text, Chunk& chunk, GroupIndex* groups,
                const MaterialIndex& materials, bool first_chunk)
{
    ObjReading r = start_pass(model, text, chunk, chunk.start);
    const Model* m = model;
    chunk.failure.reset();
    chunk.filled = false;
    chunk.settings.clear();
    chunk.missing.clear();
    r.materials = &materials;
    r.groups = groups;
    r.material = first_chunk ? 0 : inherited_material;
    r.vertices = chunk.first_slot.vertices;
    r.normals = chunk.first_slot.normals;
    r.texcoords = chunk.first_slot.texcoords;
    r.triangles = chunk.first_slot.triangles;
    const bool alone = groups != nullptr;
    r.vertex_end = alone ? m->vertexcount + 1 : r.vertices + chunk.counted.vertices;
    r.normal_end = alone ? m->normalcount + 1 : r.normals + chunk.counted.normals;
    r.texcoord_end = alone ? m->texcoordcount + 1 : r.texcoords + chunk.counted.texcoords;
    r.triangle_end =
        alone ? std::min<uint32_t>(m->trianglecount, static_cast<uint32_t>(m->triangles.size()))
              : r.triangles + chunk.counted.triangles;
    try {
        if (alone) {
            ModelGroup* group = groups->lookup("default");
            if (group == nullptr) passes_disagree(r);
            enter_list(r, group, &group->trianglecount, group->triangles.size());
        } else {
            enter_span(r, 0);
        }
        std::string_view token;
        while (next_statement(r, &token)) {
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
        // Every slot the counting pass gave has been filled, and no more.
        bool full = r.vertices == r.vertex_end && r.normals == r.normal_end &&
                    r.texcoords == r.texcoord_end && r.triangles == r.triangle_end;
        if (alone) {
            full = full && r.triangles == m->trianglecount;
            for (const ModelGroup* g = m->groups.get(); g != nullptr; g = g->next.get())
                full = full && g->trianglecount == g->triangles.size();
        } else {
            full = full && r.span + 1 == chunk.spans.size() && r.span_next == r.list_end;
        }
        if (!full) passes_disagree(r);
        chunk.filled = true;
    } catch (ReadFailure& failure) {
        chunk.failure = std::move(failure);
    } catch (...) {
        chunk.exception = std::current_exception();
    }
    chunk.stop = r.scan.pos;
    chunk.end_material = r.material;
}

// Sets the groups' materials in file order, with the messages of the
// usemtl statements that name no material.
void apply_settings(Chunk& chunk, uint32_t* material)
{
    for (const MaterialSetting& s : chunk.settings) {
        if (s.missing >= 0) glm_report_missing_material(chunk.missing[size_t(s.missing)].c_str());
        s.group->material = s.material == inherited_material ? *material : s.material;
    }
    if (chunk.end_material != inherited_material) *material = chunk.end_material;
}

// Zeroed room for count entries; large arrays on huge pages where the system has them.
template <typename T>
void assign_zeroed(std::vector<T>& array, size_t count)
{
    array.clear();
    array.reserve(count);
    const size_t bytes = count * sizeof(T);
#ifdef MADV_HUGEPAGE
    if (bytes >= huge_page_bytes) {
        const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        const uintptr_t first = reinterpret_cast<uintptr_t>(array.data());
        const uintptr_t aligned = (first + page - 1) / page * page;
        if (aligned < first + bytes)
            madvise(reinterpret_cast<void*>(aligned), first + bytes - aligned, MADV_HUGEPAGE);
    }
#endif
    array.assign(count, T{});
}

// Sizes the arrays from the counts: vertices and triangles always, normals
// and texture coordinates only when the file has some; empties the group lists.
void allocate_arrays(Model* m)
{
    constexpr size_t xyz = 3, uv = 2;
    assign_zeroed(m->vertices, xyz * (size_t{m->vertexcount} + 1));
    assign_zeroed(m->triangles, m->trianglecount);
    if (m->normalcount != 0) assign_zeroed(m->normals, xyz * (size_t{m->normalcount} + 1));
    if (m->texcoordcount != 0) assign_zeroed(m->texcoords, uv * (size_t{m->texcoordcount} + 1));
    for (ModelGroup* g = m->groups.get(); g != nullptr; g = g->next.get()) {
        assign_zeroed(g->triangles, g->trianglecount);
        g->trianglecount = 0;
    }
}

// Zeroes the arrays and lists again for a new filling pass.
void clear_arrays(Model* m)
{
    std::fill(m->vertices.begin(), m->vertices.end(), 0.0f);
    std::fill(m->normals.begin(), m->normals.end(), 0.0f);
    std::fill(m->texcoords.begin(), m->texcoords.end(), 0.0f);
    std::fill(m->triangles.begin(), m->triangles.end(), ModelTriangle{});
    for (ModelGroup* g = m->groups.get(); g != nullptr; g = g->next.get())
        std::fill(g->triangles.begin(), g->triangles.end(), 0u);
}

// The counting pass over the chunks, on threads; again on one thread when
// the counts overflow across chunks.
void count_all(Model* model, const ModelText& text, std::vector<Chunk>& chunks, unsigned threads)
{
    glm_run_parallel(chunks.size(), threads, [&](size_t i) {
        count_chunk(model, text, chunks[i], i == 0 ? text.begin : chunks[i - 1].bound);
    });
    if (merge_counts(model, text, chunks)) return;
    chunks.assign(1, Chunk(text.end));
    count_chunk(model, text, chunks[0], text.begin);
    merge_counts(model, text, chunks);
}

// The filling pass over the chunks, on threads; again on one thread when a
// chunk fails or the chunks disagree, so that the messages are those of the
// sequential reading.
void fill_all(Model* model, const ModelText& text, std::vector<Chunk>& chunks, unsigned threads)
{
    const MaterialIndex materials(model);
    bool agreed = chunks.size() > 1;
    if (agreed) {
        glm_run_parallel(chunks.size(), threads, [&](size_t i) {
            fill_chunk(model, text, chunks[i], nullptr, materials, i == 0);
        });
        for (size_t i = 0; i < chunks.size(); ++i) {
            if (chunks[i].exception) std::rethrow_exception(chunks[i].exception);
            const char* next = i + 1 < chunks.size() ? chunks[i + 1].start : text.end;
            agreed = agreed && chunks[i].filled && chunks[i].stop == next;
        }
        if (!agreed) clear_arrays(model);
    }
    if (!agreed) {
        Chunk alone(text.end);
        alone.start = text.begin;
        alone.first_slot = Counts{1, 1, 1, 0};
        GroupIndex groups(model);
        fill_chunk(model, text, alone, &groups, materials, true);
        chunks.assign(1, std::move(alone));
    }
    uint32_t material = 0;
    for (Chunk& chunk : chunks) {
        if (chunk.exception) std::rethrow_exception(chunk.exception);
        apply_settings(chunk, &material);
        if (chunk.failure) report(*model, text, *chunk.failure);
    }
    for (ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get())
        g->trianglecount = static_cast<uint32_t>(g->triangles.size());
}

// Reads the text into the model with chunks ending at the bounds (in
// increasing order, inside the text), on up to threads threads.
void read_text(Model* model, const ModelText& text, const std::vector<const char*>& bounds,
               unsigned threads)
{
    std::vector<Chunk> chunks;
    for (const char* bound : bounds) chunks.emplace_back(bound);
    chunks.emplace_back(text.end);
    count_all(model, text, chunks, threads);
    allocate_arrays(model);
    fill_all(model, text, chunks, threads);
}

// Loads the file or ends reading with the loader's message.
void load_or_fail(const char* filename, LoadedText* text)
{
    LoadFailure failure;
    if (glm_load_text(filename, text, &failure)) return;
    if (failure == LoadFailure::not_regular)
        std::fprintf(stderr,
                     "glmReadOBJ() failed: can't open data file \"%s\": not a regular file.\n",
                     filename);
    else
        std::fprintf(stderr, "glmReadOBJ() failed: can't open data file \"%s\".\n", filename);
    glmExit(1);
}

// The threads a read may use.
unsigned thread_limit()
{
    unsigned threads = read_threads.load();
    if (threads == 0) threads = std::thread::hardware_concurrency();
    return std::max(threads, 1u);
}

// Chunk borders for a few chunks per thread, of about equal size, at the
// start of a line that cannot continue the statement before it (a line that
// starts with a number, a sign or a blank might be the rest of a face or of
// a vertex). With more chunks than threads, a thread slowed down by another
// program leaves its share to the others.
std::vector<const char*> choose_bounds(const ModelText& text, unsigned threads)
{
    constexpr size_t search_limit = 4096;  // bytes looked at beyond the even cut
    constexpr size_t chunks_per_thread = 4;
    const size_t size = static_cast<size_t>(text.end - text.begin);
    std::vector<const char*> bounds;
    if (threads < 2) return bounds;
    const size_t chunks = std::min<size_t>(chunks_per_thread * threads, size / min_chunk_bytes);
    for (size_t k = 1; k < chunks; ++k) {
        const char* even = text.begin + size / chunks * k;
        const char* bound = nullptr;
        for (const char* p = even; p < text.end && p < even + search_limit; ++p) {
            if (p[-1] != '\n') continue;
            const char c = *p;
            if (c == 'v' || c == 'f' || c == 'g' || c == 'u' || c == '#' || c == 'm') {
                bound = p;
                break;
            }
        }
        if (bound == nullptr) continue;  // a cut elsewhere would only be read again
        if (bounds.empty() || bound > bounds.back()) bounds.push_back(bound);
    }
    return bounds;
}

}  // namespace

void glmSetReadThreads(unsigned count) { read_threads = count; }

Model* glm_read_obj_cut(const char* filename, const std::vector<size_t>& cuts, unsigned threads)
{
    LoadedText loaded;
    load_or_fail(filename, &loaded);
    std::printf(": open data file \"%s\".\n", filename);
    // Owned here until complete, so an exit handler that throws frees it all.
    std::unique_ptr<Model> model(new Model());
    model->filepath = filename;
    const ModelText text = glm_text_of(loaded);
    std::vector<size_t> sorted(cuts);
    std::sort(sorted.begin(), sorted.end());
    std::vector<const char*> bounds;
    for (size_t cut : sorted)
        if (cut > 0 && cut < loaded.size && (bounds.empty() || text.begin + cut > bounds.back()))
            bounds.push_back(text.begin + cut);
    read_text(model.get(), text, bounds, std::max(threads, 1u));
    return model.release();
}

Model* glmReadOBJ(const char* filename)
{
    const unsigned threads = thread_limit();
    LoadedText loaded;
    load_or_fail(filename, &loaded);
    std::printf(": open data file \"%s\".\n", filename);
    std::unique_ptr<Model> model(new Model());
    model->filepath = filename;
    const ModelText text = glm_text_of(loaded);
    read_text(model.get(), text, choose_bounds(text, threads), threads);
    return model.release();
}
