// The scene's one light and the material presets, shared by the window's
// set-up, the scene and the instrument panel.
#ifndef ORVANEL_LIGHTING_H
#define ORVANEL_LIGHTING_H

// ---------------------------------------------------------------------------
// Light
// ---------------------------------------------------------------------------

// Sets light 0 from the scene light, in the frame of the current modelview.
void apply_scene_light();

// ---------------------------------------------------------------------------
// Material presets (front face)
// ---------------------------------------------------------------------------

void material_red();     // fuel bar and panel text
void material_blue();    // speed bar and speed mark
void material_planet();  // solid planet
void material_grid();    // wire grid around the planet

#endif
