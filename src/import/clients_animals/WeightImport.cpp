#include "import/clients_animals/WeightImport.h"

#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/IndependentWrites.h"
#include "database/Statement.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace clinova {

namespace {

const char *const kUpdateAnimalSQL = "update ANIMAUX set POIDS=:POIDS\n"
                                     "where (ID=:ID_ANIMAL) and ((POIDS is null) or (POIDS<=0))";

// The latest weighing of each animal that received a row in this run, in the order the animals were met.
class LatestWeights {
public:
    struct Entry {
        int animalID;
        std::int64_t day;
        std::int32_t grams;
    };

    // Among weighings of the latest day, the first in file order is kept.
    void Record(int animalID, std::int64_t day, std::int32_t grams) {
        const auto [it, added] = index_.emplace(animalID, entries_.size());
        if (added) {
            entries_.push_back({animalID, day, grams});
            return;
        }
        Entry &entry = entries_[it->second];
        if (entry.day < day) {
            entry.day = day;
            entry.grams = grams;
        }
    }
    const std::vector<Entry> &Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    std::unordered_map<int, std::size_t> index_;
};

// The work on one line of POIDS.TXT.
class WeightLineImport {
public:
    WeightLineImport(RunState &state, Statement &QPoids, LatestWeights &latest)
        : state_(state), QPoids_(QPoids), latest_(latest) {}

    LineOutcome operator()(const StepLine &line) {
        std::string skipped;
        const auto weighing = Read(line, skipped);
        if (!weighing)
            return line.Skip(std::move(skipped));
        const ImportOptions &o = state_.options;
        const int animalID = weighing->animalID;
        const std::int32_t grams = weighing->grams;
        const Date day = weighing->day;
        Statement &q = QPoids_;
        q.ClearParameters();
        q.SetInt("ID", state_.db.DrawNewID("CURRENT_ID_POIDS"));
        q.SetInt("IDANIMAL", animalID);
        q.SetDate("DATEPESEE", day);
        q.SetDouble("POIDS", grams / 1000.0);
        if (state_.DatabaseBuild >= 85) {
            q.SetDate("DT_HISTORIQUE", day);
            q.SetInt("ID_HOSPI", line.Has("ID_HOSPI") ? StrToInt(line.Field("ID_HOSPI")) : -1);
            q.SetInt("ID_SITE", line.Has("ID_SITE") ? StrToInt(line.Field("ID_SITE")) : GetSiteID(o));
            q.SetInt("ID_USER", line.Has("ID_USER") ? StrToInt(line.Field("ID_USER")) : state_.IDDefaultUser);
        }
        line.Write(q);
        line.OnceWritten([this, animalID, day = DaysFromCivil(day), grams] { latest_.Record(animalID, day, grams); });
        return LineOutcome::Imported;
    }

    // A line a resumed run does not import again: its weighing still counts for the animal's latest weight.
    LineOutcome Replay(const StepLine &line) {
        std::string skipped;
        if (const auto weighing = Read(line, skipped))
            latest_.Record(weighing->animalID, DaysFromCivil(weighing->day), weighing->grams);
        return LineOutcome::Imported;
    }

private:
    struct Weighing {
        int animalID;
        Date day;
        std::int32_t grams;
    };

    // The animal, day and weight of a line; nullopt when the line is left aside, with the reason in skipped.
    std::optional<Weighing> Read(const StepLine &line, std::string &skipped) {
        const ImportOptions &o = state_.options;
        const CorrespondenceLists &lists = state_.lists;

        const std::string &weight = line.Field("POIDS_GR");
        const std::int32_t grams = TryStrToInt(weight).value_or(0);
        if (grams == 0) {
            skipped = FromUtf8("POIDS_GR '") + weight + FromUtf8("' : pas de poids");
            return std::nullopt;
        }
        if (line.Field("DATE").empty()) {
            skipped = FromUtf8("DATE vide : pesée sans date");
            return std::nullopt;
        }

        const std::string &sourceID = line.Field("ID_ANIMAL");
        if (o.cbPoidsQuePourNewAnimaux && lists.fSourceIDNewAnimalList.IndexOf(sourceID) < 0) {
            skipped = NotANewAnimal(sourceID, "Poids que pour new animaux", "cbPoidsQuePourNewAnimaux");
            return std::nullopt;
        }
        int animalID;
        if (o.cbGarder_ID_ANIMAL_du_logiciel_d_origine) {
            const auto id = TryStrToInt(sourceID);
            if (!id) {
                skipped = FromUtf8("ID_ANIMAL '") + sourceID +
                          FromUtf8("' n'est pas un identifiant numérique : \"garder ID_ANIMAL du logiciel "
                                   "d'origine\" (cbGarder_ID_ANIMAL_du_logiciel_d_origine)");
                return std::nullopt;
            }
            animalID = *id;
        } else {
            const int index = lists.fSourceIDAnimalList.IndexOf(sourceID);
            if (index < 0) {
                skipped = AnimalNotImported(sourceID);
                return std::nullopt;
            }
            animalID = lists.fDatabaseIDAnimalList.Get(index);
        }

        return Weighing{animalID, ParseDateDMY(line.Field("DATE")), grams};
    }

