#pragma once
// The parts of a statement shared by the files of the database layer that build its messages: the values, the
// layout of the parameters' message, the shape of a write whose rows travel together. Inside the layer only.

#include "database/FbHandles.h"

#include <firebird/Interface.h>

#include "database/DatabaseError.h"
#include "normalized/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <string>
#include <vector>

namespace clinova {

constexpr unsigned kTextType = SQL_TEXT;
constexpr unsigned kVaryingType = SQL_VARYING;
// The parameters' message stays below this size, whatever texts it carries: one row's documents sent inside it,
// or the rows of a block. The server takes larger ones; this bounds what one sending holds in memory.
constexpr std::size_t kMessageLimit = 1 << 20;

// A parameter's value, as set.
struct StatementValue {
    enum class Kind { Null, Int, Double, Text, Date, DateTime, Blob };
    Kind kind = Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string s;
    DateTime t;
};

// One parameter or column of the statement's messages.
struct StatementSlot {
    std::string name;
    unsigned type = 0;
    int scale = 0;
    unsigned length = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned subType = 0;
    unsigned charSet = 0;
    std::size_t value = 0; // parameters: index of the value they take
};

// A layout of the parameters' message: the one the server described, or the same with some blob parameters
// sent as texts of a given length, which the server turns into the blobs itself.
struct StatementInputForm {
    fb::Handle<Firebird::IMessageMetadata> meta;
    std::vector<StatementSlot> slots;
    std::vector<unsigned char> buffer;
};

// What an EXECUTE BLOCK carrying several rows of one insert is made of: the insert's text cut at its
// parameter markers, and the declaration of each parameter as the block takes it.
struct StatementWriteShape {
    std::string sql;                       // the insert as prepared, markers '?'
    std::vector<std::string> pieces;       // the text between the markers: one more than the parameters
    std::vector<std::string> declarations; // "INTEGER", "VARCHAR(40) CHARACTER SET WIN1252"...
    bool insert = false;                   // an insert of one row (otherwise an update of one row)
};

// The slots of a message layout, as the server describes them.
std::vector<StatementSlot> ReadSlots(Firebird::IMessageMetadata *meta);

// The byte size of a value of the slot in a message.
inline unsigned ValueSize(const StatementSlot &slot) { return slot.type == kVaryingType ? slot.length + 2 : slot.length; }

// The name of a parameter of an EXECUTE BLOCK: row, then the insert's parameter.
std::string BlockParameter(std::size_t row, std::size_t parameter);
// The name of a parameter the block's rows share (the same value in each of them).
std::string SharedBlockParameter(std::size_t parameter);

// The values of the messages (MessageValues.cpp).
namespace message {

std::int64_t Pow10(int n);
std::string NumberText(double d);
std::string ScaledText(std::int64_t v, int scale);
// A decimal text read by the engine when a number column gets a text value.
double ParseNumber(const std::string &name, std::string_view text);
ISC_DATE EncodeDate(const Date &d);
ISC_TIME EncodeTime(const DateTime &t);
Date DecodeDate(ISC_DATE value);
void DecodeTime(ISC_TIME value, DateTime &t);
void PutNull(unsigned char *buf, const StatementSlot &slot, bool isNull);
bool TakeNull(const unsigned char *buf, const StatementSlot &slot);
DatabaseError WrongType(const StatementSlot &slot);
DatabaseError OutOfRange(const StatementSlot &slot);
// The value as text: a text or blob value itself, never copied (a memo may be long); any other value written
// into converted.
const std::string &TextOf(const StatementValue &v, std::string &converted);
double NumberOf(const StatementSlot &slot, const StatementValue &v);
// CHAR is padded with blanks, VARCHAR carries its length; a text longer than the column fails.
void PutText(unsigned char *buf, const StatementSlot &slot, const std::string &text);
// SMALLINT, INTEGER, BIGINT and the NUMERIC and DECIMAL stored in them: the value times 10^-scale, rounded.
void PutInteger(unsigned char *buf, const StatementSlot &slot, const StatementValue &v);
// DATE, TIME and TIMESTAMP: a date fills a timestamp at midnight; a time needs a moment.
void PutMoment(unsigned char *buf, const StatementSlot &slot, const StatementValue &v);
// A new blob holding the bytes, in the transaction; its identifier is what the parameter takes.
ISC_QUAD WriteBlob(Firebird::IAttachment *attachment, Firebird::ITransaction *transaction, std::string_view bytes);
std::string ReadBlob(Firebird::IAttachment *attachment, Firebird::ITransaction *transaction, ISC_QUAD id);
// Whether the word stands in the text (case ignored), not as part of a longer name.
bool HasWord(std::string_view text, std::string_view word);
// The statements that may write: inserts, updates and deletes, whose rows the server counts, and procedure
// calls (a write with RETURNING is reported as one too), whose own writes it does not count.
bool Writes(unsigned statementType);

template <typename T> void Put(unsigned char *buf, const StatementSlot &slot, T value) {
    std::memcpy(buf + slot.offset, &value, sizeof value);
}

template <typename T> T Take(const unsigned char *buf, const StatementSlot &slot) {
    T value;
    std::memcpy(&value, buf + slot.offset, sizeof value);
    return value;
}

} // namespace message

} // namespace clinova
