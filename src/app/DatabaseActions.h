#pragma once

#include <exception>

namespace clinova {

struct RunState;

// Disconnects, opens the database named by the settings and starts its transaction.
void OpenTargetDatabase(RunState &state);

// The user the import falls back to: the user typed in edIDDefaultUser, or the first veterinarian.
void ResolveDefaultUser(RunState &state);

// The access test behind "Tester". False when it could not connect (the reason was shown).
bool btnTestClick(RunState &state);

// Closes the connection; a failure of the closing commit is shown, never thrown.
void CloseTargetDatabase(RunState &state);

// Ends an action that an error stopped: the connection is closed (what it still holds is committed; a
// second failure there is not shown over the first), then the error's text is shown in the plain box.
void EndActionOnError(RunState &state, const std::exception &error);

} // namespace clinova
