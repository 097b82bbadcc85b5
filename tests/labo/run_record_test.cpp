// Run records: a real run written as CSV and read back exactly, names never
// reused (accents kept), a folder that cannot be made, a disk that fills up,
// the spreadsheet copy read back by LibreOffice, and tools/plot_run.py drawing
// a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/mount.h>

#include "capture.h"
#include "run_record.h"
#include "sim_fixture.h"
#include "temp_files.h"

namespace {

// A row's thirteen numbers in the record's column order.
std::vector<double> row_values(const RecordRow& r)
{
    const Motion& m = r.motion;
    return {r.t,
            m.x,
            m.y,
            m.z,
            m.xp,
            m.yp,
            m.zp,
            r.fx,
            r.fy,
            r.fz,
            static_cast<double>(r.fuel),
            r.port_distance,
            r.speed};
}

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
                                      const std::string& reason = "",
                                      const Lesson& lesson = fo2_lesson(),
                                      const std::string& folder = "")
    {
        scenario = lesson.values;
        start_run("fo2");
        std::string why;
        EXPECT_TRUE(open_run_record(record_, folder.empty() ? dir_.file("runs") : folder,
                                    "data/fo2.in", lesson, &why))
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
        const std::vector<double> expected = row_values(row);
        for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(number(f[k]), expected[k]);
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
    ASSERT_TRUE(open_run_record(records[0], folder, "cas/élève «2».in", fo2_lesson(), nullptr));
    const std::string first = records[0].path;
    ASSERT_TRUE(is_dated_name(std::filesystem::path(first).filename().string(), "élève__2_"))
        << first;
    // A file already under the next name is kept as it is and skipped.
    const std::string stem = first.substr(0, first.size() - 4);
    dir_.write("runs/" + std::filesystem::path(stem + "-2.csv").filename().string(), "précieux");
    for (size_t i = 1; i < records.size(); ++i)
        ASSERT_TRUE(open_run_record(records[i], folder, "cas/élève «2».in", fo2_lesson(), nullptr));
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
    EXPECT_EQ(why, "impossible de créer le dossier « " + folder +
                       " » : un élément du chemin n'est pas un dossier");
    EXPECT_EQ(record_.failure, why);
    EXPECT_FALSE(record_is_complete(record_));
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

namespace {

// A disk with `disk_space` bytes left: the write reaching the limit is cut,
// the next fails with ENOSPC, and then room comes back, as it did for the
// tester whose records went on with a row glued to a cut one. < 0: no limit.
long disk_space = -1;

ssize_t small_disk(int descriptor, const void* bytes, size_t count)
{
    if (disk_space == 0) {
        disk_space = -1;
        errno = ENOSPC;
        return -1;
    }
    const size_t room = disk_space < 0 ? count : std::min(count, static_cast<size_t>(disk_space));
    const ssize_t written = write(descriptor, bytes, room);
    if (disk_space > 0 && written > 0) disk_space -= written;
    return written;
}

// A tmpfs of 64 KiB mounted for the test, when the test may mount one.
struct SmallFileSystem {
    std::string folder;
    bool mounted = false;
    explicit SmallFileSystem(const std::string& where) : folder(where)
    {
        std::filesystem::create_directories(folder);
        mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted) umount(folder.c_str());
    }
};

std::vector<std::string> split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at; (at = line.find(separator, start)) != std::string::npos; start = at + 1)
        fields.push_back(line.substr(start, at - start));
    fields.push_back(line.substr(start));
    return fields;
}

double sheet_value(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    return number(text);
}

// A record stopped by a full disk: after its column line, whole rows that are
// the run's rows in order (none missing, none glued), then at most one cut
// row, then at most the unfinished mark (whole, or cut when the disk stays
// full), and nothing after. Returns whether the mark is there whole.
bool expect_stopped_cleanly(const std::string& text, const std::string& columns,
                            const std::string& mark, const std::vector<RecordRow>& rows)
{
    const bool sheet = columns.find(';') != std::string::npos;
    const std::vector<std::string> lines = lines_of(text);
    const auto header = std::find(lines.begin(), lines.end(), columns);
    if (header == lines.end()) return false;  // stopped in its head: nothing to check
    size_t row = 0;
    for (auto line = header + 1; line != lines.end(); ++line) {
        const std::vector<std::string> f = split(*line, sheet ? ';' : ',');
        const bool whole = f.size() == 14u && (f[13] == "en_cours" || f[13] == "trop_vite");
        const bool last = line + 1 == lines.end();
        if (whole && row < rows.size()) {
            const double t = sheet ? sheet_value(f[0]) : number(f[0]);
            EXPECT_NEAR(t, rows[row].t, 1e-9) << "row " << row << " missing or glued";
            ++row;
            continue;
        }
        if (*line == mark || (line->empty() && sheet)) {
            EXPECT_TRUE(*line != mark || last) << "written after the mark: " << *(line + 1);
            continue;
        }
        // A cut row or a cut mark: only the mark may follow, nothing else.
        EXPECT_TRUE(last || *(line + 1) == mark || (line + 1)->empty()) << *line;
    }
    return !lines.empty() && lines.back() == mark;
}

