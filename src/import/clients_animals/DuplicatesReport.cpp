#include "import/clients_animals/DuplicatesReport.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

DuplicatesReport::DuplicatesReport(const std::string &path, std::string_view headerLine) : path_(path) {
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) {
        error_ = FromUtf8("impossible de créer le fichier ") + path_;
        return;
    }
    // Unbuffered: a write that fails fails at its own line.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    try {
        WriteLine(headerLine);
    } catch (const FileError &) {
        // Kept in error_: the duplicate lines report it.
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
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        error_ = FromUtf8("écriture impossible dans le fichier ") + path_;
        throw FileError(error_);
    }
}

void DuplicatesReport::Close() {
    if (!file_)
        return;
    if (std::fclose(file_.release()) != 0)
        throw FileError(FromUtf8("écriture impossible dans le fichier ") + path_);
}

} // namespace clinova
