// Models in the formats teachers find in libraries of spacecraft (glTF and
// GLB, STL, PLY, 3DS, FBX...), read through Assimp and written as the OBJ and
// MTL text the model library reads: convertir then goes on as for an OBJ file,
// so every model the simulator gets has passed through the same reader.
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <strings.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <set>

#include "atelier.h"

namespace {

const char* const obj_extension = ".obj";
const char* const imported_obj = "importe.obj";
const char* const imported_mtl = "importe.mtl";
// MTL shininess (Ns) runs 0..1000.
constexpr float largest_shininess = 1000.0f;
constexpr int colour_parts = 3;        // r, g, b
constexpr int significant_digits = 9;  // a float written reads back the same

std::string extension_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot);
}

std::string stem_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// A name the library's name rule keeps whole: one word, never empty.
std::string one_word(const std::string& name, const std::string& fallback)
{
    std::string word = name;
    for (char& c : word)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = '_';
    return word.empty() ? fallback : word;
}

struct Colour {
    float rgb[colour_parts];
};

Colour colour_of(const aiMaterial* m, const char* key, unsigned type, unsigned index,
                 const Colour& otherwise)
{
    aiColor4D c;
    if (m->Get(key, type, index, c) != AI_SUCCESS) return otherwise;
    return {{c.r, c.g, c.b}};
}

const Colour hull_grey = {{0.7f, 0.7f, 0.72f}};  // the shipped chaser's metal
const Colour no_colour = {{0.0f, 0.0f, 0.0f}};

void write_colour(std::ofstream& out, const char* statement, const Colour& c)
{
    out << statement << ' ' << c.rgb[0] << ' ' << c.rgb[1] << ' ' << c.rgb[2] << '\n';
}

// What the import cannot keep, counted as it goes.
struct Losses {
    std::set<std::string> textures;  // texture images named by the materials
    unsigned embedded = 0;           // images inside the file
    unsigned animations = 0;         // animations (the model is kept in its rest pose)
    unsigned skipped_faces = 0;      // points and lines
    unsigned coloured_meshes = 0;    // meshes with colours per vertex
    unsigned cameras_lights = 0;
};

// The images a material names, whatever the slot (glTF names one twice:
// as its base colour and as its diffuse colour).
void note_textures(const aiMaterial* m, std::set<std::string>& images)
{
    for (int type = aiTextureType_DIFFUSE; type <= aiTextureType_UNKNOWN; ++type) {
        const aiTextureType slot = static_cast<aiTextureType>(type);
        for (unsigned i = 0; i < m->GetTextureCount(slot); ++i) {
            aiString image;
            if (m->GetTexture(slot, i, &image) == AI_SUCCESS) images.insert(image.C_Str());
        }
    }
}

// Material names as written, unique and one word each, empty for a material
// no mesh uses; Assimp's stand-in for a format without materials (STL) takes
// the model's own name.
std::vector<std::string> material_names(const aiScene* scene, const std::string& stem)
{
    std::vector<std::string> names(scene->mNumMaterials);
    std::set<std::string> taken;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const unsigned m = scene->mMeshes[i]->mMaterialIndex;
        if (m >= names.size() || !names[m].empty()) continue;
        std::string name = scene->mMaterials[m]->GetName().C_Str();
        if (name == AI_DEFAULT_MATERIAL_NAME) name = stem;
        std::string word = one_word(name, "materiau");
        for (int copy = 2; taken.count(word) > 0; ++copy)
            word = one_word(name, "materiau") + "_" + std::to_string(copy);
        taken.insert(word);
        names[m] = word;
    }
    return names;
}

size_t used_count(const std::vector<std::string>& names)
{
    return names.size() - static_cast<size_t>(std::count(names.begin(), names.end(), ""));
}

