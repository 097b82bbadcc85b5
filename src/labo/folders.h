// Where the teaching edition writes what a class keeps: its run records. Run
// from the repository (after a build) they go to "runs", in the working
// folder, as they always have; installed, the program's folder belongs to the
// system, so they go to the user's own data folder, or to one the user names.
#ifndef ORVANEL_LABO_FOLDERS_H
#define ORVANEL_LABO_FOLDERS_H

#include <string>

// The environment variable a user sets to choose the records' folder.
extern const char* const records_folder_variable;  // "ORVANEL_DOSSIER_RUNS"
// The one the installed launcher sets (to 1) before it starts the program.
extern const char* const installed_variable;  // "ORVANEL_INSTALLE"

// The folder for run records, created by whoever writes the first one:
//  - the value of ORVANEL_DOSSIER_RUNS, when set and not empty;
//  - when started by the installed launcher, $XDG_DATA_HOME/orvanel/runs, or
//    ~/.local/share/orvanel/runs;
//  - otherwise "runs", relative to the working folder.
std::string records_folder();

#endif
