// The 3D scene: cameras, spacecraft, planet, trail.
#include "scene.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>

#include "commands.h"
#include "glm.h"
#include "lighting.h"
#include "panel.h"
#include "simulation.h"

Model* chaser_model = nullptr;
Model* target_model = nullptr;

const char* const chaser_model_path = "data/chasseur.obj";
const char* const target_model_path = "data/cible.obj";

namespace {

constexpr unsigned model_draw_mode = MODE_SMOOTH | MODE_MATERIAL;
// The models' z axis is their length: a quarter turn about x lays them along the
// docking axis (scene y), and the chaser is turned round to face the target.
constexpr float model_tilt_degrees = 90.0f;
constexpr float chaser_turn_degrees = 180.0f;
constexpr float grid_tilt_degrees = 90.0f;  // the grid's poles out of the orbital plane
constexpr float grid_lift = 1.0f;           // the wire grid stands this far above the surface
constexpr double chaser_look_at_z = -1.0;   // the chaser camera looks just below the target
constexpr float shift_tenths = 10.0f;       // translation view: angles are tenths of a unit
void place_camera()
{
    const SimulationState& s = simulation;
    if (view.chaser_view == 1) {
        gluLookAt(s.x + chaser_eye_dx, s.y + chaser_eye_dy, s.z + chaser_eye_dz, 0.0, 0.0,
                  chaser_look_at_z, 0.0, 0.0, 1.0);
    } else if (view.rotation_view == 1) {
        glTranslatef(0.0f, 0.0f, -view.view_distance);
        glRotatef(view.angle_x, 1.0f, 0.0f, 0.0f);
        glRotatef(view.angle_z, 0.0f, 0.0f, 1.0f);
    } else {
        glTranslatef(view.angle_z / shift_tenths, view.angle_x / shift_tenths, -view.view_distance);
    }
}

// Colour of the trail segment ending at a point of height z; a height exactly on
// the band's edge keeps the colour already current.
void choose_trail_colour(double z)
{
    if (std::fabs(z) < trail_plane_band) glColor3ub(255, 255, 255);
    if (z > trail_plane_band) glColor3ub(255, 0, 0);
    if (z < -trail_plane_band) glColor3ub(0, 0, 255);
}

}  // namespace

Model* prepare_model(const char* path)
{
    Model* model = glmReadOBJ(path);
    if (model == nullptr) std::exit(0);
    glmFitUnitBox(model);
    glmTriangleNormals(model);
    glmVertexNormals(model, model_crease_angle);
    return model;
}

void draw_chaser(double x, double y, double z)
{
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    glRotatef(model_tilt_degrees, 1.0f, 0.0f, 0.0f);
    glRotatef(chaser_turn_degrees, 0.0f, 1.0f, 0.0f);
    if (chaser_model == nullptr) chaser_model = prepare_model(chaser_model_path);
    glmDraw(chaser_model, model_draw_mode);
    glPopMatrix();
}

void draw_target_and_planet()
{
    glPushMatrix();
    glRotatef(model_tilt_degrees, 1.0f, 0.0f, 0.0f);
    if (target_model == nullptr) target_model = prepare_model(target_model_path);
    glmDraw(target_model, model_draw_mode);
    glTranslatef(-(planet_radius + planet_gap), 0.0f, 0.0f);
    material_planet();
    glutSolidSphere(planet_radius, planet_slices, planet_slices);
    material_grid();
    glRotatef(grid_tilt_degrees, 1.0f, 0.0f, 0.0f);
    glRotatef(grid_turn_rate * static_cast<float>(simulation.temps), 0.0f, 0.0f, 1.0f);
    glutWireSphere(planet_radius + grid_lift, grid_slices, grid_slices);
    glPopMatrix();
}

void draw_trail()
{
    const SimulationState& s = simulation;
    // Entries nx - 1 down to 1 are drawn; only those the arrays really hold.
    const size_t size = s.trail_x.size();
    const bool consistent = s.trail_y.size() == size && s.trail_z.size() == size;
    const int n = scenario.nx;
    if (!consistent || n < 1 || static_cast<size_t>(n) >= size) return;
    float pen[3] = {static_cast<float>(s.trail_x[n - 1]), static_cast<float>(s.trail_y[n - 1]),
                    static_cast<float>(s.trail_z[n - 1])};
    glBegin(GL_LINE_STRIP);
    for (int i = n - 2; i >= 1; --i) {
        choose_trail_colour(s.trail_z[i]);
        const float point[3] = {static_cast<float>(s.trail_x[i]), static_cast<float>(s.trail_y[i]),
                                static_cast<float>(s.trail_z[i])};
        glVertex3f(pen[0], pen[1], pen[2]);
        glVertex3f(point[0], point[1], point[2]);
        pen[0] = point[0];
        pen[1] = point[1];
        pen[2] = point[2];
    }
    glEnd();
}

void draw_world()
{
    const SimulationState& s = simulation;
    place_camera();
    apply_scene_light();
    draw_chaser(s.x, s.y, s.z);
    draw_target_and_planet();
    glDisable(GL_LIGHTING);
    draw_trail();
}

void on_display()
{
    SimulationState& s = simulation;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw_gauges(s.xp, s.yp, s.zp);
    draw_panel(s.x, s.y, s.z, s.xp, s.yp, s.zp);
    draw_world();
    judge_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp);
    glutSwapBuffers();
    glutPostRedisplay();
    glFlush();
}
