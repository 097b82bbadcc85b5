// Keyboard, mouse and menu callbacks called directly, on a real window.
#include <gtest/gtest.h>

#include <string>

#include "temp_files.h"
#include "ui_fixture.h"

namespace {

using CommandsTest = UiTest;

TEST_F(CommandsTest, FasterNeverGoesBelowOneAndSlowerHasNoBound)
{
    ASSERT_EQ(simulation.pace, 8);
    const int expected[] = {6, 4, 2, 1, 1};
    for (int pace : expected) {
        on_key('S', 0, 0);
        EXPECT_EQ(simulation.pace, pace);
    }
    on_key('s', 0, 0);
    EXPECT_EQ(simulation.pace, 3);
    for (int i = 0; i < 100; ++i) on_key('s', 0, 0);
    EXPECT_EQ(simulation.pace, 203);
}

TEST_F(CommandsTest, OmegaOffSavesOnceAndOnRestores)
{
    scenario.Omega = 0.25;
    on_key('O', 0, 0);  // nothing saved yet
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.25);
    on_key('o', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.0);
    EXPECT_DOUBLE_EQ(simulation.omega_stash, 0.25);
    scenario.Omega = 0.1;  // a second 'o' must not overwrite the stash
    on_key('o', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.1);
    EXPECT_DOUBLE_EQ(simulation.omega_stash, 0.25);
    on_key('O', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.25);
    EXPECT_DOUBLE_EQ(simulation.omega_stash, -1.0);
}

TEST_F(CommandsTest, SavedZeroOmegaBlocksBothKeysUntilRestart)
{
    ASSERT_DOUBLE_EQ(scenario.Omega, 0.0) << "the start-up scenario has Omega 0.00";
    on_key('o', 0, 0);
    on_key('O', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.0);
    EXPECT_DOUBLE_EQ(simulation.omega_stash, 0.0);
    scenario.Omega = 0.3;
    on_key('o', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.3) << "the saved 0.0 blocks 'o'";
    quietly([] { on_key('k', 0, 0); });
    EXPECT_DOUBLE_EQ(simulation.omega_stash, -1.0);
    scenario.Omega = 0.3;
    on_key('o', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, 0.0);
    EXPECT_DOUBLE_EQ(simulation.omega_stash, 0.3);
}

TEST_F(CommandsTest, RestartFromMenuKeepsTheStashUnlikeKeyK)
{
    quietly([] { on_scenario_menu(2); });
    const double file_omega = scenario.Omega;
    ASSERT_GT(file_omega, 0.0);
    on_key('o', 0, 0);
    quietly([] { on_main_menu(menu_restart_run); });
    EXPECT_DOUBLE_EQ(scenario.Omega, file_omega) << "the reset reads Omega again";
    EXPECT_DOUBLE_EQ(simulation.omega_stash, file_omega);
    on_key('o', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, file_omega) << "the kept stash blocks 'o'";
    scenario.Omega = 0.0;
    on_key('O', 0, 0);
    EXPECT_DOUBLE_EQ(scenario.Omega, file_omega);
}

TEST_F(CommandsTest, ScenarioMenuPrintsItsDigitAndKeepsTimeRunning)
{
    simulation.temps = 12.5;
    for (int id = 0; id < scenario_count; ++id) {
        const std::string printed = capture_console([&] { on_scenario_menu(id); }).out;
        EXPECT_EQ(printed.substr(0, 2), std::to_string(id) + "\n");
        EXPECT_NE(
            printed.find(std::string("fichier de donnees:   ") + scenario_paths[id] + "!   \n"),
            std::string::npos);
        EXPECT_STREQ(simulation.scenario_path, scenario_paths[id]);
        EXPECT_DOUBLE_EQ(simulation.temps, 12.5);
        EXPECT_EQ(simulation.reserve, initial_reserve);
    }
    EXPECT_EQ(capture_console([] { on_scenario_menu(6); }).out, "");
    EXPECT_EQ(capture_console([] { on_scenario_menu(-1); }).out, "");
    EXPECT_STREQ(simulation.scenario_path, scenario_paths[5]);
}

TEST_F(CommandsTest, ScenarioEntriesThreeAndFourStartDifferently)
{
    quietly([] { on_scenario_menu(3); });
    const double x3 = simulation.x, y3 = simulation.y, xp3 = simulation.xp, yp3 = simulation.yp;
    quietly([] { on_scenario_menu(4); });
    EXPECT_FALSE(x3 == simulation.x && y3 == simulation.y && xp3 == simulation.xp &&
                 yp3 == simulation.yp);
}

TEST_F(CommandsTest, FullRestartGoesBackToTheFirstScenarioAndZeroTime)
{
    quietly([] { on_scenario_menu(5); });
    simulation.temps = 40.0;
    view.angle_z = 3.0f;
    view.view_distance = 12.0f;
    quietly([] { on_main_menu(menu_full_restart); });
    EXPECT_STREQ(simulation.scenario_path, scenario_paths[0]);
    EXPECT_DOUBLE_EQ(simulation.temps, 0.0);
    EXPECT_FLOAT_EQ(view.angle_z, -35.0f);
    EXPECT_FLOAT_EQ(view.angle_x, -45.0f);
    EXPECT_FLOAT_EQ(view.view_distance, 35.0f);
    EXPECT_EQ(view.rotation_view, 1);
    EXPECT_EQ(view.chaser_view, 0);
}

