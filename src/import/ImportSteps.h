#pragma once
// The sixteen steps of an import run, in the order the run calls them: the one table the run, the pre-flight
// check, the folder scan and the window's file boxes read. A new step is one entry in its own file and one line
// here.

#include "app/ImportOptions.h"
#include "app/StepEntry.h"

#include <vector>

namespace clinova {

const std::vector<const StepEntry *> &ImportSteps();

// A source file that has a check box of its own, as the folder scan and the window show it.
struct SourceFile {
    const char *control;  // "cbCLIENTS"
    const char *fileName; // "CLIENTS.TXT"
    FileCheckBox ImportOptions::*box;
};
// The fourteen files with a check box, in the order of their boxes (which is the order the scan treats them).
const std::vector<SourceFile> &SourceFiles();

} // namespace clinova
