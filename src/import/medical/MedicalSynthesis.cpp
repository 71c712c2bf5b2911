#include "import/medical/MedicalSynthesis.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/DatabaseError.h"
#include "database/IndependentWrites.h"
#include "database/Statement.h"
#include "import/medical/MedicalSummaryText.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

namespace clinova {

namespace {

// Every consultation of the animals between two identifiers, in the order of their summaries, read at once:
// their texts come inline when short (a blob read is two round trips to a server), from their blobs otherwise.
const char *const kQSynthese_1 =
    "select IDANIMAL, ID, DATETIME_CONSULT, char_length(SYNTHESE) LS, char_length(VACCINS) LV,\n"
    " case when char_length(SYNTHESE) <= 500 then cast(SYNTHESE as varchar(500)) end S,\n"
    " case when char_length(VACCINS) <= 500 then cast(VACCINS as varchar(500)) end V\n"
    "from consult where IDANIMAL between :FIRST and :LAST order by IDANIMAL, DATETIME_CONSULT DESC, ID";
const char *const kLongTexts = "select SYNTHESE, VACCINS from consult where ID=:ID";
const char *const kQSynthese_2 = "update ANIMAUX set SYNTHESE_DOSSIER = :SYNTHESE_DOSSIER where (ID=:ID)";
const char *const kQuery = "select ID, CARTON from CONSULT";
const char *const kQPart1 = "update CONSULT set SYNTHESE=:SYNTHESE where ID=:ID";

// Animals read at once by the summaries' query: the server sorts what it reads, and a sort that fits its memory
// neither spills to disk nor holds hundreds of megabytes for a large practice.
constexpr std::size_t kAnimalsPerReading = 4096;

// The summaries of the animals between first and last that the map holds, from their consultations.
void ReadSummaries(Statement &QSynthese_1, Statement &longTexts, int first, int last,
                   std::unordered_map<int, std::string> &summaries) {
    QSynthese_1.SetInt("FIRST", first);
    QSynthese_1.SetInt("LAST", last);
    // An entry whose texts are long is written once the cursor is closed, where it belongs in its animal's
    // summary: the later ones first, so that the places of the earlier ones stay true. Only those are kept
    // (a large practice has millions of consultations).
    struct LongRow {
        int animal, id;
        std::optional<Date> day;
        std::string synthese, vaccins; // what came inline
        std::size_t at;                // in the animal's summary
    };
    std::vector<LongRow> longRows;
    for (bool row = QSynthese_1.Open(); row; row = QSynthese_1.Next()) {
        const auto summary = summaries.find(QSynthese_1.GetInt("IDANIMAL"));
        if (summary == summaries.end())
            continue;
        std::optional<Date> day;
        if (!QSynthese_1.IsNull("DATETIME_CONSULT"))
            day = QSynthese_1.GetDateTime("DATETIME_CONSULT").date;
        const bool inlineTexts = (QSynthese_1.IsNull("LS") || !QSynthese_1.IsNull("S")) &&
                                 (QSynthese_1.IsNull("LV") || !QSynthese_1.IsNull("V"));
        if (inlineTexts)
            summary->second += AnimalSummaryEntry(day, QSynthese_1.GetText("S"), QSynthese_1.GetText("V"));
        else
            longRows.push_back({summary->first, QSynthese_1.GetInt("ID"), day, QSynthese_1.GetText("S"),
                                QSynthese_1.GetText("V"), summary->second.size()});
    }
    QSynthese_1.Close();
    for (auto r = longRows.rbegin(); r != longRows.rend(); ++r) {
        longTexts.SetInt("ID", r->id);
        if (longTexts.Open()) {
            r->synthese = longTexts.GetText("SYNTHESE");
            r->vaccins = longTexts.GetText("VACCINS");
        }
        longTexts.Close();
        summaries[r->animal].insert(r->at, AnimalSummaryEntry(r->day, r->synthese, r->vaccins));
    }
}

// The summary of each animal of the run, built from all their consultations, read a few thousand animals at a
// time.
std::unordered_map<int, std::string> AnimalSummaries(TargetDatabase &db, const TIntegerList &animals) {
    std::unordered_map<int, std::string> summaries;
    std::vector<int> ids;
    for (int i = 0; i < animals.Count(); ++i)
        if (summaries.emplace(animals.Get(i), std::string()).second)
            ids.push_back(animals.Get(i));
    std::sort(ids.begin(), ids.end());
    Statement QSynthese_1(db, kQSynthese_1);
    Statement longTexts(db, kLongTexts);
    for (std::size_t k = 0; k < ids.size(); k += kAnimalsPerReading)
        ReadSummaries(QSynthese_1, longTexts, ids[k], ids[std::min(k + kAnimalsPerReading, ids.size()) - 1],
                      summaries);
    return summaries;
}

} // namespace

void doBuildSyntheseDossiersMedicaux(RunState &state) {
    if (state.StopRequested)
        return;
    Operator &op = state.op;
    const CorrespondenceLists &lists = state.lists;
    {
        WaitShown wait(op);
        op.SetWaitMessage(FromUtf8("Syntèses dossiers médicaux"));
        Statement QSynthese_2(state.db, kQSynthese_2);
        const int count = lists.fDatabaseIDAnimalList.Count();
        // When the consultations cannot be read, each animal's summary fails with the reason.
        std::unordered_map<int, std::string> summaries;
        std::string unreadable;
        try {
            summaries = AnimalSummaries(state.db, lists.fDatabaseIDAnimalList);
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost())
                throw;
            unreadable = e.what();
        }
        const auto failed = [&](int i, const std::string &message) {
            // A reloaded source list can be shorter than its target list.
            const std::string source(i < lists.fSourceIDAnimalList.Count() ? lists.fSourceIDAnimalList[i] : "");
            op.AddToLog(FromUtf8("Syntèses dossiers médicaux/ID_ANIMAL(source)=") + source + "/" + message);
            ++state.failuresOutsideFiles;
        };
        // The summaries travel together when the rows are sent grouped.
        IndependentWrites updates(state.db, failed);
        for (int i = 0; i < count; ++i) {
            op.SetWaitMessage(FromUtf8("Syntèse dossier ") + std::to_string(i + 1) + "/" + std::to_string(count) +
                              "...");
            try {
                const int animal = lists.fDatabaseIDAnimalList.Get(i);
                if (!unreadable.empty())
                    throw DatabaseError(unreadable);
                QSynthese_2.SetText("SYNTHESE_DOSSIER", summaries.at(animal));
                QSynthese_2.SetInt("ID", animal);
                updates.Write(i, QSynthese_2);
                op.ProcessPendingMessages();
            } catch (const std::exception &e) {
                failed(i, e.what());
            }
            if (op.Interrupted()) {
                state.StopRequested = true;
                break;
            }
        }
        updates.Finish();
    }
    if (op.Interrupted())
        op.AddToLog(FromUtf8("Syntèses dossiers médicaux/interruption de la procédure"));
}