// A cell of LibreOffice's flat XML: its type and value ("float" and its
// number, or "string" and its text as XML writes it).
struct Cell {
    std::string type;
    std::string value;
};

std::string attribute(const std::string& tag, const std::string& name)
{
    const size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const size_t start = at + name.size() + 3;
    return tag.substr(start, tag.find('"', start) - start);
}

std::vector<std::vector<Cell>> read_flat_sheet(const std::string& xml)
{
    std::vector<std::vector<Cell>> table;
    const std::string row_open = "<table:table-row", row_close = "</table:table-row>";
    const std::string cell_open = "<table:table-cell", cell_close = "</table:table-cell>";
    for (size_t row = xml.find(row_open); row != std::string::npos;
         row = xml.find(row_open, row + 1)) {
        const size_t row_end = xml.find(row_close, row);
        std::vector<Cell> cells;
        for (size_t cell = xml.find(cell_open, row); cell < row_end;
             cell = xml.find(cell_open, cell + 1)) {
            const size_t tag_end = xml.find('>', cell);
            const std::string tag = xml.substr(cell, tag_end - cell);
            Cell read{attribute(tag, "office:value-type"), attribute(tag, "office:value")};
            if (read.type == "string") {
                const size_t p = xml.find("<text:p>", tag_end) + 8;
                read.value = xml.substr(p, xml.find("</text:p>", p) - p);
            }
            const std::string repeated = attribute(tag, "table:number-columns-repeated");
            cells.insert(cells.end(), repeated.empty() ? 1 : std::stoul(repeated), read);
        }
        // LibreOffice pads every row with empty cells to the widest.
        while (!cells.empty() && cells.back().type.empty()) cells.pop_back();
        table.push_back(cells);
    }
    return table;
}

}  // namespace

TEST_F(RunRecordTest, FullDiskStopsTheRecordWithNoRowGluedAndSaysWhy)
{
    // Cut here and there in the rows of both files, each time with room back
    // after the failure; and a real 64 KiB file system that stays full, when
    // this test may mount one.
    std::vector<long> spaces;
    for (long space = 3000; space < 3400; space += 23) spaces.push_back(space);
    SmallFileSystem small(dir_.file("petit"));
    if (small.mounted) spaces.push_back(-1);
    const std::string exact_mark = u8"# verdict: inacheve; relevé arrêté : disque plein";
    const std::string sheet_mark = u8"verdict;inacheve;relevé arrêté : disque plein";
    std::string sheet_columns = record_columns;
    std::replace(sheet_columns.begin(), sheet_columns.end(), ',', ';');
    for (size_t i = 0; i < spaces.size(); ++i) {
        SCOPED_TRACE(spaces[i] < 0 ? "tmpfs" : "space " + std::to_string(spaces[i]));
        const bool real = spaces[i] < 0;
        record_ = RunRecord{};
        record_.writer = real ? &write : &small_disk;
        disk_space = spaces[i];
        std::vector<RecordRow> rows;
        const Console console = capture_console([&] {
            rows =
                record_run(real ? 1000 : 40, {{3, key_thrust_up}}, "fin", fo2_lesson(),
                           real ? small.folder + "/runs" : dir_.file("runs" + std::to_string(i)));
        });
        disk_space = -1;
        EXPECT_FALSE(record_is_complete(record_));
        EXPECT_EQ(record_.file, nullptr);
        EXPECT_NE(record_.failure.find("disque plein"), std::string::npos) << record_.failure;
        EXPECT_NE(record_.failure.find(record_.path), std::string::npos) << record_.failure;
        EXPECT_EQ(lines_of(console.err),
                  std::vector<std::string>{"orvanel-labo: " + record_.failure});
        EXPECT_LT(record_.rows, static_cast<long>(rows.size()));
        const bool exact_marked =
            expect_stopped_cleanly(read_file(record_.path), record_columns, exact_mark, rows);
        const bool sheet_marked =
            expect_stopped_cleanly(read_file(record_.sheet_path), sheet_columns, sheet_mark, rows);
        // With room back, both files end with their mark.
        EXPECT_TRUE(real || (exact_marked && sheet_marked));
    }
}

