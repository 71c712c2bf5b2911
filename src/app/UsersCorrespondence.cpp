#include "app/UsersCorrespondence.h"

#include "app/RunState.h"
#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"

namespace clinova {

void doImportationUsers(RunState &state) {
    state.fSourceIDUserList.clear();
    state.fDatabaseIDUserList.Clear();
    for (const auto &memoLine : SplitLines(state.options.MemoCorrespondancesUtilisateurs).lines) {
        std::string_view line = TrimView(memoLine);
        if (line.empty())
            continue;
        if (const auto comment = line.find("//"); comment != std::string_view::npos)
            line = TrimView(line.substr(0, comment));
        const auto equal = line.find('=');
        if (equal == std::string_view::npos)
            continue;
        const int target = TryStrToInt(TrimView(line.substr(0, equal))).value_or(-1);
        const std::string_view source = TrimView(line.substr(equal + 1));
        if (target != -1 && !source.empty()) {
            state.fSourceIDUserList.emplace_back(source);
            state.fDatabaseIDUserList.Add(target);
        }
    }
}

int GetTargetUserID(const RunState &state, std::string_view sourceUserID) {
    for (std::size_t i = 0; i < state.fSourceIDUserList.size(); ++i)
        if (state.fSourceIDUserList[i] == sourceUserID)
            return state.fDatabaseIDUserList.Get(static_cast<int>(i));
    return state.IDDefaultUser;
}

} // namespace clinova
