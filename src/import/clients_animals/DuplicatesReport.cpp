#include "import/clients_animals/DuplicatesReport.h"

#include "app/Operator.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

DuplicatesReport::DuplicatesReport(const std::string &path, std::string_view headerLine) : path_(path) {
    try {
        file_ = std::make_unique<OutputFile>(path);
        WriteLine(headerLine);
    } catch (const FileError &e) {
        // Kept in error_: the duplicate lines report it.
        error_ = e.what();
        file_.reset();
    }
}

DuplicatesReport::~DuplicatesReport() {
    if (!file_)
        return;
    try {
        file_->Commit();
    } catch (const FileError &) {
        // The error that ends the step is the one reported.
    }
}

void DuplicatesReport::Add(std::string_view line) {
    if (!error_.empty())
        throw FileError(error_);
    WriteLine(line);
}

void DuplicatesReport::WriteLine(std::string_view line) {
    if (!file_)
        throw FileError(FromUtf8("fichier fermé : ") + path_);
    std::string bytes(line);
    bytes += "\r\n";
    try {
        file_->Write(bytes);
    } catch (const FileError &e) {
        error_ = e.what();
        throw;
    }
}

void DuplicatesReport::Close(Operator &op, std::vector<std::string> &written) {
    if (!file_)
        return;
    const auto file = std::move(file_);
    const EntryKind former = file->Commit();
    written.push_back(path_);
    if (const std::string replaced = ReplacedEntryLog(path_, former); !replaced.empty())
        op.AddToLog(replaced);
}

} // namespace clinova
