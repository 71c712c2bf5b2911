#pragma once

namespace clinova {

class TargetDatabase;

// The wholesalers (CENTRALES) and products (TARIFSPRODUITS) that the stock counts and dosages of the sample
// practice (examples/practice) refer to, for a demonstration database. Site 1 holds CENTRAVET and ALCYON
// with their products; site 2 holds COVETO and one product. The database must be open; the rows are
// committed.
void AddSampleCatalogue(TargetDatabase &db);

} // namespace clinova
