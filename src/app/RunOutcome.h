#pragma once

namespace clinova {

// How an action that imports or rewrites records ended, for the front ends (the command line turns it into its
// exit status).
enum class RunOutcome {
    Completed,             // every step ran to its end and no line failed
    CompletedWithFailures, // the steps ran to their end, some lines failed (each has its log line)
    Refused,               // "Non" to the question, unsupported build, no veterinarian
    Failed,                // the connection failed or an error ended the run
    Interrupted,           // the operator interrupted a step
    InternalError,         // a fault of the program ended the run (ProgramError), never a data line's failure
};

} // namespace clinova
