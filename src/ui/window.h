// Program entry, console banner, the GLUT window, its fixed OpenGL state, the
// two pop-up menus.
#ifndef ORVANEL_WINDOW_H
#define ORVANEL_WINDOW_H

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr int window_width = 800;   // pixels
constexpr int window_height = 800;  // pixels
constexpr int window_x = 0;         // screen position
constexpr int window_y = 0;
extern const char* const window_title;

constexpr double field_of_view = 45.0;  // vertical, degrees
constexpr double near_plane = 0.1;      // scene units
constexpr double far_plane = 100.0;     // scene units

constexpr int banner_width = 72;  // every banner line, trailing blanks included
constexpr int banner_line_count = 16;
extern const char* const banner_lines[banner_line_count];  // without their padding

// Who made the spacecraft models (banner line 15).
extern const char* const image_credit;

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

// Prints the "on est ici" line and the banner box; sets the first scenario path.
void print_banner(int* argc, char** argv);
// GLUT, the first reset, the window, OpenGL state, callbacks, menus, main loop.
[[noreturn]] void setup_window(int* argc, char** argv);
// Creates the window with its title, size and position (GLUT already initialised).
void create_main_window();
// Depth test, shading, projection, modelview and the light; once per window.
void init_gl_state();
// Registers the display, reshape, mouse, keyboard, special key and idle callbacks with GLUT.
void register_callbacks();
// Builds the scenario submenu and the main menu on the right button.
void build_menus();

// ---------------------------------------------------------------------------
// Per frame and per event
// ---------------------------------------------------------------------------

// Reshape callback: viewport and perspective for the new size (pixels).
void on_reshape(int width, int height);

#endif
