// Programs the teaching edition starts and does not wait for: the figure of a
// finished record (tools/plot_run.py) and the help page's opener (xdg-open).
// Each is started without a shell, its error stream kept, its end seen later
// by polling from the window's timer, so that the window can say when one
// failed and why.
#ifndef ORVANEL_LABO_BACKGROUND_JOB_H
#define ORVANEL_LABO_BACKGROUND_JOB_H

#include <string>
#include <vector>

#include <sys/types.h>

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

enum JobKind {
    job_figure,     // tools/plot_run.py drawing a record's figure
    job_help_page,  // the desktop's opener showing the help page
};

// One program started in the background.
struct BackgroundJob {
    JobKind kind = job_figure;
    std::string subject;     // the record drawn, or the page opened (a path)
    std::string program;     // the program run, as named to the user
    pid_t pid = -1;          // the child; -1 once its end has been collected
    int error_pipe = -1;     // read end of the child's error stream; -1 once closed
    std::string said;        // the start of what the child wrote on its error stream
    bool ended = false;      // the child has ended and been collected
    bool succeeded = false;  // it ended with status 0
    int status = -1;         // its exit status once ended; -1 when a signal ended it
};

// ---------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------

// Starts argv[0] (looked for on PATH when it holds no '/') with the other
// arguments, its output discarded and its error stream kept. Returns false,
// with the reason in French in *why, when it cannot be started.
bool start_job(BackgroundJob& job, const std::vector<std::string>& argv, std::string* why);
// Reads what the child wrote and collects its end without waiting; true when
// the job has just ended (once per job).
bool poll_job(BackgroundJob& job);
// Why an ended job failed, in one line: the first line the program wrote on
// its error stream, else its exit status.
std::string job_failure(const BackgroundJob& job);

// ---------------------------------------------------------------------------
// The teaching edition's jobs (kept in labo.jobs)
// ---------------------------------------------------------------------------

// Draws a finished record's figure beside it; labo.figure_note says that it is
// being drawn, then where it is or why there is none.
void start_record_figure(const std::string& record_path);
// Opens the help page in the desktop's browser; says in the window and on the
// error stream, with the page's path, when no browser can be opened.
void open_help_in_browser();
// Polls every job; true when one ended, so that the window shows the news.
bool poll_background_jobs();
// True while a job is running: the window keeps polling.
bool background_jobs_running();

#endif
