// The command line: four commands, their options and what a bad one gets
// (one line on the error stream and status 2; --help shows the help, status 0).
#include <CLI/CLI.hpp>

#include <map>

#include "atelier.h"

namespace {

constexpr int smallest_image = 16;    // pixels
constexpr int largest_image = 4096;   // pixels
constexpr double widest_angle = 180;  // degrees

const char* const tool_summary =
    "orvanel-atelier: l'atelier des modèles d'Orvanel. Prenez un modèle fait ailleurs,\n"
    "regardez ce que la bibliothèque y trouve (info), s'il convient comme chasseur ou\n"
    "comme cible (verifier), à quoi il ressemblera (apercu), puis réécrivez-le (convertir).";

// CLI11 explains in English; the kind of mistake is said in French first.
const char* kind_of(const CLI::ParseError& e)
{
    if (dynamic_cast<const CLI::RequiredError*>(&e)) return "argument manquant";
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) return "argument en trop";
    if (dynamic_cast<const CLI::ValidationError*>(&e)) return "valeur refusée";
    if (dynamic_cast<const CLI::ConversionError*>(&e)) return "valeur illisible";
    return "argument incorrect";
}

// True when word names one of the tool's commands.
bool is_command(CLI::App& app, const std::string& word)
{
    for (const CLI::App* c : app.get_subcommands({}))
        if (c->get_name() == word) return true;
    return false;
}

int usage_error(const CLI::ParseError& e)
{
    std::string detail = e.what();
    for (char& c : detail)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "orvanel-atelier: %s: %s (voir orvanel-atelier --help)\n", kind_of(e),
                 detail.c_str());
    return status_usage;
}

void add_info(CLI::App& app, InfoOptions& o)
{
    CLI::App* c = app.add_subcommand(
        "info", "Ce que la bibliothèque lit dans un modèle OBJ (ou une image PPM)");
    c->add_option("FICHIER", o.path, "modèle .obj ou image .ppm")->required();
}

// Words as typed, turned into the options' values once parsing succeeded.
struct Words {
    std::string role;
    std::string view = "chasseur";
    std::string texcoords;
    std::vector<std::string> mode;
};

const std::map<std::string, Role> roles = {{"chasseur", Role::chaser}, {"cible", Role::target}};
const std::map<std::string, View> views = {{"chasseur", View::chaser},
                                           {"cible", View::target},
                                           {"dessus", View::top},
                                           {"face", View::front},
                                           {"cote", View::side}};
const std::map<std::string, TexCoords> texcoord_kinds = {{"plan", TexCoords::planar},
                                                         {"sphere", TexCoords::sphere}};

template <typename T>
std::vector<std::string> keys_of(const std::map<std::string, T>& map)
{
    std::vector<std::string> keys;
    for (const auto& entry : map) keys.push_back(entry.first);
    return keys;
}

void add_verifier(CLI::App& app, VerifierOptions& o, Words& w)
{
    CLI::App* c = app.add_subcommand(
        "verifier", "Le modèle convient-il comme chasseur ou comme cible ? (statut 0 oui, 1 non)");
    c->add_option("FICHIER", o.path, "modele .obj")->required();
    c->add_option("--role", w.role, "chasseur ou cible")
        ->required()
        ->type_name("ROLE")
        ->check(CLI::IsMember(keys_of(roles)));
}

void add_apercu(CLI::App& app, ApercuOptions& o, Words& w)
{
    CLI::App* c = app.add_subcommand(
        "apercu", "Dessine le modèle comme la scène le montre, dans une image PNG (sans écran)");
    c->add_option("FICHIER", o.model_path, "modele .obj")->required();
    c->add_option("IMAGE", o.image_path, "image .png à écrire")->required();
    c->add_option("--vue", w.view,
                  "chasseur, cible (placé comme dans la scène, vu de la caméra par défaut), "
                  "dessus, face (pointe +z vers vous) ou cote (de côté)")
        ->type_name("VUE")
        ->check(CLI::IsMember(keys_of(views)))
        ->capture_default_str();
    c->add_option("--taille", o.size, "largeur et hauteur de l'image, en pixels")
        ->type_name("N")
        ->check(CLI::Range(smallest_image, largest_image))
        ->capture_default_str();
    c->add_option("--texture", o.texture_path, "image .ppm plaquée en sphère");
}

