#pragma once
// The lists a run keeps of what it imported, each described once: its name (in the journal, and in the file
// "__<name>.txt" beside the sources), whether the journal records it, whether its entries are taken back with the
// rows a lost connection or a refusal took away, whether a run empties it first, and the check box with which it
// is written at the end of the run. Every reader of the lists (the run state's lengths, the take-back, the
// journal, the files) goes through this table: a new list is one line of it.

#include "app/RunState.h"

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace clinova {

using ListRef = std::variant<IdentifierList *, TIntegerList *, std::vector<std::string> *>;
using ConstListRef = std::variant<const IdentifierList *, const TIntegerList *, const std::vector<std::string> *>;

struct CorrespondenceList {
    const char *name;
    ListRef (*of)(RunState &);
    ConstListRef (*in)(const RunState &);
    bool journaled;
    bool takenBack;
    bool emptiedByRun;                             // by each run at its start (otherwise by its own step)
    FileCheckBox ImportOptions::*writtenWith;      // written at the end when that box is ticked; nullptr: never
};

namespace lists_detail {
template <auto Member> constexpr CorrespondenceList InLists(const char *name, bool takenBack, bool emptiedByRun,
                                                             FileCheckBox ImportOptions::*writtenWith) {
    return {name, [](RunState &s) -> ListRef { return &(s.lists.*Member); },
            [](const RunState &s) -> ConstListRef { return &(s.lists.*Member); }, true, takenBack, emptiedByRun,
            writtenWith};
}
template <auto Member> constexpr CorrespondenceList InState(const char *name, bool takenBack) {
    return {name, [](RunState &s) -> ListRef { return &(s.*Member); },
            [](const RunState &s) -> ConstListRef { return &(s.*Member); }, true, takenBack, false, nullptr};
}
} // namespace lists_detail

// In the order the files are written and the journal records them.
inline constexpr std::array kCorrespondenceLists = {
    // clang-format off
    //                                                                         name                               taken back  emptied  written with
    lists_detail::InLists<&CorrespondenceLists::fSourceIDClientList>(          "fSourceIDClientList",             true,  true, &ImportOptions::cbCLIENTS),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDClientList>(        "fDatabaseIDClientList",           true,  true, &ImportOptions::cbCLIENTS),
    lists_detail::InLists<&CorrespondenceLists::fSourceIDAnimalList>(          "fSourceIDAnimalList",             true,  true, &ImportOptions::cbANIMAUX),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDAnimalList>(        "fDatabaseIDAnimalList",           true,  true, &ImportOptions::cbANIMAUX),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDClientOfIDAnimalList>("fDatabaseIDClientOfIDAnimalList", true, true, &ImportOptions::cbANIMAUX),
    lists_detail::InLists<&CorrespondenceLists::fSourceIDConsultList>(         "fSourceIDConsultList",            true,  true, &ImportOptions::cbCONSULTATIONS),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDConsultList>(       "fDatabaseIDConsultList",          true,  true, &ImportOptions::cbCONSULTATIONS),
    lists_detail::InLists<&CorrespondenceLists::fSourceIDEventList>(           "fSourceIDEventList",              true,  true, &ImportOptions::cbEVENEMENTS),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDEventList>(         "fDatabaseIDEventList",            true,  true, &ImportOptions::cbEVENEMENTS),
    lists_detail::InLists<&CorrespondenceLists::fSourceIDRelanceList>(         "fSourceIDRelanceList",            true,  true, &ImportOptions::cbRELANCES),
    lists_detail::InLists<&CorrespondenceLists::fDatabaseIDRelanceList>(       "fDatabaseIDRelanceList",          true,  true, &ImportOptions::cbRELANCES),
    lists_detail::InLists<&CorrespondenceLists::fPreviousSourceIDAnimalList>(  "fPreviousSourceIDAnimalList",     false, true, nullptr),
    lists_detail::InLists<&CorrespondenceLists::fSourceIDNewAnimalList>(       "fSourceIDNewAnimalList",          true,  true, nullptr),
    // What a line keeps of the models it met waits for its rows instead (StepLine::OnceWritten).
    lists_detail::InLists<&CorrespondenceLists::fEventModelLabelList>(         "fEventModelLabelList",            false, true, nullptr),
    lists_detail::InLists<&CorrespondenceLists::fEventModelCategoryList>(      "fEventModelCategoryList",         false, true, nullptr),
    lists_detail::InState<&RunState::fSourceIDUserList>(                       "fSourceIDUserList",               false),
    lists_detail::InState<&RunState::fDatabaseIDUserList>(                     "fDatabaseIDUserList",             false),
    lists_detail::InState<&RunState::fSourceIDContactList>(                    "fSourceIDContactList",            true),
    lists_detail::InState<&RunState::fDatabaseIDContactList>(                  "fDatabaseIDContactList",          true),
    lists_detail::InState<&RunState::fContactNameList>(                        "fContactNameList",                true),
    // clang-format on
};

// The length of every list of the table, in its order.
using ListLengths = std::array<int, kCorrespondenceLists.size()>;

int LengthOf(const CorrespondenceList &list, const RunState &state);
// The entry as text (an identifier, a number, a name).
std::string ItemOf(const CorrespondenceList &list, const RunState &state, int i);
void AddTo(const CorrespondenceList &list, RunState &state, const std::string &value);
// Keeps the first length entries.
void TruncateTo(const CorrespondenceList &list, RunState &state, int length);

ListLengths CurrentLengths(const RunState &state);
// The lists taken back go back to these lengths: the rows their later entries named are gone.
void TakeBackTo(RunState &state, const ListLengths &lengths);
// Removes from the lists taken back the entries between the two lengths (those one line added), keeping the later
// ones in order.
void EraseBetween(RunState &state, const ListLengths &from, const ListLengths &to);
// Every list a run empties, at its start.
void ClearRunLists(RunState &state);

} // namespace clinova
