// What the running program shows, read from screenshots of its real window:
// the gauges, the numbers, the help, a verdict, the trail's colours and the
// three cameras.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "program_driver.h"

namespace {

// Window pixels of a panel point at the panel's depth (10 units, 45-degree view).
constexpr double panel_half_extent = 4.1421356;  // 10 tan(22.5 degrees)
int panel_column(double x) { return static_cast<int>((x / panel_half_extent + 1.0) * 400.0); }
int panel_row(double y) { return static_cast<int>((1.0 - y / panel_half_extent) * 400.0); }

bool is_lit_red(int r, int g, int b) { return r > 80 && g < 40 && b < 40; }
bool is_lit_blue(int r, int g, int b) { return b > 80 && r < 40 && g < 40; }

// A scenario file with the given start state; Omega 0 keeps the motion straight.
std::string scenario_text(double x0, double y0, double z0, double xp0, double yp0, double zp0)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "dt=0.005\nnx=500\ntrois=3\nOmega=0.0\nX0=%g\nY0=%g\nZ0=%g\nXp0=%g\nYp0=%g\n"
                  "Zp0=%g\np=0.5\n",
                  x0, y0, z0, xp0, yp0, zp0);
    return text;
}

bool numbers_drawn(const Screenshot& image)
{
    return count_pixels(image, panel_column(-3.5), panel_row(4.05), 800, panel_row(3.2),
                        is_lit_red) > 600;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    }

    void start(const std::string& start_scenario)
    {
        ASSERT_TRUE(start_with_window(run, dir, make_world(dir, start_scenario)))
            << read_file(run.stderr_path);
        wait_for_output(run.stdout_path, "data/cible.obj");
    }

    // Takes screenshots until one satisfies the condition, for at most the given
    // time; returns the last one taken.
    template <typename Condition>
    Screenshot shot_when(Condition condition, int seconds = 10)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        Screenshot image;
        do {
            image = Screenshot{};
            EXPECT_TRUE(take_screenshot(run, dir, &image));
            if (condition(image)) break;
        } while (std::chrono::steady_clock::now() < deadline);
        return image;
    }

    // The first frames are up once the three number lines are drawn.
    Screenshot first_frame()
    {
        return shot_when([](const Screenshot& image) { return numbers_drawn(image); });
    }

    // Runs the simulation at the fastest pace until a screenshot satisfies the
    // condition (the frame rate, and so the simulated time, varies from machine to
    // machine); returns the last screenshot taken.
    template <typename Condition>
    Screenshot fly_until(Condition condition, int seconds = 40)
    {
        press_keys(run, "S S S");
        return shot_when(condition, seconds);
    }

    TempDir dir;
    ProgramRun run;
};

TEST_F(ScreenTest, FuelBarStandsAtTheLeftBorderAndEmptiesWithThrust)
{
    start(scenario_text(0, -30, 0, 0, 0, 0));
    const int column = panel_column(-4.07);
    const Screenshot full = first_frame();
    EXPECT_EQ(count_pixels(full, column, panel_row(1.9), column + 1, panel_row(-2.9), is_lit_red),
              panel_row(-2.9) - panel_row(1.9))
        << "the full bar runs from y = -3 to y = 2";
    EXPECT_EQ(count_pixels(full, column, panel_row(2.3), column + 1, panel_row(2.1), is_lit_red),
              0);
    EXPECT_EQ(count_pixels(full, column, panel_row(-3.1), column + 1, panel_row(-3.3), is_lit_red),
              0);
    EXPECT_GT(count_pixels(full, 0, panel_row(0), 3, panel_row(0) + 1, is_lit_red), 0)
        << "the bar touches the window's left border";

    press_keys(run,
               "Down Down Down Down Down Down Down Down Down Down Down Down Down Down "
               "Down Down Down Down Down Down");
    // 80 presses left: the bar now ends at y = 80 / 20 - 3 = 1.
    const Screenshot spent = shot_when([&](const Screenshot& image) {
        return count_pixels(image, column, panel_row(1.8), column + 1, panel_row(1.2),
                            is_lit_red) == 0;
    });
    EXPECT_EQ(count_pixels(spent, column, panel_row(1.8), column + 1, panel_row(1.2), is_lit_red),
              0);
    EXPECT_GT(count_pixels(spent, column, panel_row(0.8), column + 1, panel_row(-2.9), is_lit_red),
              panel_row(-2.9) - panel_row(0.8) - 2);
}

TEST_F(ScreenTest, SpeedMarkAndNumbersShowOnThePanel)
{
    start(scenario_text(0, -30, 0, 0, 0, 0));
    press_keys(run, "p");
    const Screenshot before = first_frame();
    const int mark = count_pixels(before, panel_column(-3.84), panel_row(-2.89),
                                  panel_column(-3.71), panel_row(-2.99), is_lit_blue);
    EXPECT_GT(mark, 50) << "the blue speed mark beside the speed bar";
    EXPECT_EQ(count_pixels(before, panel_column(-3.84), panel_row(-2.7), panel_column(-3.71),
                           panel_row(-2.85), is_lit_blue),
              0)
        << "the mark is 0.12 high";
    EXPECT_TRUE(numbers_drawn(before)) << "the three number lines at the top";
}

