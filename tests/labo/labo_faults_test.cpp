// The real teaching edition under the test run's X server, meeting what a
// school machine does to it: a desktop ending it with SIGTERM, a touchpad's
// quick taps, a figure tool that cannot draw, a runs/ folder that cannot be
// made, and being started for its help or without a display.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "program_driver.h"

namespace {

// Where the case chooser's menu entry stands, and the chooser and notice
// banner in an 800 by 800 window.
constexpr int chooser_menu_x = 60;
constexpr int menu_y = 11;
bool is_title_bar(int r, int g, int b) { return r == 41 && g == 74 && b == 122; }
bool is_banner_red(int r, int g, int b) { return r > 110 && r < 160 && g < 45 && b < 40; }

// A lesson with Omega 0 and the given start along the docking axis.
std::string lesson_text(double y0, double yp0)
{
    return "titre = Essai\ndt=0.005\nnx=500\ntrois=3\nOmega=0\nX0=0\nY0=" + std::to_string(y0) +
           "\nZ0=0\nXp0=0\nYp0=" + std::to_string(yp0) + "\nZp0=0\np=0.5\n";
}

class LaboFaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world = dir.file("world");
        run_command("mkdir -p '" + world + "/tools' && cp -r '" + ORVANEL_SOURCE_DIR + "/data' '" +
                    world + "/' && cp '" + ORVANEL_SOURCE_DIR + "/tools/plot_run.py' '" + world +
                    "/tools/'");
        dir.write("world/lent.in", lesson_text(-30.0, 0.0));
        dir.write("world/vite.in", lesson_text(-2.2, 0.3));
    }

    void start(const std::vector<std::string>& arguments)
    {
        run.program = labo_program;
        run.window_name = "Orvanel Labo";
        run.arguments = arguments;
        ASSERT_TRUE(start_with_window(run, dir, world));
    }

    int pixels(bool (*accept)(int, int, int), int left, int top, int right, int bottom)
    {
        Screenshot shot;
        EXPECT_TRUE(take_screenshot(run, dir, &shot));
        return count_pixels(shot, left, top, right, bottom, accept);
    }

    // The notice banner, within a few seconds.
    bool banner_shown()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        do {
            if (pixels(is_banner_red, 90, 25, 710, 140) > 2000) return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    // The exact records in runs/, their spreadsheet copies left aside.
    std::vector<std::string> records()
    {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(world + "/runs", error)) {
            const std::string name = entry.path().string();
            if (name.find(".tableur.") == std::string::npos && entry.path().extension() == ".csv")
                found.push_back(name);
        }
        return found;
    }

    const std::string labo_program = std::string(ORVANEL_BINARY_DIR) + "/orvanel-labo";
    TempDir dir;
    std::string world;
    ProgramRun run;
};

TEST_F(LaboFaultsTest, SigtermDuringARunClosesItsRecordAsEscDoes)
{
    start({"lent.in"});
    std::string record;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (lines_of(record).size() < 30 && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& path : records()) record = read_file(path);
    }
    ASSERT_GE(lines_of(record).size(), 30u) << "the run records its steps";
    kill(run.pid, SIGTERM);
    ASSERT_TRUE(wait_for_end(run, 10000));
    ASSERT_EQ(records().size(), 1u);
    const std::string path = records()[0];
    const std::vector<std::string> lines = lines_of(read_file(path));
    EXPECT_EQ(lines.back(), u8"# verdict: en_cours; interrompu : programme arrêté (SIGTERM)");
    const std::string sheet = path.substr(0, path.size() - 4) + ".tableur.csv";
    EXPECT_EQ(lines_of(read_file(sheet)).back(),
              u8"verdict;en_cours;interrompu : programme arrêté (SIGTERM)");
}

TEST_F(LaboFaultsTest, ClicksWithPressAndReleaseInOneFrameEachAct)
{
    start({"lent.in"});
    move_pointer(run, chooser_menu_x, menu_y);
    // Each click shows or hides the chooser; press and release go together,
    // as a touchpad's tap sends them.
    for (int click = 1; click <= 6; ++click) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        run_command("timeout 10 xdotool mousedown 1 mouseup 1 2>/dev/null");
        const bool shown = click % 2 == 1;
        bool seen = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!seen && std::chrono::steady_clock::now() < deadline)
            seen = (pixels(is_title_bar, 120, 150, 680, 650) > 1000) == shown;
        EXPECT_TRUE(seen) << "click " << click << " lost";
    }
}

TEST_F(LaboFaultsTest, AFigureThatCannotBeDrawnIsSaidWithItsReason)
{
    // A machine without matplotlib, as the figure tool says it.
    dir.write("world/tools/plot_run.py",
              "#!/bin/sh\necho \"plot_run.py : $1 : matplotlib manque pour dessiner la figure : "
              "installez-le avec « apt install python3-matplotlib »\" >&2\nexit 1\n");
    run_command("chmod +x '" + world + "/tools/plot_run.py'");
    start({"vite.in"});
    const std::string said = wait_for_output(run.stderr_path, "matplotlib manque", 30000);
    EXPECT_NE(said.find(u8"orvanel-labo: Pas de figure pour runs/"), std::string::npos) << said;
    EXPECT_NE(said.find("apt install python3-matplotlib"), std::string::npos) << said;
    EXPECT_TRUE(banner_shown()) << "the window says it too";
}

TEST_F(LaboFaultsTest, ARecordThatCannotBeMadeIsSaidAsTheRunStarts)
{
    dir.write("world/runs", "un fichier, pas un dossier");
    start({"lent.in"});
    const std::string said =
        wait_for_output(run.stderr_path, u8"impossible de créer le dossier « runs »", 10000);
    EXPECT_NE(said.find(u8"« runs » : un élément du chemin n'est pas un dossier"),
              std::string::npos)
        << said;
    EXPECT_TRUE(banner_shown()) << "the window says it as the run starts";
}

TEST_F(LaboFaultsTest, HelpVersionAndNoDisplayAnswerInFrenchBeforeAnyWindow)
{
    int status = -1;
    const std::string help = run_command(labo_program + " --help", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(help.find("usage : orvanel-labo [FICHIER_DE_CAS]"), std::string::npos) << help;
    const std::string version = run_command(labo_program + " --version", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version.compare(0, 13, "orvanel-labo "), 0) << version;
    const std::string alone = run_command("env -u DISPLAY " + labo_program + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(lines_of(alone),
              std::vector<std::string>{u8"orvanel-labo: pas d'affichage graphique (DISPLAY non "
                                       u8"défini) : lancez-le depuis une session de bureau."});
}

}  // namespace
