#include "app/CommittingOperator.h"

#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"

namespace clinova {

bool CommitPendingRows(TargetDatabase &db, Operator &op) {
    try {
        db.CommitPendingRows();
        return true;
    } catch (const std::exception &e) {
        op.AddToLog(FromUtf8("Validation des dernières lignes écrites impossible : ") + e.what());
        return false;
    }
}

} // namespace clinova
