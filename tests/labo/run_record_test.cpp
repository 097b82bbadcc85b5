// Run records: a real run written as CSV and read back exactly, names never
// reused, a folder that cannot be made, and tools/plot_run.py drawing a record.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "run_record.h"
#include "sim_fixture.h"
#include "temp_files.h"

namespace {

const std::string plot_tool = std::string(ORVANEL_SOURCE_DIR) + "/tools/plot_run.py";

// The values of data/fo2.in, with a title.
Lesson fo2_lesson()
{
    Lesson lesson;
    lesson.values = Scenario{0.005, 500, 0.25, 3.0, 0.0, -15.0, 0.0, 0.0, 0.0, 0.0, 1.0};
    lesson.title = "Approche, « Omega 0,25 »";
    return lesson;
}

class RunRecordTest : public SimTest {
protected:
    // Flies `steps` steps of fo2 with a press (GLUT key code) at the given
    // steps, recording each; returns the rows written, closed with `reason`.
    std::vector<RecordRow> record_run(int steps, const std::vector<std::pair<int, int>>& presses,
                                      const std::string& reason = "")
    {
        const Lesson lesson = fo2_lesson();
        scenario = lesson.values;
        start_run("fo2");
        std::string why;
        EXPECT_TRUE(open_run_record(record_, dir_.file("runs"), "data/fo2.in", lesson, &why))
            << why;
        std::vector<RecordRow> rows;
        for (int step = 0; step < steps; ++step) {
            for (const auto& [at, key] : presses)
                if (at == step) fire_thruster(key);
            RecordRow row;
            row.fx = simulation.fx, row.fy = simulation.fy, row.fz = simulation.fz;
            step_simulation();
            const SimulationState& s = simulation;
            row.t = s.temps;
            row.motion = Motion{s.x, s.y, s.z, s.xp, s.yp, s.zp};
            row.fuel = s.reserve;
            row.port_distance = port_distance(row.motion);
            row.speed = chaser_speed(s.xp, s.yp, s.zp);
            row.outcome = decide_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp, lesson.limits);
            write_record_row(record_, row);
            rows.push_back(row);
        }
        close_run_record(record_, reason);
        return rows;
    }

    RunRecord record_;
};

std::vector<std::string> fields_of(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
    return fields;
}

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

bool starts_with(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "YYYY-MM-DD_HH-MM-SS_<scenario>.csv": digits where the clock goes.
bool is_dated_name(const std::string& name, const std::string& scenario)
{
    const std::string shape = "dddd-dd-dd_dd-dd-dd_";
    if (name != name.substr(0, shape.size()) + scenario + ".csv") return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
        if (shape[i] == 'd' ? !digit : name[i] != shape[i]) return false;
    }
    return true;
}

}  // namespace

TEST_F(RunRecordTest, HeaderThenOneRowPerStepReadingBackExactly)
{
    const std::vector<RecordRow> rows =
        record_run(60, {{3, key_thrust_up}, {10, key_thrust_right}, {20, key_thrust_page_up}},
                   "vitesse 0,15 > 0,12");
    EXPECT_TRUE(is_dated_name(std::filesystem::path(record_.path).filename().string(), "fo2"));
    EXPECT_EQ(std::filesystem::path(record_.path).parent_path(), dir_.file("runs"));
    EXPECT_EQ(record_.rows, 60);
    EXPECT_EQ(record_.file, nullptr);

    const std::vector<std::string> lines = lines_of(read_file(record_.path));
    const std::vector<std::string> header = {
        "# programme: Orvanel Labo",
        "# scenario: fo2",
        "# titre: Approche, « Omega 0,25 »",
        "# unites: ul et ut, unités de longueur et de temps du scénario",
        "# dt: 0.005",
        "# trois: 3",
        "# Omega: 0.25",
        "# X0: 0",
        "# Y0: -15",
        "# Z0: 0",
        "# Xp0: 0",
        "# Yp0: 0",
        "# Zp0: 0",
        "# p: 1",
        "# vitesse_max: 0.12",
        "# tolerance: 0.1",
        "# carburant: 100",
        "# planificateur: oui",
        "temps (ut),x (ul),y (ul),z (ul),xp (ul/ut),yp (ul/ut),zp (ul/ut),fx (ul/ut2),"
        "fy (ul/ut2),fz (ul/ut2),carburant (poussees),distance_port (ul),vitesse (ul/ut),verdict",
    };
    ASSERT_EQ(lines.size(), header.size() + rows.size() + 1);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + header.size()), header);
    EXPECT_EQ(header.back(), record_columns);
    EXPECT_EQ(lines.back(), "# verdict: en_cours; vitesse 0,15 > 0,12");

    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(lines[header.size() + i]);
        const std::vector<std::string> f = fields_of(lines[header.size() + i]);
        ASSERT_EQ(f.size(), 14u);
        const RecordRow& row = rows[i];
        const Motion& m = row.motion;
        const double expected[] = {row.t,
                                   m.x,
                                   m.y,
                                   m.z,
                                   m.xp,
                                   m.yp,
                                   m.zp,
                                   row.fx,
                                   row.fy,
                                   row.fz,
                                   static_cast<double>(row.fuel),
                                   row.port_distance,
                                   row.speed};
        for (size_t k = 0; k < std::size(expected); ++k) EXPECT_EQ(number(f[k]), expected[k]);
        EXPECT_EQ(f[13], outcome_word(row.outcome));
    }
    // The presses really moved the chaser and spent fuel: the rows are a run.
    EXPECT_EQ(rows[3].fy, 1.0);
    EXPECT_EQ(rows[20].fz, 1.0);
    EXPECT_EQ(rows.back().fuel, initial_reserve - 3);
    EXPECT_GT(rows.back().motion.z, 0.0);
}

