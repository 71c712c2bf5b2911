#pragma once
// The notes, events, reminders and event models steps against a fresh embedded database.

#include "import/medical/MedicalFixture.h"

#include <string>
#include <vector>

namespace clinova::test {

using Rows = std::vector<std::string>;

inline const char *const kEventsHeader = "ID_EVENEMENT\tID_ANIMAL\tID_CLIENT\tLIBELLE_CATEGORIE\tLIBELLE_EVENEMENT\t"
                                         "DATE_EVENEMENT\tRELANCE_PREVU_DANS_JOURS\tPRODUIT_UTILISE\tNUMERO_LOT";
inline const char *const kRemindersHeader =
    "ID_ANIMAL\tID_CLIENT\tID_EVENEMENT\tLIBELLE_CATEGORIE\tLIBELLE_EVENEMENT\tDATE_RELANCE\tACTION";

struct EventsFixture : MedicalFixture {
    EventsFixture() {
        state.options.cbCONSULTATIONS = {};
        state.options.cbNOTES = {true, true};
        state.options.cbEVENEMENTS = {true, true};
        state.options.cbRELANCES = {true, true};
    }

    // A client of the client correspondence lists.
    void AddClient(const std::string &source, int id) {
        state.lists.fSourceIDClientList.Add(source);
        state.lists.fDatabaseIDClientList.Add(id);
    }

    // The event models of the run, as "CATEGORY|label".
    std::vector<std::string> Models() const {
        std::vector<std::string> models;
        for (std::size_t i = 0; i < state.lists.fEventModelCategoryList.size(); ++i)
            models.push_back(ToUtf8(state.lists.fEventModelCategoryList[i]) + "|" +
                             ToUtf8(state.lists.fEventModelLabelList[i]));
        return models;
    }

    // The entries of an integer list, as text.
    static std::vector<std::string> Entries(const TIntegerList &list) {
        std::vector<std::string> entries;
        for (int i = 0; i < list.Count(); ++i)
            entries.push_back(std::to_string(list.Get(i)));
        return entries;
    }
};

} // namespace clinova::test
