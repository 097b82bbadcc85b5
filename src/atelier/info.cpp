// info: what the library finds in a model file, or in a PPM image.
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "atelier.h"

namespace {

const char* const axis_names[3] = {"x", "y", "z"};
// Image files are told from models by their first bytes: "P" and a digit.
// or by their name.
constexpr size_t magic_size = 2;
const char* const image_extension = ".ppm";

bool looks_like_image(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && strcasecmp(path.c_str() + dot, image_extension) == 0)
        return true;
    std::ifstream in(path, std::ios::binary);
    char magic[magic_size] = {0, 0};
    in.read(magic, magic_size);
    return magic[0] == 'P' && std::isdigit(static_cast<unsigned char>(magic[1]));
}

void print_colour(const char* label, const float* rgb)
{
    std::printf(" %s %.3f %.3f %.3f", label, rgb[0], rgb[1], rgb[2]);
}

void print_groups(const Model* model)
{
    std::printf("Groupes: %u\n", model->groupcount);
    for (const ModelGroup* g : groups_in_file_order(model)) {
        std::printf("  \"%s\": %u triangles", shown_group_name(g->name).c_str(), g->trianglecount);
        if (g->material < model->materialcount)
            std::printf(", matériau \"%s\"", model->materials[g->material].name.c_str());
        std::printf("\n");
    }
}

void print_materials(const Model* model)
{
    std::printf("Matériaux: %u", model->materialcount);
    if (model->mtlfile) std::printf(" (bibliothèque \"%s\")", model->mtlfile->c_str());
    std::printf("\n");
    for (const ModelMaterial& m : model->materials) {
        std::printf("  \"%s\":", m.name.c_str());
        print_colour("diffuse", m.diffuse);
        print_colour("ambiante", m.ambient);
        print_colour("spéculaire", m.specular);
        std::printf(" brillance %.1f\n", m.shininess);
    }
}

void print_box(const Model* model)
{
    const Box box = model_box(model);
    if (box.empty) {
        std::printf("Étendue: aucun sommet\n");
        return;
    }
    std::printf("Étendue avant ajustement:");
    for (int a = 0; a < 3; ++a) std::printf(" %s %g..%g", axis_names[a], box.min[a], box.max[a]);
    std::printf("\nCentre avant ajustement: (%g, %g, %g)\n", (box.min[0] + box.max[0]) / 2,
                (box.min[1] + box.max[1]) / 2, (box.min[2] + box.max[2]) / 2);
}

int info_model(Model* model, const std::vector<LibraryMessage>& messages)
{
    if (model->vertexcount == 0 && model->trianglecount == 0) {
        std::fprintf(stderr,
                     u8"orvanel-atelier: \"%s\" ne contient ni sommet ni face : ce n'est pas un "
                     u8"modèle OBJ.\n",
                     model->filepath.c_str());
        return status_refused;
    }
    std::printf("Modèle: %s\n", model->filepath.c_str());
    std::printf("Sommets: %u\n", model->vertexcount);
    std::printf("Normales: %u\n", model->normalcount);
    std::printf("Coordonnées de texture: %u\n", model->texcoordcount);
    std::printf("Triangles: %u\n", model->trianglecount);
    print_groups(model);
    print_materials(model);
    print_box(model);
    std::printf("Messages du lecteur: %zu\n", messages.size());
    print_messages(stdout, messages);
    const std::vector<LostMaterial> lost = lost_materials(model, face_materials(model));
    if (!lost.empty()) std::printf("ATTENTION %s\n", lost_materials_text(lost).c_str());
    return status_done;
}

// The maximum sample value, the third number of the header; the library
// reads it only to refuse values above 255.
long header_max_value(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);  // magic
    int found = 0;
    long value = 0;
    while (found < 3 && std::getline(in, line)) {
        if (!line.empty() && line[0] == '#') continue;
        const char* p = line.c_str();
        char* end = nullptr;
        for (long v = std::strtol(p, &end, 10); end != p && found < 3;
             v = std::strtol(p, &end, 10)) {
            value = v;
            ++found;
            p = end;
        }
    }
    return value;
}

int info_image(const std::string& path)
{
    if (std::ifstream(path, std::ios::binary).peek() == std::ifstream::traits_type::eof()) {
        std::fprintf(stderr, u8"orvanel-atelier: \"%s\" est vide : ce n'est pas une image.\n",
                     path.c_str());
        return status_refused;
    }
    int width = 0, height = 0;
    unsigned char* pixels = load_image(path, "Image", &width, &height);
    if (pixels == nullptr) return status_refused;
    std::free(pixels);
    std::printf("Image: %s\n", path.c_str());
    std::printf("Taille: %d x %d pixels\n", width, height);
    std::printf("Valeur maximale: %ld\n", header_max_value(path));
    return status_done;
}

}  // namespace

int run_info(const InfoOptions& options)
{
    if (!check_input_file(options.path)) return status_refused;
    if (looks_like_image(options.path)) return info_image(options.path);
    return with_model(options.path, "Lecture impossible de", info_model);
}
