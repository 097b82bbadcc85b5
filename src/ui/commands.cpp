// Keyboard, mouse and menu commands.
#include "commands.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "simulation.h"

ViewState view;

// The desktop's own way of opening a document in the user's browser.
#ifdef __APPLE__
const char* const help_opener = "open";
#else
const char* const help_opener = "xdg-open";
#endif
const char* const help_page = "data/aide.html";

namespace {

[[noreturn]] void quit_with_farewell()
{
    std::printf("kenavo ! \n");
    std::exit(0);
}

// 'o': saves Omega once and stops the orbital motion.
void omega_off()
{
    if (simulation.omega_stash < 0.0) {
        simulation.omega_stash = scenario.Omega;
        scenario.Omega = 0.0;
    }
}

// 'O': brings back a positive saved Omega.
void omega_on()
{
    if (simulation.omega_stash > 0.0) {
        scenario.Omega = simulation.omega_stash;
        simulation.omega_stash = -1.0;
    }
}

void slower() { simulation.pace += pace_step; }

void faster()
{
    simulation.pace -= pace_step;
    if (simulation.pace < min_pace) simulation.pace = min_pace;
}

void restart_run_clearing_stash()
{
    simulation.omega_stash = -1.0;
    reset_simulation();
}

void full_restart()
{
    view.angle_z = start_angle_z;
    view.angle_x = start_angle_x;
    view.rotation_view = 1;
    view.chaser_view = 0;
    view.view_distance = start_view_distance;
    simulation.temps = 0.0;
    simulation.scenario_path = scenario_paths[0];
    reset_simulation();
}

int toggled(int flag) { return flag == 0 ? 1 : 0; }

// True when a program of that name is an executable in one of PATH's folders.
bool on_path(const char* program)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    const std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        if (access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

// Hands the help page to the desktop's opener in the background: a browser may
// run for minutes, and the window must keep drawing meanwhile.
void open_help_page()
{
    if (!on_path(help_opener)) {
        std::fprintf(stderr, "aide: pas de programme %s pour ouvrir %s\n", help_opener, help_page);
        return;
    }
    const std::string command = std::string(help_opener) + " '" + help_page + "' >/dev/null 2>&1 &";
    // The shell returns as soon as the opener is started; its status says nothing
    // about the page.
    const int ignored = std::system(command.c_str());
    (void)ignored;
}

void toggle_help()
{
    if (view.help_shown == 1) {
        view.help_shown = 0;
        return;
    }
    open_help_page();
    view.help_shown = 1;
}

void reset_view()
{
    view.chaser_view = 0;
    view.rotation_view = 1;
    view.angle_z = 0.0f;
    view.angle_x = 0.0f;
    view.view_distance = view.default_view_distance;
}

void toggle_chaser_view() { view.chaser_view = toggled(view.chaser_view); }

void on_key(unsigned char key, int, int)
{
    switch (key) {
        case key_escape:
        case 'Q':
            quit_with_farewell();
        case '+':
            view.view_distance += zoom_step;
            break;
        case '-':
            view.view_distance -= zoom_step;
            break;
        case 'F':
            glutFullScreen();
            break;
        case 'o':
            omega_off();
            break;
        case 'O':
            omega_on();
            break;
        case 's':
            slower();
            break;
        case 'S':
            faster();
            break;
        case 'h':
            toggle_help();
            break;
        case 'k':
            restart_run_clearing_stash();
            break;
        case 'l':
            toggle_chaser_view();
            break;
        case 'p':
            simulation.paused = toggled(simulation.paused);
            break;
        case 'r':
            view.rotation_view = 1;
            break;
        case 't':
            view.rotation_view = 0;
            view.angle_z = 0.0f;
            view.angle_x = 0.0f;
            break;
        case 'v':
            reset_view();
            break;
        default:
            break;
    }
}

void on_special_key(int key, int, int)
{
    if (fire_thruster(key)) return;
    if (key == glut_key_home) view.view_distance -= zoom_step;
    if (key == glut_key_end) view.view_distance += zoom_step;
}

void on_mouse_button(int, int, int px, int py)
{
    view.mouse_x = px;
    view.mouse_y = py;
    glutPostRedisplay();
}

void on_mouse_motion(int px, int py)
{
    view.angle_z += static_cast<float>(px - view.mouse_x);
    view.angle_x += static_cast<float>(py - view.mouse_y);
    view.mouse_x = px;
    view.mouse_y = py;
    glutPostRedisplay();
}

void on_main_menu(int value)
{
    switch (value) {
        case menu_full_restart:
            full_restart();
            break;
        case menu_rotation_view:
            view.rotation_view = 1;
            view.chaser_view = 0;
            break;
        case menu_translation_view:
            view.rotation_view = 0;
            view.chaser_view = 0;
            view.angle_x = translation_view_angle_x;
            view.angle_z = 0.0f;
            break;
        case menu_restart_run:
            reset_simulation();
            break;
        case menu_reset_view:
            reset_view();
            break;
        case menu_toggle_chaser_view:
            toggle_chaser_view();
            break;
        case menu_help:
            toggle_help();
            break;
        case menu_exit:
            std::exit(0);
        default:
            break;
    }
}

void on_scenario_menu(int value)
{
    if (value < 0 || value >= scenario_count) return;
    std::printf("%d\n", value);
    simulation.scenario_path = scenario_paths[value];
    reset_simulation();
}
