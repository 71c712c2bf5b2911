#pragma once

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

} // namespace clinova
