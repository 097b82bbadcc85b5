// MTL reading: a counting pass for the number of materials, then a filling
// pass that applies each statement to the current material. Statements
// before the first newmtl change the "default" material, entry 0.
#include <cstdio>

#include "glm.h"
#include "glm_check.h"
#include "scanner.h"

namespace {

// Ns is written on a 0..1000 scale; OpenGL's shininess runs over 0..128.
constexpr double mtl_shininess_scale = 1000.0;
constexpr double gl_shininess_scale = 128.0;
// The material count stops where count + 1 would no longer fit.
constexpr uint32_t material_limit = UINT32_MAX - 1;

// Parse state of one library's filling pass.
struct MtlReading {
    const std::string* path;  // built path, for messages
    ModelText text;
    Scanner scan;
    const char* statement = nullptr;  // first byte of the statement being read
    std::vector<ModelMaterial>* materials;
    uint32_t current = 0;  // material the statements change
};

[[noreturn]] void mtl_failed(const std::string& path, const ModelText& text, const char* at,
                             const char* problem)
{
    std::fflush(stdout);
    std::fprintf(stderr, "glmReadMTL() failed: \"%s\": %s on line %u.\n", path.c_str(), problem,
                 glm_line_number(text, at));
    glmExit(1);
}

ModelMaterial default_material()
{
    return ModelMaterial{
        "",
        {0.8f, 0.8f, 0.8f, 1.0f},  // diffuse
        {0.2f, 0.2f, 0.2f, 1.0f},  // ambient
        {0.0f, 0.0f, 0.0f, 1.0f},  // specular
        65.0f,                     // shininess, already on the OpenGL scale
    };
}

// "default" plus one material per newmtl.
uint32_t count_materials(const std::string& path, const ModelText& text)
{
    Scanner s{text.begin, text.end};
    uint32_t count = 1;
    std::string_view token;
    while (glm_read_token(s, &token)) {
        if (token[0] == 'n') {
            if (count >= material_limit) mtl_failed(path, text, token.data(), "too many materials");
            ++count;
        }
        glm_skip_line(s);
    }
    return count;
}

void new_material(MtlReading& r)
{
    if (size_t{r.current} + 1 >= r.materials->size())
        mtl_failed(*r.path, r.text, r.statement, "the counting and filling passes disagree");
    ++r.current;
    char name[name_buffer_size];
    glm_take_name(r.scan, name);
    (*r.materials)[r.current].name = name;
}

// Converts from the MTL scale one step at a time, each stored as a float.
// Without a number the shininess stays as it was.
void read_shininess(MtlReading& r, ModelMaterial& m)
{
    float written;
    if (glm_scan_float(r.scan, &written) != 1) return;
    m.shininess = written;
    m.shininess = static_cast<float>(m.shininess / mtl_shininess_scale);
    m.shininess = static_cast<float>(m.shininess * gl_shininess_scale);
}

// Ka, Kd and Ks set the colour's first three components; alpha stays.
void read_colour(MtlReading& r, ModelMaterial& m, char key)
{
    constexpr int rgb = 3;
    switch (key) {
        case 'a':
            glm_scan_floats(r.scan, m.ambient, rgb);
            break;
        case 'd':
            glm_scan_floats(r.scan, m.diffuse, rgb);
            break;
        case 's':
            glm_scan_floats(r.scan, m.specular, rgb);
            break;
        default:
            glm_skip_line(r.scan);
            break;
    }
}

void fill_materials(MtlReading& r)
{
    std::string_view token;
    while (glm_read_token(r.scan, &token)) {
        r.statement = token.data();
        ModelMaterial& m = (*r.materials)[r.current];
        switch (token[0]) {
            case 'n':
                new_material(r);
                break;
            case 'N':
                read_shininess(r, m);
                break;
            case 'K':
                read_colour(r, m, token.size() > 1 ? token[1] : '\0');
                break;
            default:
                glm_skip_line(r.scan);
                break;  // '#' and the rest
        }
    }
    if (size_t{r.current} + 1 != r.materials->size())
        mtl_failed(*r.path, r.text, r.scan.pos, "the counting and filling passes disagree");
}

}  // namespace

void glmReadMTL(Model* model, const char* name)
{
    GLM_REQUIRE(model, "model");
    // Always beside the OBJ file, whatever the name looks like.
    const std::string path = glmDirectoryOf(model->filepath.c_str()) + name;
    LoadedText loaded;
    LoadFailure failure;
    if (!glm_load_text(path.c_str(), &loaded, &failure)) {
        if (failure == LoadFailure::not_regular)
            std::fprintf(
                stderr,
                "glmReadMTL() failed: can't open material file \"%s\": not a regular file.\n",
                path.c_str());
        else
            std::fprintf(stderr, "glmReadMTL() failed: can't open material file \"%s\".\n",
                         path.c_str());
        glmExit(1);
    }
    const ModelText text = glm_text_of(loaded);
    const uint32_t count = count_materials(path, text);
    std::vector<ModelMaterial> materials(count, default_material());
    materials[0].name = "default";
    MtlReading r{&path, text, Scanner{text.begin, text.end}, nullptr, &materials};
    fill_materials(r);
    // A later library replaces the earlier one entirely.
    model->materials = std::move(materials);
    model->materialcount = count;
}
