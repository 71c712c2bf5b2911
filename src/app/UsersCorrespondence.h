#pragma once

#include <string_view>

namespace clinova {

struct RunState;

// Reads the memo "IDUserClinova=IDUtilisateurSource[//commentaires]" into the users lists.
void doImportationUsers(RunState &state);

// The target user of a source user identifier (exact match), the run's default user otherwise.
int GetTargetUserID(const RunState &state, std::string_view sourceUserID);

} // namespace clinova
