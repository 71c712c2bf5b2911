#include "app/CorrespondenceFiles.h"

#include "app/CorrespondenceTable.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <string>
#include <vector>

namespace clinova {

void SaveCorrespondenceLists(RunState &state) {
    // The lists name rows: those rows are made permanent before the lists that point at them are written.
    CommitPendingRows(state.db, state.op);
    for (const CorrespondenceList &list : kCorrespondenceLists) {
        if (!list.writtenWith || !(state.options.*list.writtenWith).Ticked())
            continue;
        const std::string fileName = state.OutputPath("__" + std::string(list.name) + ".txt");
        try {
            const EntryKind former = std::visit(
                [&](const auto *l) -> EntryKind {
                    if constexpr (requires { l->SaveToFile(fileName); })
                        return l->SaveToFile(fileName);
                    else
                        throw ProgramError("a list of texts has no file: " + fileName);
                },
                list.in(state));
            state.writtenFiles.push_back(fileName);
            if (const std::string replaced = ReplacedEntryLog(fileName, former); !replaced.empty())
                state.op.AddToLog(replaced);
        } catch (const ProgramError &) {
            throw;
        } catch (const std::exception &e) {
            state.op.AddToLog(FromUtf8("Liste de correspondance non écrite : ") + fileName + " : " + e.what());
        }
    }
}

} // namespace clinova
