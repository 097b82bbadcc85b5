// The teaching edition's panels, built each frame with Dear ImGui: menu bar,
// instruments, verdict, case chooser and help.
#include <algorithm>
#include <cmath>
#include <string>

#include "background_job.h"
#include "commands.h"
#include "imgui.h"
#include "labo.h"
#include "simulation.h"

namespace {

constexpr float margin = 8.0f;
constexpr float panel_width = 290.0f;
constexpr float chooser_width = 560.0f;
constexpr float help_width = 600.0f;
constexpr float help_height = 560.0f;
constexpr float verdict_width = 460.0f;
constexpr float speed_gauge_height = 18.0f;
constexpr double gauge_span_over_limit = 2.0;  // the speed gauge shows twice the limit
constexpr float pause_font_size = 48.0f;
constexpr float plot_column_width = 338.0f;  // the plots' window and its margin, on the right
constexpr size_t path_field_size = 512;

const ImVec4 colour_good(0.35f, 0.9f, 0.4f, 1.0f);
const ImVec4 colour_bad(1.0f, 0.35f, 0.3f, 1.0f);
const ImVec4 colour_pause(1.0f, 0.85f, 0.2f, 1.0f);
const ImU32 speed_bar_colour = IM_COL32(80, 150, 255, 255);
const ImU32 speed_limit_colour = IM_COL32(255, 70, 60, 255);
const ImU32 gauge_back_colour = IM_COL32(40, 40, 55, 255);

char path_field[path_field_size] = "";

std::string num(double value, int decimals = 2) { return decimal_comma(value, decimals); }

void text(const std::string& line) { ImGui::TextUnformatted(line.c_str()); }

void build_menu_bar()
{
    if (!ImGui::BeginMainMenuBar()) return;
    if (ImGui::MenuItem("Choisir un cas", "c")) toggle_chooser();
    if (ImGui::MenuItem("Recommencer", "k")) restart_lesson();
    if (ImGui::MenuItem(simulation.paused != 0 ? "Reprendre" : "Pause", "p")) toggle_pause();
    if (planner_allowed() && ImGui::MenuItem("Planificateur", "m")) toggle_planner();
    if (ImGui::MenuItem("Aide", "h")) labo.help_shown = !labo.help_shown;
    ImGui::EndMainMenuBar();
}

// A bar for the speed with the docking limit as a red line across it, labelled.
void speed_gauge(double speed, double limit)
{
    const float width = ImGui::GetContentRegionAvail().x;
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const double span = limit * gauge_span_over_limit;
    const float filled = static_cast<float>(std::fmin(speed / span, 1.0)) * width;
    const float limit_x = corner.x + static_cast<float>(limit / span) * width;
    draw->AddRectFilled(corner, ImVec2(corner.x + width, corner.y + speed_gauge_height),
                        gauge_back_colour);
    draw->AddRectFilled(corner, ImVec2(corner.x + filled, corner.y + speed_gauge_height),
                        speed_bar_colour);
    draw->AddLine(ImVec2(limit_x, corner.y - 2.0f),
                  ImVec2(limit_x, corner.y + speed_gauge_height + 2.0f), speed_limit_colour, 3.0f);
    ImGui::Dummy(ImVec2(width, speed_gauge_height));
    // The label stands under the line, from it towards the right.
    ImGui::SetCursorPosX(ImGui::GetCursorPosX() + (limit_x - corner.x) - 2.0f);
    ImGui::TextColored(colour_bad, "^ limite %s", num(limit).c_str());
}

void since_last_press_line()
{
    if (labo.run.last_press_time < 0.0) {
        text(u8"Dernière poussée : aucune");
        return;
    }
    const double since = simulation.temps - labo.run.last_press_time;
    std::string line = u8"Dernière poussée : il y a " + num(since, 1) + " ut";
    if (scenario.Omega != 0.0) {
        line += " (" + num(since * std::fabs(scenario.Omega) / two_pi) + " orbite)";
    }
    ImGui::TextWrapped("%s", line.c_str());
}

void coloured_offset(const std::string& label, double value, bool within, int decimals = 2)
{
    const std::string shown = (value > 0.0 ? "+" : "") + num(value, decimals);
    ImGui::TextColored(within ? colour_good : colour_bad, "%s = %s", label.c_str(), shown.c_str());
}

// The four quantities the docking verdict looks at, each green within its limit.
void approach_lines(const Motion& at)
{
    const VerdictLimits& limits = labo.run.lesson.limits;
    const ApproachOffsets o = approach_offsets(at, limits);
    ImGui::TextWrapped("%s", ("Écarts au port (limites ±" + num(limits.tolerance) + ", vitesse < " +
                              num(limits.max_speed) + ")")
                                 .c_str());
    coloured_offset("  x (axe, radial)", o.x, o.x_within);
    coloured_offset("  z (axe, hors du plan)", o.z, o.z_within);
    coloured_offset("  y + 1,5 (jusqu'au port)", o.along, o.along_within);
    ImGui::TextColored(o.speed_within ? colour_good : colour_bad, "  vitesse = %s",
                       num(o.speed, 3).c_str());
}

void queue_line()
{
    const size_t waiting = labo.run.queue.size();
    if (waiting == 0) return;
    const std::string line = std::to_string(waiting) +
                             (waiting == 1 ? u8" poussée en attente" : u8" poussées en attente");
    ImGui::TextColored(colour_pause, "%s", line.c_str());
}

void outlook_lines()
{
    if (labo.run.ended) return;
    const std::string closest = closest_sentence(labo.run.outlook);
    const std::string ahead = outlook_sentence(labo.run.outlook, labo.run.lesson.limits);
    if (!closest.empty()) ImGui::TextWrapped("%s", closest.c_str());
    if (!ahead.empty()) ImGui::TextColored(colour_pause, "%s", ahead.c_str());
}

void build_instruments()
{
    const SimulationState& s = simulation;
    ImGui::SetNextWindowPos(ImVec2(margin, ImGui::GetFrameHeight() + margin), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(panel_width, 0.0f), ImGuiCond_Always);
    ImGui::Begin("Instruments", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoFocusOnAppearing);
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextWrapped("%s", lesson_title().c_str());
    text("Omega = " + num(scenario.Omega) + " rad/ut, temps " + num(s.temps, 1) + " ut");
    ImGui::Separator();
    const Motion at = current_motion();
    text("Distance au port : " + num(port_distance(at)) + " ul");
    ImGui::TextWrapped(
        "%s",
        (u8"Distance à la cible : " + num(std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z), 1) +
         u8" ul (perdu au-delà de " + num(std::sqrt(loss_radius_squared), 0) + ")")
            .c_str());
    const double speed = chaser_speed(s.xp, s.yp, s.zp);
    text("Vitesse : " + num(speed, 3));
    speed_gauge(speed, labo.run.lesson.limits.max_speed);
    const int fuel_start = labo.run.lesson.fuel > 0 ? labo.run.lesson.fuel : 1;
    const std::string fuel =
        "carburant " + std::to_string(s.reserve) + " / " + std::to_string(labo.run.lesson.fuel);
    ImGui::ProgressBar(static_cast<float>(s.reserve) / static_cast<float>(fuel_start),
                       ImVec2(-1.0f, 0.0f), fuel.c_str());
    queue_line();
    since_last_press_line();
    ImGui::Separator();
    approach_lines(at);
    outlook_lines();
    ImGui::Separator();
    text("Vitesse du temps : " + speed_label(labo.run.pacing) + "   (s / S)");
    if (s.paused != 0) ImGui::TextColored(colour_pause, "PAUSE  (p pour reprendre)");
    ImGui::PopTextWrapPos();
    ImGui::End();
}

