// Background programs: started with posix_spawn (no shell, so that no file
// name is ever read as shell syntax), their error stream read through a pipe
// that never blocks the window, their end collected with waitpid(WNOHANG).
#include "background_job.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands.h"
#include "labo.h"
#include "run_record.h"

extern char** environ;

namespace {

constexpr size_t max_said_bytes = 2048;  // of a child's error stream, kept for the message
constexpr size_t read_chunk = 512;
const char* const figure_tool = "tools/plot_run.py";  // relative to the working folder
const char* const figure_extension = ".png";

// Sets up the child's streams: output to /dev/null, errors to the pipe.
bool child_streams(posix_spawn_file_actions_t* actions, int pipe_write)
{
    return posix_spawn_file_actions_addopen(actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) ==
               0 &&
           posix_spawn_file_actions_adddup2(actions, pipe_write, STDERR_FILENO) == 0;
}

// Reads what is waiting in the pipe; closes it at its end.
void drain(BackgroundJob& job)
{
    char chunk[read_chunk];
    while (job.error_pipe >= 0) {
        const ssize_t got = read(job.error_pipe, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return;  // nothing more for now (EAGAIN)
        if (got == 0) {
            close(job.error_pipe);
            job.error_pipe = -1;
            return;
        }
        const size_t room = max_said_bytes - std::min(job.said.size(), max_said_bytes);
        job.said.append(chunk, std::min(static_cast<size_t>(got), room));
    }
}

std::string figure_path_of(const std::string& record_path)
{
    return std::filesystem::path(record_path).replace_extension(figure_extension).string();
}

// The absolute path of the help page, to be copied into a browser by hand.
std::string help_page_path()
{
    std::error_code error;
    const std::filesystem::path page = std::filesystem::absolute(help_page, error);
    return error ? std::string(help_page) : page.string();
}

void say_help_failure(const std::string& why)
{
    const std::string message = u8"Impossible d'ouvrir l'aide dans un navigateur (" + why +
                                u8") : ouvrez vous-même " + help_page_path();
    std::fprintf(stderr, "orvanel-labo: %s\n", message.c_str());
    post_notice(message);
}

void say_figure_failure(const BackgroundJob& job, const std::string& why)
{
    if (job.subject == labo.run.record.path) labo.figure_note = "pas de figure : " + why;
    const std::string message = u8"Pas de figure pour " + job.subject + " : " + why;
    std::fprintf(stderr, "orvanel-labo: %s\n", message.c_str());
    post_notice(message);
}

// What a job's end means to the user.
void report_end(const BackgroundJob& job)
{
    if (job.kind == job_help_page) {
        // xdg-open explains itself in English; its status is enough here.
        if (!job.succeeded) {
            say_help_failure(job.program + u8" a échoué, statut " + std::to_string(job.status));
        }
        return;
    }
    const std::string figure = figure_path_of(job.subject);
    std::error_code error;
    if (job.succeeded && std::filesystem::is_regular_file(figure, error)) {
        if (job.subject == labo.run.record.path) labo.figure_note = figure;
        return;
    }
    say_figure_failure(job, job.succeeded ? figure + " absente" : job_failure(job));
}

}  // namespace

bool start_job(BackgroundJob& job, const std::vector<std::string>& argv, std::string* why)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        *why = french_error(errno);
        return false;
    }
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    pid_t pid = -1;
    const int failed =
        child_streams(&actions, ends[1])
            ? posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(), environ)
            : ENOMEM;
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        *why =
            argv[0] + " : " + (failed == ENOENT ? "programme introuvable" : french_error(failed));
        return false;
    }
    job.pid = pid;
    job.error_pipe = ends[0];
    return true;
}

bool poll_job(BackgroundJob& job)
{
    if (job.ended) return false;
    drain(job);
    int raw = 0;
    const pid_t done = waitpid(job.pid, &raw, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR)) return false;
    // Ended (or, should it ever happen, lost): read the rest and stop watching.
    if (job.error_pipe >= 0) fcntl(job.error_pipe, F_SETFL, 0);
    drain(job);
    job.pid = -1;
    job.ended = true;
    job.status = done > 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    job.succeeded = job.status == 0;
    return true;
}

std::string job_failure(const BackgroundJob& job)
{
    const std::string first = job.said.substr(0, job.said.find('\n'));
    if (!first.empty()) return first;
    if (job.status < 0) return u8"le programme s'est arrêté sans finir";
    return u8"le programme a échoué (statut " + std::to_string(job.status) + ")";
}

void start_record_figure(const std::string& record_path)
{
    if (!record_is_complete(labo.run.record)) {
        labo.figure_note = u8"pas de figure : le relevé est incomplet";
        return;
    }
    BackgroundJob job;
    job.kind = job_figure;
    job.subject = record_path;
    job.program = figure_tool;
    std::string why;
    if (access(figure_tool, X_OK) != 0) {
        say_figure_failure(job, std::string(figure_tool) + " absent");
        return;
    }
    if (!start_job(job, {figure_tool, record_path}, &why)) {
        say_figure_failure(job, why);
        return;
    }
    labo.figure_note = figure_path_of(record_path) + " (en cours de dessin)";
    labo.jobs.push_back(job);
}

void open_help_in_browser()
{
    BackgroundJob job;
    job.kind = job_help_page;
    job.subject = help_page;
    job.program = help_opener;
    std::string why;
    if (!start_job(job, {help_opener, help_page}, &why)) {
        say_help_failure(why);
        return;
    }
    labo.jobs.push_back(job);
}

bool poll_background_jobs()
{
    bool news = false;
    for (BackgroundJob& job : labo.jobs) {
        if (!poll_job(job)) continue;
        report_end(job);
        news = true;
    }
    // Ended jobs are forgotten; running ones stay in order.
    std::vector<BackgroundJob> running;
    for (const BackgroundJob& job : labo.jobs)
        if (!job.ended) running.push_back(job);
    labo.jobs.swap(running);
    return news;
}

bool background_jobs_running() { return !labo.jobs.empty(); }
