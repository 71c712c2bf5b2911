#pragma once
// The pet passport of an animal just inserted, issued by the practice itself: a row of PASSEPORTS that
// repeats the animal's name, species and identification and its owner's name and address.

#include "database/Statement.h"

#include <string>

namespace clinova {

class TargetDatabase;

class PassportImport {
public:
    // The statements live as long as the animal step that uses them.
    PassportImport(TargetDatabase &db, int siteID);

    // Writes the passport when both the number (trimmed and upper-cased, not cut) and the date text are
    // given. A date that does not parse and database errors are thrown to the animal line, whose animal is
    // already written; an animal or owner that cannot be read back, or a generator that fails, leave no
    // passport and no trace.
    void doAddPasseport(const std::string &passportNumber, const std::string &dateText, int clientID, int animalID);

private:
    TargetDatabase &db_;
    int siteID_;
    Statement Q1_; // the insert
    Statement Q2_; // the animal read back
    Statement Q3_; // the owner read back
};

} // namespace clinova
