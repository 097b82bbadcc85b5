// Drives the real simulator under the test run's X server: starts the
// executable from the repository root with its console captured in files,
// finds its window, sends real input events through XTEST (xdotool) and takes
// screenshots of the window.
#ifndef ORVANEL_TEST_PROGRAM_DRIVER_H
#define ORVANEL_TEST_PROGRAM_DRIVER_H

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_files.h"

inline std::string program_path() { return std::string(ORVANEL_BINARY_DIR) + "/orvanel"; }

// One run of the program; stopped when the record goes out of scope.
struct ProgramRun {
    std::string program = program_path();        // the executable
    std::vector<std::string> arguments;          // after the program's name
    std::string window_name = "Orvanel\\* \\*";  // xdotool pattern of its window title
    pid_t pid = -1;
    std::string stdout_path;
    std::string stderr_path;
    std::string window;       // X window id, in decimal, once found
    std::string path_prefix;  // folder put before PATH for the program, when not empty
    int status = -1;          // exit status once ended, -1 while running or killed
    bool ended = false;

    ProgramRun() = default;
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    ~ProgramRun()
    {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Starts the program in a working directory (the repository root unless given);
// its console goes to files in dir.
inline void start_program(ProgramRun& run, const TempDir& dir,
                          const std::string& working_directory = ORVANEL_SOURCE_DIR)
{
    run.stdout_path = dir.file("stdout.txt");
    run.stderr_path = dir.file("stderr.txt");
    const std::string program = run.program;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : run.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    run.pid = fork();
    if (run.pid == 0) {
        const int out = open(run.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(run.stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(working_directory.c_str()) != 0) _exit(99);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (!run.path_prefix.empty()) {
            const char* path = std::getenv("PATH");
            setenv("PATH", (run.path_prefix + ":" + (path != nullptr ? path : "")).c_str(), 1);
        }
        execv(program.c_str(), argv.data());
        _exit(98);
    }
}

// True once the program has ended within the time allowed; records its status.
inline bool wait_for_end(ProgramRun& run, int milliseconds)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        int raw = 0;
        if (waitpid(run.pid, &raw, WNOHANG) == run.pid) {
            run.ended = true;
            run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            return true;
        }
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

inline std::string trim_newline(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// Finds the window this run opened (by its process and title) and gives it the
// input focus.
inline bool find_window(ProgramRun& run, int seconds = 30)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const std::string search = "timeout 10 xdotool search --pid " + std::to_string(run.pid) +
                               " --name '" + run.window_name + "' 2>/dev/null | head -n 1";
    while (std::chrono::steady_clock::now() < deadline) {
        if (wait_for_end(run, 0)) break;  // ended without a window
        const std::string id = trim_newline(run_command(search));
        if (!id.empty()) {
            run.window = id;
            run_command("timeout 10 xdotool windowfocus " + id + " 2>/dev/null");
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fprintf(stderr, "no window for pid %d; windows named Orvanel: %s; processes: %s\n",
                 static_cast<int>(run.pid),
                 run_command("timeout 10 xdotool search --name Orvanel 2>&1").c_str(),
                 run_command("ps -o pid,stat,etime,cmd -C orvanel 2>&1").c_str());
    return false;
}

// Starts the program and finds its window. When the X server refused the
// program's connection, GLUT's "failed to open display" reaches the test's own
// output through the failure message, and the test runner may run it again.
inline bool start_with_window(ProgramRun& run, const TempDir& dir,
                              const std::string& working_directory = ORVANEL_SOURCE_DIR)
{
    start_program(run, dir, working_directory);
    if (find_window(run)) return true;
    if (!run.ended) wait_for_end(run, 1000);
    std::fprintf(stderr, "program's errors: %s\n", read_file(run.stderr_path).c_str());
    return false;
}
// Moves the pointer into the window (window coordinates) and focuses it.
inline void move_pointer(const ProgramRun& run, int x, int y)
{
    run_command("timeout 10 xdotool mousemove --window " + run.window + " " + std::to_string(x) +
                " " + std::to_string(y) + " 2>/dev/null");
}

// Presses and releases keys (xdotool key names) as a user would.
inline void press_keys(const ProgramRun& run, const std::string& keys)
{
    run_command("timeout 10 xdotool windowfocus --sync " + run.window + " key --delay 30 " + keys +
                " 2>/dev/null");
}

// Clicks a mouse button at a window position.
inline void click(const ProgramRun& run, int x, int y, int button)
{
    move_pointer(run, x, y);
    run_command("timeout 10 xdotool click " + std::to_string(button) + " 2>/dev/null");
}

// Drags with the left button held from one window position to another.
inline void drag(const ProgramRun& run, int from_x, int from_y, int to_x, int to_y)
{
    const std::string w = run.window;
    run_command("timeout 10 xdotool mousemove --window " + w + " " + std::to_string(from_x) + " " +
                std::to_string(from_y) + " mousedown 1 mousemove --window " + w + " " +
                std::to_string(to_x) + " " + std::to_string(to_y) + " mouseup 1 2>/dev/null");
}

// Waits until the captured console holds the text; returns what it holds.
inline std::string wait_for_output(const std::string& path, const std::string& text,
                                   int milliseconds = 10000)
{
    std::string content;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        content = read_file(path);
        if (content.find(text) != std::string::npos) return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return content;
}

// A working directory of its own for the program: the shipped models and help
// page, and a start-up scenario of the test's choosing in data/fo.in.
inline std::string make_world(const TempDir& dir, const std::string& start_scenario)
{
    const std::string root = dir.file("world");
    const std::string data = std::string(ORVANEL_SOURCE_DIR) + "/data";
    run_command("mkdir -p '" + root + "/data' && cp '" + data + "'/chasseur.* '" + data +
                "'/cible.* '" + root + "/data/'");
    dir.write("world/data/fo.in", start_scenario);
    return root;
}

// An RGB screenshot of a window, top row first.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // Colour of a pixel; black outside the image.
    void at(int x, int y, int* r, int* g, int* b) const
    {
        *r = *g = *b = 0;
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        *r = rgb[i];
        *g = rgb[i + 1];
        *b = rgb[i + 2];
    }
};

// Reads the plain binary PPM that ImageMagick's import writes.
inline bool parse_ppm(const std::string& bytes, Screenshot* shot)
{
    size_t pos = 0;
    auto number = [&](int* value) {
        while (pos < bytes.size() && isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
        size_t start = pos;
        while (pos < bytes.size() && isdigit(static_cast<unsigned char>(bytes[pos]))) ++pos;
        if (start == pos) return false;
        *value = std::atoi(bytes.substr(start, pos - start).c_str());
        return true;
    };
    if (bytes.compare(0, 2, "P6") != 0) return false;
    pos = 2;
    int max_value = 0;
    if (!number(&shot->width) || !number(&shot->height) || !number(&max_value)) return false;
    ++pos;
    const size_t size = static_cast<size_t>(shot->width) * shot->height * 3;
    if (max_value != 255 || bytes.size() < pos + size) return false;
    shot->rgb.assign(bytes.begin() + pos, bytes.begin() + pos + size);
    return true;
}

// Captures the window as it is on screen now.
inline bool take_screenshot(const ProgramRun& run, const TempDir& dir, Screenshot* shot,
                            const std::string& name = "shot")
{
    const std::string path = dir.file(name + ".ppm");
    run_command("timeout 20 import -window " + run.window + " -depth 8 ppm:" + path +
                " 2>/dev/null");
    return parse_ppm(read_file(path), shot);
}

// Captures a rectangle of the whole screen (root window coordinates).
inline bool take_screen_region(const TempDir& dir, int left, int top, int width, int height,
                               Screenshot* shot)
{
    const std::string path = dir.file("region.ppm");
    run_command("timeout 20 import -window root -crop " + std::to_string(width) + "x" +
                std::to_string(height) + "+" + std::to_string(left) + "+" + std::to_string(top) +
                " -depth 8 ppm:" + path + " 2>/dev/null");
    return parse_ppm(read_file(path), shot);
}

// Pixels of a colour class inside a rectangle of the window.
inline int count_pixels(const Screenshot& shot, int left, int top, int right, int bottom,
                        bool (*accept)(int, int, int))
{
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            int r, g, b;
            shot.at(x, y, &r, &g, &b);
            if (accept(r, g, b)) ++count;
        }
    }
    return count;
}

// Pixels whose colour differs clearly between two screenshots of the same size.
inline int differing_pixels(const Screenshot& a, const Screenshot& b)
{
    int count = 0;
    for (int y = 0; y < a.height && y < b.height; ++y) {
        for (int x = 0; x < a.width && x < b.width; ++x) {
            int r1, g1, b1, r2, g2, b2;
            a.at(x, y, &r1, &g1, &b1);
            b.at(x, y, &r2, &g2, &b2);
            if (std::abs(r1 - r2) + std::abs(g1 - g2) + std::abs(b1 - b2) > 30) ++count;
        }
    }
    return count;
}

#endif
