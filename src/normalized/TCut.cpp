#include "normalized/TCut.h"

#include "normalized/Conversions.h"

namespace clinova {

void TCut::PrepareFields(int n) {
    Fields.assign(n > 0 ? static_cast<std::size_t>(n) : 0, std::string());
}

int TCut::CountFields() const {
    if (Line.empty())
        return 0;
    int count = 1;
    if (!Separator.empty())
        for (std::size_t p = 0; (p = Line.find(Separator, p)) != std::string::npos; p += Separator.size())
            ++count;
    return count;
}

bool TCut::Cut() {
    Status = kStatusOk;
    const std::string_view line(Line);
    if (line.empty()) {
        Status = kStatusEmptyLine;
        return false;
    }
    for (auto &field : Fields)
        field.clear();
    // Pieces are taken by position, never by deleting from the front of the line: a long line costs no
    // more than its length. A separator of several characters is passed over whole.
    std::size_t start = 0;
    for (int i = 0;; ++i) {
        const std::size_t p = Separator.empty() ? std::string_view::npos : line.find(Separator, start);
        StoreField(i, line.substr(start, p == std::string_view::npos ? p : p - start));
        if (p == std::string_view::npos || Status != kStatusOk)
            return true;
        start = p + Separator.size();
    }
}

void TCut::StoreField(int i, std::string_view piece) {
    if (i < 0 || static_cast<std::size_t>(i) >= Fields.size()) {
        Status = kStatusTooManyPieces;
        return;
    }
    if (!Quote.empty() && piece.size() >= 2 * Quote.size() && piece.starts_with(Quote) && piece.ends_with(Quote))
        piece = piece.substr(Quote.size(), piece.size() - 2 * Quote.size());
    Fields[static_cast<std::size_t>(i)].assign(piece);
}

void TCut::TrimFields() {
    // In place: a long field is never held twice.
    for (auto &field : Fields) {
        const std::string_view trimmed = TrimView(field);
        if (trimmed.size() == field.size())
            continue;
        const auto start = static_cast<std::size_t>(trimmed.data() - field.data());
        field.erase(start + trimmed.size());
        field.erase(0, start);
    }
}

} // namespace clinova