void write_mtl(const std::string& path, const aiScene* scene, const std::vector<std::string>& names,
               Losses& losses)
{
    std::ofstream out(path);
    out << std::setprecision(significant_digits);
    for (unsigned i = 0; i < scene->mNumMaterials && i < names.size(); ++i) {
        if (names[i].empty()) continue;
        const aiMaterial* m = scene->mMaterials[i];
        // A format without materials gets a plain hull grey, not Assimp's white.
        const bool stand_in = std::strcmp(m->GetName().C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0;
        // glTF gives a base colour, the older formats a diffuse one.
        const Colour diffuse = stand_in
                                   ? hull_grey
                                   : colour_of(m, AI_MATKEY_BASE_COLOR,
                                               colour_of(m, AI_MATKEY_COLOR_DIFFUSE, hull_grey));
        float shininess = 0.0f;
        if (!stand_in) m->Get(AI_MATKEY_SHININESS, shininess);
        out << "newmtl " << names[i] << '\n';
        // The scene's ambient light tints a part in its own colour.
        write_colour(out, "Ka", diffuse);
        write_colour(out, "Kd", diffuse);
        write_colour(out, "Ks",
                     stand_in ? no_colour : colour_of(m, AI_MATKEY_COLOR_SPECULAR, no_colour));
        out << "Ns " << std::clamp(shininess, 0.0f, largest_shininess) << "\n\n";
        note_textures(m, losses.textures);
        if (stand_in)
            std::printf(u8"Sans matériau dans le fichier : un matériau « %s », gris\n",
                        names[i].c_str());
    }
}

// One mesh as a group in its material; indices continue from the meshes before.
void write_mesh(std::ofstream& out, const aiMesh* mesh, const std::string& material,
                unsigned first_vertex, Losses& losses)
{
    out << "g " << one_word(mesh->mName.C_Str(), "objet") << '\n';
    if (!material.empty()) out << "usemtl " << material << '\n';
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D& p = mesh->mVertices[v];
        out << "v " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    }
    const bool uv = mesh->HasTextureCoords(0);
    for (unsigned v = 0; uv && v < mesh->mNumVertices; ++v)
        out << "vt " << mesh->mTextureCoords[0][v].x << ' ' << mesh->mTextureCoords[0][v].y << '\n';
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != 3) {
            ++losses.skipped_faces;
            continue;
        }
        out << 'f';
        for (unsigned c = 0; c < 3; ++c) {
            const unsigned index = first_vertex + face.mIndices[c];
            out << ' ' << index;
            if (uv) out << '/' << index;
        }
        out << '\n';
    }
    if (mesh->HasVertexColors(0)) ++losses.coloured_meshes;
}

void say_losses(const Losses& l)
{
    if (!l.textures.empty() || l.embedded > 0)
        std::printf(
            u8"Non gardé : %zu texture(s) (%u dans le fichier) ; les couleurs des matériaux "
            u8"restent (une image PPM se pose avec --textures et apercu --texture)\n",
            l.textures.size(), l.embedded);
    if (l.animations > 0)
        std::printf(u8"Non gardé : %u animation(s) ; le modèle garde sa pose de repos\n",
                    l.animations);
    if (l.skipped_faces > 0)
        std::printf(u8"Non gardé : %u point(s) ou segment(s), seuls les triangles se dessinent\n",
                    l.skipped_faces);
    if (l.coloured_meshes > 0)
        std::printf(u8"Non gardé : les couleurs par sommet de %u maillage(s)\n", l.coloured_meshes);
    if (l.cameras_lights > 0)
        std::printf(u8"Non gardé : %u caméra(s) ou lumière(s)\n", l.cameras_lights);
}

}  // namespace

bool is_foreign_model(const std::string& path)
{
    const std::string extension = extension_of(path);
    if (extension.empty() || strcasecmp(extension.c_str(), obj_extension) == 0) return false;
    return Assimp::Importer().IsExtensionSupported(extension);
}

std::string import_foreign_model(const std::string& path, const std::string& folder)
{
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->HasMeshes()) {
        std::fprintf(stderr, u8"orvanel-atelier: \"%s\" illisible (Assimp : %s).\n", path.c_str(),
                     scene == nullptr ? importer.GetErrorString() : u8"aucun maillage");
        return "";
    }
    Losses losses;
    losses.animations = scene->mNumAnimations;
    losses.embedded = scene->mNumTextures;
    losses.cameras_lights = scene->mNumCameras + scene->mNumLights;
    // Each mesh placed where its node puts it, as the file shows the model.
    scene = importer.ApplyPostProcessing(aiProcess_PreTransformVertices);
    const std::vector<std::string> names = material_names(scene, stem_of(path));
    std::printf(u8"Importé par Assimp : %u maillage(s), %zu matériau(x) (%s)\n", scene->mNumMeshes,
                used_count(names), path.c_str());
    write_mtl(folder + "/" + imported_mtl, scene, names, losses);
    std::ofstream out(folder + "/" + imported_obj);
    out << std::setprecision(significant_digits);
    out << "# " << stem_of(path) << extension_of(path) << u8" lu par Assimp\nmtllib "
        << imported_mtl << '\n';
    unsigned first_vertex = 1;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        const std::string material =
            mesh->mMaterialIndex < names.size() ? names[mesh->mMaterialIndex] : "";
        write_mesh(out, mesh, material, first_vertex, losses);
        first_vertex += mesh->mNumVertices;
    }
    say_losses(losses);
    return folder + "/" + imported_obj;
}
