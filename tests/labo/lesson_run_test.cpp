// A run of the teaching edition stepped without a window: its clock starts at
// 0 on every run, presses are paid once and each gives its full velocity
// change one step after another, and a run in which no time passed leaves no
// record.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lesson_run.h"
#include "sim_fixture.h"
#include "temp_files.h"

namespace {

// A lesson along the docking axis; Omega 0 unless asked.
Lesson axis_lesson(double Omega = 0.0)
{
    Lesson lesson;
    lesson.values = Scenario{0.005, 50, Omega, 3.0, 0.0, -20.0, 0.0, 0.0, 0.0, 0.0, 1.0};
    return lesson;
}

class LessonRunTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        run.folder = dir.file("runs");
    }
    void TearDown() override
    {
        finish_lesson_record(run, "fin du test");
        SimTest::TearDown();
    }
    void steps(int count)
    {
        for (int i = 0; i < count; ++i) step_lesson_run(run);
    }
    std::vector<std::string> records() const
    {
        std::vector<std::string> found;
        if (!std::filesystem::exists(run.folder)) return found;
        // The exact records; their spreadsheet copies are left aside.
        for (const auto& entry : std::filesystem::directory_iterator(run.folder))
            if (entry.path().string().find(sheet_suffix) == std::string::npos)
                found.push_back(entry.path().string());
        return found;
    }
    // The first row after the column line of a record.
    static std::string first_row(const std::string& path)
    {
        const std::vector<std::string> lines = lines_of(read_file(path));
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i] == record_columns) return lines[i + 1];
        return "";
    }

    TempDir dir;
    LessonRun run;
};

}  // namespace

TEST_F(LessonRunTest, EveryRunCountsTimeFromZeroInThePanelAndTheRecord)
{
    simulation.temps = 345.0;  // what an earlier run left
    start_lesson_run(run, axis_lesson(), "premier");
    EXPECT_EQ(simulation.temps, 0.0);
    steps(40);
    EXPECT_NEAR(simulation.temps, 2.0, 1e-9);

    restart_lesson_run(run);  // 'k'
    EXPECT_EQ(simulation.temps, 0.0);
    EXPECT_EQ(run.history.front().t, 0.0);
    steps(1);
    EXPECT_EQ(first_row(run.record.path).substr(0, 2), "0,");

    start_lesson_run(run, axis_lesson(0.25), "second");  // another case
    EXPECT_EQ(simulation.temps, 0.0);
    steps(1);
    EXPECT_EQ(first_row(run.record.path).substr(0, 2), "0,");
    EXPECT_EQ(records().size(), 3u);
}

TEST_F(LessonRunTest, ARunLeftBeforeAnyTimePassedWritesNoRecord)
{
    start_lesson_run(run, axis_lesson(), "vide");
    restart_lesson_run(run);
    start_lesson_run(run, axis_lesson(), "vide");
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(run.record_note.empty());
}

TEST_F(LessonRunTest, PressesMadeTogetherArePaidOnceEachAndAppliedOnePerStep)
{
    start_lesson_run(run, axis_lesson(), "file");
    const double one_press = press_change(run);
    ASSERT_NEAR(one_press, 0.05, 1e-12);
    // Three presses while paused (no step between them).
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(queue_press(run, key_thrust_right));
    EXPECT_EQ(simulation.reserve, initial_reserve - 3);
    EXPECT_EQ(run.queue.size(), 3u);
    // The prediction already holds all three: three press-changes of speed.
    const Motion predicted = coast_at(run.prediction, 0.0, 3.0, 1.0);
    EXPECT_NEAR(predicted.xp, 3 * one_press, 1e-12);

    steps(3);
    EXPECT_TRUE(run.queue.empty());
    EXPECT_NEAR(simulation.xp, 3 * one_press, 1e-12);
    EXPECT_EQ(run.presses.size(), 3u);
    steps(1);
    EXPECT_NEAR(simulation.xp, 3 * one_press, 1e-12);  // nothing more than was paid for
    const std::vector<std::string> lines = lines_of(read_file(run.record.path));
    int thrust_rows = 0;
    for (const std::string& line : lines)
        if (line.find(",1,0,0,") != std::string::npos) ++thrust_rows;  // fx fy fz
    EXPECT_EQ(thrust_rows, 3);
}

TEST_F(LessonRunTest, PressesAreRefusedWithoutFuelAndAfterTheVerdict)
{
    Lesson lesson = axis_lesson();
    lesson.fuel = 1;
    lesson.values.Y0 = -1.6;
    lesson.values.Yp0 = 0.05;  // docks in a few steps
    start_lesson_run(run, lesson, "fin");
    EXPECT_TRUE(queue_press(run, key_thrust_up));
    EXPECT_FALSE(queue_press(run, key_thrust_up));
    EXPECT_EQ(simulation.reserve, 0);
    while (!run.ended && simulation.temps < 10.0) step_lesson_run(run);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.end.outcome, outcome_docked);
    EXPECT_FALSE(queue_press(run, key_thrust_up));
    EXPECT_FALSE(run.record.file);  // closed with its verdict
    EXPECT_NE(read_file(run.record.path).find("# verdict: arrime; vitesse"), std::string::npos);
}
