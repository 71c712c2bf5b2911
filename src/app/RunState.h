#pragma once
// What the actions share for the life of the program: the settings, the operator, the one connection to
// the target database, and the lists an import run fills and later steps read.

#include "app/CommittingOperator.h"
#include "app/IdentifierList.h"
#include "app/ImportOptions.h"
#include "app/Operator.h"
#include "app/StepSummary.h"
#include "app/TIntegerList.h"
#include "database/TargetDatabase.h"

#include <optional>
#include <string>
#include <vector>

namespace clinova {

// Described, with the run state's other lists, in kCorrespondenceLists (app/CorrespondenceTable.h).
struct CorrespondenceLists {
    IdentifierList fSourceIDClientList;
    TIntegerList fDatabaseIDClientList;
    IdentifierList fSourceIDAnimalList;
    TIntegerList fDatabaseIDAnimalList;
    TIntegerList fDatabaseIDClientOfIDAnimalList;
    IdentifierList fSourceIDConsultList;
    TIntegerList fDatabaseIDConsultList;
    IdentifierList fSourceIDEventList;
    TIntegerList fDatabaseIDEventList;
    IdentifierList fSourceIDRelanceList;
    TIntegerList fDatabaseIDRelanceList;
    IdentifierList fPreviousSourceIDAnimalList;
    IdentifierList fSourceIDNewAnimalList;
    std::vector<std::string> fEventModelLabelList;
    std::vector<std::string> fEventModelCategoryList;
};

class ImportJournal;

// What a run does when the folder's journal says that its files were already imported into that database, or
// that an import of the folder was interrupted and not finished: both would copy the records again.
enum class RepeatPolicy {
    Refuse, // the run is refused, saying how to go on (the command line: --again, --resume)
    Ask,    // the operator is asked, "Non" by default (the window)
    Allow,  // the run goes on (the command line's --again)
};

struct RunState {
    explicit RunState(Operator &front, ImportOptions opts = {})
        : options(std::move(opts)), committing_(front, db), op(committing_) {}
    RunState(const RunState &) = delete;
    RunState &operator=(const RunState &) = delete;

    ImportOptions options;
    TargetDatabase db;

private:
    CommittingOperator committing_;

public:
    // The front end's operator, seen through the commit of the pending rows before anything is shown.
    Operator &op;

    std::string PathSources;
    int DatabaseBuild = 0;
    int IDDefaultUser = -1;
    std::string LoginDefaultUser;
    bool StopRequested = false;

    CorrespondenceLists lists;
    // The journal of the committed lines, while an import runs; a resumed run reads what it committed there.
    ImportJournal *journal = nullptr;

    RepeatPolicy repeat = RepeatPolicy::Refuse;

    // Users correspondence, refilled by the users step of every run.
    std::vector<std::string> fSourceIDUserList;
    TIntegerList fDatabaseIDUserList;

    // Contacts correspondence, emptied by the contacts step itself.
    IdentifierList fSourceIDContactList;
    TIntegerList fDatabaseIDContactList;
    std::vector<std::string> fContactNameList;

    // One entry per step that read its file in this run, in the order of the run.
    std::vector<StepSummary> summaries;
    // The files the run wrote into the source folder (rejects, duplicate reports, correspondence lists), in
    // the order they were written, for the results shown at the end of the run.
    std::vector<std::string> writtenFiles;
    // Failures logged by work that reads no file (the medical summaries): the run ends with failures too.
    int failuresOutsideFiles = 0;

    // The animal insert writes POIDS_IDEAL1000 on databases of build 85 and later.
    bool AnimalInsertWithIdealWeight = false;

    // The folder of the source files joined with a file name.
    std::string SourcePath(const std::string &fileName) const { return PathSources + fileName; }

    // Where the run writes its files (rejects, lists, journal, report): the source folder, or, for a
    // rehearsal, a folder of its own inside it, so that a real import that follows neither sees its journal
    // nor finds its files. With its final separator.
    std::string OutputFolder;
    std::string OutputPath(const std::string &fileName) const {
        return (OutputFolder.empty() ? PathSources : OutputFolder) + fileName;
    }
    // A rehearsal runs into a throwaway copy of the practice's database; none for a real run.
    struct Rehearsal {
        std::string database; // the practice's, as the questions name it
        std::string copy;     // the copy the run writes into
        std::string backup;   // the backup the copy was restored from
    };
    std::optional<Rehearsal> rehearsal;
    // The backup the run made before writing anything; empty when it made none.
    std::string backupWritten;
};

} // namespace clinova
