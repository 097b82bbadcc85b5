// Instrument panel: gauges, numbers, help, footer and verdict.
#include "panel.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "commands.h"
#include "lighting.h"
#include "orvanel_project.h"
#include "simulation.h"

const char* const time_line_format =
    "temps = %7.3lf vitesse = %6.3lf distance = %7.3lf reserve  = %4.2lf";
const char* const position_line_format = "x  = %7.3lf y  = %7.3lf z  = %7.3lf ";
const char* const velocity_line_format = "xp= %7.3lf yp= %7.3lf zp= %7.3lf ";

const char* const help_lines[help_line_count] = {
    "pour avancer: fl`eche avant, aller `a droite fl`eche droite, reculer fl`eche gauche, etc",
    "pageUp, pageDown: monter, descendre",
    "k: remet `a z'ero le calcul",
    "l: vue du chasseur/ vue du paysage",
    "p: pause/go",
    "esc: pour quitter",
    "h: aide/ pas d'aide",
};

const char* const outcome_messages[outcome_count] = {
    "",
    "collision, perdu.       Appuyer sur 'k' pour recommencer",
    "Arrimage OK, trop vite. Appuyer sur 'k' pour recommencer",
    "Arrimage OK, gagn'e.    Appuyer sur 'k' pour recommencer",
    "Perdu dans l'espace.    Appuyer sur 'k' pour recommencer",
};

namespace {

// Gauge geometry (scene units at the panel's depth).
constexpr float fuel_bar_left = -4.15f;
constexpr float fuel_bar_right = -4.0f;
constexpr float speed_bar_right = -3.85f;
constexpr float speed_mark_right = -3.7f;
constexpr float speed_mark_top = -2.88f;

// The distance shown is measured from (0, -1, 0), just in front of the port.
constexpr double distance_point_y = -1.0;

// Text rows.
constexpr double help_x = -1.0;
constexpr double help_top = -1.5;
constexpr double help_row = 0.25;
constexpr double footer_x = -4.0;
constexpr double footer_y = -4.0;
constexpr double numbers_x = -3.5;
constexpr double time_line_y = 3.9;
constexpr double position_line_y = 3.6;
constexpr double velocity_line_y = 3.3;
constexpr double verdict_x = -2.0;
constexpr double verdict_y = 3.0;

void format_into(char (&buffer)[text_buffer_size], const char* format, va_list arguments)
{
    // vsnprintf cuts whatever does not fit, so absurd numbers stay in the buffer.
    if (std::vsnprintf(buffer, sizeof buffer, format, arguments) < 0) buffer[0] = '\0';
}

void draw_text(void* font, double px, double py, const char* text)
{
    glRasterPos3f(static_cast<float>(px), static_cast<float>(py), 0.0f);
    for (const char* c = text; *c != '\0'; ++c)
        glutBitmapCharacter(font, static_cast<unsigned char>(*c));
}

void draw_formatted(void* font, double px, double py, const char* format, va_list arguments)
{
    char buffer[text_buffer_size];
    format_into(buffer, format, arguments);
    draw_text(font, px, py, buffer);
}

void draw_bar(float left, float right, float bottom, float top)
{
    glBegin(GL_POLYGON);
    glVertex3f(left, bottom, 0.0f);
    glVertex3f(left, top, 0.0f);
    glVertex3f(right, top, 0.0f);
    glVertex3f(right, bottom, 0.0f);
    glEnd();
}

void draw_help()
{
    for (int row = 0; row < help_line_count; ++row) {
        text_small(help_x, help_top - help_row * row, "%s", help_lines[row]);
    }
}

}  // namespace

double panel_distance(double x, double y, double z)
{
    const double dy = y - distance_point_y;
    return std::pow(x * x + dy * dy + z * z, 0.5);
}

std::string format_panel_text(const char* format, ...)
{
    char buffer[text_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    format_into(buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

std::string footer_text()
{
    return format_panel_text(
        "%s *   %s *** 10/04 *** Clic droit: modification de la simulation et de la vue ** *",
        project_web, project_email);
}

void text_large(double px, double py, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    draw_formatted(GLUT_BITMAP_HELVETICA_18, px, py, format, arguments);
    va_end(arguments);
}

void text_small(double px, double py, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    draw_formatted(GLUT_BITMAP_HELVETICA_12, px, py, format, arguments);
    va_end(arguments);
}

void draw_gauges(double xp, double yp, double zp)
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    apply_scene_light();
    const double speed = chaser_speed(xp, yp, zp);
    glTranslatef(0.0f, 0.0f, -panel_depth);
    glPushMatrix();
    cut_off_fuel();
    const double fuel_top = simulation.reserve / fuel_bar_scale + gauge_floor;
    const double speed_top = speed + gauge_floor;
    const float floor = static_cast<float>(gauge_floor);
    material_red();
    draw_bar(fuel_bar_left, fuel_bar_right, floor, static_cast<float>(fuel_top));
    material_blue();
    draw_bar(fuel_bar_right, speed_bar_right, floor, static_cast<float>(speed_top));
    material_blue();
    draw_bar(speed_bar_right, speed_mark_right, floor, speed_mark_top);
    glPopMatrix();
}

void draw_panel(double x, double y, double z, double xp, double yp, double zp)
{
    apply_scene_light();
    const double speed = chaser_speed(xp, yp, zp);
    const double distance = panel_distance(x, y, z);
    const double fuel = static_cast<double>(simulation.reserve);
    glPushMatrix();
    material_red();
    if (view.help_shown == 1) draw_help();
    static const std::string footer = footer_text();
    text_small(footer_x, footer_y, "%s", footer.c_str());
    text_large(numbers_x, time_line_y, time_line_format, simulation.temps, speed, distance, fuel);
    text_large(numbers_x, position_line_y, position_line_format, x, y, z);
    text_large(numbers_x, velocity_line_y, velocity_line_format, xp, yp, zp);
    const int outcome = simulation.outcome;
    if (outcome >= outcome_collision && outcome <= outcome_lost) {
        text_large(verdict_x, verdict_y, "%s", outcome_messages[outcome]);
    }
    glPopMatrix();
}
