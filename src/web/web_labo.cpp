// The page's run: lessons started from shipped cases or given files, and the
// records of past runs pruned so that only the last two stay in memory.
#include "web_labo.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>

#include <unistd.h>

#include "shipped_cases.h"
#include "simulation.h"

WebLabo web;

const char* const given_files_folder = "/fichiers";
const char* const web_runs_folder = "/runs";

namespace {

constexpr size_t records_kept = 2;  // the last finished record and the one being written

size_t record_budget = default_record_budget;

// What the records' writer has done with a descriptor since the run started.
struct WriteCount {
    size_t bytes = 0;
    bool refused = false;
};
std::map<int, WriteCount> written;

// The records' writer: write(), refused with EFBIG past the budget, which the
// record takes as it takes a full disk. A record stopped that way writes only
// its closing line ("# verdict: inacheve; ..."), which is let through: unlike
// a full disk, the room is there, and the record says why it stopped.
ssize_t budgeted_write(int descriptor, const void* bytes, size_t count)
{
    WriteCount& used = written[descriptor];
    if (!used.refused && used.bytes + count > record_budget) {
        used.refused = true;
        errno = EFBIG;
        return -1;
    }
    const ssize_t done = ::write(descriptor, bytes, count);
    if (done > 0) used.bytes += static_cast<size_t>(done);
    return done;
}

void forget_old_records()
{
    const std::string& current = web.run.record.path;
    if (current.empty()) return;
    if (web.kept_records.empty() || web.kept_records.back() != current)
        web.kept_records.push_back(current);
    while (web.kept_records.size() > records_kept) {
        const std::string old = web.kept_records.front();
        web.kept_records.erase(web.kept_records.begin());
        std::error_code ignored;
        std::filesystem::remove(old, ignored);
        std::filesystem::path sheet(old);
        sheet.replace_extension();
        std::filesystem::remove(sheet.string() + sheet_suffix, ignored);
    }
}

}  // namespace

std::string start_lesson(const std::string& path, const std::string& shown_name)
{
    LessonRead read = read_lesson_file(path);
    if (!read.ok) {
        std::string message = read.error.message;
        const size_t at = message.find(path);
        if (at != std::string::npos) message.replace(at, path.size(), shown_name);
        return message;
    }
    const ShippedCase* shipped = find_shipped_case(path);
    if (read.lesson.title.empty() && shipped != nullptr) read.lesson.title = shipped->title;
    web.run.folder = web_runs_folder;
    web.run.record.writer = &budgeted_write;
    start_lesson_run(web.run, read.lesson, std::filesystem::path(shown_name).stem().string());
    written.clear();
    web.planner = fresh_planner_choice(web.planner.shown);
    return "";
}

std::string shown_title()
{
    if (!web.run.lesson.title.empty()) return web.run.lesson.title;
    return web.run.name;
}

void note_records() { forget_old_records(); }

void restart_web_run()
{
    restart_lesson_run(web.run);
    written.clear();
    web.planner = fresh_planner_choice(web.planner.shown);
}

void set_record_budget(size_t bytes) { record_budget = bytes; }
