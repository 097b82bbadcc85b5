// The planner's window: the student chooses an aim and a flight time; the
// planner (labo_core) answers with the presses to make now, the path they give
// and what to do on arrival. It never presses anything itself.
#include <cmath>
#include <string>

#include "imgui.h"
#include "labo.h"
#include "simulation.h"

namespace {

constexpr float planner_width = 330.0f;
constexpr float margin = 8.0f;
constexpr double shortest_flight = 0.5;        // ut
constexpr double longest_flight_orbits = 1.5;  // the slider's end, in orbits
constexpr double longest_still_flight = 60.0;  // the slider's end when Omega is 0 (ut)

const ImVec4 colour_plan(1.0f, 0.45f, 1.0f, 1.0f);
const ImVec4 colour_refusal(1.0f, 0.35f, 0.3f, 1.0f);

std::string num(double value, int decimals = 2) { return decimal_comma(value, decimals); }

double longest_flight()
{
    if (scenario.Omega == 0.0 || !std::isfinite(scenario.Omega)) return longest_still_flight;
    return longest_flight_orbits * two_pi / std::fabs(scenario.Omega);
}

void aim_lines(const PlanRequest& request)
{
    ImGui::TextWrapped(
        "%s", (u8"Point visé : x = " + num(request.aim_x) + " ; y = " + num(request.aim_y) +
               u8"  (un clic sur le plan de l'orbite en choisit un autre)")
                  .c_str());
    if (ImGui::Button(u8"Viser l'axe, 3 ul avant le port")) labo.planner.aim_set = false;
}

void flight_time_slider()
{
    float flight = static_cast<float>(labo.planner.flight_time);
    ImGui::SetNextItemWidth(-1.0f);
    if (ImGui::SliderFloat("##duree", &flight, static_cast<float>(shortest_flight),
                           static_cast<float>(longest_flight()), u8"durée du vol : %.1f ut")) {
        labo.planner.flight_time = flight;
    }
    if (ImGui::Button(u8"Durée la plus économe")) {
        labo.planner.flight_time = economical_flight_time(planner_request());
    }
    if (scenario.Omega != 0.0) {
        ImGui::SameLine();
        const double orbits = labo.planner.flight_time * std::fabs(scenario.Omega) / two_pi;
        ImGui::TextDisabled(u8"soit %s orbite", num(orbits).c_str());
    }
}

void answer_lines(const BurnPlan& plan, const PlanRequest& request)
{
    if (!plan.ok) {
        ImGui::PushStyleColor(ImGuiCol_Text, colour_refusal);
        ImGui::TextWrapped("%s", plan.refusal.c_str());
        ImGui::PopStyleColor();
        return;
    }
    ImGui::TextColored(colour_plan, u8"Maintenant : %s", presses_text(plan.presses).c_str());
    ImGui::TextWrapped("%s", (u8"Vitesse à ajouter : x " + num(plan.change[0]) + ", y " +
                              num(plan.change[1]) + ", z " + num(plan.change[2]) +
                              u8" (une poussée : " + num(request.press_change) + ")")
                                 .c_str());
    ImGui::TextWrapped("%s", (u8"Écart à l'arrivée : " + num(plan.miss) +
                              u8" ul (poussées entières, une par pas ; " + num(plan.rounding_miss) +
                              u8" ul dû à l'arrondi seul)")
                                 .c_str());
    ImGui::TextWrapped(
        "%s",
        (u8"À l'arrivée, pour s'arrêter : " + presses_text(plan.arrival_presses) + " (vitesse " +
         num(chaser_speed(plan.arrival.xp, plan.arrival.yp, plan.arrival.zp)) + ")")
            .c_str());
    ImGui::TextDisabled("%s",
                        u8"Trajet prévu en violet. Replanifiez en route : l'écart fond "
                        u8"à mesure que l'arrivée approche.");
}

}  // namespace

bool plan_drawn()
{
    return labo.planner.shown && planner_allowed() && !labo.run.ended && labo.plan.ok;
}

void build_planner()
{
    // Bottom right, under the plane plot (whose time plots give it the room).
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x - margin, display.y - margin), ImGuiCond_Appearing,
                            ImVec2(1.0f, 1.0f));
    ImGui::SetNextWindowSize(ImVec2(planner_width, 0.0f), ImGuiCond_Appearing);
    ImGui::Begin("Planificateur", &labo.planner.shown, ImGuiWindowFlags_NoCollapse);
    ImGui::PushTextWrapPos(0.0f);
    const PlanRequest request = planner_request();
    labo.plan = plan_transfer(request);
    aim_lines(request);
    flight_time_slider();
    ImGui::Separator();
    answer_lines(labo.plan, request);
    ImGui::PopTextWrapPos();
    ImGui::End();
}
