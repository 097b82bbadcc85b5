// convertir: welds, recomputes normals, adds texture coordinates and writes
// the model back with the library's writer, saying what each step changed.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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
    std::printf("%s: %u sommets, %u normales, %u coordonnées de texture, %u triangles\n", when,
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
    std::printf("Normales (angle %g degrés): %u -> %u\n", angle, before, model->normalcount);
}

void give_texcoords(Model* model, TexCoords kind)
{
    if (kind == TexCoords::sphere && model->normals.empty()) {
        std::printf("La sphère suit les normales ; le fichier n'en a pas : ");
        give_normals(model, scene_crease_angle);
    }
    if (kind == TexCoords::planar)
        glmPlanarTexCoords(model);
    else
        glmSphereTexCoords(model);
    std::printf("Coordonnées de texture (%s): %u\n", texcoord_names[static_cast<int>(kind)],
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

// Blender's default export changes material without a group; the library
// would keep the last one only, so each material gets a group of its own.
void give_material_groups(Model* model)
{
    const std::vector<uint32_t> faces = face_materials(model);
    const std::vector<LostMaterial> lost = lost_materials(model, faces);
    if (lost.empty()) return;
    const unsigned added = regroup_by_material(model, faces);
    std::printf(u8"Matériaux changés sans groupe : %u groupe(s) ajouté(s), un par matériau\n",
                added);
}

int convert(const ConvertirOptions& options, Model* model)
{
    if (model->trianglecount == 0) {
        std::fprintf(stderr, u8"orvanel-atelier: \"%s\" n'a aucun triangle : rien à écrire.\n",
                     options.input_path.c_str());
        return status_refused;
    }
    say_counts("Lu", model);
    give_material_groups(model);
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
        std::printf("Matériaux: %s\n", model->mtlfile->c_str());
    }
    glmWriteOBJ(model, options.output_path.c_str(), mode);  // ends the process if it cannot
    std::printf("Écrit: %s (%s)\n", options.output_path.c_str(), mode_words(mode).c_str());
    return status_done;
}

}  // namespace

int run_convertir(const ConvertirOptions& options)
{
    if (!check_input_file(options.input_path) || !check_output_file(options.output_path))
        return status_refused;
    const ModelWork work = [&options](Model* model, const std::vector<LibraryMessage>& messages) {
        print_messages(stdout, messages);
        return convert(options, model);
    };
    if (!is_foreign_model(options.input_path))
        return with_model(options.input_path, "Lecture impossible de", work);
    // Another format: Assimp writes it as OBJ and MTL in a folder of its own.
    char folder[] = "/tmp/orvanel-atelier-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "orvanel-atelier: pas de dossier temporaire: %s.\n",
                     std::strerror(errno));
        return status_refused;
    }
    const std::string imported = import_foreign_model(options.input_path, folder);
    const int status =
        imported.empty() ? status_refused : with_model(imported, "Lecture impossible de", work);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
