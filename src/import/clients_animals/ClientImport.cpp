#include "import/clients_animals/ClientImport.h"

#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "import/clients_animals/CallerID.h"
#include "import/clients_animals/ClientDeduplication.h"
#include "import/clients_animals/ClientDiscounts.h"
#include "import/clients_animals/ClientInsert.h"
#include "import/clients_animals/ClientLoyalty.h"
#include "import/clients_animals/ColumnBinding.h"
#include "import/clients_animals/DemoAnonymisation.h"
#include "import/clients_animals/DuplicatesReport.h"
#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <chrono>
#include <optional>

namespace clinova {

namespace {

// "pas touche aux clients": the clients stay as an earlier import left them; only its lists come back,
// so that the later steps find those clients. A missing list file ends the run.
void ReloadPreviousClientLists(RunState &state) {
    Operator &op = state.op;
    op.ShowWait();
    const auto finish = [&op] {
        op.HideWait();
        if (op.Interrupted())
            op.AddToLog(ClientStepDefinition().interruptionKind + FromUtf8("/interruption de la procédure"));
    };
    try {
        op.SetWaitMessage(ClientStepDefinition().waitText);
        const std::string &folder = state.options.edPathIDPrecedentImport;
        state.lists.fSourceIDClientList.LoadFromFile(folder + "__fSourceIDClientList.txt");
        LoadIntegerList(folder + "__fDatabaseIDClientList.txt", state.lists.fDatabaseIDClientList);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

// 1 when the client asked for reminders through that channel; a field that is not an integer fails the line.
bool WantsChannel(const StepLine &line, std::string_view column) {
    return line.Has(column) && StrToInt(line.Field(column)) == 1;
}

// The work on one line of CLIENTS.TXT, with the statements the step prepared once.
class ClientLineImport {
public:
    ClientLineImport(RunState &state, Statement &QClient, Statement &QFind, Statement &IBProcUpdateCallerID,
                     ClientLoyalty &loyalty, DemoAnonymisation &demo, std::optional<DuplicatesReport> &report)
        : state_(state), QClient_(QClient), QFind_(QFind), IBProcUpdateCallerID_(IBProcUpdateCallerID),
          loyalty_(loyalty), demo_(demo), report_(report) {}

    LineOutcome operator()(const StepLine &line);

private:
    void Remember(const std::string &sourceID, int clientID);
    void BindIdentity(const StepLine &line, ClientDuplicateKeys &keys);
    void BindMainAddress(const StepLine &line, ClientDuplicateKeys &keys, std::array<std::string, 6> &phones);
    void BindSecondAddress(const StepLine &line, std::array<std::string, 6> &phones);
    void BindDemoPhones(std::array<std::string, 6> &phones);
    void BindProfile(const StepLine &line);
    void BindBankAndNotes(const StepLine &line);
    void BindDiscountsAndCreation(const StepLine &line);
    void BindReferral(const StepLine &line);

    RunState &state_;
    Statement &QClient_;
    Statement &QFind_;
    Statement &IBProcUpdateCallerID_;
    ClientLoyalty &loyalty_;
    DemoAnonymisation &demo_;
    std::optional<DuplicatesReport> &report_; // open when the duplicate check is on
};

LineOutcome ClientLineImport::operator()(const StepLine &line) {
    const ImportOptions &o = state_.options;
    // Drawn before the duplicate test: a duplicate consumes a value no row receives.
    const int id = o.cbGarder_ID_CLIENT_du_logiciel_d_origine ? StrToInt(line.Field("ID_CLIENT"))
                                                              : state_.db.DrawNewID("CURRENT_ID_CLIENT");
    SetClientDefaults(QClient_, id);

    ClientDuplicateKeys keys;
    std::array<std::string, 6> phones; // the values bound to TELFAXNUM11..13 and 21..23
    BindIdentity(line, keys);
    BindMainAddress(line, keys, phones);
    if (line.Has("KILOMETRAGE"))
        QClient_.SetInt("KILOMETRAGE", TryStrToInt(line.Field("KILOMETRAGE")).value_or(0));
    BindSecondAddress(line, phones);
    if (o.cbPourDemo)
        BindDemoPhones(phones);
    BindProfile(line);
    BindBankAndNotes(line);
    BindDiscountsAndCreation(line);
    BindReferral(line);
    const LoyaltyCard card = ReadLoyaltyCard(line);

    if (report_) {
        if (const auto existing = FindDuplicateClient(QFind_, keys)) {
            Remember(line.Field("ID_CLIENT"), *existing);
            report_->Add(line.Raw());
            return LineOutcome::Matched;
        }
    }

    line.Write(QClient_);
    // The client stays when its phone numbers cannot be filed for the caller display.
    line.AfterMainRow([&] { UpdateCallerID(line, IBProcUpdateCallerID_, 1, id, phones); });
    loyalty_.AddLoyaltyRows(line, id, card);
    Remember(line.Field("ID_CLIENT"), id);
    return LineOutcome::Imported;
}

void ClientLineImport::Remember(const std::string &sourceID, int clientID) {
    state_.lists.fSourceIDClientList.Add(sourceID);
    state_.lists.fDatabaseIDClientList.Add(clientID);
}

// The reminder channels, the veterinarian of the run, the title and the names.
void ClientLineImport::BindIdentity(const StepLine &line, ClientDuplicateKeys &keys) {
    Statement &q = QClient_;
    const bool paper = WantsChannel(line, "RELANCE_PAPIER");
    const bool email = WantsChannel(line, "RELANCE_EMAIL");
    const bool sms = WantsChannel(line, "RELANCE_SMS");
    if (q.HasParameter("MODE_COURRIER"))
        q.SetInt("MODE_COURRIER", ReminderChannelCode(email, paper, sms));

    q.SetInt("ID_VETERINAIRE", state_.IDDefaultUser);
    q.SetText("VETERINAIRE", TrimAndCut(state_.LoginDefaultUser, 60));

    BindCut(q, line, "TITRE", "TITRE", 15);
    BindCut(q, line, "NOM", "NOM", 60);
    BindCut(q, line, "PRENOM", "PRENOM", 60);
    keys.name = UpperCase1252(TrimAndCut(line.Field("NOM"), 60));
    keys.firstName = TrimAndCut(line.Field("PRENOM"), 60);
}

// Profession, dispute, type, origin, colour, group and e-mail addresses.
void ClientLineImport::BindProfile(const StepLine &line) {
    const ImportOptions &o = state_.options;
    Statement &q = QClient_;
    BindCut(q, line, "PROFESSION", "PROFESSION", 60);
    BindOneToTF(q, line, "CONTENTIEUX", "CONTENTIEUX");
    BindCut(q, line, "TYPECLIENT", "TYPECLIENT", 60);
    BindCut(q, line, "ORIGINE", "ORIGINE", 60);

    if (line.Has("COLOR"))
        q.SetInt("COLOR", StrToInt(line.Field("COLOR")));
    if (o.cbForceColor)
        q.SetInt("COLOR", StrToInt(o.panCouleur));

    if (q.HasParameter("GROUPE01") && line.Has("GROUPE01"))
        q.SetText("GROUPE01", Trim(line.Field("GROUPE01")));

    BindCut(q, line, "EMAIL_PERSO", "EMAILPERSO", 50);
    BindCut(q, line, "EMAIL_BUREAU", "EMAILBURO", 50);
    if (o.cbPourDemo) {
        q.SetText("EMAILPERSO", DemoAnonymisation::MakeDemoEmail(line.Number()));
        q.SetText("EMAILBURO", "");
    }
}

void ClientLineImport::BindBankAndNotes(const StepLine &line) {
    Statement &q = QClient_;
    BindCut(q, line, "CODE_BANQUE_CHEQUE", "CODE_BANQUE_CHEQUE", 5);
    BindCut(q, line, "RAISON_SOCIALE", "RAISON_SOCIALE", 24);
    BindCut(q, line, "DOMICILIATION", "DOMICILIATION", 24);
    BindCut(q, line, "NUM_BANQUE", "NUM_BANQUE", 5);
    BindCut(q, line, "NUM_GUICHET", "NUM_GUICHET", 5);
    BindCut(q, line, "NUM_COMPTE", "NUM_COMPTE", 11);
    BindCut(q, line, "CLE_RIB", "CLE_RIB", 2);
    BindCut(q, line, "ID_COMPTA", "ID_COMPTA", 20);
    BindCut(q, line, "NUM_CHEPTEL", "NUM_CHEPTEL", 60);
    if (line.Has("NOTES"))
        q.SetText("NOTES", VerticalTabsToLines(line.Field("NOTES")));
}

// The discounts, as columns and as the text of later builds, and the day the client was created.
void ClientLineImport::BindDiscountsAndCreation(const StepLine &line) {
    Statement &q = QClient_;
    const ClientDiscountRates discounts = ReadClientDiscounts(line);
    if (line.Has("REMISE_ACTES"))
        q.SetInt("REMISEACTES", discounts.acts);
    if (line.Has("REMISE_PRODUITS"))
        q.SetInt("REMISEPRODUITS", discounts.products);

    if (line.Has("DATE_CREATION")) {
        if (line.Field("DATE_CREATION").empty())
            q.SetNull("DATECREATION");
        else
            q.SetDate("DATECREATION", ParseDateDMY(line.Field("DATE_CREATION")));
    }

    if (const auto remises = RemisesText(discounts, state_.DatabaseBuild))
        q.SetText("REMISES", *remises);
    else
        q.SetNull("REMISES");
}

void ClientLineImport::BindMainAddress(const StepLine &line, ClientDuplicateKeys &keys,
                                       std::array<std::string, 6> &phones) {
    Statement &q = QClient_;
    q.SetText("RUE1", JoinAddressLines(line, {"RUE11", "RUE12", "RUE13"}));
    BindCut(q, line, "CP1", "CP1", 10);
    BindCut(q, line, "VILLE1", "VILLE1", 60);
    BindUpperCut(q, line, "PAYS1", "PAYS1", 30);
    keys.postcode = TrimAndCut(line.Field("CP1"), 10);
    keys.town = UpperCase1252(TrimAndCut(line.Field("VILLE1"), 60));

    if (state_.options.cbPourDemo) {
        const std::string &item = demo_.DemoTownItem(line.Number());
        if (const auto semicolon = item.find(';'); semicolon != std::string::npos) {
            q.SetText("VILLE1", UpperCase1252(item.substr(0, semicolon)).substr(0, 60));
            q.SetText("CP1", item.substr(semicolon + 1, 5));
        }
        q.SetText("PAYS1", "FRANCE");
    }

    const char *const numbers[] = {"TELFAXNUM11", "TELFAXNUM12", "TELFAXNUM13"};
    for (std::size_t i = 0; i < 3; ++i) {
        keys.phones[i] = PhoneField(line, numbers[i]);
        if (line.Has(numbers[i])) {
            phones[i] = keys.phones[i];
            q.SetText(numbers[i], phones[i]);
        }
    }
    BindCut(q, line, "TELFAXTYPE11", "TELFAXTYPE11", 15);
    BindCut(q, line, "TELFAXTYPE12", "TELFAXTYPE12", 15);
    BindOneToTF(q, line, "TELFAXLR11", "TELFAXLR11");
    BindOneToTF(q, line, "TELFAXLR12", "TELFAXLR12");
    BindOneToTF(q, line, "TELFAXLR13", "TELFAXLR13");
}

void ClientLineImport::BindSecondAddress(const StepLine &line, std::array<std::string, 6> &phones) {
    Statement &q = QClient_;
    q.SetText("RUE2", JoinAddressLines(line, {"RUE21", "RUE22", "RUE23"}));
    BindCut(q, line, "CP2", "CP2", 10);
    BindUpperCut(q, line, "VILLE2", "VILLE2", 60);
    BindUpperCut(q, line, "PAYS2", "PAYS2", 30);
    const char *const numbers[] = {"TELFAXNUM21", "TELFAXNUM22", "TELFAXNUM23"};
    for (std::size_t i = 0; i < 3; ++i) {
        if (line.Has(numbers[i])) {
            phones[3 + i] = PhoneField(line, numbers[i]);
            q.SetText(numbers[i], phones[3 + i]);
        }
    }
    BindCut(q, line, "TELFAXTYPE21", "TELFAXTYPE21", 15);
    BindCut(q, line, "TELFAXTYPE22", "TELFAXTYPE22", 15);
    BindOneToTF(q, line, "TELFAXLR21", "TELFAXLR21");
    BindOneToTF(q, line, "TELFAXLR22", "TELFAXLR22");
    BindOneToTF(q, line, "TELFAXLR23", "TELFAXLR23");
}

// The main address's phones become a random home number and a random mobile number.
void ClientLineImport::BindDemoPhones(std::array<std::string, 6> &phones) {
    Statement &q = QClient_;
    phones[0] = demo_.MakeDemoHomePhone();
    phones[1].clear();
    phones[2] = demo_.MakeDemoMobilePhone();
    q.SetText("TELFAXNUM11", phones[0]);
    q.SetText("TELFAXTYPE11", "Domicile");
    q.SetText("TELFAXLR11", "F");
    q.SetText("TELFAXNUM12", phones[1]);
    q.SetText("TELFAXTYPE12", "");
    q.SetText("TELFAXLR12", "F");
    q.SetText("TELFAXNUM13", phones[2]);
    q.SetText("TELFAXLR13", "F");
}

// The contact who referred the client, through the contacts correspondence of this run; a referrer the
// contacts step did not import leaves no trace.
void ClientLineImport::BindReferral(const StepLine &line) {
    Statement &q = QClient_;
    q.SetInt("ID_REFERE_PAR", -1);
    q.SetText("REFERE_PAR", "");
    if (!line.Has("ID_REFERE_PAR") || line.Field("ID_REFERE_PAR").empty())
        return;
    const int index = state_.fSourceIDContactList.IndexOf(line.Field("ID_REFERE_PAR"));
    if (index < 0)
        return;
    q.SetInt("ID_REFERE_PAR", state_.fDatabaseIDContactList.Get(index));
    q.SetText("REFERE_PAR", state_.fContactNameList.at(static_cast<std::size_t>(index)));
}

// The header line as read, for the duplicates report.
std::string HeaderLine(const std::string &path) {
    LineReader reader(path);
    std::string header;
    reader.Next(header);
    return header;
}

} // namespace

const StepDefinition &ClientStepDefinition() {
    static const StepDefinition step{.fileName = "CLIENTS.TXT",
                                     .checkBox = &ImportOptions::cbCLIENTS,
                                     .waitText = "Importation des clients",
                                     .progressText = "Importation client ",
                                     .mandatoryColumns = {"ID_CLIENT", "NOM"},
                                     .interruptionKind = "CLIENTS",
                                     .logPrefix = {},
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

void doImportationClients(RunState &state) {
    const ImportOptions &o = state.options;
    if (state.StopRequested || !o.cbCLIENTS.Ticked())
        return;
    if (o.cbPasToucheAuxClients) {
        ReloadPreviousClientLists(state);
        return;
    }

    TargetDatabase &db = state.db;
    Statement QClient(db, ClientInsertSQL(state.DatabaseBuild));
    Statement QFind(db, FindDuplicateClientSQL());
    Statement IBProcUpdateCallerID(db, CallerIDProcedureSQL());
    ClientLoyalty loyalty(db, GetSiteID(o));
    DemoAnonymisation demo(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::optional<DuplicatesReport> report;

    const auto beforeLines = [&] {
        if (!o.cbDedoublonageClients)
            return;
        // A resume finds the rows the interrupted run wrote as it wrote them: prepared already, if it had begun.
        if (LinesDoneBefore(state, "CLIENTS.TXT") == 0)
            PrepareClientDeduplication(db);
        report.emplace(state.OutputPath("DOUBLONS_CLIENTS.TXT"), HeaderLine(state.SourcePath("CLIENTS.TXT")));
    };
    ClientLineImport work(state, QClient, QFind, IBProcUpdateCallerID, loyalty, demo, report);
    RunImportStep(
        state, ClientStepDefinition(), [&work](const StepLine &line) { return work(line); }, beforeLines);
    if (report)
        report->Close(state.op, state.writtenFiles);
}

namespace {

bool CreatesLoyaltyCard(const StepLine &line) {
    return line.Field("FIDELITE_CREER_CARTE") == "1";
}

} // namespace

const StepEntry &ClientStepEntry() {
    static const StepEntry entry{
        .name = "doImportationClients",
        .label = "Clients",
        .work = doImportationClients,
        .files = {{.definition = ClientStepDefinition,
                   .boxPosition = 1,
                   .fields = {{.column = "ID_CLIENT",
                               .conversion = Conversion::Integer,
                               .setting = &ImportOptions::cbGarder_ID_CLIENT_du_logiciel_d_origine},
                              {.column = "RELANCE_PAPIER", .conversion = Conversion::Integer},
                              {.column = "RELANCE_EMAIL", .conversion = Conversion::Integer},
                              {.column = "RELANCE_SMS", .conversion = Conversion::Integer},
                              {.column = "COLOR", .conversion = Conversion::Integer},
                              {.column = "REMISE_ACTES", .conversion = Conversion::Integer, .emptyAllowed = true},
                              {.column = "REMISE_PRODUITS", .conversion = Conversion::Integer, .emptyAllowed = true},
                              {.column = "DATE_CREATION", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "FIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100",
                               .conversion = Conversion::Integer,
                               .applies = CreatesLoyaltyCard},
                              {.column = "FIDELITE_POURCENTAGE_INT100",
                               .conversion = Conversion::Integer,
                               .applies = CreatesLoyaltyCard},
                              {.column = "FIDELITE_TOTAL_ACHATS",
                               .conversion = Conversion::Integer,
                               .applies = CreatesLoyaltyCard}},
                   .references = {{"ID_REFERE_PAR", "CONTACTS.TXT", "ID_CONTACT"}}}}};
    return entry;
}

} // namespace clinova
