#include "import/catalogue/ContactImport.h"

#include "app/ImportStep.h"
#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <map>
#include <string>
#include <vector>

namespace clinova {

namespace {

const char *const kQContact =
    "insert into contact (ID, SOCIETE, FONCTION, TITRE, NOM, PRENOM, RUE, CP, VILLE, TELTYPE1, TELNUM1, LR1, "
    "TELTYPE2, TELNUM2, LR2, TELTYPE3, TELNUM3, LR3, FAX, MINITEL, EMAILPERSO, SITEWEBPERSO, EMAILBOULO, "
    "SITEWEBBOULO, NOTES, ALD_FONCTION, ALD_ECOLE, ALD_DATESORTIE, ALD_DATETHESE, ALD_CES, ALD_SPECIALISATIONS, "
    "ALD_AUTRE_CLINIQUE, REMPLACANT_FONCTION, REMPLACANT_ECOLE, REMPLACANT_DATESORTIE, REMPLACANT_DATETHESE, "
    "REMPLACANT_CES, REMPLACANT_SPECIALISATIONS, REMPLACANT_REFAUTRESCLINIQUES, REMPLACANT_DISPODU1, "
    "REMPLACANT_DISPOAU1, REMPLACANT_DISPODU2, REMPLACANT_DISPOAU2, REMPLACANT_PRIX, REMPLACANT_PRIXGARDE, "
    "REMPLACANT_PRIXASTREINTE, COLOR_USER, CODE_MINITEL, CODE_SITEWEBBOULO) values (:ID, :SOCIETE, :FONCTION, "
    ":TITRE, :NOM, :PRENOM, :RUE, :CP, :VILLE, :TELTYPE1, :TELNUM1, :LR1, :TELTYPE2, :TELNUM2, :LR2, :TELTYPE3, "
    ":TELNUM3, :LR3, :FAX, :MINITEL, :EMAILPERSO, :SITEWEBPERSO, :EMAILBOULO, :SITEWEBBOULO, :NOTES, "
    ":ALD_FONCTION, :ALD_ECOLE, :ALD_DATESORTIE, :ALD_DATETHESE, :ALD_CES, :ALD_SPECIALISATIONS, "
    ":ALD_AUTRE_CLINIQUE, :REMPLACANT_FONCTION, :REMPLACANT_ECOLE, :REMPLACANT_DATESORTIE, :REMPLACANT_DATETHESE, "
    ":REMPLACANT_CES, :REMPLACANT_SPECIALISATIONS, :REMPLACANT_REFAUTRESCLINIQUES, :REMPLACANT_DISPODU1, "
    ":REMPLACANT_DISPOAU1, :REMPLACANT_DISPODU2, :REMPLACANT_DISPOAU2, :REMPLACANT_PRIX, :REMPLACANT_PRIXGARDE, "
    ":REMPLACANT_PRIXASTREINTE, :COLOR_USER, :CODE_MINITEL, :CODE_SITEWEBBOULO)";

const char *const kFindCategory = "select id from CONTACT_CAT where LIBELLE=:LIBELLE";
const char *const kInsertCategory = "insert into CONTACT_CAT (ID, LIBELLE) values (:ID, :LIBELLE)";
const char *const kInsertMembership =
    "insert into CONTACT_OF_CAT (ID, IDCAT, IDCONTACT) values (:ID, :IDCAT, :IDCONTACT)";

// The memberships whose contact no longer exists.
const char *const kCleanUp = "delete from contact_of_cat coca\n"
                             "where (coca.idcontact in\n"
                             "(\n"
                             "select coc.idcontact from contact_of_cat coc\n"
                             "where (coc.idcontact not in (\n"
                             "    select c.id from contact c\n"
                             "))\n"
                             "))";

constexpr int kWhite = 0xFFFFFF;
// The product keeps this category identifier for itself.
constexpr int kReservedCategoryID = 2000000000;

// Columns copied trimmed and cut: source column, parameter, length.
struct CutColumn {
    const char *column;
    const char *parameter;
    int length;
};
const CutColumn kCutColumns[] = {
    {"SOCIETE", "SOCIETE", 60},
    {"FONCTION", "FONCTION", 50},
    {"TITRE", "TITRE", 60},
    {"NOM", "NOM", 60},
    {"PRENOM", "PRENOM", 60},
    {"CP", "CP", 10},
    {"VILLE", "VILLE", 60},
    {"TELTYPE1", "TELTYPE1", 15},
    {"TELTYPE2", "TELTYPE2", 15},
    {"TELTYPE3", "TELTYPE3", 15},
    {"FAX", "FAX", 15},
    {"EMAIL_PERSO", "EMAILPERSO", 50},
    {"EMAIL_BUREAU", "EMAILBOULO", 50},
    {"SITE_WEB_PERSO", "SITEWEBPERSO", 50},
    {"SITE_WEB_BUREAU", "SITEWEBBOULO", 50},
};

class ContactLineImport {
public:
    explicit ContactLineImport(RunState &state)
        : state_(state), QContact_(state.db, kQContact), QPart1_(state.db, kFindCategory),
          QInsertCategory_(state.db, kInsertCategory), QInsertMembership_(state.db, kInsertMembership) {}

    void CleanUp() {
        state_.db.ExecuteImmediate(kCleanUp);
        state_.db.CommitRetaining();
    }

