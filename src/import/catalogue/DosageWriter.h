#pragma once
// Writes one dosage (POSOS) and the link (LINK_POSOLOGIES) that ties it to the products of a GTIN.

#include "database/Statement.h"

#include <string>
#include <string_view>

namespace clinova {

class TargetDatabase;

class DosageWriter {
public:
    explicit DosageWriter(TargetDatabase &db);

    // The text loses its outer blank lines and its final line break. True when the dosage and its link
    // were both written; otherwise nothing stays of them, LastError() tells why, and nothing is raised.
    bool AddDosage(std::string_view text, std::string_view gtin);
    const std::string &LastError() const { return lastError_; }

private:
    void Forget(int dosageID) noexcept;

    TargetDatabase &db_;
    Statement QueryPoso;
    Statement QueryLink;
    Statement QueryForget;
    std::string lastError_;
};

} // namespace clinova
