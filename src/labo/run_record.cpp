// Run records: CSV files for lab reports, named after the clock and the
// scenario, never overwriting one another, numbers written exactly.
#include "run_record.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

const char* const runs_folder = "runs";
const char* const record_columns =
    "temps (ut),x (ul),y (ul),z (ul),xp (ul/ut),yp (ul/ut),zp (ul/ut),fx (ul/ut2),fy (ul/ut2),"
    "fz (ul/ut2),carburant (poussees),distance_port (ul),vitesse (ul/ut),verdict";

namespace {

const char* const program_name = "Orvanel Labo";
const char* const unnamed_scenario = "scenario";
const char* const record_extension = ".csv";
const char* const clock_format = "%Y-%m-%d_%H-%M-%S";
constexpr size_t max_name_bytes = 64;        // of the scenario part of a file name
constexpr int max_same_name_copies = 1000;   // "-2" .. "-1000", then the record fails
constexpr size_t shortest_double_text = 32;  // room for any double written by to_chars
constexpr size_t clock_text_bytes = 32;      // room for a clock_format stamp
const char* const outcome_words[outcome_count] = {"en_cours", "collision", "trop_vite", "arrime",
                                                  "perdu"};

// The shortest text that reads back as exactly this value, with a '.' whatever
// the locale: a spreadsheet and tools/plot_run.py get the run's own numbers.
std::string exact(double value)
{
    char text[shortest_double_text];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

// One comment line holds one line of text: control characters become spaces.
std::string one_line(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

bool is_name_character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// The scenario part of a file name: the stem of the scenario's file, every
// other character replaced by '_', so that any name is a safe file name.
std::string name_part(const std::string& scenario_name)
{
    std::string name = std::filesystem::path(scenario_name).stem().string();
    if (name.size() > max_name_bytes) name.resize(max_name_bytes);
    for (char& c : name)
        if (!is_name_character(c)) c = '_';
    return name.empty() ? unnamed_scenario : name;
}

std::string clock_stamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[clock_text_bytes];
    const size_t length = std::strftime(text, sizeof text, clock_format, &local);
    return std::string(text, length);
}

// The folder, made when missing; false with the reason otherwise.
bool make_folder(const std::string& folder, std::string* why)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (std::filesystem::is_directory(folder, error)) return true;
    if (why != nullptr) *why = "impossible de créer le dossier « " + folder + " ».";
    return false;
}

// A new file under a name no file has: "wx" creates it or fails, so that even a
// file made meanwhile by another run is never overwritten.
bool create_unused(RunRecord& record, const std::string& stem, std::string* why)
{
    for (int copy = 1; copy <= max_same_name_copies; ++copy) {
        const std::string path =
            stem + (copy > 1 ? "-" + std::to_string(copy) : "") + record_extension;
        std::FILE* file = std::fopen(path.c_str(), "wx");
        if (file != nullptr) {
            record.file.reset(file);
            record.path = path;
            return true;
        }
        if (errno != EEXIST) {
            if (why != nullptr) *why = "impossible de créer « " + path + " ».";
            return false;
        }
    }
    if (why != nullptr) *why = "trop de relevés nommés « " + stem + " ».";
    return false;
}

void write_comment(std::FILE* file, const char* key, const std::string& value)
{
    std::fprintf(file, "# %s: %s\n", key, one_line(value).c_str());
}

void write_header(std::FILE* file, const std::string& scenario_name, const Lesson& lesson)
{
    const Scenario& s = lesson.values;
    write_comment(file, "programme", program_name);
    write_comment(file, "scenario", scenario_name);
    write_comment(file, "titre", lesson.title);
    write_comment(file, "unites", "ul et ut, unités de longueur et de temps du scénario");
    const std::pair<const char*, double> values[] = {
        {"dt", s.dt},
        {"trois", s.trois},
        {"Omega", s.Omega},
        {"X0", s.X0},
        {"Y0", s.Y0},
        {"Z0", s.Z0},
        {"Xp0", s.Xp0},
        {"Yp0", s.Yp0},
        {"Zp0", s.Zp0},
        {"p", s.p},
        {"vitesse_max", lesson.limits.max_speed},
        {"tolerance", lesson.limits.tolerance},
    };
    for (const auto& [key, value] : values) write_comment(file, key, exact(value));
    write_comment(file, "carburant", std::to_string(lesson.fuel));
    write_comment(file, "planificateur", lesson.planner_allowed ? "oui" : "non");
    std::fprintf(file, "%s\n", record_columns);
}

}  // namespace

double port_distance(const Motion& at)
{
    const double dy = at.y - port_y;
    return std::sqrt(at.x * at.x + dy * dy + at.z * at.z);
}

const char* outcome_word(Outcome outcome)
{
    const int code = static_cast<int>(outcome);
    return code >= 0 && code < outcome_count ? outcome_words[code] : outcome_words[outcome_none];
}

bool open_run_record(RunRecord& record, const std::string& folder, const std::string& scenario_name,
                     const Lesson& lesson, std::string* why)
{
    close_run_record(record, "");
    record = RunRecord{};
    if (!make_folder(folder, why)) return false;
    const std::string name = name_part(scenario_name);
    const std::filesystem::path stem = std::filesystem::path(folder) / (clock_stamp() + "_" + name);
    if (!create_unused(record, stem.string(), why)) return false;
    write_header(record.file.get(), name, lesson);
    std::fflush(record.file.get());
    return true;
}

void write_record_row(RunRecord& record, const RecordRow& row)
{
    std::FILE* file = record.file.get();
    if (file == nullptr) return;
    const Motion& m = row.motion;
    std::string line;
    for (double value : {row.t, m.x, m.y, m.z, m.xp, m.yp, m.zp, row.fx, row.fy, row.fz})
        line += exact(value) + ",";
    line += std::to_string(row.fuel) + "," + exact(row.port_distance) + "," + exact(row.speed) +
            "," + outcome_word(row.outcome) + "\n";
    // Flushed row by row: a window closed or killed mid-run keeps its record.
    std::fputs(line.c_str(), file);
    std::fflush(file);
    ++record.rows;
    record.outcome = row.outcome;
}

void close_run_record(RunRecord& record, const std::string& reason)
{
    std::FILE* file = record.file.get();
    if (file == nullptr) return;
    const std::string word = outcome_word(record.outcome);
    write_comment(file, "verdict", reason.empty() ? word : word + "; " + reason);
    record.file.reset();
}
