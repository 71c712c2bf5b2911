// How the rows of one insert or update travel several at a time: as one EXECUTE BLOCK, whose parameters the
// block declares from the statement's own.

#include "database/Statement.h"
#include "database/StatementParts.h"

#include <fmt/format.h>

#include <algorithm>

namespace clinova {

namespace {

// The character sets the tool's databases use, by identifier, and the bytes of their widest character.
struct CharSetName {
    unsigned id;
    const char *name;
    unsigned bytesPerCharacter;
};
constexpr CharSetName kCharSets[] = {{0, "NONE", 1},        {1, "OCTETS", 1},      {2, "ASCII", 1},
                                     {3, "UNICODE_FSS", 3}, {4, "UTF8", 4},        {51, "WIN1250", 1},
                                     {52, "WIN1251", 1},    {53, "WIN1252", 1},    {21, "ISO8859_1", 1}};

const CharSetName *FindCharSet(unsigned id) {
    for (const auto &c : kCharSets)
        if (c.id == id)
            return &c;
    return nullptr;
}

// The declaration of a parameter of the described type; empty when the block cannot declare it.
std::string Declaration(const Statement::Slot &slot) {
    const auto scaled = [&](const char *integer, int digits) -> std::string {
        return slot.scale == 0 ? integer : fmt::format("NUMERIC({}, {})", digits, -slot.scale);
    };
    const auto text = [&](const char *kind) -> std::string {
        const CharSetName *cs = FindCharSet(slot.charSet);
        if (!cs)
            return {};
        return fmt::format("{}({}) CHARACTER SET {}", kind, std::max(1u, slot.length / cs->bytesPerCharacter),
                           cs->name);
    };
    switch (slot.type) {
    case SQL_SHORT:
        return scaled("SMALLINT", 4);
    case SQL_LONG:
        return scaled("INTEGER", 9);
    case SQL_INT64:
        return scaled("BIGINT", 18);
    case SQL_FLOAT:
        return "FLOAT";
    case SQL_DOUBLE:
        return "DOUBLE PRECISION";
    case SQL_TYPE_DATE:
        return "DATE";
    case SQL_TYPE_TIME:
        return "TIME";
    case SQL_TIMESTAMP:
        return "TIMESTAMP";
    case SQL_BOOLEAN:
        return "BOOLEAN";
    case kTextType:
        return text("CHAR");
    case kVaryingType:
        return text("VARCHAR");
    case SQL_BLOB: {
        if (slot.subType != isc_blob_text)
            return fmt::format("BLOB SUB_TYPE {}", slot.subType);
        const CharSetName *cs = FindCharSet(slot.charSet);
        return cs ? fmt::format("BLOB SUB_TYPE TEXT CHARACTER SET {}", cs->name) : std::string();
    }
    default:
        return {};
    }
}

// The text cut at each '?' that stands outside strings, quoted names and comments.
std::vector<std::string> CutAtMarkers(const std::string &sql) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        const auto copyUntil = [&](std::size_t end) {
            const std::size_t stop = end == std::string::npos ? sql.size() : end;
            pieces.back().append(sql, i, stop - i);
            i = stop - 1;
        };
        if (c == '\'' || c == '"') {
            copyUntil(sql.find(c, i + 1) == std::string::npos ? std::string::npos : sql.find(c, i + 1) + 1);
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            copyUntil(sql.find('\n', i));
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            copyUntil(end == std::string::npos ? end : end + 2);
        } else if (c == '?') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    return pieces;
}

} // namespace

std::string BlockParameter(std::size_t row, std::size_t parameter) { return fmt::format("R{}_{}", row, parameter); }

std::string SharedBlockParameter(std::size_t parameter) { return fmt::format("S{}", parameter); }

std::shared_ptr<const Statement::WriteShape> Statement::MakeWriteShape(const std::string &sql,
                                                                         const std::vector<Slot> &slots, bool insert) {
    auto shape = std::make_shared<WriteShape>();
    shape->sql = sql;
    shape->insert = insert;
    shape->pieces = CutAtMarkers(sql);
    if (shape->pieces.size() != slots.size() + 1)
        return nullptr;
    for (const Slot &slot : slots) {
        shape->declarations.push_back(Declaration(slot));
        if (shape->declarations.back().empty())
            return nullptr;
    }
    return shape;
}

} // namespace clinova
