// The records' folder, chosen once per run from the environment and the
// working folder (see folders.h).
#include "folders.h"

#include <cstdlib>
#include <filesystem>

#include "run_record.h"

const char* const records_folder_variable = "ORVANEL_DOSSIER_RUNS";
const char* const installed_variable = "ORVANEL_INSTALLE";

namespace {

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
    // A run from a build (the repository, the tests) keeps its records beside it.
    if (environment(installed_variable).empty()) return runs_folder;
    std::filesystem::path user_data = environment(user_data_variable);
    // XDG ignores a relative value as if it were unset.
    if (user_data.empty() || user_data.is_relative())
        user_data = std::filesystem::path(environment("HOME")) / default_user_data;
    return (user_data / records_below_user_data).string();
}
