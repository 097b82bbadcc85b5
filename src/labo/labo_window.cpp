// The teaching edition's window: the classic scene under Dear ImGui panels.
// Frames are drawn when something changed (a step, an input event), at most at
// the display's rate, so a paused or finished run costs nothing. A slow watch
// timer turns signals into a normal end, and hears from background programs.
#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "backends/imgui_impl_glut.h"
#include "backends/imgui_impl_opengl2.h"
#include "commands.h"
#include "imgui.h"
#include "labo.h"
#include "orvanel_project.h"
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
// Latin-1 and Latin Extended-A for the accents and ligatures of teachers' titles
// ("œ"), the dashes, quotes and ellipsis of general punctuation (cut messages end
// in "…"), plus the arrows and signs the help and verdicts use.
const ImWchar glyph_ranges[] = {
    0x0020, 0x00FF, 0x0100, 0x017F, 0x2010, 0x2027, 0x2190, 0x2193,
    0x2212, 0x2212, 0x2248, 0x2248, 0x2264, 0x2265, 0,
};
const char* const interrupted_reason = u8"interrompu : fin du programme";
const char* const display_lost_reason = u8"interrompu : connexion à l'affichage perdue";
const char* const labo_version = "1.0";
constexpr unsigned watch_period_ms = 200;  // signals and background programs: 5 looks a second
constexpr int mouse_buttons = 5;           // GLUT's left, middle, right and the wheel's two
constexpr int display_attempts = 3;        // before saying there is no display
constexpr int display_retry_ms = 200;      // between two attempts

// The signals that end a program from outside: a desktop logging out, kill, Ctrl+C.
struct EndingSignal {
    int number;
    const char* reason;  // the record's closing reason
};
const EndingSignal ending_signals[] = {
    {SIGTERM, u8"interrompu : programme arrêté (SIGTERM)"},
    {SIGINT, u8"interrompu : Ctrl+C (SIGINT)"},
    {SIGHUP, u8"interrompu : terminal ou session fermés (SIGHUP)"},
};

bool timer_armed = false;
// Set by the signal handler, read by the watch timer: the one thing done in
// the handler, since closing a record is not safe in a signal's context.
volatile std::sig_atomic_t signal_received = 0;

// A mouse release held back to the next frame (quick clicks, below).
struct HeldRelease {
    bool held = false;
    int x = 0, y = 0;  // window pixels
};
long frames_drawn = 0;                                        // frames drawn since the start
long pressed_at_frame[mouse_buttons] = {-1, -1, -1, -1, -1};  // frames_drawn at each press
HeldRelease held_releases[mouse_buttons];

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

void pass_mouse(int button, int state, int px, int py)
{
    ImGui_ImplGLUT_MouseFunc(button, state, px, py);
    if (!ImGui::GetIO().WantCaptureMouse) on_mouse_button(button, state, px, py);
    after_input();
}

// A frame has shown the presses: the releases held back now count.
void release_held_buttons()
{
    for (int button = 0; button < mouse_buttons; ++button) {
        HeldRelease& held = held_releases[button];
        if (!held.held) continue;
        held.held = false;
        pass_mouse(button, GLUT_UP, held.x, held.y);
    }
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
    ++frames_drawn;
    if (labo.settle_frames > 0) --labo.settle_frames;
    release_held_buttons();
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

void on_signal(int number) { signal_received = number; }

// The record closed, the program ends as the signal would have ended it.
[[noreturn]] void end_by_signal(int number)
{
    const char* reason = interrupted_reason;
    for (const EndingSignal& ending : ending_signals)
        if (ending.number == number) reason = ending.reason;
    finish_lesson_record(labo.run, reason);
    std::signal(number, SIG_DFL);
    std::raise(number);
    std::_Exit(1);  // not reached: the default action ends the program
}

// Xlib calls this when the display's connection is lost, and ends the
// program when it returns; the record is closed first.
int on_display_lost(Display*)
{
    finish_lesson_record(labo.run, display_lost_reason);
    std::fprintf(stderr, "orvanel-labo: connexion à l'affichage perdue ; relevé fermé.\n");
    std::_Exit(1);
}

void on_watch(int)
{
    if (signal_received != 0) end_by_signal(signal_received);
    if (poll_background_jobs()) after_input();
    glutTimerFunc(watch_period_ms, on_watch, 0);
}

void catch_ending_signals()
{
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (const EndingSignal& ending : ending_signals) sigaction(ending.number, &action, nullptr);
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
            open_help_in_browser();
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
            // A class's fingers slip: Esc asks once, a second Esc quits.
            if (quitting_asked()) quit_labo();
            ask_before_quitting();
            return true;
        case 'Q':
            quit_labo();
            return true;
        default:
            return false;
    }
}

