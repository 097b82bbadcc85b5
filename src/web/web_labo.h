// The browser edition's side of a run: the one run the page flies, its
// planner choice and the records kept for download. The bindings (bindings.cpp)
// hand these to the page's JavaScript; every rule stays in labo_core.
#ifndef ORVANEL_WEB_LABO_H
#define ORVANEL_WEB_LABO_H

#include <string>
#include <vector>

#include "lesson_run.h"

struct WebLabo {
    LessonRun run;
    PlannerChoice planner;
    // Records of earlier runs, deleted from the page's memory file system once
    // a newer record exists: a class's afternoon must not fill the tab's memory.
    std::vector<std::string> kept_records;
};

extern WebLabo web;

// Where the page writes the teacher files it is given, and where records go,
// in the module's memory file system.
extern const char* const given_files_folder;  // "/fichiers"
extern const char* const web_runs_folder;     // "/runs"

// Starts the lesson read from `path`; on refusal the current run goes on and
// the reason is returned (the file named as `shown_name`), else "".
std::string start_lesson(const std::string& path, const std::string& shown_name);
// A record file longer than this stops as on a full disk ("fichier trop
// grand"): the page keeps its records in the tab's memory, not on a disk.
constexpr size_t default_record_budget = 48u << 20;
// Sets that length (bytes per file), for every record from the next run on.
void set_record_budget(size_t bytes);

// Keeps the records of the last two runs in memory and deletes older ones;
// called after the run's steps, when a new record may have opened.
void note_records();
// Starts the current lesson again from its first state.
void restart_web_run();
// The lesson's title as shown: its own, else its file's stem.
std::string shown_title();

#endif
