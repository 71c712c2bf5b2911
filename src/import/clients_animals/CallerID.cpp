#include "import/clients_animals/CallerID.h"

#include "app/ImportStep.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"

#include <stdexcept>

namespace clinova {

std::string CallerIDProcedureSQL() {
    return "execute procedure PROC_UPDATE_CALLER_ID "
           "(:P_IDWHAT, :P_IDFICHE, :P_TEL_1, :P_TEL_2, :P_TEL_3, :P_TEL_4, :P_TEL_5, :P_TEL_6)";
}

std::int64_t PhoneToNumber(std::string_view text) {
    return TryStrToInt64(RemoveAllChars(text, ' ')).value_or(0);
}

void UpdateCallerID(const StepLine &line, Statement &IBProcUpdateCallerID, int what, int recordID,
                    const std::array<std::string, 6> &tels) {
    try {
        Statement &proc = IBProcUpdateCallerID;
        proc.Close();
        proc.SetInt("P_IDWHAT", what);
        proc.SetInt("P_IDFICHE", recordID);
        for (std::size_t i = 0; i < tels.size(); ++i)
            proc.SetDouble("P_TEL_" + std::to_string(i + 1), static_cast<double>(PhoneToNumber(tels[i])));
        line.WriteIgnoringRefusal(proc);
    } catch (const std::exception &) {
        // A database without the procedure, or a procedure that refuses the numbers, changes nothing else.
    }
}

} // namespace clinova
