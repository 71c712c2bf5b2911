#pragma once
// The maintenance actions on the target database, each described once: its command, what it asks, whether it
// backs the database up first, which database it works on, the window's buttons that start it, its options and
// its work. As ImportSteps() is for the steps, this is the one table both front ends read: the command line makes
// one command per action, with the action's options, and the window wires each button of the table to its
// action. A new action is one entry here (its work where its subject lives, src/cleaning for a deletion) and,
// for the window, its button placed in its section.

#include "app/RunOutcome.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct RunState;

// What an action asks before it changes anything; any answer but "Oui" refuses it and nothing is touched.
enum class ActionQuestions {
    None,                      // nothing: it changes nothing in the practice's database
    ProductClosed,             // "Avez-vous fermé Clinova ?"
    ProductClosedThenWhatGoes, // then what it deletes, naming the database, with "Non" as the default answer
};

// The database an action works on.
enum class ActionDatabase {
    None,      // none of the settings' (create-database writes the file its argument names)
    Target,    // the one the settings name: the window's section 1, --database and --server
    NewTarget, // a new one at the path the settings name: the command line wants it named with --database
};

// One option of the action's command. A name without "--" is an argument given in its place ("CHEMIN").
struct ActionOption {
    enum class Kind { Flag, Text, Integer };
    const char *name;
    Kind kind;
    const char *typeName; // what the help shows for its value ("JJ/MM/AAAA"); "" for a flag or an argument
    const char *help;     // French, UTF-8
    bool required = false;
};

// The options given to an action, by name, as given ("1" for a flag): the fixed ones of a window's button, or
// those typed on the command line (UTF-8 there, as the paths the action opens are).
using ActionArguments = std::map<std::string, std::string, std::less<>>;

// Everything an action is given besides the settings.
struct ActionInput {
    ActionArguments arguments;
    // Shows the stage the action is at, in Windows-1252 (the window's label lbEtape); none on the command line.
    std::function<void(const std::string &text)> stage;
};

// A button of the window that starts the action, and the options it gives it.
struct ActionButton {
    const char *name; // its control, "XiButton2"
    ActionArguments arguments = {};
};

struct MaintenanceAction {
    const char *command;     // "empty-tables", as the command line names it
    const char *description; // the command's help, French, UTF-8
    ActionQuestions questions;
    // Whether "Sauvegarder la base avant" (--backup on the command line) backs the database up before it changes.
    bool backsUp;
    ActionDatabase database;
    // Whether the operator's interruption (the window's "interrompre", Ctrl+C) is the action's to handle: it ends
    // cleanly, what it did committed. Ctrl+C ends the others at once, with the program.
    bool interruptible;
    std::vector<ActionOption> options;
    std::vector<ActionButton> buttons;
    // Applies the options to the settings, after the settings of the front end; false, with the usage error's text
    // (Windows-1252), when one does not fit. Nothing is asked or touched before. None when no option is a setting.
    bool (*prepare)(RunState &state, const ActionArguments &arguments, std::string &error) = nullptr;
    RunOutcome (*work)(RunState &state, const ActionInput &input) = nullptr;
};

// The actions, in the order the command line's help lists them.
const std::vector<MaintenanceAction> &MaintenanceActions();

// The action of that command, or null.
const MaintenanceAction *FindMaintenanceAction(std::string_view command);

} // namespace clinova
