// The values of a statement's messages: numbers, texts, dates and blobs put into and taken from the buffers the
// server reads and writes, with the checks of the column types.

#include "database/StatementParts.h"

#include "database/FbClient.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace clinova {

using namespace Firebird;

namespace message {

using Value = StatementValue;
using Slot = StatementSlot;


std::int64_t Pow10(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

std::string NumberText(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

std::string ScaledText(std::int64_t v, int scale) {
    if (scale >= 0)
        return std::to_string(v);
    const std::int64_t p = Pow10(-scale);
    std::string sign = v < 0 ? "-" : "";
    const std::uint64_t a = v < 0 ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
    std::string frac = std::to_string(a % static_cast<std::uint64_t>(p));
    frac.insert(0, static_cast<std::size_t>(-scale) - frac.size(), '0');
    return sign + std::to_string(a / static_cast<std::uint64_t>(p)) + "." + frac;
}

// A decimal text read by the engine when a number column gets a text value.
double ParseNumber(const std::string &name, std::string_view text) {
    std::string_view t = text;
    while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32)
        t.remove_prefix(1);
    while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32)
        t.remove_suffix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double d = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size())
        throw DatabaseError(FromUtf8(fmt::format("conversion impossible du texte \"{}\" en nombre (paramètre {})",
                                                 ToUtf8(text), name)));
    return d;
}

ISC_DATE EncodeDate(const Date &d) {
    return fb::Util()->encodeDate(static_cast<unsigned>(d.year), static_cast<unsigned>(d.month),
                                  static_cast<unsigned>(d.day));
}

ISC_TIME EncodeTime(const DateTime &t) {
    return fb::Util()->encodeTime(static_cast<unsigned>(t.hour), static_cast<unsigned>(t.minute),
                                  static_cast<unsigned>(t.second), static_cast<unsigned>(t.millisecond) * 10);
}

Date DecodeDate(ISC_DATE value) {
    unsigned y = 0, m = 0, d = 0;
    fb::Util()->decodeDate(value, &y, &m, &d);
    return Date{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

void DecodeTime(ISC_TIME value, DateTime &t) {
    unsigned h = 0, mi = 0, s = 0, f = 0;
    fb::Util()->decodeTime(value, &h, &mi, &s, &f);
    t.hour = static_cast<int>(h);
    t.minute = static_cast<int>(mi);
    t.second = static_cast<int>(s);
    t.millisecond = static_cast<int>(f / 10);
}

void PutNull(unsigned char *buf, const StatementSlot &slot, bool isNull) {
    const short flag = isNull ? -1 : 0;
    std::memcpy(buf + slot.nullOffset, &flag, sizeof flag);
}

bool TakeNull(const unsigned char *buf, const StatementSlot &slot) {
    short flag;
    std::memcpy(&flag, buf + slot.nullOffset, sizeof flag);
    return flag != 0;
}


DatabaseError WrongType(const StatementSlot &slot) {
    return DatabaseError(FromUtf8(fmt::format("type de valeur incompatible avec le paramètre {}", slot.name)));
}

DatabaseError OutOfRange(const StatementSlot &slot) {
    return DatabaseError(FromUtf8(fmt::format("nombre hors limites (paramètre {})", slot.name)));
}

// The value as text: a text or blob value itself, never copied (a memo may be long); any other value written
// into converted.
const std::string &TextOf(const StatementValue &v, std::string &converted) {
    switch (v.kind) {
    case Value::Kind::Int:
        return converted = std::to_string(v.i);
    case Value::Kind::Double:
        return converted = NumberText(v.d);
    case Value::Kind::Date:
        return converted = fmt::format("{:04}-{:02}-{:02}", v.t.date.year, v.t.date.month, v.t.date.day);
    case Value::Kind::DateTime:
        return converted = fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03}", v.t.date.year, v.t.date.month,
                                       v.t.date.day, v.t.hour, v.t.minute, v.t.second, v.t.millisecond);
    default:
        return v.s;
    }
}

double NumberOf(const StatementSlot &slot, const StatementValue &v) {
    switch (v.kind) {
    case Value::Kind::Int:
        return static_cast<double>(v.i);
    case Value::Kind::Double:
        return v.d;
    case Value::Kind::Text:
        return ParseNumber(slot.name, v.s);
    default:
        throw WrongType(slot);
    }
}

// CHAR is padded with blanks, VARCHAR carries its length; a text longer than the column fails.
void PutText(unsigned char *buf, const StatementSlot &slot, const std::string &text) {
    if (text.size() > slot.length)
        throw DatabaseError(FromUtf8(fmt::format("troncature de texte : {} caractères pour {} au plus (paramètre {})",
                                                 text.size(), slot.length, slot.name)));
    if (slot.type == kVaryingType) {
        Put<unsigned short>(buf, slot, static_cast<unsigned short>(text.size()));
        std::memcpy(buf + slot.offset + 2, text.data(), text.size());
    } else {
        std::memset(buf + slot.offset, ' ', slot.length);
        std::memcpy(buf + slot.offset, text.data(), text.size());
    }
}

