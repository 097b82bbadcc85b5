// The instrument panel, drawn at the start of every frame at a depth of 10
// units in front of the eye: fuel and speed gauges, three lines of numbers,
// the help text, the footer and the verdict.
#ifndef ORVANEL_PANEL_H
#define ORVANEL_PANEL_H

#include <cstddef>
#include <string>

#include "simulation.h"

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr size_t text_buffer_size = 256;  // one piece of text, terminating zero included
constexpr float panel_depth = 10.0f;      // the panel stands 10 units before the eye
constexpr double fuel_bar_scale = 20.0;   // presses per scene unit of fuel bar
constexpr double gauge_floor = -3.0;      // y of the gauges' foot

extern const char* const time_line_format;      // temps, vitesse, distance, reserve
extern const char* const position_line_format;  // x, y, z
extern const char* const velocity_line_format;  // xp, yp, zp
constexpr int help_line_count = 7;
extern const char* const help_lines[help_line_count];
extern const char* const outcome_messages[outcome_count];  // by outcome; 0 shows nothing

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

// Gauges and the fuel cut-off; leaves the modelview translated by (0, 0, -10).
void draw_gauges(double xp, double yp, double zp);
// Numbers, help, footer and verdict; leaves the matrix as it found it.
void draw_panel(double x, double y, double z, double xp, double yp, double zp);
// Formatted text at a raster position, in Helvetica 18.
void text_large(double px, double py, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Formatted text at a raster position, in Helvetica 12.
void text_small(double px, double py, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// ---------------------------------------------------------------------------
// Values shown
// ---------------------------------------------------------------------------

// Distance from the point (0, -1, 0) in front of the port.
double panel_distance(double x, double y, double z);
// The text a text call would draw: formatted, cut to 255 characters.
std::string format_panel_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The footer line with the project's addresses.
std::string footer_text();

#endif
