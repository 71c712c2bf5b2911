#pragma once
// What a step is, said once, in its own file: its name in the log, its work, the files it reads with the
// check boxes that offer them, and what the pre-flight check must know of each file (the fields the step
// converts, the references it resolves). src/import lists the entries in the order of the run; the run, the
// check, the folder scan and the window's file boxes all read that list.

#include "app/ImportOptions.h"
#include "app/ImportStep.h"

#include <climits>
#include <vector>

namespace clinova {

struct RunState;

// How the step converts a field. Weight: a whole number read leniently: what is not one becomes 0 and the step
// then leaves the weighing aside without a word (the check says so).
enum class Conversion { Date, Integer, Weight };

// A field a step converts; a value that does not convert fails the step's line. The field is looked at only
// when the header has its column, as the steps do.
struct CheckedField {
    const char *column;
    Conversion conversion;
    bool emptyAllowed = false; // the step leaves an empty field aside instead of converting it
    int lowest = INT_MIN;
    int highest = INT_MAX;
    // The step converts the field only on the lines where this holds, or only with this setting ticked.
    bool (*applies)(const StepLine &) = nullptr;
    bool ImportOptions::*setting = nullptr;
    const char *consequence = nullptr; // Weight: what the step does with a value that is not a whole number
};

// A field naming a record of another file of the folder, as the default mode of the steps resolves it: its
// value must be the targetColumn of a line of that file, letter case ignored as the correspondence lists
// ignore it. With sameColumn, that line must also hold this line's value of sameColumn (the animal of an event
// must belong to the event's client). Empty values name nothing.
struct FileReference {
    const char *column;
    const char *targetFile; // a file of another step (or of this one), by name: "CONTACTS.TXT"
    const char *targetColumn;
    const char *sameColumn = nullptr;
};

// A file a step reads.
struct StepFile {
    const StepDefinition &(*definition)(); // its name, mandatory columns, texts and, usually, its check box
    // The check box that offers the file when its definition has none (a step that decides itself).
    FileCheckBox ImportOptions::*box = nullptr;
    // The place of the file's check box among the window's fourteen, which is also the order of the folder
    // scan; 0 for a file read under another file's box (POSOLOGIES_ORIGINES.TXT).
    int boxPosition = 0;
    std::vector<CheckedField> fields = {};
    std::vector<FileReference> references = {};

    FileCheckBox ImportOptions::*Box() const { return box ? box : definition().checkBox; }
};

struct StepEntry {
    const char *name;         // "doImportationClients", as the log's DEBUT and FIN lines name the step
    const char *label;        // UTF-8: "Clients", the step as the progress, the results and the report name it
    void (*work)(RunState &); // the step itself
    std::vector<StepFile> files = {};
};

} // namespace clinova
