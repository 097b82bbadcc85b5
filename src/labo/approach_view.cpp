// The approach view: when the chaser is within a few units of the port, the
// last units seen from above (along the axis, with the offset from it
// magnified) and from behind the port (the two offsets at one scale), with the
// tolerance square, the contact box, the predicted coast and its closest
// approach, so that an offset of 0,1 is plain to see.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imgui.h"
#include "labo.h"
#include "simulation.h"

namespace {

constexpr double approach_range = 6.0;        // shown when this close to the port (ul)
constexpr double smallest_offset_span = 0.3;  // half-height of the offset axes (ul)
constexpr double largest_offset_span = 2.0;
constexpr double offset_headroom = 1.25;  // the chaser stands inside the view
constexpr double behind_port = 0.5;       // the top view goes this far past the port (ul)
constexpr float inset_size = 150.0f;
constexpr float view_width = 2.0f * inset_size + 30.0f;
constexpr float margin = 8.0f;
constexpr float dot_radius = 4.0f;
constexpr float line_width = 1.5f;

const ImU32 background = IM_COL32(15, 15, 25, 255);
const ImU32 frame_colour = IM_COL32(90, 90, 110, 255);
const ImU32 hull_colour = IM_COL32(110, 110, 130, 255);
const ImU32 tolerance_colour = IM_COL32(60, 230, 90, 255);
const ImU32 axis_colour = IM_COL32(60, 120, 60, 255);
const ImU32 coast_colour = IM_COL32(255, 215, 0, 255);
const ImU32 closest_colour = IM_COL32(255, 140, 0, 255);
const ImU32 plan_colour = IM_COL32(255, 115, 255, 255);
const ImU32 chaser_colour = IM_COL32(0, 220, 255, 255);

// One inset: world (horizontal h, vertical v) to pixels, each with its own span.
struct Inset {
    ImVec2 corner;
    double h_low = 0.0, h_high = 1.0;  // horizontal extent (ul)
    double v_half = 1.0;               // vertical extent: -v_half .. v_half (ul)

    ImVec2 at(double h, double v) const
    {
        const double u = (h - h_low) / (h_high - h_low);
        const double w = 0.5 - 0.5 * v / v_half;
        return ImVec2(corner.x + static_cast<float>(u) * inset_size,
                      corner.y + static_cast<float>(w) * inset_size);
    }
};

double offset_span(const Motion& m)
{
    const double worst = std::max(std::fabs(m.x), std::fabs(m.z)) * offset_headroom;
    return std::clamp(worst, smallest_offset_span, largest_offset_span);
}

void frame(ImDrawList* draw, const Inset& inset)
{
    const ImVec2 far(inset.corner.x + inset_size, inset.corner.y + inset_size);
    draw->AddRectFilled(inset.corner, far, background);
    draw->PushClipRect(inset.corner, far, true);
}

void close_frame(ImDrawList* draw, const Inset& inset, const char* caption)
{
    draw->PopClipRect();
    const ImVec2 far(inset.corner.x + inset_size, inset.corner.y + inset_size);
    draw->AddRect(inset.corner, far, frame_colour);
    draw->AddText(ImVec2(inset.corner.x + 4.0f, inset.corner.y + 2.0f), frame_colour, caption);
}

template <typename Project>
void coast_line(ImDrawList* draw, const std::vector<CoastPoint>& coast, ImU32 colour,
                Project project)
{
    std::vector<ImVec2> points;
    for (const CoastPoint& p : coast) points.push_back(project(p.motion));
    if (points.size() > 1)
        draw->AddPolyline(points.data(), static_cast<int>(points.size()), colour, 0, line_width);
}

// Along the axis (y) to the right, the radial offset (x) upwards, magnified.
void top_inset(ImDrawList* draw, ImVec2 corner, const Motion& m, double half)
{
    const double tol = labo.run.lesson.limits.tolerance;
    Inset inset{corner, port_y - approach_range, port_y + behind_port, half};
    frame(draw, inset);
    draw->AddRectFilled(inset.at(port_y, contact_half_width),
                        inset.at(contact_half_length, -contact_half_width), hull_colour);
    draw->AddLine(inset.at(inset.h_low, 0.0), inset.at(port_y, 0.0), axis_colour);
    draw->AddRect(inset.at(port_y - tol, tol), inset.at(port_y + tol, -tol), tolerance_colour, 0.0f,
                  0, 2.0f);
    auto project = [&](const Motion& p) { return inset.at(p.y, p.x); };
    if (!labo.run.ended) coast_line(draw, labo.run.prediction, coast_colour, project);
    if (plan_drawn()) coast_line(draw, labo.plan.path, plan_colour, project);
    if (!labo.run.ended && labo.run.outlook.known)
        draw->AddCircleFilled(project(labo.run.outlook.closest_at), dot_radius, closest_colour);
    draw->AddCircleFilled(project(m), dot_radius, chaser_colour);
    close_frame(draw, inset, u8"dessus (x agrandi)");
}

// Seen from behind the port, looking along +y: z to the right, x upwards.
void behind_inset(ImDrawList* draw, ImVec2 corner, const Motion& m, double half)
{
    const double tol = labo.run.lesson.limits.tolerance;
    Inset inset{corner, -half, half, half};
    frame(draw, inset);
    draw->AddRectFilled(inset.at(-contact_half_width, contact_half_width),
                        inset.at(contact_half_width, -contact_half_width), hull_colour);
    draw->AddRect(inset.at(-tol, tol), inset.at(tol, -tol), tolerance_colour, 0.0f, 0, 2.0f);
    auto project = [&](const Motion& p) { return inset.at(p.z, p.x); };
    // Only the part of the coast still before the port says where it will meet it.
    std::vector<CoastPoint> before;
    if (!labo.run.ended)
        for (const CoastPoint& p : labo.run.prediction)
            if (p.motion.y <= port_y && std::fabs(p.motion.y - port_y) < approach_range)
                before.push_back(p);
    coast_line(draw, before, coast_colour, project);
    draw->AddCircleFilled(project(m), dot_radius, chaser_colour);
    close_frame(draw, inset, u8"derrière le port (z, x)");
}

}  // namespace

void build_approach_view()
{
    const Motion m = current_motion();
    if (port_distance(m) > approach_range) return;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(margin, display.y - margin), ImGuiCond_Always,
                            ImVec2(0.0f, 1.0f));
    ImGui::SetNextWindowSize(ImVec2(view_width, 0.0f), ImGuiCond_Always);
    ImGui::Begin(u8"Approche finale", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoFocusOnAppearing);
    const double half = offset_span(m);
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    top_inset(draw, corner, m, half);
    behind_inset(draw, ImVec2(corner.x + inset_size + margin, corner.y), m, half);
    ImGui::Dummy(ImVec2(2.0f * inset_size + margin, inset_size));
    ImGui::TextDisabled(u8"vert : tolérance ; gris : coque ; x ±%s ul",
                        decimal_comma(half, 2).c_str());
    ImGui::End();
}
