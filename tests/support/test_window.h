// The one way a test program opens an OpenGL window: through GLUT, on the X
// server named by DISPLAY. When the server refuses the connection, GLUT ends
// the program with "failed to open display"; the window-test launcher knows
// that message and runs the test again.
#ifndef ORVANEL_TEST_WINDOW_H
#define ORVANEL_TEST_WINDOW_H

#include <GL/freeglut.h>

#include <cstdlib>

// Opens the program's window the first time it is asked; later calls find it
// open. False when there is no display to open it on.
inline bool open_test_window(const char* title, unsigned display_mode, int width, int height)
{
    static bool opened = false;
    if (opened) return true;
    if (std::getenv("DISPLAY") == nullptr) return false;
    static int argc = 1;
    static char name[] = "orvanel-test";
    static char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(display_mode);
    glutInitWindowSize(width, height);
    glutCreateWindow(title);
    opened = true;
    return true;
}

#endif
