// The teaching edition's window: the classic scene under Dear ImGui panels.
// Frames are drawn when something changed (a step, an input event), at most at
// the display's rate, so a paused or finished run costs nothing.
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "backends/imgui_impl_glut.h"
#include "backends/imgui_impl_opengl2.h"
#include "commands.h"
#include "imgui.h"
#include "labo.h"
#include "panel.h"
#include "scene.h"
#include "simulation.h"
#include "window.h"

namespace {

constexpr const char* labo_window_title = "Orvanel Labo";
constexpr unsigned frame_period_ms = 33;  // 30 frames per second at most: smooth, and light
constexpr int frames_after_input = 2;     // ImGui settles hover and clicks over two frames
constexpr float font_size = 16.0f;
const char* const font_files[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};
// Latin-1 for the accents, plus the arrows and signs the help and verdicts use.
const ImWchar glyph_ranges[] = {
    0x0020, 0x00FF, 0x2190, 0x2193, 0x2212, 0x2212, 0x2248, 0x2248, 0x2264, 0x2265, 0,
};
const char* const interrupted_reason = u8"interrompu : fin du programme";

bool timer_armed = false;

void on_tick(int);

// Keeps one timer pending while there is something to animate.
void keep_ticking()
{
    if (timer_armed) return;
    if (!run_is_flowing() && labo.settle_frames <= 0) return;
    timer_armed = true;
    glutTimerFunc(frame_period_ms, on_tick, 0);
}

void on_tick(int)
{
    timer_armed = false;
    const bool stepped = advance_run(clock_seconds());
    // One frame per batch of steps; but the verdict's panel, appearing, is sized
    // on its first frame and drawn on the next.
    if (stepped && labo.run.ended) labo.settle_frames = frames_after_input;
    if (stepped || labo.settle_frames > 0) glutPostRedisplay();
    keep_ticking();
}

// Something the user did: draw the result and let ImGui settle.
void after_input()
{
    labo.settle_frames = frames_after_input;
    glutPostRedisplay();
    keep_ticking();
}

void load_font()
{
    ImGuiIO& io = ImGui::GetIO();
    for (const char* file : font_files) {
        FILE* probe = std::fopen(file, "rb");
        if (probe == nullptr) continue;
        std::fclose(probe);
        if (io.Fonts->AddFontFromFileTTF(file, font_size, nullptr, glyph_ranges) != nullptr) return;
    }
    std::fprintf(stderr, "orvanel-labo: police DejaVu Sans introuvable, accents non dessines.\n");
    io.Fonts->AddFontDefault();
}

void draw_frame()
{
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    build_overlay();
    ImGui::Render();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // The classic panel leaves the scene this far in front of the eye.
    glTranslatef(0.0f, 0.0f, -panel_depth);
    if (labo.run.started) {
        draw_world();
        draw_predicted_coast();
    }
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    if (labo.settle_frames > 0) --labo.settle_frames;
    keep_ticking();
}

void on_reshape_labo(int width, int height)
{
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    on_reshape(width, height);
    after_input();
}

void quit_labo()
{
    finish_lesson_record(labo.run, interrupted_reason);
    on_key(key_escape, 0, 0);
}

// The keys this edition gives a meaning of its own; the rest are the classic ones.
bool labo_key(unsigned char key)
{
    const int case_number = key - '1';
    if (labo.chooser_shown && case_number >= 0 && case_number < shipped_case_count) {
        choose_lesson(shipped_cases[case_number].path);
        return true;
    }
    switch (key) {
        case 'c':
            toggle_chooser();
            return true;
        case 'm':
            toggle_planner();
            return true;
        case 'h':
            labo.help_shown = !labo.help_shown;
            return true;
        case 'a':
            open_help_page();
            return true;
        case 's':
            pace_slower(labo.run.pacing);
            return true;
        case 'S':
            pace_faster(labo.run.pacing);
            return true;
        case 'k':
            restart_lesson();
            return true;
        case 'p':
            toggle_pause();
            return true;
        case key_escape:
        case 'Q':
            quit_labo();
            return true;
        default:
            return false;
    }
}

void on_key_labo(unsigned char key, int px, int py)
{
    ImGui_ImplGLUT_KeyboardFunc(key, px, py);
    if (!ImGui::GetIO().WantCaptureKeyboard && !labo_key(key)) {
        on_key(key, px, py);
        // 'o' and 'O' change Omega: the coast ahead changes with it.
        if (labo.run.started) refresh_prediction(labo.run);
    }
    after_input();
}

void on_key_up_labo(unsigned char key, int px, int py)
{
    ImGui_ImplGLUT_KeyboardUpFunc(key, px, py);
    after_input();
}

void on_special_labo(int key, int px, int py)
{
    ImGui_ImplGLUT_SpecialFunc(key, px, py);
    const bool thrust = key >= key_thrust_left && key <= key_thrust_page_down;
    // Thrust is paid and queued by the run, one press per step; the classic
    // handler would set it for the next step only.
    if (thrust) {
        press_thrust_key(key);
    } else {
        on_special_key(key, px, py);
    }
    after_input();
}

void on_special_up_labo(int key, int px, int py)
{
    ImGui_ImplGLUT_SpecialUpFunc(key, px, py);
    after_input();
}

void on_mouse_labo(int button, int state, int px, int py)
{
    ImGui_ImplGLUT_MouseFunc(button, state, px, py);
    if (!ImGui::GetIO().WantCaptureMouse) on_mouse_button(button, state, px, py);
    after_input();
}

void on_motion_labo(int px, int py)
{
    ImGui_ImplGLUT_MotionFunc(px, py);
    if (!ImGui::GetIO().WantCaptureMouse) on_mouse_motion(px, py);
    after_input();
}

void on_passive_motion_labo(int px, int py)
{
    ImGui_ImplGLUT_MotionFunc(px, py);
    after_input();
}

void register_labo_callbacks()
{
    glutDisplayFunc(draw_frame);
    glutReshapeFunc(on_reshape_labo);
    glutKeyboardFunc(on_key_labo);
    glutKeyboardUpFunc(on_key_up_labo);
    glutSpecialFunc(on_special_labo);
    glutSpecialUpFunc(on_special_up_labo);
    glutMouseFunc(on_mouse_labo);
    glutMotionFunc(on_motion_labo);
    glutPassiveMotionFunc(on_passive_motion_labo);
}

void start_imgui()
{
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the layout is the program's, not a file beside it
    ImGui::StyleColorsDark();
    load_font();
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
}

}  // namespace

double clock_seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void run_labo_window(int* argc, char** argv)
{
    glutInit(argc, argv);
    // What GLUT leaves of the command line is the scenario file, if any.
    if (*argc > 2) {
        std::fprintf(stderr, "usage : orvanel-labo [FICHIER_DE_CAS]\n");
        std::exit(2);
    }
    const char* lesson_path = *argc == 2 ? argv[1] : nullptr;
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    create_main_window();
    glutSetWindowTitle(labo_window_title);
    init_gl_state();
    start_imgui();
    register_labo_callbacks();
    if (lesson_path != nullptr) choose_lesson(lesson_path);
    glutMainLoop();
    finish_lesson_record(labo.run, interrupted_reason);
    std::exit(0);
}
