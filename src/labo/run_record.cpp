// Run records: CSV files for lab reports, named after the clock and the
// scenario, never overwriting one another, numbers written exactly; beside
// each, a copy for a French spreadsheet; every write checked.
//
// Index: [names] file names from the scenario's; [numbers] exact and
// spreadsheet numbers; [writes] checked writes and stopping a record;
// [heads] the comment lines and the spreadsheet's block; [operations].
#include "run_record.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "number_text.h"

const char* const runs_folder = "runs";
const char* const record_columns =
    "temps (ut),x (ul),y (ul),z (ul),xp (ul/ut),yp (ul/ut),zp (ul/ut),fx (ul/ut2),fy (ul/ut2),"
    "fz (ul/ut2),carburant (poussees),distance_port (ul),vitesse (ul/ut),verdict";

namespace {

const char* const program_name = "Orvanel Labo";
const char* const unnamed_scenario = "scenario";
const char* const record_extension = ".csv";
const char* const clock_format = "%Y-%m-%d_%H-%M-%S";
constexpr size_t max_name_bytes = 64;       // of the scenario part of a file name
constexpr int max_same_name_copies = 1000;  // "-2" .. "-1000", then the record fails
constexpr size_t clock_text_bytes = 32;     // room for a clock_format stamp
const char* const outcome_words[outcome_count] = {"en_cours", "collision", "trop_vite", "arrime",
                                                  "perdu"};
const char* const byte_order_mark = "\xEF\xBB\xBF";
constexpr int sheet_digits = 6;  // significant digits of a spreadsheet number
const char* const stopped_reason = u8"relevé arrêté : ";
const char* const unfinished_key = "verdict";
constexpr size_t max_utf8_bytes = 4;

// ---------------------------------------------------------------------------
// [names]
// ---------------------------------------------------------------------------

bool is_name_character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence of two or three bytes at `at`,
// with its code point; 0 for anything else (one byte, four, or malformed).
size_t utf8_sequence(const std::string& text, size_t at, unsigned* code)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    unsigned value = lead & (length == 2 ? 0x1F : 0x0F);
    for (size_t k = 1; k < length; ++k) {
        const unsigned char byte = static_cast<unsigned char>(text[at + k]);
        if (!is_continuation(byte)) return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    const bool overlong = length == 3 && value < 0x800;
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (overlong || surrogate) return 0;
    *code = value;
    return length;
}

// The letters of the Latin alphabets beyond ASCII: "é", "ç", "œ", "ŵ"...
bool is_latin_letter(unsigned code)
{
    const bool latin_1 = code >= 0xC0 && code <= 0xFF && code != 0xD7 && code != 0xF7;
    const bool extended = code >= 0x100 && code <= 0x24F;
    const bool additional = code >= 0x1E00 && code <= 0x1EFF;
    return latin_1 || extended || additional;
}

// The scenario part of a file name: the stem of the scenario's file, letters
// (accented ones kept whole), digits, '_' and '-' kept, any other character
// made one '_'. No '/', no control byte, no quote, no space: a safe file name,
// and one any program can be given as an argument.
std::string name_part(const std::string& scenario_name)
{
    const std::string stem = std::filesystem::path(scenario_name).stem().string();
    std::string name;
    size_t at = 0;
    while (at < stem.size()) {
        unsigned code = 0;
        const size_t length = utf8_sequence(stem, at, &code);
        std::string piece = "_";
        if (is_name_character(stem[at])) piece = stem.substr(at, 1);
        if (length > 0 && is_latin_letter(code)) piece = stem.substr(at, length);
        if (name.size() + piece.size() > max_name_bytes) break;
        name += piece;
        at += length > 0 ? length : 1;
    }
    static_assert(max_name_bytes >= max_utf8_bytes, "room for one whole character");
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

// "runs/x.csv" gives "runs/x.tableur.csv".
std::string sheet_path_of(const std::string& path)
{
    return std::filesystem::path(path).replace_extension("").string() + sheet_suffix;
}

// ---------------------------------------------------------------------------
// [numbers]
// ---------------------------------------------------------------------------

// The shortest text that reads back as exactly this value, with a '.' whatever
// the locale: a spreadsheet and tools/plot_run.py get the run's own numbers.
std::string exact(double value) { return shortest_text(value); }

// The value rounded to sheet_digits significant digits, with a decimal comma
// and never an exponent: a spreadsheet reads "0,0000012" as a number whatever
// its import options, where "1,2e-06" may stay text.
std::string sheet_number(double value)
{
    if (!std::isfinite(value)) return exact(value);
    if (value == 0.0) return "0";
    // "-d.ddddde±XX": the digits and the power of ten of the first one.
    const std::string written = scientific_text(value, sheet_digits - 1);
    const size_t e = written.find('e');
    const bool negative = written[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i)
        if (written[i] != '.') digits += written[i];
    const int power = std::atoi(written.c_str() + e + 1);
    std::string whole, fraction;
    if (power < 0) {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-power - 1), '0') + digits;
    } else if (static_cast<size_t>(power) + 1 >= digits.size()) {
        whole = digits + std::string(static_cast<size_t>(power) + 1 - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<size_t>(power) + 1);
        fraction = digits.substr(static_cast<size_t>(power) + 1);
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return (negative ? "-" : "") + whole + (fraction.empty() ? "" : "," + fraction);
}

// One comment line holds one line of text: control characters become spaces.
std::string one_line(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

// A text cell of the spreadsheet copy, quoted when it holds a ';' or a '"'.
std::string sheet_text(const std::string& text)
{
    const std::string line = one_line(text);
    if (line.find_first_of(";\"") == std::string::npos) return line;
    std::string quoted = "\"";
    for (char c : line) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string sheet_line(const std::vector<std::string>& cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? ";" : "") + cells[i];
    return line + "\n";
}

// ---------------------------------------------------------------------------
// [writes]
// ---------------------------------------------------------------------------

// Writes all of text to the file's descriptor. On failure keeps errno in
// *error and says in *cut whether part of the text went out first.
bool put_all(const RunRecord& record, std::FILE* file, const std::string& text, int* error,
             bool* cut)
{
    const int descriptor = fileno(file);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = record.writer(descriptor, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            // A file that takes nothing without an error is full all the same.
            *error = written < 0 ? errno : ENOSPC;
            *cut = done > 0;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Sets the record's failure and says it once on the error stream.
void fail(RunRecord& record, const std::string& message)
{
    if (!record.failure.empty()) return;
    record.failure = message;
    std::fprintf(stderr, "orvanel-labo: %s\n", message.c_str());
}

// Tries once to end a stopped file with its unfinished mark, on a line of its
// own; whatever happens, nothing more is written to it.
void mark_unfinished(const RunRecord& record, std::FILE* file, bool cut, const std::string& mark)
{
    if (file == nullptr) return;
    int ignored_error = 0;
    bool ignored_cut = false;
    put_all(record, file, (cut ? "\n" : "") + mark, &ignored_error, &ignored_cut);
}

// A write failed: the record stops here, marked unfinished where room is
// left; `consequence` tells the user what is left of it.
void stop_record(RunRecord& record, int error, bool exact_cut, bool sheet_cut,
                 const char* consequence)
{
    const std::string reason = french_error(error);
    const std::string why = std::string(stopped_reason) + reason;
    mark_unfinished(
        record, record.file.get(), exact_cut,
        "# " + std::string(unfinished_key) + ": " + unfinished_word + "; " + why + "\n");
    mark_unfinished(record, record.sheet.get(), sheet_cut,
                    "\n" + sheet_line({unfinished_key, unfinished_word, sheet_text(why)}));
    record.file.reset();
    record.sheet.reset();
    fail(record,
         u8"écriture impossible dans « " + record.path + " » : " + reason + " ; " + consequence);
}

// Appends to both files; false, the record stopped, when a write fails.
bool write_both(RunRecord& record, const std::string& exact_text, const std::string& sheet,
                const char* consequence = u8"relevé arrêté, incomplet")
{
    if (!record.file || !record.sheet) return false;
    int error = 0;
    bool cut = false;
    if (!put_all(record, record.file.get(), exact_text, &error, &cut)) {
        stop_record(record, error, cut, false, consequence);
        return false;
    }
    if (!put_all(record, record.sheet.get(), sheet, &error, &cut)) {
        stop_record(record, error, false, cut, consequence);
        return false;
    }
    return true;
}

// Closes one file, saying why when its close fails (data the system held back
// may be lost then).
void close_file(RunRecord& record, std::unique_ptr<std::FILE, int (*)(std::FILE*)>& file,
                const std::string& path)
{
    std::FILE* open = file.release();
    if (open == nullptr || std::fclose(open) == 0) return;
    fail(record, u8"fermeture de « " + path + " » impossible : " + french_error(errno) +
                     u8" ; relevé peut-être incomplet");
}

// ---------------------------------------------------------------------------
// [heads]
// ---------------------------------------------------------------------------

// The folder, made when missing; false with the reason otherwise.
bool make_folder(RunRecord& record, const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) return true;
    const int code = error ? error.value() : ENOTDIR;
    fail(record, u8"impossible de créer le dossier « " + folder + " » : " + french_error(code));
    return false;
}

// "wx" creates a file or fails, so that even a file made meanwhile by another
// run is never overwritten; errno says why.
std::FILE* create_new(const std::string& path) { return std::fopen(path.c_str(), "wx"); }

// A record and its copy under names no file has.
bool create_unused(RunRecord& record, const std::string& stem)
{
    for (int copy = 1; copy <= max_same_name_copies; ++copy) {
        const std::string path =
            stem + (copy > 1 ? "-" + std::to_string(copy) : "") + record_extension;
        const std::string sheet = sheet_path_of(path);
        record.path = path;
        record.file.reset(create_new(path));
        if (!record.file && errno == EEXIST) continue;
        if (!record.file) {
            fail(record, u8"impossible de créer « " + path + " » : " + french_error(errno));
            return false;
        }
        record.sheet.reset(create_new(sheet));
        if (record.sheet) {
            record.sheet_path = sheet;
            return true;
        }
        const int error = errno;
        record.file.reset();
        std::remove(path.c_str());  // empty, and made by this run: a name no one saw
        if (error == EEXIST) continue;
        fail(record, u8"impossible de créer « " + sheet + " » : " + french_error(error));
        return false;
    }
    fail(record, u8"trop de relevés nommés « " + stem + " ».");
    return false;
}

std::string comment(const char* key, const std::string& value)
{
    return "# " + std::string(key) + ": " + one_line(value) + "\n";
}

// The case's values, in the order both heads list them.
std::vector<std::pair<const char*, double>> case_values(const Lesson& lesson)
{
    const Scenario& s = lesson.values;
    return {
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
}

// "non" when the lesson turned the planner off.
const char* planner_word(const Lesson& lesson) { return lesson.planner_allowed ? "oui" : "non"; }

const char* const units_text = u8"ul et ut, unités de longueur et de temps du scénario";

std::string exact_head(const std::string& scenario_name, const Lesson& lesson)
{
    std::string head = comment("programme", program_name) + comment("scenario", scenario_name) +
                       comment("titre", lesson.title) + comment("unites", units_text);
    for (const auto& [key, value] : case_values(lesson)) head += comment(key, exact(value));
    head += comment("carburant", std::to_string(lesson.fuel));
    head += comment("planificateur", planner_word(lesson));
    return head + record_columns + "\n";
}

std::string sheet_columns()
{
    std::string columns = record_columns;
    for (char& c : columns)
        if (c == ',') c = ';';
    return columns + "\n";
}

// The case as two short blocks of names over values, no wider than the rows.
std::string sheet_head(const std::string& scenario_name, const Lesson& lesson)
{
    std::string head = byte_order_mark;
    head += sheet_line({"programme", u8"scénario", "titre", u8"unités"});
    head += sheet_line({sheet_text(program_name), sheet_text(scenario_name),
                        sheet_text(lesson.title), sheet_text(units_text)});
    std::vector<std::string> keys, values;
    for (const auto& [key, value] : case_values(lesson)) {
        keys.push_back(key);
        values.push_back(sheet_number(value));
    }
    keys.push_back("carburant");
    values.push_back(std::to_string(lesson.fuel));
    keys.push_back("planificateur");
    values.push_back(planner_word(lesson));
    return head + sheet_line(keys) + sheet_line(values) + "\n" + sheet_columns();
}

}  // namespace

// ---------------------------------------------------------------------------
// [operations]
// ---------------------------------------------------------------------------

const char* const sheet_suffix = ".tableur.csv";
const char* const unfinished_word = "inacheve";

std::string french_error(int code)
{
    switch (code) {
        case ENOSPC:
        case EDQUOT:
            return "disque plein";
        case EACCES:
        case EPERM:
        case EROFS:
            return u8"permission refusée";
        case ENOENT:
            return "dossier introuvable";
        case ENOTDIR:
            return u8"un élément du chemin n'est pas un dossier";
        case EEXIST:
            return u8"le fichier existe déjà";
        case EIO:
            return u8"erreur d'entrée-sortie du disque";
        case EFBIG:
            return "fichier trop grand";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers ouverts";
        case ENAMETOOLONG:
            return "nom trop long";
        default:
            return u8"erreur système n° " + std::to_string(code);
    }
}

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
    const RecordWriter writer = record.writer;
    record = RunRecord{};
    record.writer = writer;
    const std::string name = name_part(scenario_name);
    const std::filesystem::path stem = std::filesystem::path(folder) / (clock_stamp() + "_" + name);
    const bool made = make_folder(record, folder) && create_unused(record, stem.string());
    const bool opened = made && write_both(record, exact_head(name, lesson),
                                           sheet_head(name, lesson), u8"pas de relevé pour ce vol");
    if (made && !opened) {
        // Not even a head: files that hold nothing of the run go.
        std::remove(record.path.c_str());
        std::remove(record.sheet_path.c_str());
    }
    if (!opened && why != nullptr) *why = record.failure;
    return opened;
}

void write_record_row(RunRecord& record, const RecordRow& row)
{
    if (!record.file) return;
    const Motion& m = row.motion;
    const double values[] = {row.t,
                             m.x,
                             m.y,
                             m.z,
                             m.xp,
                             m.yp,
                             m.zp,
                             row.fx,
                             row.fy,
                             row.fz,
                             static_cast<double>(row.fuel)};
    const double after[] = {row.port_distance, row.speed};
    std::string line, sheet;
    for (double value : values) {
        line += exact(value) + ",";
        sheet += sheet_number(value) + ";";
    }
    for (double value : after) {
        line += exact(value) + ",";
        sheet += sheet_number(value) + ";";
    }
    const char* word = outcome_word(row.outcome);
    // Written row by row: a window closed or killed mid-run keeps its record.
    if (!write_both(record, line + word + "\n", sheet + word + "\n")) return;
    ++record.rows;
    record.outcome = row.outcome;
}

void close_run_record(RunRecord& record, const std::string& reason)
{
    if (!record.file) return;
    const std::string word = outcome_word(record.outcome);
    const std::string line = comment("verdict", reason.empty() ? word : word + "; " + reason);
    const std::string sheet = "\n" + sheet_line({"verdict", word, sheet_text(reason)});
    if (!write_both(record, line, sheet)) return;
    close_file(record, record.file, record.path);
    close_file(record, record.sheet, record.sheet_path);
}

bool record_is_complete(const RunRecord& record)
{
    return !record.file && !record.path.empty() && record.failure.empty();
}