TEST_F(RunRecordTest, SpreadsheetCopyOpensInLibreOfficeWithOneNumberPerCell)
{
    Lesson lesson = fo2_lesson();
    lesson.title = u8"Un titre ; « cité » \"ici\"";
    const std::vector<RecordRow> rows = record_run(30, {{3, key_thrust_up}, {10, key_thrust_right}},
                                                   u8"arrêté ; à la main", lesson);
    const std::string sheet = read_file(record_.sheet_path);
    ASSERT_EQ(sheet.compare(0, 3, "\xEF\xBB\xBF"), 0) << "a UTF-8 byte order mark first";

    // LibreOffice's own import, as a French teacher's spreadsheet reads it
    // (';', '"', UTF-8, French numbers), written back as flat XML.
    const std::string out = dir_.file("lu");
    int status = -1;
    const std::string said = run_command(
        "soffice -env:UserInstallation=file://" + dir_.file("profil") +
            " --headless --infilter='Text - txt - csv (StarCalc):59,34,76,1,,1036' --convert-to "
            "fods --outdir '" +
            out + "' '" + record_.sheet_path + "' 2>&1",
        &status);
    ASSERT_EQ(status, 0) << said;
    const std::string stem = std::filesystem::path(record_.sheet_path).stem().string();
    const std::vector<std::vector<Cell>> table =
        read_flat_sheet(read_file(out + "/" + stem + ".fods"));
    ASSERT_EQ(table.size(), 4u + 1u + 1u + rows.size() + 1u + 1u) << said;

    auto texts = [](const std::vector<Cell>& cells) {
        std::vector<std::string> found;
        for (const Cell& c : cells) found.push_back(c.type + ":" + c.value);
        return found;
    };
    EXPECT_EQ(texts(table[0]), (std::vector<std::string>{"string:programme", "string:scénario",
                                                         "string:titre", "string:unités"}));
    EXPECT_EQ(table[1][2].value, "Un titre ; « cité » &quot;ici&quot;");
    const double case_values[] = {0.005, 3, 0.25, 0, -15, 0, 0, 0, 0, 1, 0.12, 0.1, 100};
    ASSERT_EQ(table[3].size(), std::size(case_values) + 1);
    EXPECT_EQ(texts({table[2].back(), table[3].back()}),
              (std::vector<std::string>{"string:planificateur", "string:oui"}));
    for (size_t k = 0; k < std::size(case_values); ++k) {
        EXPECT_EQ(table[3][k].type, "float") << k;
        EXPECT_EQ(number(table[3][k].value), case_values[k]) << k;
    }
    ASSERT_EQ(table[5].size(), 14u);
    EXPECT_EQ(table[5][0].value, "temps (ut)");
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::vector<Cell>& cells = table[6 + i];
        ASSERT_EQ(cells.size(), 14u) << i;
        const RecordRow& r = rows[i];
        const std::vector<double> expected = row_values(r);
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(cells[k].type, "float") << i << "," << k << " " << cells[k].value;
            // Six significant digits.
            EXPECT_NEAR(number(cells[k].value), expected[k], 5e-6 * std::fabs(expected[k]) + 1e-300)
                << i << "," << k;
        }
        EXPECT_EQ(texts({cells[13]}), std::vector<std::string>{"string:en_cours"});
    }
    EXPECT_EQ(texts(table.back()), (std::vector<std::string>{"string:verdict", "string:en_cours",
                                                             "string:arrêté ; à la main"}));
}

TEST_F(RunRecordTest, PlotToolSaysInOneLineWhatIsMissingOrUnfinished)
{
    record_run(30, {{3, key_thrust_up}});
    const std::string run = record_.path;
    // Python without its installed packages: no matplotlib to import.
    int status = -1;
    std::string said =
        run_command("/usr/bin/python3 -I -S " + plot_tool + " " + run + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(lines_of(said).size(), 1u) << said;
    EXPECT_NE(said.find("apt install python3-matplotlib"), std::string::npos) << said;

    // A record stopped by a full disk in the middle of a row.
    record_.writer = &small_disk;
    disk_space = 3100;
    capture_console([&] { record_run(40, {{3, key_thrust_up}}); });
    record_.writer = &write;
    const std::string stopped = record_.path;
    // A run flung to the edge of the doubles.
    const std::string far = dir_.write("loin.csv", read_file(run) +
                                                       "2,1e308,-1e308,0,1e308,0,0,0,"
                                                       "0,0,99,1e308,1e308,perdu\n");
    for (const std::string& record : {stopped, far}) {
        const std::string out =
            run_command(plot_tool + " " + record + " 2>" + dir_.file("err.txt"), &status);
        const std::string err = read_file(dir_.file("err.txt"));
        EXPECT_EQ(status, 0) << err;
        EXPECT_EQ(err, "") << "no warning";
        EXPECT_EQ(lines_of(out).size(), 1u) << out;
        const bool unfinished =
            out.find(u8"Relevé inachevé (relevé arrêté : disque plein)") != std::string::npos;
        EXPECT_EQ(unfinished, record == stopped) << out;
    }
}
