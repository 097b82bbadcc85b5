// The real teaching edition under the test run's X server, read from
// screenshots: the case chooser, the plot with its path and predicted coast,
// an explained verdict with its run record, and accented text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_driver.h"

namespace {

// Where Dear ImGui puts the panels in an 800 by 800 window.
constexpr int plot_left = 460;
constexpr int plot_top = 30;
constexpr int plot_bottom = 400;
constexpr int panel_right = 300;

bool is_title_bar(int r, int g, int b) { return r == 41 && g == 74 && b == 122; }
bool is_coast_yellow(int r, int g, int b) { return r > 200 && g > 170 && g < 235 && b < 60; }
bool is_path_white(int r, int g, int b) { return r > 215 && g > 215 && b > 215; }
bool is_verdict_red(int r, int g, int b) { return r > 200 && g < 120 && b < 110 && g > 50; }
bool is_plan_violet(int r, int g, int b) { return r > 220 && g > 80 && g < 150 && b > 220; }
bool is_tolerance_green(int r, int g, int b) { return r < 90 && g > 200 && b > 60 && b < 120; }

// A lesson with Omega 0 and the given start along the docking axis.
std::string lesson_text(const std::string& title, double y0, double yp0)
{
    return "titre = " + title +
           "\ndt=0.005\nnx=500\ntrois=3\nOmega=0\nX0=0\nY0=" + std::to_string(y0) +
           "\nZ0=0\nXp0=0\nYp0=" + std::to_string(yp0) + "\nZp0=0\np=0.5\n";
}

class LaboWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
        // A folder of its own: the shipped cases, models and help, the figure
        // tool, and runs/ for records.
        world = dir.file("world");
        const std::string data = std::string(ORVANEL_SOURCE_DIR) + "/data";
        const std::string tools = std::string(ORVANEL_SOURCE_DIR) + "/tools";
        run_command("mkdir -p '" + world + "/tools' && cp -r '" + data + "' '" + world +
                    "/' && cp '" + tools + "/plot_run.py' '" + world + "/tools/'");
    }

    void start(ProgramRun& program, const std::vector<std::string>& arguments)
    {
        program.program = std::string(ORVANEL_BINARY_DIR) + "/orvanel-labo";
        program.window_name = "Orvanel Labo";
        program.arguments = arguments;
        ASSERT_TRUE(start_with_window(program, dir, world));
    }

    template <typename Condition>
    Screenshot shot_when(const ProgramRun& program, Condition condition, int seconds = 20)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        Screenshot image;
        do {
            image = Screenshot{};
            EXPECT_TRUE(take_screenshot(program, dir, &image));
            if (condition(image)) break;
        } while (std::chrono::steady_clock::now() < deadline);
        return image;
    }

    TempDir dir;
    std::string world;
    ProgramRun run;
};

TEST_F(LaboWindowTest, ChooserStartsACaseWhosePlotShowsPathAndPredictedCoast)
{
    // A teacher's file with a mistake: the chooser opens with the message in red.
    dir.write("world/faute.in", lesson_text("Faute", -20.0, 0.0) + "Omega = 0,2,5\n");
    start(run, {"faute.in"});
    auto chooser_with_message = [](const Screenshot& s) {
        return count_pixels(s, 120, 100, 680, 700, is_title_bar) > 1000 &&
               count_pixels(s, 120, 100, 680, 700, is_verdict_red) > 100;
    };
    const Screenshot chooser = shot_when(run, chooser_with_message);
    EXPECT_TRUE(chooser_with_message(chooser)) << "the chooser shows why the file was refused";
    EXPECT_NE(read_file(run.stderr_path).find("faute.in : ligne 13"), std::string::npos)
        << read_file(run.stderr_path);
    EXPECT_EQ(count_pixels(chooser, plot_left, plot_top, 800, plot_bottom, is_coast_yellow), 0)
        << "no plot before a case is chosen";

    // Case 3 from rest on the axis, one press backwards: the coast loops ahead.
    press_keys(run, "3 Down");
    auto coast_drawn = [](const Screenshot& s) {
        return count_pixels(s, plot_left, plot_top, 800, plot_bottom, is_coast_yellow) > 30 &&
               count_pixels(s, panel_right, 300, plot_left, 800, is_coast_yellow) > 20;
    };
    const Screenshot pressed = shot_when(run, coast_drawn);
    EXPECT_TRUE(coast_drawn(pressed)) << "the predicted coast is drawn in the plot and the scene";

    press_keys(run, "S S");
    const Screenshot flown = shot_when(run, [](const Screenshot& s) {
        return count_pixels(s, plot_left, plot_top, 800, plot_bottom, is_path_white) > 60;
    });
    EXPECT_GT(count_pixels(flown, plot_left, plot_top, 800, plot_bottom, is_path_white), 60)
        << "the path flown is drawn in the plot";
}