void add_convertir(CLI::App& app, ConvertirOptions& o, Words& w)
{
    std::vector<std::string> words;
    for (const ModeName& m : mode_names) words.push_back(m.word);
    CLI::App* c = app.add_subcommand(
        "convertir", "Soude, recalcule les normales, ajoute des textures, écrit OBJ et MTL");
    c->add_option("ENTREE", o.input_path,
                  "modèle lu : .obj, ou glTF, GLB, STL, PLY, 3DS, FBX... (par Assimp)")
        ->required();
    c->add_option("SORTIE", o.output_path, "modèle .obj écrit (et son .mtl à côté)")->required();
    c->add_option("--souder", o.weld_epsilon,
                  "fusionne les sommets plus proches que EPSILON sur chaque axe")
        ->type_name("EPSILON")
        ->check(CLI::PositiveNumber);
    c->add_option("--normales", o.normals_angle,
                  "normales lissées entre faces à moins de ANGLE degrés")
        ->type_name("ANGLE")
        ->check(CLI::Range(0.0, widest_angle));
    c->add_option("--textures", w.texcoords, "coordonnées de texture : plan ou sphere")
        ->type_name("GENRE")
        ->check(CLI::IsMember(keys_of(texcoord_kinds)));
    c->add_option("--mode", w.mode,
                  "parties écrites, séparées par des virgules : plat, lisse, texture, couleur, "
                  "materiau (par défaut tout ce que le modèle a)")
        ->delimiter(',')
        ->type_name("PARTIES")
        ->check(CLI::IsMember(words));
}

unsigned mode_bits(const std::vector<std::string>& words)
{
    unsigned mode = 0;
    for (const std::string& w : words)
        for (const ModeName& m : mode_names)
            if (w == m.word) mode |= m.bit;
    return mode;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{tool_summary, "orvanel-atelier"};
    app.set_help_flag("-h,--help", "affiche cette aide");
    app.require_subcommand(1);
    const std::map<std::string, std::string> labels = {
        {"SUBCOMMAND", "COMMANDE"},  {"Positionals", "Arguments"},
        {"REQUIRED", "OBLIGATOIRE"}, {"TEXT", "TEXTE"},
        {"FLOAT", "RÉEL"},           {"INT", "ENTIER"},
        {"UINT", "ENTIER"}};
    for (const auto& [key, french] : labels) app.get_formatter()->label(key, french);

    InfoOptions info;
    VerifierOptions verifier;
    ApercuOptions apercu;
    ConvertirOptions convertir;
    Words words;
    add_info(app, info);
    add_verifier(app, verifier, words);
    add_apercu(app, apercu, words);
    add_convertir(app, convertir, words);
    for (CLI::App* c : app.get_subcommands({})) {
        c->group("Commandes");
        c->set_help_flag("-h,--help", "affiche cette aide");
    }

    if (argc > 1 && argv[1][0] != '-' && !is_command(app, argv[1])) {
        std::fprintf(stderr,
                     "orvanel-atelier: commande inconnue \"%s\" (info, verifier, apercu, "
                     "convertir; voir orvanel-atelier --help)\n",
                     argv[1]);
        return status_usage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usage_error(e);
    }
    if (app.got_subcommand("info")) return run_info(info);
    if (app.got_subcommand("verifier")) {
        verifier.role = roles.at(words.role);
        return run_verifier(verifier);
    }
    if (app.got_subcommand("apercu")) {
        apercu.view = views.at(words.view);
        return run_apercu(apercu);
    }
    if (!words.texcoords.empty()) convertir.texcoords = texcoord_kinds.at(words.texcoords);
    convertir.write_mode_given = !words.mode.empty();
    convertir.write_mode = mode_bits(words.mode);
    return run_convertir(convertir);
}