// PAUSE in large letters in the middle of the scene, between the panels,
// where no one can miss it.
void show_pause()
{
    ImFont* font = ImGui::GetFont();
    const char* word = "PAUSE";
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = font->CalcTextSizeA(pause_font_size, display.x, 0.0f, word).x;
    const float gap_left = margin + panel_width;
    const float gap_right = std::max(gap_left + width, display.x - plot_column_width);
    const ImVec2 at(0.5f * (gap_left + gap_right - width), 0.5f * display.y);
    ImGui::GetForegroundDrawList()->AddText(font, pause_font_size, at,
                                            ImGui::ColorConvertFloat4ToU32(colour_pause), word);
}

void build_verdict()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y - margin), ImGuiCond_Always,
                            ImVec2(0.5f, 1.0f));
    ImGui::SetNextWindowSize(ImVec2(verdict_width, 0.0f), ImGuiCond_Always);
    ImGui::Begin("Verdict", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
    const bool won = labo.run.end.outcome == outcome_docked;
    ImGui::TextColored(won ? colour_good : colour_bad, "%s",
                       verdict_title(labo.run.end.outcome).c_str());
    ImGui::TextWrapped("%s", verdict_reason(labo.run.end).c_str());
    ImGui::PushStyleColor(ImGuiCol_Text, colour_pause);
    ImGui::TextWrapped("%s", verdict_advice(labo.run.end).c_str());
    ImGui::PopStyleColor();
    ImGui::TextWrapped("%s", verdict_costs(labo.run.end).c_str());
    if (!labo.run.record_note.empty())
        ImGui::TextWrapped("Enregistrement : %s", labo.run.record_note.c_str());
    if (!labo.figure_note.empty()) ImGui::TextWrapped("Figure : %s", labo.figure_note.c_str());
    text(u8"k : recommencer      c : choisir un autre cas");
    ImGui::End();
}