TEST_F(LaboWindowTest, PlannerDrawsItsPathAndTheApproachViewOpensNearThePort)
{
    // Four units before the port, still: the approach view is open (bottom left)
    // with its tolerance squares; 'm' opens the planner, whose path is violet.
    dir.write("world/pres.in", lesson_text("Tout pres", -5.5, 0.0));
    start(run, {"pres.in"});
    auto approach_shown = [](const Screenshot& s) {
        return count_pixels(s, 0, 560, panel_right + 40, 800, is_tolerance_green) > 40;
    };
    EXPECT_TRUE(approach_shown(shot_when(run, approach_shown))) << "the approach view is open";
    press_keys(run, "m");
    auto planned = [](const Screenshot& s) {
        return count_pixels(s, plot_left, plot_top, 800, plot_bottom, is_plan_violet) > 20 &&
               count_pixels(s, plot_left, 440, 800, 800, is_plan_violet) > 20;
    };
    EXPECT_TRUE(planned(shot_when(run, planned)))
        << "the planned path in the plot and the planner's presses in its window";
}

TEST_F(LaboWindowTest, ContactTooFastShowsItsReasonAndEndsTheRunRecord)
{
    dir.write("world/vite.in", lesson_text("Trop vite", -2.2, 0.3));
    start(run, {"vite.in"});
    const Screenshot verdict = shot_when(run, [](const Screenshot& s) {
        return count_pixels(s, 170, 600, 630, 800, is_verdict_red) > 40;
    });
    EXPECT_GT(count_pixels(verdict, 170, 600, 630, 800, is_verdict_red), 40)
        << "the verdict's title stands at the bottom";

    std::string record;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (record.find("# verdict") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(world + "/runs", error))
            if (entry.path().string().find(".tableur.") == std::string::npos)
                record = read_file(entry.path().string());
    }
    EXPECT_NE(record.find("# verdict: trop_vite"), std::string::npos) << record;
    EXPECT_NE(record.find("0,30 > 0,12"), std::string::npos) << "the reason with its margin";

    // The figure for the report is drawn beside the record, in the background.
    std::string figure;
    const auto figure_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (figure.compare(0, 4, "\x89PNG") != 0 &&
           std::chrono::steady_clock::now() < figure_deadline) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(world + "/runs", error))
            if (entry.path().extension() == ".png") figure = read_file(entry.path().string());
    }
    EXPECT_EQ(figure.compare(0, 4, "\x89PNG"), 0) << "no figure beside the record";
}

// Rows of the instrument panel's first text line where two screenshots differ.
struct RowSpan {
    int first = -1, last = -1;
};

RowSpan first_differing_rows(const Screenshot& a, const Screenshot& b, int top, int bottom)
{
    RowSpan span;
    for (int y = top; y < bottom; ++y) {
        int differing = 0;
        for (int x = 8; x < panel_right; ++x) {
            int r1, g1, b1, r2, g2, b2;
            a.at(x, y, &r1, &g1, &b1);
            b.at(x, y, &r2, &g2, &b2);
            if (std::abs(r1 - r2) + std::abs(g1 - g2) + std::abs(b1 - b2) > 60) ++differing;
        }
        if (differing > 0 && span.first < 0) span.first = y;
        if (differing > 0) span.last = y;
        if (differing == 0 && span.first >= 0) break;  // the first line ends
    }
    return span;
}

TEST_F(LaboWindowTest, AccentsAreDrawnAboveTheLetterTheyBelongTo)
{
    // The same lesson titled "eeeeeeee" and "éééééééé", both held still so that
    // the titles are the only difference; a missing glyph would be drawn as
    // another character, not as the same letter with an accent on top.
    dir.write("world/plain.in", lesson_text("eeeeeeee", -30.0, 0.0));
    dir.write("world/accent.in", lesson_text(u8"éééééééé", -30.0, 0.0));
    auto panel_shot = [&](const std::string& file) {
        ProgramRun program;
        start(program, {file});
        press_keys(program, "c");
        return shot_when(program, [](const Screenshot& s) {
            return count_pixels(s, 120, 150, 680, 650, is_title_bar) > 1000;
        });
    };
    const Screenshot plain = panel_shot("plain.in");
    const Screenshot accented = panel_shot("accent.in");

    const RowSpan accents = first_differing_rows(plain, accented, 40, 120);
    ASSERT_GE(accents.first, 0) << "the two titles look the same";
    // The rows of the plain title's letters, right below the accents.
    int letters_top = -1, letters_bottom = -1;
    for (int y = accents.last + 1; y < accents.last + 20; ++y) {
        int lit = 0;
        for (int x = 8; x < panel_right; ++x) {
            int r, g, b;
            plain.at(x, y, &r, &g, &b);
            if (r > 150 && g > 150 && b > 150) ++lit;
        }
        if (lit > 0 && letters_top < 0) letters_top = y;
        if (lit > 0) letters_bottom = y;
    }
    ASSERT_GE(letters_top, 0) << "no letters below the differing rows";
    EXPECT_LE(accents.last - accents.first, 6) << "only a thin band of accents differs";
    const RowSpan below = first_differing_rows(plain, accented, letters_top, letters_bottom + 1);
    EXPECT_LT(below.first, 0) << "the letters under the accents are the same";
}

}  // namespace
