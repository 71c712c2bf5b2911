#pragma once
// The animal insert QAni: its two forms by database build, and the values every line starts from.

#include <string>

namespace clinova {

class Statement;

// 138 columns, each bound to the parameter of the same name; with the ideal weight, POIDS_IDEAL1000 as a
// 139th (databases of build 85 and later).
std::string AnimalInsertSQL(bool withIdealWeight);

// Binds ID, IDCLIENT and the default of the other parameters, after clearing them all, so that no value
// of the previous line survives: what neither the defaults nor the line bind is NULL.
void SetAnimalDefaults(Statement &QAni, int animalID, int clientID);

} // namespace clinova