// SMALLINT, INTEGER, BIGINT and the NUMERIC and DECIMAL stored in them: the value times 10^-scale, rounded.
void PutInteger(unsigned char *buf, const StatementSlot &slot, const StatementValue &v) {
    std::int64_t scaled;
    if (v.kind == Value::Kind::Int && slot.scale == 0) {
        scaled = v.i;
    } else {
        const double d = NumberOf(slot, v) * static_cast<double>(Pow10(-slot.scale));
        if (!(std::fabs(d) < 9.2e18))
            throw OutOfRange(slot);
        scaled = std::llround(d);
    }
    const auto put = [&]<typename T>(T) {
        if (scaled < std::numeric_limits<T>::min() || scaled > std::numeric_limits<T>::max())
            throw OutOfRange(slot);
        Put<T>(buf, slot, static_cast<T>(scaled));
    };
    if (slot.type == SQL_SHORT)
        put(short{});
    else if (slot.type == SQL_LONG)
        put(std::int32_t{});
    else
        put(std::int64_t{});
}

// DATE, TIME and TIMESTAMP: a date fills a timestamp at midnight; a time needs a moment.
void PutMoment(unsigned char *buf, const StatementSlot &slot, const StatementValue &v) {
    const bool moment = v.kind == Value::Kind::DateTime;
    if (!moment && (v.kind != Value::Kind::Date || slot.type == SQL_TYPE_TIME))
        throw WrongType(slot);
    if (slot.type == SQL_TYPE_DATE)
        Put<ISC_DATE>(buf, slot, EncodeDate(v.t.date));
    else if (slot.type == SQL_TYPE_TIME)
        Put<ISC_TIME>(buf, slot, EncodeTime(v.t));
    else
        Put<ISC_TIMESTAMP>(buf, slot, ISC_TIMESTAMP{EncodeDate(v.t.date), EncodeTime(v.t)});
}

namespace {
constexpr std::size_t kBlobSegment = 32768;
} // namespace


// A new blob holding the bytes, in the transaction; its identifier is what the parameter takes.
ISC_QUAD WriteBlob(IAttachment *attachment, ITransaction *transaction, std::string_view bytes) {
    ISC_QUAD id{};
    fb::Handle<IBlob> blob(
        fb::Call([&](ThrowStatusWrapper *st) { return attachment->createBlob(st, transaction, &id, 0, nullptr); }));
    fb::Call([&](ThrowStatusWrapper *st) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += kBlobSegment) {
            const std::size_t n = std::min(kBlobSegment, bytes.size() - pos);
            blob->putSegment(st, static_cast<unsigned>(n), bytes.data() + pos);
        }
    });
    fb::End(blob, [](auto *b, auto *st) { b->close(st); });
    return id;
}

std::string ReadBlob(IAttachment *attachment, ITransaction *transaction, ISC_QUAD id) {
    fb::Handle<IBlob> blob(
        fb::Call([&](ThrowStatusWrapper *st) { return attachment->openBlob(st, transaction, &id, 0, nullptr); }));
    std::string bytes;
    fb::Call([&](ThrowStatusWrapper *st) {
        char chunk[kBlobSegment];
        for (;;) {
            unsigned got = 0;
            if (blob->getSegment(st, sizeof chunk, chunk, &got) == IStatus::RESULT_NO_DATA)
                break;
            bytes.append(chunk, got);
        }
    });
    fb::End(blob, [](auto *b, auto *st) { b->close(st); });
    return bytes;
}

// Whether the word stands in the text (case ignored), not as part of a longer name.
bool HasWord(std::string_view text, std::string_view word) {
    const std::string upper = UpperCase1252(text);
    const auto isNamePart = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
    };
    for (std::size_t at = upper.find(word); at != std::string::npos; at = upper.find(word, at + 1)) {
        const bool startsWord = at == 0 || !isNamePart(upper[at - 1]);
        const std::size_t end = at + word.size();
        if (startsWord && (end == upper.size() || !isNamePart(upper[end])))
            return true;
    }
    return false;
}

// The statements that may write: inserts, updates and deletes, whose rows the server counts, and procedure
// calls (a write with RETURNING is reported as one too), whose own writes it does not count.
bool Writes(unsigned statementType) {
    switch (statementType) {
    case isc_info_sql_stmt_insert:
    case isc_info_sql_stmt_update:
    case isc_info_sql_stmt_delete:
    case isc_info_sql_stmt_exec_procedure:
        return true;
    default:
        return false;
    }
}

} // namespace message

} // namespace clinova
