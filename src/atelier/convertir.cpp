// convertir: welds, recomputes normals, adds texture coordinates and writes
// the model back with the library's writer, saying what each step changed.
#include "atelier.h"

namespace {

const char* const texcoord_names[] = {"aucune", "plan", "sphere"};

}  // namespace

const ModeName mode_names[mode_name_count] = {
    {"plat", MODE_FLAT},     {"lisse", MODE_SMOOTH},      {"texture", MODE_TEXTURE},
    {"couleur", MODE_COLOR}, {"materiau", MODE_MATERIAL},
};

std::string mode_words(unsigned mode)
{
    std::string words;
    for (const ModeName& m : mode_names)
        if (mode & m.bit) words += (words.empty() ? "" : "+") + std::string(m.word);
    return words.empty() ? "sommets seuls" : words;
}

namespace {

void say_counts(const char* when, const Model* m)
{
    std::printf("%s: %u sommets, %u normales, %u coordonnees de texture, %u triangles\n", when,
                m->vertexcount, m->normalcount, m->texcoordcount, m->trianglecount);
}

void give_normals(Model* model, float angle)
{
    const uint32_t before = model->normalcount;
    // The library names each vertex without a triangle; info and verifier say it once.
    capture_output([&] {
        glmTriangleNormals(model);
        glmVertexNormals(model, angle);
    });
    std::printf("Normales (angle %g degres): %u -> %u\n", angle, before, model->normalcount);
}

void give_texcoords(Model* model, TexCoords kind)
{
    if (kind == TexCoords::sphere && model->normals.empty()) {
        std::printf("La sphere suit les normales; le fichier n'en a pas: ");
        give_normals(model, scene_crease_angle);
    }
    if (kind == TexCoords::planar)
        glmPlanarTexCoords(model);
    else
        glmSphereTexCoords(model);
    std::printf("Coordonnees de texture (%s): %u\n", texcoord_names[static_cast<int>(kind)],
                model->texcoordcount);
}

// Everything the model has, when the teacher did not choose.
unsigned full_mode(const Model* model)
{
    unsigned mode = 0;
    if (!model->normals.empty()) mode |= MODE_SMOOTH;
    if (!model->texcoords.empty()) mode |= MODE_TEXTURE;
    if (!model->materials.empty()) mode |= MODE_MATERIAL;
    return mode;
}

// The library writes the MTL beside the OBJ under the model's mtllib name;
// naming it after the output keeps a conversion from overwriting the input's.
std::string library_name_for(const std::string& output_path)
{
    const size_t slash = output_path.rfind('/');
    std::string name = slash == std::string::npos ? output_path : output_path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + ".mtl";
}

int convert(const ConvertirOptions& options, Model* model)
{
    say_counts("Lu", model);
    if (options.weld_epsilon > 0.0f) {
        const uint32_t before = model->vertexcount;
        glmFuseVertices(model, options.weld_epsilon);
        std::printf("Soudure (epsilon %g): %u -> %u sommets\n", options.weld_epsilon, before,
                    model->vertexcount);
    }
    if (options.normals_angle >= 0.0f) give_normals(model, options.normals_angle);
    if (options.texcoords != TexCoords::none) give_texcoords(model, options.texcoords);
    const unsigned mode = options.write_mode_given ? options.write_mode : full_mode(model);
    if ((mode & MODE_FLAT) && model->facetnorms.empty()) glmTriangleNormals(model);
    if ((mode & MODE_MATERIAL) && model->mtlfile) {
        model->mtlfile = library_name_for(options.output_path);
        std::printf("Materiaux: %s\n", model->mtlfile->c_str());
    }
    glmWriteOBJ(model, options.output_path.c_str(), mode);  // ends the process if it cannot
    std::printf("Ecrit: %s (%s)\n", options.output_path.c_str(), mode_words(mode).c_str());
    return status_done;
}

}  // namespace

int run_convertir(const ConvertirOptions& options)
{
    return with_model(options.input_path, "Lecture impossible de",
                      [&options](Model* model, const std::vector<LibraryMessage>& messages) {
                          print_messages(stdout, messages);
                          return convert(options, model);
                      });
}
