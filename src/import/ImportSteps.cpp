#include "import/ImportSteps.h"

#include "app/StepEntry.h"
#include "app/UsersCorrespondence.h"
#include "import/catalogue/AppointmentImport.h"
#include "import/catalogue/Cities.h"
#include "import/catalogue/ContactImport.h"
#include "import/catalogue/DosageImport.h"
#include "import/catalogue/FeeScheduleImport.h"
#include "import/catalogue/InventoryImport.h"
#include "import/clients_animals/AnimalImport.h"
#include "import/clients_animals/ClientImport.h"
#include "import/clients_animals/WeightImport.h"
#include "import/medical/ConsultationImport.h"
#include "import/medical/EventImport.h"
#include "import/medical/EventModels.h"
#include "import/medical/MedicalSynthesis.h"
#include "import/medical/NotesImport.h"
#include "import/medical/ReminderImport.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <stdexcept>

namespace clinova {

namespace {

// The users step: it reads the memo of the settings, no file.
const StepEntry &UsersStepEntry() {
    static const StepEntry entry{.name = "doImportationUsers", .label = "Utilisateurs", .work = doImportationUsers};
    return entry;
}

} // namespace

const std::vector<const StepEntry *> &ImportSteps() {
    static const std::vector<const StepEntry *> steps = {
        &UsersStepEntry(),      &ContactStepEntry(),     &ClientStepEntry(),          &AnimalStepEntry(),
        &WeightStepEntry(),     &CityStepEntry(),        &ConsultationStepEntry(),    &NoteStepEntry(),
        &EventStepEntry(),      &ReminderStepEntry(),    &EventModelStepEntry(),      &FeeScheduleStepEntry(),
        &MedicalSynthesisStepEntry(), &InventoryStepEntry(), &AppointmentStepEntry(), &DosageStepEntry(),
    };
    return steps;
}

const StepEntry *StepReading(std::string_view fileName) {
    for (const StepEntry *step : ImportSteps())
        for (const StepFile &file : step->files)
            if (file.definition().fileName == fileName)
                return step;
    return nullptr;
}

std::string StepLabelOf(std::string_view fileName) {
    const StepEntry *step = StepReading(fileName);
    return step ? FromUtf8(step->label) : std::string();
}

const std::vector<SourceFile> &SourceFiles() {
    static const std::vector<SourceFile> files = [] {
        std::vector<std::pair<int, SourceFile>> placed;
        for (const StepEntry *step : ImportSteps())
            for (const StepFile &file : step->files)
                if (file.boxPosition > 0) {
                    const OptionControl *control = FindFileControl(file.Box());
                    if (!control)
                        throw std::logic_error(std::string("no control for the box of ") + file.definition().fileName);
                    placed.push_back({file.boxPosition, {control->name, file.definition().fileName.c_str(), file.Box()}});
                }
        std::sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<SourceFile> ordered;
        for (const auto &entry : placed)
            ordered.push_back(entry.second);
        return ordered;
    }();
    return files;
}

} // namespace clinova
