// Flies a shipped case with the desktop's core from a script of presses and
// prints the run's record, for the browser test that flies the same script
// with the WebAssembly core and compares the two byte for byte.
//
// usage: replay_record CASE_NUMBER SCRIPT FOLDER
//   CASE_NUMBER  1 to 6, as the chooser numbers the shipped cases
//   SCRIPT       "STEPS;STEP:KEY,STEP:KEY,..." (KEY a GLUT special-key code):
//                before step STEP the key is pressed, then STEPS steps are
//                taken and the run is restarted, which closes its record
//   FOLDER       where the record is written (run from the repository root)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lesson_run.h"
#include "shipped_cases.h"

namespace {

struct Script {
    int steps = 0;
    std::vector<std::pair<int, int>> presses;  // step, key
};

bool read_script(const std::string& text, Script& script)
{
    std::istringstream in(text);
    char separator = 0;
    if (!(in >> script.steps) || !(in >> separator) || separator != ';') return false;
    int step = 0, key = 0;
    while (in >> step >> separator >> key) {
        if (separator != ':') return false;
        script.presses.emplace_back(step, key);
        in >> separator;  // the ',' between presses, or the end
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Script script;
    const int number = argc == 4 ? std::atoi(argv[1]) : 0;
    if (number < 1 || number > shipped_case_count || !read_script(argv[2], script)) {
        std::fprintf(stderr, "usage: replay_record CASE_NUMBER 'STEPS;STEP:KEY,...' FOLDER\n");
        return 2;
    }
    const ShippedCase& shipped = shipped_cases[number - 1];
    LessonRead read = read_lesson_file(shipped.path);
    if (!read.ok) {
        std::fprintf(stderr, "%s\n", read.error.message.c_str());
        return 1;
    }
    read.lesson.title = shipped.title;
    LessonRun run;
    run.folder = argv[3];
    start_lesson_run(run, read.lesson, std::filesystem::path(shipped.path).stem().string());
    for (int step = 0; step < script.steps; ++step) {
        for (const auto& [at, key] : script.presses)
            if (at == step) queue_press(run, key);
        step_lesson_run(run);
    }
    const std::string path = run.record.path;
    restart_lesson_run(run);
    std::ifstream record(path, std::ios::binary);
    if (!record) {
        std::fprintf(stderr, "no record at %s\n", path.c_str());
        return 1;
    }
    std::cout << record.rdbuf();
    return 0;
}
