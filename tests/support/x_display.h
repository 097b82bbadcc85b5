// Waiting for the test run's X server to accept a connection. Under a burst of
// short-lived clients Xvfb now and then refuses one; GLUT would end the test
// program at once, so the window fixtures make sure a connection succeeds first.
#ifndef ORVANEL_TEST_X_DISPLAY_H
#define ORVANEL_TEST_X_DISPLAY_H

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

// True once a connection to $DISPLAY succeeds within a few attempts.
inline bool x_display_answers()
{
    constexpr int attempts = 20;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) {
            XCloseDisplay(display);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
}

#endif
