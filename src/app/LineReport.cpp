#include "app/LineReport.h"

#include "app/Operator.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <algorithm>

namespace clinova {

namespace {

std::size_t Pieces(std::string_view line) { return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1; }

// A reason on one field of one line.
std::string OneField(std::string_view reason) {
    std::string field(reason);
    std::replace_if(field.begin(), field.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return field;
}

} // namespace

LineReport::LineReport(std::string path, std::string_view header, std::string reasonColumn, bool utf8)
    : path_(std::move(path)), header_(header), width_(Pieces(header)), utf8_(utf8) {
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        const std::size_t tab = header.find('\t', start);
        if (header.substr(start, tab == std::string_view::npos ? tab : tab - start) == reasonColumn) {
            reasonIndex_ = i;
            break;
        }
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (!reasonIndex_)
        header_ += "\t" + reasonColumn;
}

LineReport::~LineReport() = default;

void LineReport::Add(std::string_view line, std::string_view reason) {
    ++count_;
    if (!error_.empty())
        return;
    const std::string field = OneField(utf8_ ? ToUtf8(reason) : std::string(reason));
    const std::size_t column = reasonIndex_.value_or(width_);
    const std::size_t pieces = Pieces(line);
    try {
        if (!file_) {
            file_ = std::make_unique<OutputFile>(path_);
            file_->Write(header_ + "\r\n");
        }
        if (pieces > column && reasonIndex_) {
            // The old reason's place.
            std::size_t start = 0;
            for (std::size_t i = 0; i < column; ++i)
                start = line.find('\t', start) + 1;
            const std::size_t end = line.find('\t', start);
            file_->Write(line.substr(0, start));
            file_->Write(field);
            if (end != std::string_view::npos)
                file_->Write(line.substr(end));
        } else if (pieces > column) {
            // More pieces than the header names: they are kept, the reason follows them.
            file_->Write(line);
            file_->Write("\t" + field);
        } else {
            file_->Write(line);
            file_->Write(std::string(column - pieces + 1, '\t') + field);
        }
        file_->Write("\r\n");
    } catch (const FileError &e) {
        // The lines are still logged one by one; the file's failure is told once, at the end of the step.
        error_ = e.what();
        file_.reset();
    }
}

void LineReport::Finish(Operator &op, std::vector<std::string> &written) {
    if (finished_)
        return;
    finished_ = true;
    if (!error_.empty()) {
        op.AddToLog(error_);
        return;
    }
    if (!file_) {
        RemoveOutputFile(path_);
        return;
    }
    try {
        const EntryKind former = file_->Commit();
        written.push_back(path_);
        if (const std::string replaced = ReplacedEntryLog(path_, former); !replaced.empty())
            op.AddToLog(replaced);
    } catch (const FileError &e) {
        op.AddToLog(e.what());
    }
    file_.reset();
}

} // namespace clinova
