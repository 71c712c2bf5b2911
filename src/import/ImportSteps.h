#pragma once
// The sixteen steps of an import run, in the order the run calls them: the one table the run, the pre-flight
// check, the folder scan and the window's file boxes read. A new step is one entry in its own file and one line
// here.

#include "app/ImportOptions.h"
#include "app/StepEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

const std::vector<const StepEntry *> &ImportSteps();

// The step that reads the file (by its name, "CLIENTS.TXT"); nullptr for a file no step reads.
const StepEntry *StepReading(std::string_view fileName);
// Its label in Windows-1252, as the results and the report name the file's content ("Clients"); empty for a file
// no step reads.
std::string StepLabelOf(std::string_view fileName);

// A source file that has a check box of its own, as the folder scan and the window show it.
struct SourceFile {
    const char *control;  // "cbCLIENTS"
    const char *fileName; // "CLIENTS.TXT"
    FileCheckBox ImportOptions::*box;
};
// The fourteen files with a check box, in the order of their boxes (which is the order the scan treats them).
const std::vector<SourceFile> &SourceFiles();

} // namespace clinova
