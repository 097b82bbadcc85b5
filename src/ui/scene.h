// One frame of the window: the panel, the camera, both spacecraft, the planet
// with its turning grid, the verdict and the chaser's trail.
#ifndef ORVANEL_SCENE_H
#define ORVANEL_SCENE_H

struct Model;

// ---------------------------------------------------------------------------
// State and constants
// ---------------------------------------------------------------------------

// Read and prepared on the first frame that draws them, never released.
extern Model* chaser_model;
extern Model* target_model;

extern const char* const chaser_model_path;  // "data/chasseur.obj"
extern const char* const target_model_path;  // "data/cible.obj"

constexpr float planet_radius = 400.0f;      // scene units
constexpr float planet_gap = 40.0f;          // from the target to the planet's surface
constexpr int planet_slices = 100;           // solid sphere tessellation
constexpr int grid_slices = 48;              // wire sphere tessellation
constexpr float grid_turn_rate = 10.0f;      // degrees per unit of simulated time
constexpr float model_crease_angle = 90.0f;  // degrees, for the smooth normals
constexpr double trail_plane_band = 0.2;     // |z| below: white; above: red; below -: blue

// Chaser camera: the eye stands at this offset from the chaser.
constexpr double chaser_eye_dx = 0.75;
constexpr double chaser_eye_dy = 3.0;
constexpr double chaser_eye_dz = 1.0;

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

// Display callback: draws one whole frame and asks for the next.
void on_display();
// The camera, both spacecraft, the planet and the trail, drawn after the panel;
// leaves the modelview at the camera and lighting off.
void draw_world();
// The chaser model at the chaser's position.
void draw_chaser(double x, double y, double z);
// The target model at the origin and the planet below it.
void draw_target_and_planet();
// The trail from the newest retained position back to the oldest.
void draw_trail();
// Reads, fits and gives normals to a model; ends the program without one.
Model* prepare_model(const char* path);

#endif
