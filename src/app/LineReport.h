#pragma once
// A file of source lines beside the source file, each with the reason it is there: REJETS_<FILE> holds the
// failed lines, ready to be corrected and imported again; AVERTISSEMENTS_<FILE> the lines imported with a
// warning; IGNOREES_<FILE> the lines a step left aside by one of its rules. The header comes first, with one more
// column for the reason; every line is padded to the header's width before its reason, so that the reason always
// stands in that column and never in a data column when the file is imported again. A header that already has
// that column (a rejects file imported again) keeps it, and the new reason takes the old one's place.
//
// The file is written through an OutputFile as the lines come, and takes its name when the step ends; when no
// line came, no such file stays.

#include "normalized/OutputFile.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

class Operator;

class LineReport {
public:
    // reasonColumn: "MOTIF_DU_REJET"; utf8: the source file was read as UTF-8, so the reasons are written in
    // UTF-8 like its lines.
    LineReport(std::string path, std::string_view header, std::string reasonColumn, bool utf8);
    ~LineReport();
    LineReport(const LineReport &) = delete;
    LineReport &operator=(const LineReport &) = delete;

    // A line exactly as read, and its reason (Windows-1252). Throws FileError.
    void Add(std::string_view line, std::string_view reason);
    int Count() const { return count_; }
    // Gives the file its name, or removes an earlier one when no line came; failures are logged. The path is
    // added to written when the file was written.
    void Finish(Operator &op, std::vector<std::string> &written);

private:
    std::string path_;
    std::string header_;
    std::size_t width_ = 0;                      // fields of the header
    std::optional<std::size_t> reasonIndex_;     // the reason column the header already has
    bool utf8_ = false;
    std::unique_ptr<OutputFile> file_;
    std::string error_; // the first write failure, reported at the end
    int count_ = 0;
    bool finished_ = false;
};

} // namespace clinova
