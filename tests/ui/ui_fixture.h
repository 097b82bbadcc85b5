// Shared set-up of the front-end tests: one real GLUT window under the X
// server of the test run, and the program-wide records put back to their
// start values before each test.
#ifndef ORVANEL_TEST_UI_FIXTURE_H
#define ORVANEL_TEST_UI_FIXTURE_H

#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include "capture.h"
#include "commands.h"
#include "simulation.h"
#include "test_window.h"
#include "window.h"

// Opens the test program's one window, with the program's own fixed state.
inline bool ensure_test_window()
{
    static bool ready = false;
    if (ready) return true;
    if (!open_test_window("orvanel ui test", GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH, window_width,
                          window_height))
        return false;
    init_gl_state();
    ready = true;
    return true;
}

// Start values of the records, then a first reset from the start-up scenario.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ensure_test_window()) GTEST_SKIP() << "no X display";
        view = ViewState{};
        simulation = SimulationState{};
        scenario = Scenario{};
        simulation.scenario_path = scenario_paths[0];
        quietly(reset_simulation);  // its trace line would clutter the test output
    }
};

#endif