    RunState &state_;
    Statement &QPoids_;
    LatestWeights &latest_;
};

// Each animal without a weight of its own takes its latest imported weighing; an animal that already has a
// weight, such as the first weight of ANIMAUX.TXT, keeps it. A failure is logged and the others go on; the
// updates travel together when the rows are sent grouped.
void CopyLatestWeights(RunState &state, const LatestWeights &latest) {
    Operator &op = state.op;
    const auto &entries = latest.Entries();
    if (entries.empty())
        return;
    op.ShowWait();
    Statement QPart1(state.db, kUpdateAnimalSQL);
    const std::string last = std::to_string(static_cast<long long>(entries.size()) - 1);
    IndependentWrites updates(state.db, [&](int k, const std::string &message) {
        op.AddToLog("POIDS.TXT/erreue ajout poids dans fiche animal ID_ANIMAL_CN=" +
                    std::to_string(entries[static_cast<std::size_t>(k)].animalID) + "/" + message);
    });
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const auto &entry = entries[k];
        op.SetWaitMessage("Importation poids dans fiche animal " + std::to_string(k) + "/" + last + "...");
        QPart1.ClearParameters();
        QPart1.SetInt("ID_ANIMAL", entry.animalID);
        QPart1.SetDouble("POIDS", entry.grams / 1000.0);
        updates.Write(static_cast<int>(k), QPart1);
        op.ProcessPendingMessages();
    }
    updates.Finish();
    op.HideWait();
}

} // namespace

const StepDefinition &WeightStepDefinition() {
    static const StepDefinition step{.fileName = "POIDS.TXT",
                                     .checkBox = &ImportOptions::cbPOIDS,
                                     .waitText = "Importation des poids",
                                     .progressText = "Importation poids ",
                                     .mandatoryColumns = {"ID_ANIMAL", "DATE", "POIDS_GR"},
                                     .interruptionKind = "POIDS",
                                     .logPrefix = {},
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

std::string WeightInsertSQL(int databaseBuild) {
    if (databaseBuild < 85)
        return "insert into POIDS (ID,IDANIMAL,DATEPESEE,POIDS) values (:ID,:IDANIMAL,:DATEPESEE,:POIDS)";
    return "insert into POIDS (ID,IDANIMAL,DATEPESEE,POIDS,DT_HISTORIQUE,ID_HOSPI,ID_SITE,ID_USER) values "
           "(:ID,:IDANIMAL,:DATEPESEE,:POIDS,:DT_HISTORIQUE,:ID_HOSPI,:ID_SITE,:ID_USER)";
}

void doImportationPoids(RunState &state) {
    Statement QPoids(state.db, WeightInsertSQL(state.DatabaseBuild));
    LatestWeights latest;
    WeightLineImport work(state, QPoids, latest);
    const StepSummary summary =
        RunImportStep(state, WeightStepDefinition(), [&work](const StepLine &line) { return work(line); }, {},
                      [&work](const StepLine &line) { return work.Replay(line); });
    // After an interruption no animal takes a weight from this run.
    if (summary.ran && !summary.interrupted)
        CopyLatestWeights(state, latest);
}

namespace {

bool HasDate(const StepLine &line) {
    return !line.Field("DATE").empty();
}
bool IsWeighing(const StepLine &line) {
    return TryStrToInt(line.Field("POIDS_GR")).value_or(0) != 0 && HasDate(line);
}

} // namespace

const StepEntry &WeightStepEntry() {
    static const StepEntry entry{
        .name = "doImportationPoids",
        .label = "Poids",
        .work = doImportationPoids,
        .files = {{.definition = WeightStepDefinition,
                   .boxPosition = 9,
                   .fields = {{.column = "POIDS_GR",
                               .conversion = Conversion::Weight,
                               .applies = HasDate,
                               .consequence = "la pesée sera ignorée"},
                              {.column = "DATE", .conversion = Conversion::Date, .applies = IsWeighing},
                              {.column = "ID_HOSPI", .conversion = Conversion::Integer, .applies = IsWeighing},
                              {.column = "ID_SITE", .conversion = Conversion::Integer, .applies = IsWeighing},
                              {.column = "ID_USER", .conversion = Conversion::Integer, .applies = IsWeighing}},
                   .references = {{"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL"}}}}};
    return entry;
}

} // namespace clinova
