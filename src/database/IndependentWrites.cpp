#include "database/IndependentWrites.h"

#include "database/Connection.h"
#include "database/DatabaseError.h"

#include <utility>

namespace clinova {

IndependentWrites::IndependentWrites(Connection &db, Refused refused) : refused_(std::move(refused)) {
    if (db.Batching() && db.Policy() == CommitPolicy::Grouped)
        batch_.emplace(db);
}

void IndependentWrites::Write(int number, Statement &write) {
    if (!batch_) {
        try {
            write.Execute();
        } catch (const DatabaseError &e) {
            refused_(number, e.what());
        }
        return;
    }
    batch_->StartLine(number);
    batch_->AddOnItsOwn(write);
    waiting_.push_back(number);
    if (batch_->Full())
        Send();
}

void IndependentWrites::Finish() {
    if (batch_)
        Send();
}

void IndependentWrites::Send() {
    const std::vector<int> sent = std::exchange(waiting_, {});
    try {
        batch_->Send();
    } catch (const DatabaseError &e) {
        // Nothing of what waited is written (the connection is gone): each write fails, as one by one.
        for (const int number : sent)
            refused_(number, e.what());
        return;
    }
    for (const RefusedLine &refused : batch_->TakeRefused())
        refused_(refused.line, refused.message);
}

} // namespace clinova
