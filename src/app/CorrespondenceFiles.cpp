#include "app/CorrespondenceFiles.h"

#include "app/RunState.h"
#include "normalized/Win1252.h"

#include <functional>
#include <string>
#include <vector>

namespace clinova {

namespace {

void Shorten(IdentifierList &list, int count) { list.Truncate(count); }
void Shorten(TIntegerList &list, int count) { list.SetCount(count); }

void EraseEntries(IdentifierList &list, int from, int to) {
    std::vector<std::string> later;
    for (int i = to; i < list.Count(); ++i)
        later.emplace_back(list[i]);
    list.Truncate(from);
    for (const auto &item : later)
        list.Add(item);
}

void EraseEntries(TIntegerList &list, int from, int to) {
    for (int i = to; i < list.Count(); ++i)
        list.Put(from + (i - to), list.Get(i));
    list.SetCount(list.Count() - (to - from));
}

} // namespace

void SaveCorrespondenceLists(RunState &state) {
    // The lists name rows: those rows are made permanent before the lists that point at them are written.
    CommitPendingRows(state.db, state.op);
    CorrespondenceLists &l = state.lists;
    const ImportOptions &o = state.options;
    struct File {
        const char *name;
        std::function<EntryKind(const std::string &)> save;
    };
    const auto ids = [](const IdentifierList &list) { return [&list](const std::string &f) { return list.SaveToFile(f); }; };
    const auto ints = [](const TIntegerList &list) { return [&list](const std::string &f) { return list.SaveToFile(f); }; };
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
            const std::string fileName = state.OutputPath("__" + std::string(file.name) + ".txt");
            try {
                const EntryKind former = file.save(fileName);
                state.writtenFiles.push_back(fileName);
                if (const std::string replaced = ReplacedEntryLog(fileName, former); !replaced.empty())
                    state.op.AddToLog(replaced);
            } catch (const std::exception &e) {
                state.op.AddToLog(FromUtf8("Liste de correspondance non écrite : ") + fileName + " : " + e.what());
            }
        }
    }
}

CorrespondenceLists::Lengths CorrespondenceLists::CurrentLengths() const {
    return {fSourceIDClientList.Count(),
            fDatabaseIDClientList.Count(),
            fSourceIDAnimalList.Count(),
            fDatabaseIDAnimalList.Count(),
            fDatabaseIDClientOfIDAnimalList.Count(),
            fSourceIDConsultList.Count(),
            fDatabaseIDConsultList.Count(),
            fSourceIDEventList.Count(),
            fDatabaseIDEventList.Count(),
            fSourceIDRelanceList.Count(),
            fDatabaseIDRelanceList.Count(),
            fSourceIDNewAnimalList.Count()};
}

void CorrespondenceLists::TruncateTo(const Lengths &n) {
    const auto cut = [](auto &list, int count) {
        if (list.Count() > count)
            Shorten(list, count);
    };
    cut(fSourceIDClientList, n[0]);
    cut(fDatabaseIDClientList, n[1]);
    cut(fSourceIDAnimalList, n[2]);
    cut(fDatabaseIDAnimalList, n[3]);
    cut(fDatabaseIDClientOfIDAnimalList, n[4]);
    cut(fSourceIDConsultList, n[5]);
    cut(fDatabaseIDConsultList, n[6]);
    cut(fSourceIDEventList, n[7]);
    cut(fDatabaseIDEventList, n[8]);
    cut(fSourceIDRelanceList, n[9]);
    cut(fDatabaseIDRelanceList, n[10]);
    cut(fSourceIDNewAnimalList, n[11]);
}

void CorrespondenceLists::EraseBetween(const Lengths &from, const Lengths &to) {
    const auto erase = [&](auto &list, std::size_t i) {
        if (to[i] > from[i] && list.Count() >= to[i])
            EraseEntries(list, from[i], to[i]);
    };
    erase(fSourceIDClientList, 0);
    erase(fDatabaseIDClientList, 1);
    erase(fSourceIDAnimalList, 2);
    erase(fDatabaseIDAnimalList, 3);
    erase(fDatabaseIDClientOfIDAnimalList, 4);
    erase(fSourceIDConsultList, 5);
    erase(fDatabaseIDConsultList, 6);
    erase(fSourceIDEventList, 7);
    erase(fDatabaseIDEventList, 8);
    erase(fSourceIDRelanceList, 9);
    erase(fDatabaseIDRelanceList, 10);
    erase(fSourceIDNewAnimalList, 11);
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
