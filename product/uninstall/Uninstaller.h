// Removing an installation of Tessaly v1.1 from the machine.
//
// First a plan: which of the product's files and shortcuts are there, which other files
// share their folders (the user's, to be kept), and what would stop the removal — a
// file that is read-only, or in use by a running program. A plan with obstacles is not
// carried out at all, so the installation stays whole and working.
//
// Then the removal, in this order: the four shortcuts, the program group's folder when
// it is empty, the product's files (uninstall.exe last), the installation folder when it
// is empty, and last the registry: the uninstall entry, the product's key with
// InstallDir and InstallDate, and the vendor's key when nothing else is left in it.
// InstallDate goes too: once the product is removed, the machine keeps no trace of it,
// and a later installation records its own date. If any file could not be removed, the
// uninstaller and the registry are left in place, so that the removal can be repeated.
#pragma once

#include <string>
#include <vector>

#include "product/uninstall/Installation.h"

namespace uninstall {

struct Obstacle {
    std::string Path;    // Windows path
    std::string Reason;  // "is read-only", "is in use by tessaly.exe (process 4321)"
};

struct Plan {
    Installation Inst;
    std::vector<std::string> Files;      // product files present, in removal order
    std::vector<std::string> Shortcuts;  // shortcuts present
    std::vector<std::string> Kept;       // other files and folders in the two folders
    std::vector<Obstacle> Obstacles;
    bool DirExists = false;
    bool GroupExists = false;

    // Nothing of the product is on the machine: no registry traces, files or shortcuts
    // (and the registry could be read to tell).
    bool NothingToDo() const { return !Inst.Found() && Inst.RegistryError.empty() && Files.empty() && Shortcuts.empty(); }
};

Plan MakePlan(const Installation& inst);

struct Report {
    std::vector<std::string> Removed;  // files and shortcuts removed
    std::vector<std::string> Kept;     // the user's files, left in place
    std::vector<Obstacle> Failed;      // what could not be removed, and why
    bool DirRemoved = false;
    bool GroupRemoved = false;
    bool RegistryRemoved = false;

    bool Complete() const { return Failed.empty() && RegistryRemoved; }
};

// Carries out a plan without obstacles (a plan with obstacles changes nothing and
// reports them as failures).
Report Execute(const Plan& plan);

}  // namespace uninstall
