#pragma once

#include "database/Statement.h"
#include "import/medical/RelancesConfig.h"

namespace clinova {

struct RunState;
struct StepEntry;
class TargetDatabase;

// The statements of the event models, prepared once for all the models of a run.
struct EventModelStatements {
    explicit EventModelStatements(TargetDatabase &database);
    TargetDatabase &db;
    Statement Q1;               // the model of two labels
    Statement QueryModeleEvent; // the insert of a model
};

// Turns each pair of fEventModelCategoryList and fEventModelLabelList into an event model of the product
// with the configuration ImportedModelRelancesConfig gives, unless cbNePasCreerModelesRelances is ticked.
// Writes nothing to the log and does not stop on the interrupt button.
void doImportationModelesEvenements(RunState &state);

// Creates the RELANCES_CONFIG row of one model, unless the database already holds one with the same two
// labels: the labels are cut to 60 characters in the columns and in the lookup, and kept whole in
// CONTENT. Any error leaves the model out without a message.
void doCreateRelancesConfig(EventModelStatements &statements, const RelancesConfig &config);

// The event models step: it reads no file.
const StepEntry &EventModelStepEntry();

} // namespace clinova