RunOutcome Button1Click(RunState &state) {
    Operator &op = state.op;
    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;

    RunOutcome outcome = RunOutcome::Completed;
    {
        WaitShown wait(op);
        op.SetWaitMessage(FromUtf8("Générer champ SYNTHESE"));
        try {
            OpenTargetDatabase(state);
        } catch (const std::exception &e) {
            CloseTargetDatabase(state);
            op.ShowMessage(e.what());
            return RunOutcome::Failed;
        }
        try {
            Statement QPart1(state.db, kQPart1);
            Statement Query(state.db, kQuery);
            int k = 0;
            for (bool row = Query.Open(); row; row = Query.Next()) {
                op.SetWaitMessage(FromUtf8("Générer champ SYNTHESE ") + std::to_string(++k));
                QPart1.SetText("SYNTHESE", ConsultationSummaryText(Query.GetBlob("CARTON")));
                QPart1.SetInt("ID", Query.GetInt("ID"));
                QPart1.Execute();
                op.ProcessPendingMessages();
                if (op.Interrupted())
                    break;
            }
            Query.Close();
            state.db.CommitRetaining();
            for (int i = 0; i < 3; ++i)
                op.ProcessPendingMessages();
        } catch (const std::exception &e) {
            op.AddToLog(e.what());
            outcome = RunOutcome::CompletedWithFailures;
        }
        CloseTargetDatabase(state);
    }
    if (op.Interrupted()) {
        op.AddToLog(FromUtf8("interruption de la procédure"));
        outcome = RunOutcome::Interrupted;
    }
    return outcome;
}

const StepEntry &MedicalSynthesisStepEntry() {
    static const StepEntry entry{.name = "doBuildSyntheseDossiersMedicaux", .label = "Synthèses des dossiers médicaux", .work = doBuildSyntheseDossiersMedicaux};
    return entry;
}

} // namespace clinova
