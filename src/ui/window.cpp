// Start-up: banner, window, fixed OpenGL state, light, callbacks and menus.
#include "window.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>

#include "commands.h"
#include "lighting.h"
#include "orvanel_project.h"
#include "scene.h"
#include "simulation.h"

const char* const window_title = "Hill~ZUK *  * *    *  * *Orvanel* *  * * OpenGL";
const char* const image_credit = "l'atelier Orvanel, modeles maison";

namespace {

constexpr unsigned display_mode = GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH;

// Lines 12 and 15 are composed from the project's addresses at start-up.
char address_line[128];
char credit_line[128];

const char* const dashes =
    "------------------------------------------------------------------------";

const char* const scenario_menu_entries[scenario_count] = {
    "cas simple:     Omega=0.00, dans le plan, dans l'axe!",
    "cas simple:     Omega=0.10, dans le plan, dans l'axe!",
    "cas assez dur: Omega=0.25, dans le plan, dans l'axe!",
    "cas assez dur: Omega=0.25, dans le plan, hors l'axe!",
    "cas assez dur: Omega=0.25, dans le plan, hors l'axe!",
    "cas dur  dur: Omega=0.25, hors du plan et de l'axe!",
};

void print_padded(const char* text) { std::printf("%-*s\n", banner_width, text); }

void load_perspective(double aspect)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(field_of_view, aspect, near_plane, far_plane);
}

}  // namespace

const char* const banner_lines[banner_line_count] = {
    dashes,
    "",
    "      Orvanel",
    "",
    " Resolution des equations de Hill CLOHESSY-WILTSHIRE",
    "  2                               2                   2",
    " d x            dy           2   d y            dx   d z          2",
    " --- = 2 Omega  -- + 3  Omega x; --- = -2 Omega --;  --- = - Omega z",
    "   2            dt                 2            dt     2",
    " dt                              dt                  dz",
    dashes,
    address_line,
    dashes,
    " changer cible.obj et chasseur.obj",
    credit_line,
    dashes,
};

void print_banner(int* argc, char** argv)
{
    const char* program =
        (argc != nullptr && *argc > 0 && argv != nullptr && argv[0] != nullptr) ? argv[0] : "";
    std::printf("on est ici: argv[0]-> %s  \n", program);
    simulation.scenario_path = scenario_paths[0];
    std::snprintf(address_line, sizeof address_line, " par %s - %s", project_email, project_web);
    std::snprintf(credit_line, sizeof credit_line, " images Soyouz et Gemini de %s", image_credit);
    for (const char* line : banner_lines) print_padded(line);
    std::fflush(stdout);
}

void create_main_window()
{
    glutInitDisplayMode(display_mode);
    glutInitWindowSize(window_width, window_height);
    glutInitWindowPosition(window_x, window_y);
    glutCreateWindow(window_title);
}

void init_gl_state()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CCW);
    glCullFace(GL_FRONT);
    load_perspective(1.0);
    glMatrixMode(GL_MODELVIEW);
    apply_scene_light();
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

void on_reshape(int width, int height)
{
    if (height <= 0) {
        // A minimised window has no aspect ratio; keep the last one sensible.
        std::fprintf(stderr, "on_reshape: hauteur de fenetre %d, prise pour 1.\n", height);
        height = 1;
    }
    glViewport(0, 0, width, height);
    load_perspective(static_cast<double>(width) / static_cast<double>(height));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void register_callbacks()
{
    glutDisplayFunc(on_display);
    glutReshapeFunc(on_reshape);
    glutMotionFunc(on_mouse_motion);
    glutMouseFunc(on_mouse_button);
    glutKeyboardFunc(on_key);
    glutSpecialFunc(on_special_key);
    glutIdleFunc(idle_tick);
}

void build_menus()
{
    const int scenario_menu = glutCreateMenu(on_scenario_menu);
    for (int id = 0; id < scenario_count; ++id) glutAddMenuEntry(scenario_menu_entries[id], id);
    glutCreateMenu(on_main_menu);
    glutAddMenuEntry("Remise `a z'ero compl`ete", menu_full_restart);
    glutAddSubMenu("cas initiaux ", scenario_menu);
    glutAddMenuEntry("[k] raz Kul en cours", menu_restart_run);
    glutAddMenuEntry("[v] raz vue", menu_reset_view);
    glutAddMenuEntry("[r] vue en rotation", menu_rotation_view);
    glutAddMenuEntry("[t]vue en translation", menu_translation_view);
    glutAddMenuEntry("[l] vue du chasseur/vue paysage", menu_toggle_chaser_view);
    glutAddMenuEntry("[h] aide", menu_help);
    glutAddMenuEntry("[Esc] Exit", menu_exit);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void setup_window(int* argc, char** argv)
{
    glutInit(argc, argv);
    reset_simulation();
    std::fflush(stdout);
    create_main_window();
    init_gl_state();
    register_callbacks();
    build_menus();
    glutMainLoop();
    // freeglut returns from the main loop only when asked to; the program ends here.
    std::exit(0);
}
