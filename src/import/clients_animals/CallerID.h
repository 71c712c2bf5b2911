#pragma once
// Registering a record's phone numbers with the database's caller identification (PROC_UPDATE_CALLER_ID).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace clinova {

class Statement;
class StepLine;

// The call of PROC_UPDATE_CALLER_ID, for the statement IBProcUpdateCallerID.
std::string CallerIDProcedureSQL();

// The number of a phone text: blanks removed, then read as a 64-bit integer; 0 when it is not one.
std::int64_t PhoneToNumber(std::string_view text);

// Runs the procedure for one record (what: 1 for a client) with the numbers of its six phones, as a write of the
// line that follows its main row. Any error is ignored: the identification of calls is a convenience the import
// does not depend on.
void UpdateCallerID(const StepLine &line, Statement &IBProcUpdateCallerID, int what, int recordID,
                    const std::array<std::string, 6> &tels);

} // namespace clinova