void build_chooser()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(chooser_width, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowFocus();
    ImGui::Begin("Choisir un cas", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
    ImGui::TextWrapped("%s",
                       u8"Chaque cas part d'un état différent. Cliquez (ou tapez son "
                       u8"numéro) pour commencer.");
    int number = 1;
    for (const ShippedCase& shipped : shipped_cases) {
        ImGui::Separator();
        const std::string entry = std::to_string(number++) + ". " + shipped.title;
        if (ImGui::Selectable(entry.c_str())) choose_lesson(shipped.path);
        ImGui::TextDisabled("   %s", shipped.teaches);
    }
    ImGui::Separator();
    text(u8"Un fichier de cas à vous :");
    ImGui::InputText("##fichier", path_field, sizeof path_field);
    ImGui::SameLine();
    if (ImGui::Button("Ouvrir")) choose_lesson(path_field);
    if (!labo.load_error.empty()) ImGui::TextColored(colour_bad, "%s", labo.load_error.c_str());
    if (labo.run.started && ImGui::Button("Revenir au cas en cours")) labo.chooser_shown = false;
    ImGui::End();
}

const char* const physics_lines[] = {
    u8"Le chasseur et la cible sont tous deux en orbite. Pousser vers l'avant (↑, +y) "
    u8"élève l'orbite du chasseur ; une orbite plus haute est plus lente : il monte "
    u8"(x > 0) puis recule. Pousser vers la cible ne vous y mène donc pas.",
    u8"Freiner (↓, −y) fait descendre sous l'axe, où l'on va plus vite : le chasseur "
    u8"avance et revient sur l'axe une orbite plus tard, plus près de la cible.",
    u8"Hors du plan (z), le chasseur oscille autour du plan une fois par orbite.",
    u8"La courbe jaune est la prédiction : ce que fera le chasseur sans pousser, "
    u8"sur la prochaine orbite. Elle change dès que vous appuyez.",
};

const char* const strategy_lines[] = {
    u8"De petites impulsions, puis attendre, observer, corriger.",
    u8"Depuis l'axe, n appuis sur ↓ : une orbite plus tard le chasseur est revenu sur "
    u8"l'axe, plus près de la cible ; autant d'appuis sur ↑ l'arrêtent.",
    u8"Pour finir, avancer doucement (vitesse ≈ 0,05) en tenant |x| < 0,1 avec ← et →.",
    u8"Au contact il faut une vitesse sous la limite et être dans l'axe du port.",
};

const char* const planner_lines[] = {
    u8"Le panneau montre les écarts à l'axe du port (x, z), la distance le long de l'axe "
    u8"(y + 1,5) et la vitesse, en vert dans leurs limites, et ce que donnera la dérive si "
    u8"rien ne change. À moins de 6 ul du port, la vue d'approche montre les derniers "
    u8"mètres, l'écart x agrandi.",
    u8"Le planificateur (m) calcule le transfert à deux impulsions vers un point visé (un "
    u8"clic sur le plan) en une durée choisie : les appuis à faire maintenant, le trajet "
    u8"qu'ils donnent (violet) et la vitesse à annuler à l'arrivée. Glissez la durée pour "
    u8"peu d'appuis (ou « Durée la plus économe »), replanifiez en route, puis "
    u8"finissez doucement en tenant l'axe.",
};

const char* const key_lines[] = {
    u8"flèches : pousser selon x (← →) et y (↑ ↓) ; Page préc./suiv. : selon z",
    u8"p : pause      s / S : temps deux fois plus lent / rapide",
    u8"k : recommencer      c : choisir un cas      h : cette aide      m : planificateur",
    u8"l : vue du chasseur / du paysage      v, r, t : vues      + - : zoom",
    u8"a : page d'aide complète dans le navigateur      Échap : quitter",
};

void bullet_lines(const char* const* lines, size_t count)
{
    // BulletText does not wrap; a bullet then wrapped text does.
    for (size_t i = 0; i < count; ++i) {
        ImGui::Bullet();
        ImGui::TextWrapped("%s", lines[i]);
    }
}

void build_help()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Appearing,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(help_width, help_height), ImGuiCond_Appearing);
    ImGui::Begin("Aide", &labo.help_shown, ImGuiWindowFlags_NoCollapse);
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextColored(colour_pause, "Un peu de physique");
    bullet_lines(physics_lines, sizeof physics_lines / sizeof physics_lines[0]);
    ImGui::TextColored(colour_pause, u8"Stratégie");
    bullet_lines(strategy_lines, sizeof strategy_lines / sizeof strategy_lines[0]);
    ImGui::TextColored(colour_pause, u8"Approche et planificateur");
    bullet_lines(planner_lines, sizeof planner_lines / sizeof planner_lines[0]);
    ImGui::TextColored(colour_pause, "Touches");
    bullet_lines(key_lines, sizeof key_lines / sizeof key_lines[0]);
    ImGui::PopTextWrapPos();
    if (ImGui::Button(u8"Ouvrir la page d'aide complète (navigateur)")) open_help_in_browser();
    ImGui::End();
}

}  // namespace

void build_instrument_panel() { build_instruments(); }

void build_overlay()
{
    build_menu_bar();
    if (labo.run.started) {
        build_instruments();
        // After the verdict the planner and the approach view have nothing
        // left to show, and the verdict takes their place.
        if (labo.planner.shown && planner_allowed() && !labo.run.ended) build_planner();
        build_plots();
        if (!labo.run.ended) build_approach_view();
        if (labo.run.ended) build_verdict();
        if (simulation.paused != 0) show_pause();
    }
    if (labo.help_shown) build_help();
    if (labo.chooser_shown) build_chooser();
    build_notice_banner();
}