// Red pixels where the seven help lines stand.
int help_pixels(const Screenshot& image)
{
    return count_pixels(image, panel_column(-1.0), panel_row(-1.35), 800, panel_row(-3.1),
                        is_lit_red);
}

TEST_F(ScreenTest, HelpShowsWhileThePageOpenerStillRuns)
{
    // A stand-in opener that notes its arguments, then takes its time as a browser would.
    const std::string args = dir.file("opener-args"), done = dir.file("opener-done");
    ASSERT_EQ(mkdir(dir.file("bin").c_str(), 0755), 0);
    dir.write("bin/xdg-open",
              "#!/bin/sh\necho \"$@\" > '" + args + "'\nsleep 20\necho > '" + done + "'\n");
    ASSERT_EQ(chmod(dir.file("bin/xdg-open").c_str(), 0755), 0);
    run.path_prefix = dir.file("bin");
    start(scenario_text(0, -30, 0, 0, 0, 0));
    const int help_before = help_pixels(first_frame());
    press_keys(run, "h");
    const Screenshot after =
        shot_when([&](const Screenshot& image) { return help_pixels(image) > help_before + 500; });
    EXPECT_GT(help_pixels(after), help_before + 500) << "the seven help lines";
    EXPECT_EQ(wait_for_output(args, "\n"), "data/aide.html\n");
    EXPECT_EQ(access(done.c_str(), F_OK), -1) << "the window waited for the opener";
}

TEST_F(ScreenTest, ContactShowsTheVerdictMessage)
{
    start(scenario_text(0.2, -4, 0, 0, 2, 0));
    const Screenshot before = first_frame();
    const int verdict_box[4] = {panel_column(-2.0), panel_row(3.15), 800, panel_row(2.9)};
    EXPECT_EQ(count_pixels(before, verdict_box[0], verdict_box[1], verdict_box[2], verdict_box[3],
                           is_lit_red),
              0);
    auto verdict_shown = [&](const Screenshot& image) {
        return count_pixels(image, verdict_box[0], verdict_box[1], verdict_box[2], verdict_box[3],
                            is_lit_red) > 300;
    };
    EXPECT_TRUE(verdict_shown(fly_until(verdict_shown)));
}

bool is_pure(int r, int g, int b, int wr, int wg, int wb) { return r == wr && g == wg && b == wb; }
bool is_trail_white(int r, int g, int b) { return is_pure(r, g, b, 255, 255, 255); }
bool is_trail_red(int r, int g, int b) { return is_pure(r, g, b, 255, 0, 0); }
bool is_trail_blue(int r, int g, int b) { return is_pure(r, g, b, 0, 0, 255); }

TEST_F(ScreenTest, TrailIsRedAboveWhiteWithinAndBlueBelowThePlane)
{
    // Seen from straight above: x to the right, y up, the trail along x = 5.
    start(scenario_text(5, -15, 2, 0, 1, -0.4));
    press_keys(run, "v");
    const int column = 400 + static_cast<int>(5.0 / (60.0 * 0.41421356) * 400.0);
    const int left = column - 12, right = column + 12;
    // Below the plane once the chaser has crossed z = -0.2 (after 5.5 time units).
    const Screenshot image = fly_until([&](const Screenshot& shot) {
        return count_pixels(shot, left, 0, right, 800, is_trail_blue) > 20;
    });
    EXPECT_GT(count_pixels(image, left, 0, right, 800, is_trail_red), 40);
    EXPECT_GT(count_pixels(image, left, 0, right, 800, is_trail_white), 5);
    EXPECT_GT(count_pixels(image, left, 0, right, 800, is_trail_blue), 20);
}

bool not_black(int r, int g, int b) { return r + g + b > 30; }

TEST_F(ScreenTest, ThreeCamerasShowThreeViews)
{
    start(scenario_text(0, -8, 0, 0, 0, 0));
    press_keys(run, "p");
    const Screenshot chaser = first_frame();
    press_keys(run, "v");
    const Screenshot above = shot_when([&](const Screenshot& image) {
        return differing_pixels(chaser, image) > 2000 &&
               count_pixels(image, 390, 390, 410, 410, not_black) > 100;
    });
    press_keys(run, "t");
    // In translation, a drag of 50 pixels to the right shifts the scene 5 units right.
    drag(run, 400, 400, 450, 400);
    const int shifted_centre = 400 + static_cast<int>(5.0 / (60.0 * 0.41421356) * 400.0);
    const Screenshot shifted = shot_when([&](const Screenshot& image) {
        return count_pixels(image, shifted_centre - 10, 390, shifted_centre + 10, 410, not_black) >
               100;
    });
    EXPECT_GT(differing_pixels(chaser, above), 2000);
    EXPECT_GT(differing_pixels(above, shifted), 500);
    // From above the target stands at the centre of the window; shifted, 5 units right.
    EXPECT_GT(count_pixels(above, 390, 390, 410, 410, not_black), 100);
    EXPECT_LT(count_pixels(shifted, 390, 390, 410, 410, not_black), 20);
    EXPECT_GT(count_pixels(shifted, shifted_centre - 10, 390, shifted_centre + 10, 410, not_black),
              100);
}

}  // namespace