    LineOutcome operator()(const StepLine &line) {
        const int id = state_.db.DrawNewID("CURRENT_ID_CONTACT");
        Statement &q = QContact_;
        // Every parameter starts NULL at each line: a column the file lacks never inherits a value.
        q.ClearParameters();
        q.SetInt("ID", id);
        for (const char *flag : {"LR1", "LR2", "LR3"})
            q.SetText(flag, "F");
        for (const char *empty : {"TITRE", "TELTYPE1", "TELTYPE2", "TELTYPE3"})
            q.SetText(empty, "");
        q.SetInt("COLOR_USER", kWhite);

        std::string name, firstName;
        for (const CutColumn &c : kCutColumns) {
            if (!line.Has(c.column))
                continue;
            const std::string value = TrimAndCut(line.Field(c.column), c.length);
            q.SetText(c.parameter, value);
            if (c.parameter == std::string_view("NOM"))
                name = value;
            else if (c.parameter == std::string_view("PRENOM"))
                firstName = value;
        }
        BindStreet(line);
        for (const char *number : {"TELNUM1", "TELNUM2", "TELNUM3"})
            if (line.Has(number))
                q.SetText(number, TrimAndCut(FormatPhoneNumber(line.Field(number)), 15));
        for (const char *flag : {"LR1", "LR2", "LR3"})
            if (line.Has(flag))
                q.SetText(flag, OneToTF(line.Field(flag)));
        if (line.Has("NOTES"))
            q.SetText("NOTES", VerticalTabsToLines(line.Field("NOTES")));
        line.Write(q);

        // Recorded as soon as the contact exists, so that its clients find it even if filing it fails.
        const std::string &sourceID = line.Field("ID_CONTACT");
        if (!sourceID.empty()) {
            state_.fSourceIDContactList.Add(sourceID);
            state_.fDatabaseIDContactList.Add(id);
            state_.fContactNameList.push_back(JoinNonBlank({name, firstName}));
        }

        // The contact stays when filing it fails: a warning of the line.
        const std::string &category = line.Field("CATEGORIE");
        line.AfterMainRow([&] { FileUnder(line, category.empty() ? FromUtf8("Vétos référents") : category, id); });
        return LineOutcome::Imported;
    }

private:
    // The address lines that are not empty, one per line; NULL when the file has none of the three columns.
    void BindStreet(const StepLine &line) {
        std::vector<std::string> lines;
        bool present = false;
        for (const char *column : {"RUE1", "RUE2", "RUE3"}) {
            if (!line.Has(column))
                continue;
            present = true;
            if (!line.Field(column).empty())
                lines.push_back(line.Field(column));
        }
        if (present)
            QContact_.SetText("RUE", StringsToText(lines));
    }

    // The category of that label: the one the step already found or made for it, else the database's, else a
    // new one. Made at once, not with the step's rows: later lines name it again.
    int CategoryID(const std::string &label) {
        if (const auto known = categories_.find(label); known != categories_.end())
            return known->second;
        QPart1_.SetText("LIBELLE", label);
        const bool found = QPart1_.Open();
        const int existing = found && !QPart1_.IsNull("ID") ? QPart1_.GetInt("ID") : -1;
        QPart1_.Close();
        if (found)
            return categories_[label] = existing;
        int id = state_.db.DrawNewID("CURRENT_ID_CONTACT_CAT");
        if (id == kReservedCategoryID)
            id = state_.db.DrawNewID("CURRENT_ID_CONTACT_CAT");
        QInsertCategory_.SetInt("ID", id);
        QInsertCategory_.SetText("LIBELLE", label);
        QInsertCategory_.Execute();
        return categories_[label] = id;
    }

    void FileUnder(const StepLine &line, const std::string &label, int contact) {
        const int category = CategoryID(label);
        if (category == -1)
            return;
        QInsertMembership_.SetInt("ID", state_.db.DrawNewID("CURRENT_ID_CONTACT_OF_CAT"));
        QInsertMembership_.SetInt("IDCAT", category);
        QInsertMembership_.SetInt("IDCONTACT", contact);
        line.Write(QInsertMembership_);
    }

    RunState &state_;
    Statement QContact_;
    Statement QPart1_;
    Statement QInsertCategory_;
    Statement QInsertMembership_;
    std::map<std::string, int> categories_; // by label, as found or made by this step
};

} // namespace

const StepDefinition &ContactStepDefinition() {
    static const StepDefinition step{.fileName = "CONTACTS.TXT",
                                     .checkBox = &ImportOptions::cbCONTACTS,
                                     .waitText = "Importation des contacts",
                                     .progressText = "Importation contact ",
                                     .mandatoryColumns = {"NOM"},
                                     .interruptionKind = "CONTACTS",
                                     .logPrefix = "CONTACT.TXT",
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

void doImportationContacts(RunState &state) {
    // A resumed run keeps the contacts its journal gave back.
    if (LinesDoneBefore(state, ContactStepDefinition().fileName) == 0) {
        state.fSourceIDContactList.Clear();
        state.fDatabaseIDContactList.Clear();
        state.fContactNameList.clear();
    }

    ContactLineImport work(state);
    RunImportStep(
        state, ContactStepDefinition(), [&work](const StepLine &line) { return work(line); },
        [&work] { work.CleanUp(); });
}

const StepEntry &ContactStepEntry() {
    static const StepEntry entry{.name = "doImportationContacts", .label = "Contacts", .work = doImportationContacts, .files = {{.definition = ContactStepDefinition, .boxPosition = 13}}};
    return entry;
}

} // namespace clinova
