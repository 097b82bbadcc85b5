// The run at a glance: the orbital plane seen from above (y along the track to
// the right, x radial upwards, the planet below) with the path flown, the
// predicted coast, the target, its port and the presses; then distance to the
// port and speed over time. Drawn with ImGui's draw lists, zoomed to fit.
#include <algorithm>
#include <cmath>

#include "imgui.h"
#include "labo.h"
#include "simulation.h"

namespace {

constexpr float plot_window_width = 330.0f;
constexpr float plane_plot_size = 300.0f;
constexpr float time_plot_height = 80.0f;
constexpr float window_margin = 8.0f;
constexpr double fit_margin = 1.15;    // room around what the plane plot shows
constexpr double smallest_span = 4.0;  // the plane plot never zooms in further
constexpr float press_radius = 4.0f;
constexpr float chaser_radius = 4.5f;
constexpr int dash_points = 4;  // the predicted coast: dashes of this many points
constexpr float line_width = 1.5f;
constexpr float port_radius = 3.0f;
constexpr float chaser_ring_width = 2.0f;
constexpr float points_per_pixel = 2.0f;  // of a long history, as many as drawn
// The arrow towards the planet, in the plot's lower left corner (pixels).
constexpr float arrow_inset = 10.0f;
constexpr float arrow_length = 30.0f;
constexpr float arrow_head = 8.0f;
constexpr float arrow_width = 2.0f;
constexpr float label_gap = 4.0f;
constexpr double contact_half_width_shown = 0.4;
constexpr double plot_headroom = 1.1;  // the largest value stands below the plot's top

const ImU32 background = IM_COL32(15, 15, 25, 255);
const ImU32 frame_colour = IM_COL32(90, 90, 110, 255);
const ImU32 path_colour = IM_COL32(235, 235, 235, 255);
const ImU32 coast_colour = IM_COL32(255, 215, 0, 255);
const ImU32 target_colour = IM_COL32(150, 150, 170, 255);
const ImU32 port_colour = IM_COL32(60, 230, 90, 255);
const ImU32 chaser_colour = IM_COL32(0, 220, 255, 255);
const ImU32 planet_colour = IM_COL32(90, 140, 255, 255);
const ImU32 limit_colour = IM_COL32(255, 70, 60, 255);
const ImU32 closest_colour = IM_COL32(255, 140, 0, 255);
const ImU32 plan_colour = IM_COL32(255, 115, 255, 255);
constexpr float closest_radius = 4.0f;
constexpr float aim_arm = 5.0f;
const ImU32 press_colours[3] = {IM_COL32(255, 80, 80, 255), IM_COL32(80, 230, 80, 255),
                                IM_COL32(80, 140, 255, 255)};

// World (x radial, y along the track) to screen, with one scale for both axes.
struct PlaneView {
    ImVec2 corner;
    float size = 0.0f;
    double centre_x = 0.0, centre_y = 0.0;
    double span = smallest_span;