TEST_F(RunRecordTest, OutcomeWordsAndPortDistance)
{
    const char* const words[] = {"en_cours", "collision", "trop_vite", "arrime", "perdu"};
    for (int code = 0; code < outcome_count; ++code)
        EXPECT_STREQ(outcome_word(static_cast<Outcome>(code)), words[code]);
    EXPECT_EQ(port_distance(Motion{3.0, -1.5 - 4.0, 12.0}), 13.0);
}

TEST_F(RunRecordTest, NamesAreNeverReused)
{
    const std::string folder = dir_.file("runs");
    std::vector<RunRecord> records(3);
    ASSERT_TRUE(open_run_record(records[0], folder, "essai é.in", fo2_lesson(), nullptr));
    const std::string first = records[0].path;
    ASSERT_TRUE(is_dated_name(std::filesystem::path(first).filename().string(), "essai___"));
    // A file already under the next name is kept as it is and skipped.
    const std::string stem = first.substr(0, first.size() - 4);
    dir_.write("runs/" + std::filesystem::path(stem + "-2.csv").filename().string(), "précieux");
    for (size_t i = 1; i < records.size(); ++i)
        ASSERT_TRUE(open_run_record(records[i], folder, "essai é.in", fo2_lesson(), nullptr));
    EXPECT_EQ(read_file(stem + "-2.csv"), "précieux");
    for (size_t i = 1; i < records.size(); ++i) {
        for (size_t j = 0; j < i; ++j) EXPECT_NE(records[i].path, records[j].path);
        // Within the same second the copies are numbered; a new second needs no number.
        if (starts_with(records[i].path, stem)) {
            EXPECT_EQ(records[i].path, stem + "-" + std::to_string(i + 2) + ".csv");
        }
    }
}

TEST_F(RunRecordTest, FolderThatCannotBeMadeGivesFalseAndAMessage)
{
    const std::string folder = dir_.write("plain", "a file") + "/runs";
    std::string why;
    EXPECT_FALSE(open_run_record(record_, folder, "fo2", fo2_lesson(), &why));
    EXPECT_EQ(why, "impossible de créer le dossier « " + folder + " ».");
    EXPECT_EQ(record_.file, nullptr);
    write_record_row(record_, RecordRow{});
    close_run_record(record_, "rien");
    EXPECT_EQ(record_.rows, 0);
}

TEST_F(RunRecordTest, PlotToolDrawsARecordedRunAsPngAndPdf)
{
    record_run(400, {{5, key_thrust_up}, {60, key_thrust_left}, {200, key_thrust_page_down}},
               "distance 100,2 > 100 : perdu dans l'espace");
    const std::string run = record_.path;
    record_run(1, {});
    const std::string one_row = record_.path;
    const std::vector<std::pair<std::string, std::string>> figures = {
        {run + " -o " + dir_.file("run.png"), "\x89PNG\r\n\x1a\n"},
        {run + " -o " + dir_.file("run.pdf"), "%PDF-"},
        {one_row, "\x89PNG\r\n\x1a\n"},
    };
    const std::vector<std::string> outputs = {dir_.file("run.png"), dir_.file("run.pdf"),
                                              one_row.substr(0, one_row.size() - 4) + ".png"};
    for (size_t i = 0; i < figures.size(); ++i) {
        int status = -1;
        const std::string said = run_command(plot_tool + " " + figures[i].first + " 2>&1", &status);
        EXPECT_EQ(status, 0) << said;
        const std::string figure = read_file(outputs[i]);
        EXPECT_GT(figure.size(), 1000u);
        EXPECT_TRUE(starts_with(figure, figures[i].second)) << outputs[i];
    }
}

TEST_F(RunRecordTest, PlotToolRefusesAMissingOrMalformedFileInOneLine)
{
    const std::string malformed = dir_.write("bad.csv", std::string(record_columns) + "\n1,2,3\n");
    for (const std::string& path : {dir_.file("absent.csv"), malformed}) {
        int status = -1;
        const std::string said = run_command(plot_tool + " " + path + " 2>&1", &status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(lines_of(said).size(), 1u) << said;
        EXPECT_NE(said.find(path), std::string::npos) << said;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("bad.png")));
}
