#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Carries the stock counted in INVENTAIRE.TXT over to the products of the site's catalogue (TARIFSPRODUITS):
// each line names a wholesaler of the site (CENTRALES) and a product code, matched with that wholesaler as
// supplier; METHODE "0" replaces the stock, "+" adds to it. Creates no product. An unknown wholesaler is
// logged; an unknown product or another METHODE leaves the line aside silently.
void doImportationInventaires(RunState &state);

// INVENTAIRE.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &InventoryStepDefinition();

// The stock counts step as the run, the check and the window know it.
const StepEntry &InventoryStepEntry();

} // namespace clinova
