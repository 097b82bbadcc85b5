// The real program under Xvfb: its console, its window, real key presses,
// real clicks on its menus, and how it ends.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "program_driver.h"

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(start_with_window(run, dir)) << read_file(run.stderr_path);
        // The first frame reads the models; wait for it so events meet a live loop.
        wait_for_output(run.stdout_path, "data/cible.obj");
    }

    std::string console() const { return read_file(run.stdout_path); }

    TempDir dir;
    ProgramRun run;
};

std::string padded(const std::string& text) { return text + std::string(72 - text.size(), ' '); }

TEST_F(ProgramTest, StartsWithItsPathTheBannerAndTheScenarioTrace)
{
    const std::vector<std::string> lines = lines_of(console());
    ASSERT_GE(lines.size(), 18u);
    EXPECT_EQ(lines[0], "on est ici: argv[0]-> " + program_path() + "  ");
    const std::string dashes(72, '-');
    const std::vector<std::string> expected = {
        dashes,
        padded(""),
        padded("      Orvanel"),
        padded(""),
        padded(" Resolution des equations de Hill CLOHESSY-WILTSHIRE"),
        padded("  2                               2                   2"),
        padded(" d x            dy           2   d y            dx   d z          2"),
        padded(" --- = 2 Omega  -- + 3  Omega x; --- = -2 Omega --;  --- = - Omega z"),
        padded("   2            dt                 2            dt     2"),
        padded(" dt                              dt                  dz"),
        dashes,
    };
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[1 + i], expected[i]) << i + 1;
    EXPECT_EQ(lines[12].rfind(" par ", 0), 0u);
    EXPECT_EQ(lines[13], dashes);
    EXPECT_EQ(lines[14], padded(" changer cible.obj et chasseur.obj"));
    EXPECT_EQ(lines[15].rfind(" images Soyouz et Gemini de ", 0), 0u);
    EXPECT_EQ(lines[16], dashes);
    for (int i = 1; i <= 16; ++i) EXPECT_EQ(lines[i].size(), 72u) << "banner line " << i;
    EXPECT_EQ(lines[17], "fichier de donnees:   data/fo.in!   ");
}

TEST_F(ProgramTest, OpensItsTitledWindowAt800By800)
{
    EXPECT_EQ(trim_newline(run_command("timeout 10 xdotool getwindowname " + run.window)),
              "Hill~ZUK *  * *    *  * *Orvanel* *  * * OpenGL");
    const std::string info = run_command("timeout 10 xwininfo -id " + run.window);
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 800"), std::string::npos) << info;
}

TEST_F(ProgramTest, LowerCaseQDoesNothingUpperCaseQSaysGoodbye)
{
    press_keys(run, "q");
    EXPECT_FALSE(wait_for_end(run, 500));
    press_keys(run, "Q");
    ASSERT_TRUE(wait_for_end(run, 10000));
    EXPECT_EQ(run.status, 0);
    const std::string out = console();
    EXPECT_EQ(out.substr(out.size() - 10), "kenavo ! \n");
}

TEST_F(ProgramTest, EscapeSaysGoodbyeAndExitsZero)
{
    press_keys(run, "Escape");
    ASSERT_TRUE(wait_for_end(run, 10000));
    EXPECT_EQ(run.status, 0);
    const std::string out = console();
    EXPECT_EQ(out.substr(out.size() - 10), "kenavo ! \n");
}

// The main menu opens at the pointer; its nine entries share its height.
struct MenuGeometry {
    int left = 0, top = 0, width = 0, height = 0;
};

// Finds a mapped menu window of at least `entries` rows whose left edge is at or
// right of min_left. Menus are override-redirect windows straight under the root.
bool find_menu(int entries, MenuGeometry* menu, int min_left = 0)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::istringstream tree(run_command("timeout 10 xwininfo -root -children 2>/dev/null"));
        std::string line;
        while (std::getline(tree, line)) {
            const size_t id_at = line.find("0x");
            const size_t geometry_at = line.rfind(')');
            if (id_at == std::string::npos || geometry_at == std::string::npos) continue;
            int w, h, x, y;
            if (std::sscanf(line.c_str() + geometry_at + 1, " %dx%d+%d+%d", &w, &h, &x, &y) != 4)
                continue;
            if (w == 800 || w < 40 || h < entries * 10 || x < min_left) continue;
            const std::string id = line.substr(id_at, line.find(' ', id_at) - id_at);
            if (run_command("timeout 10 xwininfo -id " + id + " 2>/dev/null").find("IsViewable") ==
                std::string::npos)
                continue;
            *menu = MenuGeometry{x, y, w, h};
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void hover_screen(int x, int y)
{
    run_command("timeout 10 xdotool mousemove --sync " + std::to_string(x) + " " +
                std::to_string(y) + " 2>/dev/null");
}

int entry_centre(const MenuGeometry& menu, int entries, int index)
{
    return menu.top + menu.height * (2 * index + 1) / (2 * entries);
}

constexpr int main_entries = 9;
constexpr int scenario_entries = 6;
constexpr int submenu_entry = 1;  // "cas initiaux " stands second
constexpr int exit_entry = 8;

// Points at a menu entry and waits until the menu draws it highlighted; a motion
// that reached the menu before it listened is made again, one pixel aside.
bool hover_entry(const TempDir& dir, const MenuGeometry& menu, int entries, int index)
{
    const int top = menu.top + menu.height * index / entries;
    const int rows = menu.height / entries;
    Screenshot plain;
    if (!take_screen_region(dir, menu.left, top, menu.width, rows, &plain)) return false;
    const int x = menu.left + menu.width / 2, y = entry_centre(menu, entries, index);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int nudge = 0; std::chrono::steady_clock::now() < deadline; nudge ^= 1) {
        hover_screen(x + nudge, y);
        Screenshot now;
        if (take_screen_region(dir, menu.left, top, menu.width, rows, &now) &&
            differing_pixels(plain, now) > menu.width)
            return true;
    }
    return false;
}

// Opens the main menu, goes to "cas initiaux " and clicks the scenario's entry.
bool choose_scenario(const ProgramRun& run, const TempDir& dir, int id)
{
    click(run, 200, 200, 3);
    MenuGeometry menu, submenu;
    return find_menu(main_entries, &menu) && hover_entry(dir, menu, main_entries, submenu_entry) &&
           find_menu(scenario_entries, &submenu, menu.left + menu.width / 2) &&
           hover_entry(dir, submenu, scenario_entries, id) &&
           (run_command("timeout 10 xdotool click 1 2>/dev/null"), true);
}

TEST_F(ProgramTest, ScenarioSubmenuChoosesEachFileByItsId)
{
    for (int id : {3, 4, 1}) {
        const std::string trace = std::to_string(id) + "\nfichier de donnees:   data/fo" +
                                  std::to_string(id) + ".in!   \n";
        ASSERT_TRUE(choose_scenario(run, dir, id)) << "the menus did not open";
        EXPECT_NE(wait_for_output(run.stdout_path, trace).find(trace), std::string::npos)
            << "entry " << id;
    }
}

TEST_F(ProgramTest, ExitEntryEndsSilentlyWithStatusZero)
{
    click(run, 300, 100, 3);
    MenuGeometry menu;
    ASSERT_TRUE(find_menu(main_entries, &menu));
    const std::string before = console();
    ASSERT_TRUE(hover_entry(dir, menu, main_entries, exit_entry));
    run_command("timeout 10 xdotool click 1 2>/dev/null");
    ASSERT_TRUE(wait_for_end(run, 10000));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(console(), before) << "no goodbye from the menu";
}

}  // namespace