    ImVec2 at(double x, double y) const
    {
        const double scale = size / span;
        return ImVec2(corner.x + size * 0.5f + static_cast<float>((y - centre_y) * scale),
                      corner.y + size * 0.5f - static_cast<float>((x - centre_x) * scale));
    }
    // The world point (x, y) under a pixel: the inverse of at().
    void world(ImVec2 pixel, double* x, double* y) const
    {
        const double scale = size / span;
        *y = centre_y + (pixel.x - corner.x - size * 0.5f) / scale;
        *x = centre_x - (pixel.y - corner.y - size * 0.5f) / scale;
    }
};

struct Bounds {
    double min_x = -contact_half_width_shown, max_x = contact_half_width_shown;
    double min_y = port_y, max_y = contact_half_length;
    void take(double x, double y)
    {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        min_x = std::min(min_x, x);
        max_x = std::max(max_x, x);
        min_y = std::min(min_y, y);
        max_y = std::max(max_y, y);
    }
};

PlaneView fit_plane(ImVec2 corner, float size)
{
    Bounds b;
    for (const HistorySample& h : labo.run.history) b.take(h.x, h.y);
    for (const CoastPoint& p : labo.run.prediction) b.take(p.motion.x, p.motion.y);
    if (plan_drawn())
        for (const CoastPoint& p : labo.plan.path) b.take(p.motion.x, p.motion.y);
    PlaneView view;
    view.corner = corner;
    view.size = size;
    view.centre_x = 0.5 * (b.min_x + b.max_x);
    view.centre_y = 0.5 * (b.min_y + b.max_y);
    view.span =
        std::max(smallest_span, fit_margin * std::max(b.max_x - b.min_x, b.max_y - b.min_y));
    return view;
}

// At most a couple of points per pixel: a long run draws as fast as a short one.
template <typename Point>
size_t stride_for(const std::vector<Point>& points, float pixels)
{
    const size_t wanted = static_cast<size_t>(std::max(1.0f, pixels * points_per_pixel));
    return std::max<size_t>(1, points.size() / wanted);
}

void draw_path(ImDrawList* draw, const PlaneView& view)
{
    std::vector<ImVec2> points;
    const size_t stride = stride_for(labo.run.history, view.size);
    for (size_t i = 0; i < labo.run.history.size(); i += stride)
        points.push_back(view.at(labo.run.history[i].x, labo.run.history[i].y));
    if (!labo.run.history.empty())
        points.push_back(view.at(labo.run.history.back().x, labo.run.history.back().y));
    draw->AddPolyline(points.data(), static_cast<int>(points.size()), path_colour, 0, line_width);
}

void draw_coast(ImDrawList* draw, const PlaneView& view)
{
    const std::vector<CoastPoint>& coast = labo.run.prediction;
    for (size_t start = 0; start + 1 < coast.size(); start += 2 * dash_points) {
        std::vector<ImVec2> dash;
        for (size_t i = start; i < coast.size() && i <= start + dash_points; ++i)
            dash.push_back(view.at(coast[i].motion.x, coast[i].motion.y));
        draw->AddPolyline(dash.data(), static_cast<int>(dash.size()), coast_colour, 0, line_width);
    }
}

void draw_plan(ImDrawList* draw, const PlaneView& view)
{
    if (!plan_drawn()) return;
    std::vector<ImVec2> points;
    for (const CoastPoint& p : labo.plan.path) points.push_back(view.at(p.motion.x, p.motion.y));
    draw->AddPolyline(points.data(), static_cast<int>(points.size()), plan_colour, 0, line_width);
    const PlanRequest request = planner_request();
    const ImVec2 aim = view.at(request.aim_x, request.aim_y);
    draw->AddLine(ImVec2(aim.x - aim_arm, aim.y - aim_arm),
                  ImVec2(aim.x + aim_arm, aim.y + aim_arm), plan_colour, line_width);
    draw->AddLine(ImVec2(aim.x - aim_arm, aim.y + aim_arm),
                  ImVec2(aim.x + aim_arm, aim.y - aim_arm), plan_colour, line_width);
}

void draw_target(ImDrawList* draw, const PlaneView& view)
{
    draw->AddRectFilled(view.at(contact_half_width, -contact_half_length),
                        view.at(-contact_half_width, contact_half_length), target_colour);
    draw->AddCircleFilled(view.at(0.0, port_y), port_radius, port_colour);
}

void draw_planet_direction(ImDrawList* draw, const PlaneView& view)
{
    const float left = view.corner.x + arrow_inset;
    const float bottom = view.corner.y + view.size - arrow_inset;
    const float half_head = arrow_head * 0.5f;
    draw->AddLine(ImVec2(left, bottom - arrow_length), ImVec2(left, bottom), planet_colour,
                  arrow_width);
    draw->AddTriangleFilled(ImVec2(left - half_head, bottom - arrow_head),
                            ImVec2(left + half_head, bottom - arrow_head), ImVec2(left, bottom),
                            planet_colour);
    const float text_top = bottom - arrow_length * 0.5f - ImGui::GetFontSize() * 0.5f;
    draw->AddText(ImVec2(left + arrow_head, text_top), planet_colour, u8"planète");
}

void plane_plot()
{
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const PlaneView view = fit_plane(corner, plane_plot_size);
    const ImVec2 far_corner(corner.x + plane_plot_size, corner.y + plane_plot_size);
    draw->AddRectFilled(corner, far_corner, background);
    draw->PushClipRect(corner, far_corner, true);
    draw_target(draw, view);
    if (!labo.run.ended) {
        draw_coast(draw, view);
        if (labo.run.outlook.known) {
            const Motion& c = labo.run.outlook.closest_at;
            draw->AddCircleFilled(view.at(c.x, c.y), closest_radius, closest_colour);
        }
    }
    draw_plan(draw, view);
    draw_path(draw, view);
    for (const PressMark& press : labo.run.presses) {
        const int axis = std::clamp(press.axis, 0, 2);
        draw->AddCircleFilled(view.at(press.x, press.y), press_radius, press_colours[axis]);
    }
    const SimulationState& s = simulation;
    draw->AddCircle(view.at(s.x, s.y), chaser_radius, chaser_colour, 0, chaser_ring_width);
    draw_planet_direction(draw, view);
    draw->PopClipRect();
    draw->AddRect(corner, far_corner, frame_colour);
    // A click on the plane chooses the planner's aim.
    ImGui::InvisibleButton("##plan", ImVec2(plane_plot_size, plane_plot_size));
    if (ImGui::IsItemClicked() && labo.planner.shown && planner_allowed()) {
        double x = 0.0, y = 0.0;
        view.world(ImGui::GetIO().MouseClickedPos[0], &x, &y);
        aim_planner_at(x, y);
    }
}

// Where a label of this size stands clear of the curve: above or below the
// line at `line_y`, at the left or the right end; the place with the most room.
ImVec2 clear_label_place(const std::vector<ImVec2>& curve, ImVec2 corner, ImVec2 far_corner,
                         float line_y, ImVec2 size)
{
    const ImVec2 places[] = {
        ImVec2(corner.x + label_gap, line_y - size.y - label_gap),
        ImVec2(far_corner.x - size.x - label_gap, line_y - size.y - label_gap),
        ImVec2(corner.x + label_gap, line_y + label_gap),
        ImVec2(far_corner.x - size.x - label_gap, line_y + label_gap),
    };
    ImVec2 best = places[0];
    float best_room = -1.0f;
    for (const ImVec2& place : places) {
        if (place.y < corner.y || place.y + size.y > far_corner.y) continue;
        float room = 1e9f;
        for (const ImVec2& p : curve) {
            const float dx = std::max({place.x - p.x, 0.0f, p.x - (place.x + size.x)});
            const float dy = std::max({place.y - p.y, 0.0f, p.y - (place.y + size.y)});
            room = std::min(room, std::max(dx, dy));
        }
        if (room > best_room) best_room = room, best = place;
    }
    return best;
}

// A quantity of the history over time, from 0 to its largest value (or the
// limit, when one is drawn), with the limit as a red line.
void time_plot(const char* label, double HistorySample::*value, double limit)
{
    ImGui::TextUnformatted(label);
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const ImVec2 far_corner(corner.x + plane_plot_size, corner.y + time_plot_height);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->AddRectFilled(corner, far_corner, background);
    const std::vector<HistorySample>& h = labo.run.history;
    double top = limit > 0.0 ? limit * 1.5 : 0.0;
    for (const HistorySample& sample : h)
        if (std::isfinite(sample.*value)) top = std::max(top, sample.*value);
    top *= plot_headroom;
    if (!(top > 0.0)) top = 1.0;
    const double t0 = h.empty() ? 0.0 : h.front().t;
    const double t1 = h.empty() ? 1.0 : std::max(h.back().t, t0 + 1.0);
    auto at = [&](double t, double v) {
        return ImVec2(corner.x + static_cast<float>((t - t0) / (t1 - t0)) * plane_plot_size,
                      far_corner.y - static_cast<float>(v / top) * time_plot_height);
    };
    std::vector<ImVec2> points;
    const size_t stride = stride_for(h, plane_plot_size);
    for (size_t i = 0; i < h.size(); i += stride) points.push_back(at(h[i].t, h[i].*value));
    if (!h.empty()) points.push_back(at(h.back().t, h.back().*value));
    draw->PushClipRect(corner, far_corner, true);
    draw->AddPolyline(points.data(), static_cast<int>(points.size()), path_colour, 0, line_width);
    if (limit > 0.0) {
        draw->AddLine(at(t0, limit), at(t1, limit), limit_colour, line_width);
        const std::string label = "limite " + decimal_comma(limit, 2);
        const ImVec2 size = ImGui::CalcTextSize(label.c_str());
        draw->AddText(clear_label_place(points, corner, far_corner, at(t0, limit).y, size),
                      limit_colour, label.c_str());
    }
    draw->PopClipRect();
    draw->AddRect(corner, far_corner, frame_colour);
    ImGui::Dummy(ImVec2(plane_plot_size, time_plot_height));
}

}  // namespace

void build_plots()
{
    const float width = ImGui::GetIO().DisplaySize.x;
    ImGui::SetNextWindowPos(
        ImVec2(width - plot_window_width - window_margin, ImGui::GetFrameHeight() + window_margin),
        ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(plot_window_width, 0.0f), ImGuiCond_Always);
    ImGui::Begin(u8"Le plan de l'orbite, vu de dessus", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoFocusOnAppearing);
    plane_plot();
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextDisabled(
        u8"blanc : trajet, jaune : prédiction (orange : au plus près du port), violet : "
        u8"planificateur, points : poussées selon x (rouge), y (vert), z (bleu)");
    ImGui::PopTextWrapPos();
    // The planner takes the room of the time plots below.
    if (!(labo.planner.shown && planner_allowed() && !labo.run.ended)) {
        time_plot("Distance au port", &HistorySample::port_distance, 0.0);
        time_plot("Vitesse", &HistorySample::speed, labo.run.lesson.limits.max_speed);
    }
    ImGui::End();
}
