#pragma once
// The pet passport of an animal just inserted, issued by the practice itself: a row of PASSEPORTS that
// repeats the animal's name, species and identification and its owner's name and address.

#include "database/Statement.h"

#include <string>

namespace clinova {

class StepLine;
class TargetDatabase;

class PassportImport {
public:
    // The statement lives as long as the animal step that uses it.
    PassportImport(TargetDatabase &db, int siteID);

    // The identifier of the line's passport, drawn before its animal is written, as the animal's own is: -1 when
    // the line has none (no number, trimmed, or no date text), or when the generator fails.
    int DrawID(const std::string &passportNumber, const std::string &dateText);
    // Writes the passport (the number upper-cased, not cut) as a write that follows the animal's row: it repeats
    // the animal's name, species and identification and its owner's name and address as the database holds
    // them. A date that does not parse and database errors are thrown to the animal line, whose animal is
    // already written; an animal or owner that cannot be found leaves no passport.
    void doAddPasseport(const StepLine &line, int passportID, const std::string &passportNumber,
                        const std::string &dateText, int clientID, int animalID);

private:
    TargetDatabase &db_;
    int siteID_;
    Statement insert_;
};

} // namespace clinova
