// What the window says outside its panels, at once and until dismissed: a
// record that cannot be written (with the reason), a figure that could not be
// drawn, a help page no browser could open, the question before quitting.
#ifndef ORVANEL_LABO_NOTICES_H
#define ORVANEL_LABO_NOTICES_H

#include <string>

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// One message of the banner at the top of the window.
struct Notice {
    std::string text;       // French, one or a few lines (wrapped)
    bool question = false;  // the question before quitting: the next key takes it away
};

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// Adds a message to the banner (a message already shown is not repeated).
void post_notice(const std::string& text);
// Esc pressed once: asks for a second Esc.
void ask_before_quitting();
// True while the question before quitting is shown.
bool quitting_asked();
// Any other key: the question goes.
void forget_quitting();
// Draws the banner (Dear ImGui, within a frame); first notes a record that has
// just failed, so that it is said the frame it happens.
void build_notice_banner();

#endif