void on_key_labo(unsigned char key, int px, int py)
{
    if (key != key_escape) forget_quitting();
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
    forget_quitting();
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

// Dear ImGui 1.86 reads the buttons' state once a frame: a press and its
// release in the same frame (a touchpad's tap, a quick click at a low frame
// rate) would leave no trace. Such a release waits for the next frame.
void on_mouse_labo(int button, int state, int px, int py)
{
    const bool known = button >= 0 && button < mouse_buttons;
    if (known && state == GLUT_UP && pressed_at_frame[button] == frames_drawn) {
        held_releases[button] = HeldRelease{true, px, py};
        glutPostRedisplay();
        return;
    }
    if (known && state == GLUT_DOWN) pressed_at_frame[button] = frames_drawn;
    pass_mouse(button, state, px, py);
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

const char* const usage_text =
    u8"usage : orvanel-labo [FICHIER_DE_CAS]\n"
    u8"Orvanel Labo, l'édition d'enseignement d'Orvanel : rendez-vous et amarrage en orbite.\n"
    u8"  FICHIER_DE_CAS  un cas à piloter (data/fo2.in, ou un fichier d'enseignant) ;\n"
    u8"                  sans lui, la fenêtre s'ouvre sur le choix des cas.\n"
    u8"  --help          cette aide\n"
    u8"  --version       la version\n"
    u8"À lancer depuis le dossier d'Orvanel (data/, tools/) ; les relevés vont dans runs/.\n"
    u8"Échap deux fois pour quitter ; h dans la fenêtre pour l'aide.\n";

// --help and --version answer before any window; true when one was asked.
bool answer_options(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage_text, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("orvanel-labo %s (%s, %s)\n", labo_version, project_name, project_web);
            return true;
        }
    }
    return false;
}

// The display GLUT will open: "-display NAME" on the command line, else $DISPLAY.
const char* display_name(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
    return nullptr;
}

// One French line instead of GLUT's own error when there is no display. The
// probe's connection is returned, to be closed once GLUT has its own: an X
// server left with no client resets, and would refuse GLUT meanwhile.
Display* require_display(int argc, char** argv)
{
    // A server in the middle of a reset refuses for a moment: ask again.
    for (int attempt = 0; attempt < display_attempts; ++attempt) {
        Display* display = XOpenDisplay(display_name(argc, argv));
        if (display != nullptr) return display;
        if (std::getenv("DISPLAY") == nullptr && display_name(argc, argv) == nullptr) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(display_retry_ms));
    }
    const char* name = display_name(argc, argv);
    if (name == nullptr) name = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 u8"orvanel-labo: pas d'affichage graphique (%s) : lancez-le depuis une session "
                 u8"de bureau.\n",
                 name != nullptr && *name != '\0' ? name : u8"DISPLAY non défini");
    std::exit(1);
}

void run_labo_window(int* argc, char** argv)
{
    if (answer_options(*argc, argv)) std::exit(0);
    Display* probe = require_display(*argc, argv);
    glutInit(argc, argv);
    XCloseDisplay(probe);
    XSetIOErrorHandler(on_display_lost);
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
    catch_ending_signals();
    glutTimerFunc(watch_period_ms, on_watch, 0);
    glutMainLoop();
    finish_lesson_record(labo.run, interrupted_reason);
    std::exit(0);
}