TEST_F(CommandsTest, ViewMenuEntriesActOnTheirIdsNotTheirPlace)
{
    on_main_menu(menu_translation_view);
    EXPECT_EQ(view.rotation_view, 0);
    EXPECT_EQ(view.chaser_view, 0);
    EXPECT_FLOAT_EQ(view.angle_x, 45.0f);
    EXPECT_FLOAT_EQ(view.angle_z, 0.0f);
    on_main_menu(menu_rotation_view);
    EXPECT_EQ(view.rotation_view, 1);
    on_main_menu(menu_toggle_chaser_view);
    EXPECT_EQ(view.chaser_view, 1);
    view.view_distance = 3.0f;
    on_main_menu(menu_reset_view);
    EXPECT_EQ(view.chaser_view, 0);
    EXPECT_FLOAT_EQ(view.view_distance, 50.0f);
    const ViewState before = view;
    on_main_menu(8);
    on_main_menu(-1);
    EXPECT_EQ(view.chaser_view, before.chaser_view);
    EXPECT_FLOAT_EQ(view.view_distance, before.view_distance);
}

TEST_F(CommandsTest, ViewKeysSetTheirFlags)
{
    on_key('t', 0, 0);
    EXPECT_EQ(view.rotation_view, 0);
    EXPECT_EQ(view.chaser_view, 1) << "'t' leaves the chaser view alone";
    EXPECT_FLOAT_EQ(view.angle_z, 0.0f);
    on_key('r', 0, 0);
    EXPECT_EQ(view.rotation_view, 1);
    on_key('l', 0, 0);
    EXPECT_EQ(view.chaser_view, 0);
    view.chaser_view = 7;
    on_key('l', 0, 0);
    EXPECT_EQ(view.chaser_view, 0) << "anything but 0 toggles to 0";
    on_key('+', 0, 0);
    on_key('+', 0, 0);
    on_key('-', 0, 0);
    EXPECT_FLOAT_EQ(view.view_distance, 37.0f);
    on_key('p', 0, 0);
    EXPECT_EQ(simulation.paused, 1);
    on_key('p', 0, 0);
    EXPECT_EQ(simulation.paused, 0);
}

TEST_F(CommandsTest, UnlistedKeysChangeNothing)
{
    for (unsigned char key : {'q', 'f', 'K', 'x', 'P', 'L', ' ', '0'}) {
        on_key(key, 0, 0);
    }
    const ViewState start{};
    EXPECT_FLOAT_EQ(view.view_distance, start.view_distance);
    EXPECT_EQ(view.chaser_view, start.chaser_view);
    EXPECT_EQ(simulation.paused, 0);
    EXPECT_EQ(simulation.pace, 8);
    EXPECT_EQ(view.help_shown, 0);
}

TEST_F(CommandsTest, DraggingTurnsByOneDegreePerPixel)
{
    on_mouse_button(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200);
    on_mouse_motion(105, 203);
    on_mouse_motion(110, 205);
    EXPECT_FLOAT_EQ(view.angle_z, -35.0f + 10.0f);
    EXPECT_FLOAT_EQ(view.angle_x, -45.0f + 5.0f);
    on_mouse_button(GLUT_LEFT_BUTTON, GLUT_UP, 300, 300);
    EXPECT_EQ(view.mouse_x, 300);
    EXPECT_EQ(view.mouse_y, 300);
}

TEST_F(CommandsTest, HelpWithoutAnOpenerSaysSoInOneLineAndStillToggles)
{
    TempDir empty;
    const std::string saved_path = std::getenv("PATH");
    setenv("PATH", empty.path().c_str(), 1);
    std::string errors = capture_console([] { on_key('h', 0, 0); }).err;
    EXPECT_EQ(view.help_shown, 1);
    errors += capture_console([] { on_key('h', 0, 0); }).err;
    EXPECT_EQ(view.help_shown, 0);
    errors += capture_console([] { on_main_menu(menu_help); }).err;
    setenv("PATH", saved_path.c_str(), 1);
    const std::string line =
        std::string("aide: pas de programme ") + help_opener + " pour ouvrir data/aide.html\n";
    EXPECT_EQ(errors, line + line);
    EXPECT_EQ(view.help_shown, 1);
}

TEST_F(CommandsTest, ThrustKeysReplaceAndCostFuelZoomKeysDoNot)
{
    on_special_key(key_thrust_up, 0, 0);
    on_special_key(key_thrust_up, 0, 0);
    EXPECT_DOUBLE_EQ(simulation.fy, scenario.p);
    EXPECT_EQ(simulation.reserve, initial_reserve - 2);
    on_special_key(key_thrust_left, 0, 0);
    on_special_key(key_thrust_right, 0, 0);
    EXPECT_DOUBLE_EQ(simulation.fx, scenario.p);
    on_special_key(key_thrust_page_down, 0, 0);
    EXPECT_DOUBLE_EQ(simulation.fz, -scenario.p);
    EXPECT_EQ(simulation.reserve, initial_reserve - 5);
    on_special_key(glut_key_home, 0, 0);
    EXPECT_FLOAT_EQ(view.view_distance, 33.0f);
    for (int i = 0; i < 30; ++i) on_special_key(glut_key_end, 0, 0);
    EXPECT_FLOAT_EQ(view.view_distance, 93.0f);
    on_special_key(GLUT_KEY_F1, 0, 0);
    EXPECT_EQ(simulation.reserve, initial_reserve - 5);
}

TEST_F(CommandsTest, QuitKeysSayGoodbyeAndExitZero)
{
    // The child starts afresh, with a window of its own, rather than sharing ours.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(on_key('Q', 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(on_key(27, 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(on_main_menu(menu_exit), ::testing::ExitedWithCode(0), "");
}

}  // namespace
