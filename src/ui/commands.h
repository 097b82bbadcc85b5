// The user's commands: character keys, thrust and zoom keys, mouse drags and
// the two pop-up menus, with the view settings they change.
#ifndef ORVANEL_COMMANDS_H
#define ORVANEL_COMMANDS_H

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr unsigned char key_escape = 27;
constexpr float zoom_step = 2.0f;  // scene units per '+', '-', Home or End
constexpr int pace_step = 2;       // idle calls per step added by 's', taken by 'S'
constexpr int min_pace = 1;
constexpr float start_angle_z = -35.0f;
constexpr float start_angle_x = -45.0f;
constexpr float start_view_distance = 35.0f;
constexpr float reset_view_distance = 50.0f;       // restored by 'v' and "[v] raz vue"
constexpr float translation_view_angle_x = 45.0f;  // main menu "[t]vue en translation"
constexpr int glut_key_home = 106;
constexpr int glut_key_end = 107;

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// Camera settings read by the scene; one instance for the whole run.
struct ViewState {
    // Rotation view: turns about z and x (degrees); translation view: horizontal
    // and vertical shifts (tenths of a scene unit). Mouse drags change them.
    float angle_z = start_angle_z;
    float angle_x = start_angle_x;
    float view_distance = start_view_distance;  // eye distance (scene units); '+', '-', Home, End
    float default_view_distance = reset_view_distance;  // restored by 'v' and "[v] raz vue"
    int rotation_view = 1;                              // 1 rotation view, 0 translation view
    int chaser_view = 1;           // 1 camera on the chaser (wins over the other views)
    int help_shown = 0;            // 1 while the help text is in the window
    int mouse_x = 0, mouse_y = 0;  // window position of the last mouse event (pixels)
};

extern ViewState view;

// Main menu ids (the entries are not in id order).
constexpr int menu_full_restart = 0;
constexpr int menu_rotation_view = 1;
constexpr int menu_translation_view = 2;
constexpr int menu_restart_run = 3;
constexpr int menu_reset_view = 4;
constexpr int menu_toggle_chaser_view = 5;
constexpr int menu_help = 6;
constexpr int menu_exit = 7;
extern const char* const help_opener;  // program that opens the help page ('h')
extern const char* const help_page;    // the page it is given, relative to the working folder

// ---------------------------------------------------------------------------
// Callbacks
// ---------------------------------------------------------------------------

// Character keys (case-sensitive); keys not listed do nothing.
void on_key(unsigned char key, int px, int py);
// Thrust keys (one unit of fuel each) and the Home and End zoom keys.
void on_special_key(int key, int px, int py);
// Any button, pressed or released: remembers the pointer position.
void on_mouse_button(int button, int state, int px, int py);
// Dragging turns (rotation view) or shifts (translation view) the scene.
void on_mouse_motion(int px, int py);
// Main menu, by entry id.
void on_main_menu(int value);
// "cas initiaux " submenu: ids 0 to 5 choose a scenario file.
void on_scenario_menu(int value);

// ---------------------------------------------------------------------------
// Commands shared by keys and menus
// ---------------------------------------------------------------------------

// 'h': hides the help, or opens the help page in the background and shows the help text.
void toggle_help();
// Hands the help page to the desktop's opener in the background; says so on
// standard error when there is none.
void open_help_page();
// 'v': landscape rotation view from straight above, at the default distance.
void reset_view();
// 'l': camera on the chaser or back to the landscape.
void toggle_chaser_view();

#endif
