#include "app/CorrespondenceFiles.h"

#include "app/RunState.h"
#include "normalized/Win1252.h"

#include <functional>

namespace clinova {

void SaveCorrespondenceLists(RunState &state) {
    // The lists name rows: those rows are made permanent before the lists that point at them are written.
    CommitPendingRows(state.db, state.op);
    CorrespondenceLists &l = state.lists;
    const ImportOptions &o = state.options;
    struct File {
        const char *name;
        std::function<void(const std::string &)> save;
    };
    const auto ids = [](const IdentifierList &list) { return [&list](const std::string &f) { list.SaveToFile(f); }; };
    const auto ints = [](const TIntegerList &list) { return [&list](const std::string &f) { list.SaveToFile(f); }; };
    const struct Group {
        bool ticked;
        std::vector<File> files;
    } groups[] = {
        {o.cbCLIENTS.Ticked(),
         {{"fSourceIDClientList", ids(l.fSourceIDClientList)}, {"fDatabaseIDClientList", ints(l.fDatabaseIDClientList)}}},
        {o.cbANIMAUX.Ticked(),
         {{"fSourceIDAnimalList", ids(l.fSourceIDAnimalList)},
          {"fDatabaseIDAnimalList", ints(l.fDatabaseIDAnimalList)},
          {"fDatabaseIDClientOfIDAnimalList", ints(l.fDatabaseIDClientOfIDAnimalList)}}},
        {o.cbCONSULTATIONS.Ticked(),
         {{"fSourceIDConsultList", ids(l.fSourceIDConsultList)},
          {"fDatabaseIDConsultList", ints(l.fDatabaseIDConsultList)}}},
        {o.cbEVENEMENTS.Ticked(),
         {{"fSourceIDEventList", ids(l.fSourceIDEventList)}, {"fDatabaseIDEventList", ints(l.fDatabaseIDEventList)}}},
        {o.cbRELANCES.Ticked(),
         {{"fSourceIDRelanceList", ids(l.fSourceIDRelanceList)},
          {"fDatabaseIDRelanceList", ints(l.fDatabaseIDRelanceList)}}},
    };
    for (const auto &group : groups) {
        if (!group.ticked)
            continue;
        for (const auto &file : group.files) {
            const std::string fileName = state.PathSources + "__" + file.name + ".txt";
            try {
                file.save(fileName);
            } catch (const std::exception &e) {
                state.op.AddToLog(FromUtf8("Liste de correspondance non écrite : ") + fileName + " : " + e.what());
            }
        }
    }
}

void CorrespondenceLists::Clear() {
    fSourceIDClientList.Clear();
    fDatabaseIDClientList.Clear();
    fSourceIDAnimalList.Clear();
    fDatabaseIDAnimalList.Clear();
    fDatabaseIDClientOfIDAnimalList.Clear();
    fSourceIDConsultList.Clear();
    fDatabaseIDConsultList.Clear();
    fSourceIDEventList.Clear();
    fDatabaseIDEventList.Clear();
    fSourceIDRelanceList.Clear();
    fDatabaseIDRelanceList.Clear();
    fPreviousSourceIDAnimalList.Clear();
    fSourceIDNewAnimalList.Clear();
    fEventModelLabelList.clear();
    fEventModelCategoryList.clear();
}

} // namespace clinova
