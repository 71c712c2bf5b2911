#include "import/clients_animals/DuplicatesReport.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

DuplicatesReport::DuplicatesReport(const std::string &path, std::string_view headerLine) : path_(path) {
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_)
        throw FileError(FromUtf8("impossible de créer le fichier ") + path_);
    WriteLine(headerLine);
}

void DuplicatesReport::Add(std::string_view line) {
    WriteLine(line);
}

void DuplicatesReport::WriteLine(std::string_view line) {
    if (!file_)
        throw FileError(FromUtf8("fichier fermé : ") + path_);
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_.get()) != 2)
        throw FileError(FromUtf8("écriture impossible dans le fichier ") + path_);
}

void DuplicatesReport::Close() {
    if (!file_)
        return;
    std::FILE *file = file_.release();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed)
        throw FileError(FromUtf8("écriture impossible dans le fichier ") + path_);
}

} // namespace clinova
