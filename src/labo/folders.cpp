// The records' folder, chosen once per run from the environment and the
// working folder (see folders.h).
#include "folders.h"

#include <cstdlib>
#include <filesystem>

#include "run_record.h"

const char* const records_folder_variable = "ORVANEL_DOSSIER_RUNS";

namespace {

// Only the repository's root holds the build's description; the installed
// data folder, where the launcher starts the program, does not.
const char* const repository_marker = "CMakeLists.txt";
const char* const user_data_variable = "XDG_DATA_HOME";
const char* const default_user_data = ".local/share";  // under $HOME, as XDG says
const char* const records_below_user_data = "orvanel/runs";

// An environment variable's value, empty when unset.
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

}  // namespace

std::string records_folder()
{
    const std::string chosen = environment(records_folder_variable);
    if (!chosen.empty()) return chosen;
    std::error_code error;
    if (std::filesystem::is_regular_file(repository_marker, error)) return runs_folder;
    std::filesystem::path user_data = environment(user_data_variable);
    // XDG ignores a relative value as if it were unset.
    if (user_data.empty() || user_data.is_relative())
        user_data = std::filesystem::path(environment("HOME")) / default_user_data;
    return (user_data / records_below_user_data).string();
}
