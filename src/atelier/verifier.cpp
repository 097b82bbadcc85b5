// verifier: will this file work as the chaser or the target? The model is
// prepared exactly as the scene prepares it, then placed where the scene puts
// it when the run ends docked, and every finding is said in plain words.
//
// Docked, the chaser's centre stands at the port, scene y = -1.5, and its
// model +z axis points along the scene's +y: its tip lands at y = -1.5 + zmax.
// The target's model +z axis points along the scene's -y: its tip (the port
// face) lands at y = -zmax. The shipped pair meets at y = -1: the chaser's
// probe tip at fitted z = +0.5, the target's port face at fitted z = +1.
#include <cmath>
#include <cstring>

#include "atelier.h"

namespace {

// Where the shipped partner meets a new model, scene y.
constexpr double reference_port_face_y = -1.0;  // target's port face, for a new chaser
constexpr double reference_probe_tip_y = -1.0;  // chaser's probe tip, for a new target
// The two ends may miss each other by this much and still look docked.
constexpr double docked_gap_tolerance = port_tolerance;
// The probe is the part of the chaser within this depth of its +z end
// (fitted units); to enter the port it must lie within the port's lateral
// tolerance of the axis. The shipped chaser's is 0.03 wide there, its engine
// end 0.17: a chaser turned tail first is caught.
constexpr double probe_depth = 0.05;
// Triangles above which a model slows the frame: drawn as the scene draws it
// (immediate mode, smooth normals and materials, 800 x 800, Mesa's software
// renderer, the one the simulator gets without a graphics card), a model
// costs about 1 microsecond per triangle: measured with OSMesa on 2 cores,
// 0.93 to 1.02 on a grid of a million triangles (about 1 s a frame), 0.4 to
// 1.2 on the shipped models (1 to 3 ms). The rest of a frame, mostly the
// planet's sphere of 100 x 100 facets (20000 triangles) and the other craft,
// costs about as much as 25000 triangles: a model above that at least halves
// the frame rate, and with it the pace of the simulation, which advances once
// per idle call.
constexpr uint32_t slow_triangle_count = 25000;

const char* const material_warning = "can't find material";

struct Findings {
    int problems = 0;
    int warnings = 0;
};

void ok(const char* text) { std::printf("  OK        %s\n", text); }

void warn(Findings& f, const char* text)
{
    std::printf("  ATTENTION %s\n", text);
    ++f.warnings;
}

void problem(Findings& f, const char* text)
{
    std::printf("  PROBLÈME  %s\n", text);
    ++f.problems;
}

const char* role_name(Role role) { return role == Role::chaser ? "chasseur" : "cible"; }

void check_reading(Findings& f, const Model* model, const std::vector<LibraryMessage>& messages)
{
    char text[256];
    std::snprintf(text, sizeof text, "lecture: %u sommets, %u triangles, %u groupes, %u matériaux",
                  model->vertexcount, model->trianglecount, model->groupcount,
                  model->materialcount);
    ok(text);
    if (model->materialcount == 0)
        warn(f,
             "aucune bibliothèque de matériaux (mtllib) : le simulateur le dessinera sans "
             "couleurs propres et l'écrira à chaque image");
    for (const LibraryMessage& m : messages) {
        const bool material = m.text.find(material_warning) != std::string::npos;
        std::snprintf(text, sizeof text, "%s (ligne %ld): %s",
                      material ? "matériau introuvable, pièce grise" : "message du lecteur", m.line,
                      m.text.c_str());
        warn(f, text);
    }
    const std::vector<LostMaterial> lost = lost_materials(model, face_materials(model));
    if (!lost.empty()) warn(f, lost_materials_text(lost).c_str());
    const unsigned unused = unused_vertex_count(model);
    if (unused > 0) {
        std::snprintf(text, sizeof text,
                      "%u sommets ne servent à aucun triangle (le simulateur les signale au "
                      "démarrage)",
                      unused);
        warn(f, text);
    }
    if (model->trianglecount > slow_triangle_count) {
        std::snprintf(text, sizeof text,
                      "%u triangles : au-delà de %u, chaque image ralentit nettement (et la "
                      "simulation avec)",
                      model->trianglecount, slow_triangle_count);
        problem(f, text);
    } else if (model->trianglecount > 0) {
        std::snprintf(text, sizeof text, "%u triangles, sous le seuil de %u", model->trianglecount,
                      slow_triangle_count);
        ok(text);
    }
}

// Widest distance from the model's z axis among the vertices near its +z end.
double probe_radius(const Model* model, float zmax)
{
    double radius = 0.0;
    const std::vector<float>& v = model->vertices;
    for (size_t i = 1; i <= model->vertexcount; ++i)
        if (v[3 * i + 2] >= zmax - probe_depth)
            radius = std::fmax(radius, std::hypot(v[3 * i], v[3 * i + 1]));
    return radius;
}

// One end against the other along the docking axis: gap > 0 leaves empty space.
void check_meeting(Findings& f, const char* what, double gap)
{
    char text[256];
    if (gap < -docked_gap_tolerance)
        std::snprintf(text, sizeof text,
                      "%s : enfoncé de %.2f dans l'autre vaisseau une fois amarré", what, -gap);
    else if (gap > docked_gap_tolerance)
        std::snprintf(text, sizeof text, "%s : arrêté à %.2f de l'autre vaisseau une fois amarré",
                      what, gap);
    else
        std::snprintf(text, sizeof text,
                      "%s : touche l'autre vaisseau une fois amarré (écart %.2f)", what, gap);
    if (std::fabs(gap) > docked_gap_tolerance)
        problem(f, text);
    else
        ok(text);
}

void check_chaser(Findings& f, const Model* model, const Box& box)
{
    char text[256];
    const double radius = probe_radius(model, box.max[2]);
    std::snprintf(
        text, sizeof text,
        "sonde: le bout +z est large de %.2f (tolérance latérale du port %.2f)%s", radius,
        port_tolerance,
        radius <= port_tolerance ? "" : " ; le modèle est-il tourné, pointe vers l'arrière ?");
    if (radius <= port_tolerance)
        ok(text);
    else
        problem(f, text);
    const double tip_y = port_y + box.max[2];
    std::snprintf(text, sizeof text, "pointe +z en y = %.2f, port de la cible livrée en y = %.2f",
                  tip_y, reference_port_face_y);
    check_meeting(f, text, reference_port_face_y - tip_y);
}

void check_target(Findings& f, const Box& box)
{
    char text[256];
    // Model x stays scene x and model y becomes scene z under the target's turn.
    const double half_width =
        std::fmax(std::fmax(-box.min[0], box.max[0]), std::fmax(-box.min[1], box.max[1]));
    std::snprintf(text, sizeof text,
                  "coque: %.2f de l'axe au plus loin, boîte de contact de demi-largeur %.2f%s",
                  half_width, contact_half_width,
                  half_width < contact_half_width
                      ? ""
                      : " ; le chasseur traversera la coque sans la toucher (modèle tourné ?)");
    if (half_width < contact_half_width)
        ok(text);
    else
        problem(f, text);
    const double port_face_y = -box.max[2];
    std::snprintf(text, sizeof text,
                  "port (bout +z) en y = %.2f, sonde du chasseur livré en y = %.2f", port_face_y,
                  reference_probe_tip_y);
    check_meeting(f, text, port_face_y - reference_probe_tip_y);
}

int verify(Role role, Model* model, const std::vector<LibraryMessage>& messages)
{
    Findings f;
    std::printf("Vérification de %s comme %s\n", model->filepath.c_str(), role_name(role));
    check_reading(f, model, messages);
    if (model->trianglecount == 0) {
        problem(f, "aucun triangle : rien à dessiner");
    } else {
        const float scale = prepare_as_scene(model);
        const Box box = model_box(model);
        std::printf(
            "  OK        après ajustement (facteur %g): x %.2f..%.2f  y %.2f..%.2f  z %.2f..%.2f\n",
            scale, box.min[0], box.max[0], box.min[1], box.max[1], box.min[2], box.max[2]);
        if (role == Role::chaser)
            check_chaser(f, model, box);
        else
            check_target(f, box);
    }
    if (f.problems == 0) {
        std::printf("Verdict: convient comme %s (%d avertissement(s)).\n", role_name(role),
                    f.warnings);
        return status_done;
    }
    std::printf("Verdict: ne convient pas comme %s (%d problème(s), %d avertissement(s)).\n",
                role_name(role), f.problems, f.warnings);
    return status_refused;
}

}  // namespace

int run_verifier(const VerifierOptions& options)
{
    const Role role = options.role;
    const int status =
        with_model(options.path, "Ne convient pas : le lecteur de modèles refuse",
                   [role](Model* model, const std::vector<LibraryMessage>& messages) {
                       return verify(role, model, messages);
                   });
    if (status != status_done && status != status_refused) return status_refused;
    return status;
}
