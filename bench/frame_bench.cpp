// Frame cost of the real front end under the X server in DISPLAY: an empty
// frame (clear and swap, the window system's floor), the planet's spheres
// alone, and whole frames in each of the three cameras with the shipped models.
// Also times start-up to the first finished frame, models read included.
#include <benchmark/benchmark.h>

#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "commands.h"
#include "glm.h"
#include "lighting.h"
#include "panel.h"
#include "scene.h"
#include "simulation.h"
#include "window.h"

namespace {

bool window_open = false;
double first_frame_seconds = 0.0;

// Start-up as the program does it, up to the end of the first frame.
void open_window_and_draw_first_frame()
{
    if (window_open) return;
    const auto start = std::chrono::steady_clock::now();
    static int argc = 1;
    static char name[] = "orvanel-frame-bench";
    static char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    simulation.scenario_path = scenario_paths[0];
    reset_simulation();
    create_main_window();
    init_gl_state();
    on_reshape(window_width, window_height);
    on_display();
    glFinish();
    first_frame_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    window_open = true;
}

void finish_frames(benchmark::State& state)
{
    glFinish();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EmptyFrame(benchmark::State& state)
{
    open_window_and_draw_first_frame();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
    }
    finish_frames(state);
}

void BM_PlanetOnly(benchmark::State& state)
{
    open_window_and_draw_first_frame();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -45.0f);
        material_planet();
        glutSolidSphere(planet_radius, planet_slices, planet_slices);
        material_grid();
        glutWireSphere(planet_radius + 1.0f, grid_slices, grid_slices);
        glutSwapBuffers();
    }
    finish_frames(state);
}

// Whole frames; the simulation is advanced between frames as the idle loop would.
void run_frames(benchmark::State& state, int chaser, int rotation)
{
    open_window_and_draw_first_frame();
    view = ViewState{};
    view.chaser_view = chaser;
    view.rotation_view = rotation;
    reset_simulation();
    for (auto _ : state) {
        on_display();
        step_simulation();
    }
    finish_frames(state);
}

// The panel alone: gauges, three number lines, footer.
void BM_PanelOnly(benchmark::State& state)
{
    open_window_and_draw_first_frame();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        draw_gauges(simulation.xp, simulation.yp, simulation.zp);
        draw_panel(simulation.x, simulation.y, simulation.z, simulation.xp, simulation.yp,
                   simulation.zp);
        glutSwapBuffers();
    }
    finish_frames(state);
}

// The two spacecraft alone, seen from the landscape camera.
void BM_ModelsOnly(benchmark::State& state)
{
    open_window_and_draw_first_frame();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -20.0f);
        draw_chaser(0.0, -3.0, 0.0);
        glPushMatrix();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glmDraw(target_model, MODE_SMOOTH | MODE_MATERIAL);
        glPopMatrix();
        glutSwapBuffers();
    }
    finish_frames(state);
}

// Whole frames with both models replaced by one that has no triangles: what
// the panel, the planet and the trail cost together, the part of a frame the
// models' own triangle count cannot change.
void run_frames_without_models(benchmark::State& state, int chaser, int rotation)
{
    open_window_and_draw_first_frame();
    // A normal and a material, so that drawing it prints no warning.
    static Model no_triangles;
    if (no_triangles.vertices.empty()) {
        no_triangles.vertices.assign(3, 0.0f);
        no_triangles.normals.assign(3, 0.0f);
        no_triangles.materials.resize(1);
        no_triangles.materialcount = 1;
    }
    Model* const shipped[2] = {chaser_model, target_model};
    chaser_model = &no_triangles;
    target_model = &no_triangles;
    run_frames(state, chaser, rotation);
    chaser_model = shipped[0];
    target_model = shipped[1];
}

void BM_FrameChaserView(benchmark::State& state) { run_frames(state, 1, 1); }
void BM_FrameRotationView(benchmark::State& state) { run_frames(state, 0, 1); }
void BM_FrameTranslationView(benchmark::State& state) { run_frames(state, 0, 0); }

void BM_NoModelsChaserView(benchmark::State& state) { run_frames_without_models(state, 1, 1); }
void BM_NoModelsRotationView(benchmark::State& state) { run_frames_without_models(state, 0, 1); }
void BM_NoModelsTranslationView(benchmark::State& state) { run_frames_without_models(state, 0, 0); }

void BM_FirstFrame(benchmark::State& state)
{
    open_window_and_draw_first_frame();
    for (auto _ : state) benchmark::DoNotOptimize(first_frame_seconds);
    state.counters["first_frame_ms"] = first_frame_seconds * 1000.0;
}

}  // namespace

BENCHMARK(BM_FirstFrame)->Iterations(1);
BENCHMARK(BM_EmptyFrame)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PlanetOnly)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PanelOnly)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ModelsOnly)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FrameChaserView)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FrameRotationView)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FrameTranslationView)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_NoModelsChaserView)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_NoModelsRotationView)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_NoModelsTranslationView)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
