#include "database/Statement.h"

#include "database/Connection.h"
#include "database/PendingInserts.h"
#include "database/FbClient.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace clinova {

using namespace Firebird;

struct Statement::Value {
    enum class Kind { Null, Int, Double, Text, Date, DateTime, Blob };
    Kind kind = Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string s;
    DateTime t;
};

// One parameter or column of the statement's messages.
struct Statement::Slot {
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
struct Statement::InputForm {
    fb::Handle<IMessageMetadata> meta;
    std::vector<Slot> slots;
    std::vector<unsigned char> buffer;
};

namespace {

constexpr unsigned kTextType = SQL_TEXT;
constexpr unsigned kVaryingType = SQL_VARYING;

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

std::vector<Statement::Slot> ReadSlots(IMessageMetadata *meta) {
    return fb::Call([&](ThrowStatusWrapper *st) {
        std::vector<Statement::Slot> slots(meta->getCount(st));
        for (unsigned i = 0; i < slots.size(); ++i) {
            auto &s = slots[i];
            const char *alias = meta->getAlias(st, i);
            s.name = UpperCase1252(alias && *alias ? alias : meta->getField(st, i));
            s.type = meta->getType(st, i);
            s.scale = meta->getScale(st, i);
            s.length = meta->getLength(st, i);
            s.offset = meta->getOffset(st, i);
            s.nullOffset = meta->getNullOffset(st, i);
            s.subType = static_cast<unsigned>(meta->getSubType(st, i));
            s.charSet = meta->getCharSet(st, i);
        }
        return slots;
    });
}

template <typename T> void Put(unsigned char *buf, const Statement::Slot &slot, T value) {
    std::memcpy(buf + slot.offset, &value, sizeof value);
}

template <typename T> T Take(const unsigned char *buf, const Statement::Slot &slot) {
    T value;
    std::memcpy(&value, buf + slot.offset, sizeof value);
    return value;
}

void PutNull(unsigned char *buf, const Statement::Slot &slot, bool isNull) {
    const short flag = isNull ? -1 : 0;
    std::memcpy(buf + slot.nullOffset, &flag, sizeof flag);
}

bool TakeNull(const unsigned char *buf, const Statement::Slot &slot) {
    short flag;
    std::memcpy(&flag, buf + slot.nullOffset, sizeof flag);
    return flag != 0;
}

using Value = Statement::Value;
using Slot = Statement::Slot;

DatabaseError WrongType(const Slot &slot) {
    return DatabaseError(FromUtf8(fmt::format("type de valeur incompatible avec le paramètre {}", slot.name)));
}

DatabaseError OutOfRange(const Slot &slot) {
    return DatabaseError(FromUtf8(fmt::format("nombre hors limites (paramètre {})", slot.name)));
}

// The value as text: a text or blob value itself, never copied (a memo may be long); any other value written
// into converted.
const std::string &TextOf(const Value &v, std::string &converted) {
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

double NumberOf(const Slot &slot, const Value &v) {
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
void PutText(unsigned char *buf, const Slot &slot, const std::string &text) {
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
void PutInteger(unsigned char *buf, const Slot &slot, const Value &v) {
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
void PutMoment(unsigned char *buf, const Slot &slot, const Value &v) {
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

constexpr std::size_t kBlobSegment = 32768;

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

} // namespace

Statement::Statement(Connection &connection, std::string_view sql) : connection_(connection) {
    if (!sql.empty())
        SetSQL(sql);
}

Statement::~Statement() { Release(); }

void Statement::SetSQL(std::string_view sql) {
    if (sql == text_ && statement_)
        return;
    Release();
    text_ = sql;
    translated_ = TranslateNamedParameters(sql);
    values_.clear();
    nameIndex_.clear();
    for (const auto &name : translated_.names)
        if (nameIndex_.emplace(name, values_.size()).second)
            values_.push_back(std::make_unique<Value>());
}

void Statement::Release() noexcept {
    if (Stale()) {
        cursor_.reset();
        statement_.reset();
    } else {
        fb::EndQuietly(cursor_, [](auto *cursor, auto *st) { cursor->close(st); });
        fb::EndQuietly(statement_, [](auto *statement, auto *st) { statement->free(st); });
    }
    input_ = nullptr;
    inputForms_.clear();
    baseForm_ = nullptr;
    shape_ = nullptr;
    inMeta_.reset();
    outMeta_.reset();
    preparedOn_.reset();
    eof_ = true;
}

void Statement::Prepare() {
    if (statement_ && !Stale())
        return;
    Release();
    if (!connection_.IsOpen())
        throw DatabaseError(FromUtf8("la base de données n'est pas ouverte"));
    // Taken over only once the whole form is read: a failure half-way leaves nothing prepared.
    fb::Handle<IStatement> statement;
    fb::Handle<IMessageMetadata> inMeta, outMeta;
    unsigned type = 0, inLength = 0, outLength = 0;
    fb::Call([&](ThrowStatusWrapper *st) {
        statement.reset(connection_.AttachmentHandle()->prepare(
            st, connection_.TransactionHandle(), static_cast<unsigned>(translated_.sql.size()),
            translated_.sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA));
        type = statement->getType(st);
        inMeta.reset(statement->getInputMetadata(st));
        outMeta.reset(statement->getOutputMetadata(st));
        inLength = inMeta->getMessageLength(st);
        outLength = outMeta->getMessageLength(st);
    });
    auto inSlots = ReadSlots(inMeta.get());
    auto outSlots = ReadSlots(outMeta.get());
    for (std::size_t i = 0; i < inSlots.size() && i < translated_.names.size(); ++i) {
        inSlots[i].name = translated_.names[i];
        inSlots[i].value = nameIndex_.at(translated_.names[i]);
    }
    statement_ = std::move(statement);
    inMeta_ = std::move(inMeta);
    outMeta_ = std::move(outMeta);
    statementType_ = type;
    singleRowInsert_ = type == isc_info_sql_stmt_insert && !HasWord(translated_.sql, "SELECT");
    inSlots_ = std::move(inSlots);
    outSlots_ = std::move(outSlots);
    // An update without RETURNING travels as well: each of the tool's updates names its row by its key.
    if (singleRowInsert_ || (type == isc_info_sql_stmt_update && outSlots_.empty()))
        shape_ = MakeWriteShape(translated_.sql, inSlots_);
    inBuffer_.assign(inLength, 0);
    outBuffer_.assign(outLength, 0);
    preparedOn_ = connection_.Lifetime();
}

void Statement::Close() {
    eof_ = true;
    heldBack_ = false;
    if (Stale()) {
        cursor_.reset();
        return;
    }
    // A cursor that fails to close is given up all the same: the statement must stay usable.
    fb::Handle<IResultSet> cursor = std::move(cursor_);
    fb::End(cursor, [](auto *c, auto *st) { c->close(st); });
}

void Statement::ClearParameters() {
    for (auto &v : values_)
        *v = Value{};
}

bool Statement::HasParameter(std::string_view name) const { return nameIndex_.count(UpperCase1252(name)) != 0; }

Statement::Value &Statement::Param(std::string_view name) {
    auto it = nameIndex_.find(UpperCase1252(name));
    if (it == nameIndex_.end())
        throw Error(FromUtf8(fmt::format("paramètre inconnu : {}", ToUtf8(name))));
    return *values_[it->second];
}

void Statement::SetAll(std::string_view name, const Value &value) { Param(name) = value; }

void Statement::SetNull(std::string_view name) { Param(name) = Value{}; }

void Statement::SetInt(std::string_view name, std::int32_t value) { SetInt64(name, value); }

void Statement::SetInt64(std::string_view name, std::int64_t value) {
    Value v;
    v.kind = Value::Kind::Int;
    v.i = value;
    SetAll(name, v);
}

void Statement::SetDouble(std::string_view name, double value) {
    Value v;
    v.kind = Value::Kind::Double;
    v.d = value;
    SetAll(name, v);
}

void Statement::SetText(std::string_view name, std::string_view value) {
    Value &v = Param(name);
    v.kind = Value::Kind::Text;
    v.s.assign(value);
}

void Statement::TakeText(std::string_view name, std::string &value) {
    Value &v = Param(name);
    v.kind = Value::Kind::Text;
    v.s.swap(value);
}

void Statement::MarkBlob(std::string_view name) { Param(name).kind = Value::Kind::Blob; }

void Statement::SetDate(std::string_view name, const Date &value) {
    Value v;
    v.kind = Value::Kind::Date;
    v.t.date = value;
    SetAll(name, v);
}

void Statement::SetDateTime(std::string_view name, const DateTime &value) {
    Value v;
    v.kind = Value::Kind::DateTime;
    v.t = value;
    SetAll(name, v);
}

void Statement::SetBlob(std::string_view name, std::string_view bytes) {
    Value &v = Param(name);
    v.kind = Value::Kind::Blob;
    v.s.assign(bytes);
}

namespace {

// Documents up to this size travel as texts inside the message; longer ones are written as blobs first.
constexpr unsigned kInlineText = 32765;
// The parameters' message stays below this size, whatever texts it carries.
constexpr std::size_t kMessageLimit = 60000;
constexpr unsigned kOctets = 1;

// The text length a document is sent with: a few sizes only, so that few layouts are made.
unsigned InlineLength(std::size_t size) {
    unsigned length = 64;
    while (length < size)
        length *= 2;
    return std::min(length, kInlineText);
}

} // namespace

std::shared_ptr<Statement::InputForm> Statement::ChooseInputForm() {
    if (!connection_.Batching())
        return nullptr;
    std::vector<unsigned> lengths(inSlots_.size(), 0);
    std::size_t total = inBuffer_.size();
    bool any = false;
    std::string converted;
    for (std::size_t i = 0; i < inSlots_.size(); ++i) {
        const Slot &slot = inSlots_[i];
        const Value &v = *values_[slot.value];
        if (slot.type != SQL_BLOB || v.kind == Value::Kind::Null)
            continue;
        const std::size_t size = TextOf(v, converted).size();
        if (size > kInlineText)
            continue;
        const unsigned length = InlineLength(size);
        if (total + length + 2 > kMessageLimit)
            continue;
        total += length + 2;
        lengths[i] = length;
        any = true;
    }
    if (!any)
        return nullptr;
    std::string key;
    for (const unsigned length : lengths)
        key += std::to_string(length) + ",";
    auto &form = inputForms_[key];
    if (!form)
        form = MakeInputForm(lengths);
    return form;
}

std::shared_ptr<Statement::InputForm> Statement::MakeInputForm(const std::vector<unsigned> &lengths) const {
    auto form = std::make_shared<InputForm>();
    unsigned messageLength = 0;
    fb::Call([&](ThrowStatusWrapper *st) {
        fb::Handle<IMetadataBuilder> builder(inMeta_->getBuilder(st));
        for (unsigned i = 0; i < lengths.size(); ++i) {
            if (lengths[i] == 0)
                continue;
            const Slot &slot = inSlots_[i];
            builder->setType(st, i, SQL_VARYING);
            builder->setSubType(st, i, 0);
            builder->setLength(st, i, lengths[i]);
            // A text document keeps its character set; binary bytes go as they are.
            builder->setCharSet(st, i, slot.subType == isc_blob_text ? slot.charSet : kOctets);
        }
        form->meta.reset(builder->getMetadata(st));
        messageLength = form->meta->getMessageLength(st);
    });
    form->slots = ReadSlots(form->meta.get());
    for (std::size_t i = 0; i < form->slots.size(); ++i) {
        form->slots[i].name = inSlots_[i].name;
        form->slots[i].value = inSlots_[i].value;
    }
    form->buffer.assign(messageLength, 0);
    return form;
}

void Statement::BindInput() {
    input_ = ChooseInputForm();
    unsigned char *buf = input_ ? input_->buffer.data() : inBuffer_.data();
    for (const Slot &slot : input_ ? input_->slots : inSlots_) {
        const Value &v = *values_[slot.value];
        PutNull(buf, slot, v.kind == Value::Kind::Null);
        if (v.kind != Value::Kind::Null)
            BindValue(buf, slot, v);
    }
}

void Statement::BindValue(unsigned char *buf, const Slot &slot, const Value &v) {
    std::string converted;
    switch (slot.type) {
    case kTextType:
    case kVaryingType:
        PutText(buf, slot, TextOf(v, converted));
        break;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        PutInteger(buf, slot, v);
        break;
    case SQL_FLOAT:
        Put<float>(buf, slot, static_cast<float>(NumberOf(slot, v)));
        break;
    case SQL_DOUBLE:
        Put<double>(buf, slot, NumberOf(slot, v));
        break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIMESTAMP:
        PutMoment(buf, slot, v);
        break;
    case SQL_BOOLEAN:
        Put<FB_BOOLEAN>(buf, slot, NumberOf(slot, v) != 0 ? FB_TRUE : FB_FALSE);
        break;
    case SQL_BLOB:
        Put<ISC_QUAD>(buf, slot,
                      WriteBlob(connection_.AttachmentHandle(), connection_.TransactionHandle(), TextOf(v, converted)));
        break;
    case SQL_NULL:
        break;
    default:
        throw WrongType(slot);
    }
}

void Statement::Execute() {
    Close();
    Prepare();
    BindInput();
    if (Deferred())
        return;
    connection_.SendHeldRows();
    Run();
}

bool Statement::Deferred() {
    if (!shape_ || !connection_.HoldsRowsBack())
        return false;
    std::shared_ptr<InputForm> form = input_;
    if (!form) {
        if (!baseForm_)
            baseForm_ = MakeInputForm(std::vector<unsigned>(inSlots_.size(), 0));
        std::memcpy(baseForm_->buffer.data(), inBuffer_.data(), std::min(inBuffer_.size(), baseForm_->buffer.size()));
        form = baseForm_;
    }
    connection_.HoldBack(shape_, form, form->buffer);
    rowsAffected_ = 1;
    countAsked_ = true;
    heldBack_ = true;
    eof_ = true;
    return true;
}

void Statement::Run() {
    fb::Call([&](ThrowStatusWrapper *st) {
        statement_->execute(st, connection_.TransactionHandle(), input_ ? input_->meta.get() : inMeta_.get(),
                            input_ ? input_->buffer.data() : inBuffer_.data(), outMeta_.get(),
                            outSlots_.empty() ? nullptr : outBuffer_.data());
    });
    eof_ = outSlots_.empty();
    CountWrites();
}

void Statement::CountWrites() {
    rowsAffected_ = 0;
    countAsked_ = true;
    if (statementType_ == isc_info_sql_stmt_savepoint)
        connection_.SavepointExecuted(translated_.sql);
    if (!Writes(statementType_))
        return;
    const bool procedure = statementType_ == isc_info_sql_stmt_exec_procedure;
    if (connection_.Batching() && connection_.Policy() == CommitPolicy::Grouped) {
        // Asking the server for the count is one more request and answer. An INSERT ... VALUES that ran wrote
        // its row; any other write is counted as one row for the grouped commits, which only need to know
        // that something waits, and its exact count is asked for only when a caller reads it. A commit per row
        // needs the exact count: a write of no row commits nothing.
        rowsAffected_ = 1;
        countAsked_ = singleRowInsert_ || procedure;
        connection_.RowsWritten(1);
        return;
    }
    rowsAffected_ = AskRowsAffected();
    connection_.RowsWritten(procedure ? std::max<std::uint64_t>(rowsAffected_, 1) : rowsAffected_);
}

std::uint64_t Statement::AskRowsAffected() const {
    return fb::Call([&](ThrowStatusWrapper *st) { return statement_->getAffectedRecords(st); });
}

std::uint64_t Statement::RowsAffected() const {
    // A held write's count is not known until its group is sent, and then only for the group: a step that
    // reads counts must not let its rows travel together.
    if (heldBack_ && !singleRowInsert_)
        throw std::logic_error("the count of a held update is not known");
    if (!countAsked_) {
        countAsked_ = true;
        rowsAffected_ = statement_ && !Stale() ? AskRowsAffected() : 0;
    }
    return rowsAffected_;
}

bool Statement::Open() {
    Close();
    rowsAffected_ = 0;
    countAsked_ = true;
    Prepare();
    BindInput();
    connection_.SendHeldRows();
    fb::Call([&](ThrowStatusWrapper *st) {
        cursor_.reset(statement_->openCursor(st, connection_.TransactionHandle(),
                                             input_ ? input_->meta.get() : inMeta_.get(),
                                             input_ ? input_->buffer.data() : inBuffer_.data(), outMeta_.get(), 0));
    });
    eof_ = false;
    return Next();
}

bool Statement::Next() {
    if (!cursor_ || Stale()) {
        eof_ = true;
        return false;
    }
    const int result =
        fb::Call([&](ThrowStatusWrapper *st) { return cursor_->fetchNext(st, outBuffer_.data()); });
    eof_ = result != IStatus::RESULT_OK;
    return !eof_;
}

int Statement::ColumnCount() const { return static_cast<int>(outSlots_.size()); }

int Statement::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < outSlots_.size(); ++i)
        if (SameText1252(outSlots_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

const std::string &Statement::ColumnName(int index) const { return outSlots_.at(static_cast<std::size_t>(index)).name; }

ColumnKind Statement::KindOfColumn(int index) const {
    const Slot &slot = outSlots_.at(static_cast<std::size_t>(index));
    switch (slot.type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return slot.scale == 0 ? ColumnKind::Integer : ColumnKind::Decimal;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ColumnKind::Decimal;
    case kTextType:
    case kVaryingType:
        return ColumnKind::Text;
    case SQL_TYPE_DATE:
        return ColumnKind::Date;
    case SQL_TIMESTAMP:
        return ColumnKind::Timestamp;
    case SQL_TYPE_TIME:
        return ColumnKind::Time;
    case SQL_BLOB:
        return ColumnKind::Blob;
    case SQL_BOOLEAN:
        return ColumnKind::Boolean;
    default:
        return ColumnKind::Other;
    }
}

const Statement::Slot &Statement::Column(std::string_view name) const {
    const int i = ColumnIndex(name);
    if (i < 0)
        throw DatabaseError(FromUtf8(fmt::format("colonne inconnue : {}", ToUtf8(name))));
    if (eof_)
        throw DatabaseError(FromUtf8(fmt::format("aucune ligne courante pour lire la colonne {}", ToUtf8(name))));
    return outSlots_[static_cast<std::size_t>(i)];
}

bool Statement::IsNull(std::string_view column) const {
    const Slot &slot = Column(column);
    return TakeNull(outBuffer_.data(), slot);
}

double Statement::GetDouble(std::string_view column) const {
    const Slot &slot = Column(column);
    if (IsNull(column))
        return 0;
    const unsigned char *buf = outBuffer_.data();
    const double scale = std::pow(10.0, slot.scale);
    switch (slot.type) {
    case SQL_SHORT:
        return Take<short>(buf, slot) * scale;
    case SQL_LONG:
        return Take<std::int32_t>(buf, slot) * scale;
    case SQL_INT64:
        return static_cast<double>(Take<std::int64_t>(buf, slot)) * scale;
    case SQL_FLOAT:
        return Take<float>(buf, slot);
    case SQL_DOUBLE:
        return Take<double>(buf, slot);
    case SQL_BOOLEAN:
        return Take<FB_BOOLEAN>(buf, slot) ? 1 : 0;
    default:
        return ParseNumber(slot.name, GetText(column));
    }
}

std::int64_t Statement::GetInt64(std::string_view column) const {
    const Slot &slot = Column(column);
    if (IsNull(column))
        return 0;
    const unsigned char *buf = outBuffer_.data();
    if (slot.scale == 0) {
        switch (slot.type) {
        case SQL_SHORT:
            return Take<short>(buf, slot);
        case SQL_LONG:
            return Take<std::int32_t>(buf, slot);
        case SQL_INT64:
            return Take<std::int64_t>(buf, slot);
        default:
            break;
        }
    }
    return std::llround(GetDouble(column));
}

std::int32_t Statement::GetInt(std::string_view column) const {
    const std::int64_t v = GetInt64(column);
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw DatabaseError(FromUtf8(fmt::format("nombre hors limites (colonne {})", ToUtf8(column))));
    return static_cast<std::int32_t>(v);
}

std::string Statement::GetText(std::string_view column) const {
    const Slot &slot = Column(column);
    if (IsNull(column))
        return {};
    const unsigned char *buf = outBuffer_.data();
    switch (slot.type) {
    case kVaryingType: {
        const auto len = Take<unsigned short>(buf, slot);
        return std::string(reinterpret_cast<const char *>(buf + slot.offset + 2), len);
    }
    case kTextType:
        return std::string(reinterpret_cast<const char *>(buf + slot.offset), slot.length);
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return slot.scale == 0 ? std::to_string(GetInt64(column))
                               : ScaledText(slot.type == SQL_SHORT  ? Take<short>(buf, slot)
                                            : slot.type == SQL_LONG ? Take<std::int32_t>(buf, slot)
                                                                    : Take<std::int64_t>(buf, slot),
                                            slot.scale);
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return NumberText(GetDouble(column));
    case SQL_TYPE_DATE:
        return FormatDMY(GetDate(column));
    case SQL_TIMESTAMP: {
        const DateTime t = GetDateTime(column);
        return fmt::format("{} {:02}:{:02}:{:02}", FormatDMY(t.date), t.hour, t.minute, t.second);
    }
    case SQL_BLOB:
        return GetBlob(column);
    case SQL_BOOLEAN:
        return Take<FB_BOOLEAN>(buf, slot) ? "True" : "False";
    default:
        throw DatabaseError(FromUtf8(fmt::format("type de colonne non lu : {}", slot.name)));
    }
}

Date Statement::GetDate(std::string_view column) const { return GetDateTime(column).date; }

DateTime Statement::GetDateTime(std::string_view column) const {
    const Slot &slot = Column(column);
    DateTime t;
    if (IsNull(column))
        return t;
    const unsigned char *buf = outBuffer_.data();
    switch (slot.type) {
    case SQL_TYPE_DATE:
        t.date = DecodeDate(Take<ISC_DATE>(buf, slot));
        return t;
    case SQL_TIMESTAMP: {
        const auto ts = Take<ISC_TIMESTAMP>(buf, slot);
        t.date = DecodeDate(ts.timestamp_date);
        DecodeTime(ts.timestamp_time, t);
        return t;
    }
    default:
        throw DatabaseError(FromUtf8(fmt::format("la colonne {} n'est pas une date", slot.name)));
    }
}

std::string Statement::GetBlob(std::string_view column) const {
    const Slot &slot = Column(column);
    if (IsNull(column))
        return {};
    if (slot.type != SQL_BLOB)
        return GetText(column);
    if (!connection_.IsOpen() || Stale())
        throw DatabaseError(FromUtf8("la base de données n'est pas ouverte"));
    return ReadBlob(connection_.AttachmentHandle(), connection_.TransactionHandle(),
                    Take<ISC_QUAD>(outBuffer_.data(), slot));
}

} // namespace clinova

// ---- Rows held back to travel together -----------------------------------------------------------------

namespace clinova {

// What an EXECUTE BLOCK carrying several rows of one insert is made of: the insert's text cut at its
// parameter markers, and the declaration of each parameter as the block takes it.
struct Statement::WriteShape {
    std::string sql;                       // the insert as prepared, markers '?'
    std::vector<std::string> pieces;       // the text between the markers: one more than the parameters
    std::vector<std::string> declarations; // "INTEGER", "VARCHAR(40) CHARACTER SET WIN1252"...
    std::size_t textPerRow = 0;            // the length the block's text grows by for each row
};

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

std::string BlockParameter(std::size_t row, std::size_t parameter) { return fmt::format("R{}_{}", row, parameter); }

// The byte size of a value of the slot in a message.
unsigned ValueSize(const Statement::Slot &slot) { return slot.type == kVaryingType ? slot.length + 2 : slot.length; }

} // namespace

std::shared_ptr<const Statement::WriteShape> Statement::MakeWriteShape(const std::string &sql,
                                                                         const std::vector<Slot> &slots) {
    auto shape = std::make_shared<WriteShape>();
    shape->sql = sql;
    shape->pieces = CutAtMarkers(sql);
    if (shape->pieces.size() != slots.size() + 1)
        return nullptr;
    for (const Slot &slot : slots) {
        shape->declarations.push_back(Declaration(slot));
        if (shape->declarations.back().empty())
            return nullptr;
        shape->textPerRow += shape->declarations.back().size() + 2 * BlockParameter(999, slots.size()).size() + 8;
    }
    shape->textPerRow += sql.size() + 4;
    return shape;
}

namespace {

// A block carries at most this many rows (a power of two, below the server's 255 tables per request), this much
// text, and a message of at most kMessageLimit bytes.
constexpr std::size_t kRowsPerBlock = 64;
constexpr std::size_t kBlockText = 60000;

std::size_t PowerOfTwoAtMost(std::size_t n) {
    std::size_t p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

} // namespace

PendingInserts::PendingInserts(Connection &connection) : connection_(connection) {}

PendingInserts::~PendingInserts() { Drop(); }

void PendingInserts::Add(const std::shared_ptr<const Statement::WriteShape> &shape,
                         const std::shared_ptr<const Statement::InputForm> &form,
                         const std::vector<unsigned char> &message, int line, bool afterMainRow) {
    entries_.push_back(Entry{shape, form, message, line, afterMainRow});
    bytes_ += message.size();
}

void PendingInserts::Drop() noexcept {
    entries_.clear();
    bytes_ = 0;
    if (preparedOn_.expired()) {
        for (auto &[key, statement] : prepared_)
            (void)statement.release(); // the attachment that owned them is gone
        prepared_.clear();
    } else {
        for (auto &[key, statement] : prepared_)
            fb::EndQuietly(statement, [](auto *s, auto *st) { s->free(st); });
        prepared_.clear();
    }
}

void PendingInserts::Flush(std::vector<LateLineFailure> &failures) {
    if (entries_.empty())
        return;
    // The rows of each write together: the main rows' writes in the order they first came, then those that
    // follow main rows; each one's rows in order.
    std::vector<std::pair<const Statement::WriteShape *, Group>> groups;
    for (const bool afterMainRow : {false, true})
        for (const Entry &entry : entries_) {
            if (entry.afterMainRow != afterMainRow)
                continue;
            auto it = std::find_if(groups.begin(), groups.end(), [&](const auto &g) {
                return g.first == entry.shape.get() && g.second.front()->afterMainRow == afterMainRow;
            });
            if (it == groups.end()) {
                groups.push_back({entry.shape.get(), {}});
                it = groups.end() - 1;
            }
            it->second.push_back(&entry);
        }
    try {
        std::set<int> refused; // the lines whose main row the server refused
        for (auto &[shape, group] : groups) {
            // Nothing more of a line whose main row was refused.
            std::erase_if(group, [&](const Entry *entry) { return refused.count(entry->line) > 0; });
            if (group.empty())
                continue;
            const std::size_t before = failures.size();
            SendGroup(group, failures);
            for (std::size_t k = before; k < failures.size(); ++k) {
                failures[k].warning = group.front()->afterMainRow;
                if (!failures[k].warning)
                    refused.insert(failures[k].line);
            }
        }
    } catch (...) {
        entries_.clear();
        bytes_ = 0;
        throw;
    }
    entries_.clear();
    bytes_ = 0;
}

void PendingInserts::SendGroup(const Group &group, std::vector<LateLineFailure> &failures) {
    const Statement::WriteShape &shape = *group.front()->shape;
    const std::size_t byText = std::max<std::size_t>(1, kBlockText / std::max<std::size_t>(1, shape.textPerRow));
    std::size_t begin = 0;
    while (begin < group.size()) {
        // As many rows as the limits allow, in a power of two so that few blocks are prepared.
        std::size_t rows = std::min({group.size() - begin, kRowsPerBlock, byText});
        std::size_t bytes = 0, fit = 0;
        while (fit < rows && bytes + group[begin + fit]->message.size() <= kMessageLimit)
            bytes += group[begin + fit++]->message.size();
        rows = PowerOfTwoAtMost(std::max<std::size_t>(fit, 1));
        SendRange(group, begin, begin + rows, failures);
        begin += rows;
    }
}

void PendingInserts::SendRange(const Group &group, std::size_t begin, std::size_t end,
                               std::vector<LateLineFailure> &failures) {
    try {
        if (end - begin == 1) {
            // A single row goes as the insert itself: its failure is the server's own message for it.
            const std::string message = SendAlone(*group[begin]);
            if (!message.empty())
                failures.push_back({group[begin]->line, message});
            return;
        }
        SendBlock(group, begin, end);
    } catch (const DatabaseError &e) {
        if (e.ConnectionLost() || end - begin == 1)
            throw;
        // The block wrote nothing: its halves are sent again until the refused row is alone.
        const std::size_t middle = begin + (end - begin) / 2;
        SendRange(group, begin, middle, failures);
        SendRange(group, middle, end, failures);
    }
}

IStatement *PendingInserts::Prepared(const std::string &key, const std::string &sql) {
    if (preparedOn_.expired() && !prepared_.empty()) {
        for (auto &[k, statement] : prepared_)
            (void)statement.release();
        prepared_.clear();
    }
    preparedOn_ = connection_.Lifetime();
    auto &statement = prepared_[key];
    if (!statement)
        statement.reset(fb::Call([&](ThrowStatusWrapper *st) {
            return connection_.AttachmentHandle()->prepare(st, connection_.TransactionHandle(),
                                                           static_cast<unsigned>(sql.size()), sql.c_str(), 3, 0);
        }));
    return statement.get();
}

std::string PendingInserts::SendAlone(const Entry &entry) {
    IStatement *insert = Prepared(entry.shape->sql, entry.shape->sql);
    try {
        fb::Call([&](ThrowStatusWrapper *st) {
            insert->execute(st, connection_.TransactionHandle(), entry.form->meta.get(),
                            const_cast<unsigned char *>(entry.message.data()), nullptr, nullptr);
        });
    } catch (const DatabaseError &e) {
        if (e.ConnectionLost())
            throw;
        return e.what();
    }
    return {};
}

void PendingInserts::SendBlock(const Group &group, std::size_t begin, std::size_t end) {
    const Statement::WriteShape &shape = *group.front()->shape;
    const std::size_t rows = end - begin;
    const std::size_t parameters = shape.declarations.size();
    const std::string key = fmt::format("{}\n{}", rows, shape.sql);
    IStatement *block = nullptr;
    {
        auto it = prepared_.find(key);
        if (it != prepared_.end() && !preparedOn_.expired())
            block = it->second.get();
    }
    if (!block) {
        std::string sql = "EXECUTE BLOCK (";
        for (std::size_t r = 0; r < rows; ++r)
            for (std::size_t p = 0; p < parameters; ++p)
                sql += fmt::format("{}{} {} = ?", r || p ? ", " : "", BlockParameter(r, p), shape.declarations[p]);
        sql += ") AS BEGIN\n";
        for (std::size_t r = 0; r < rows; ++r) {
            sql += shape.pieces[0];
            for (std::size_t p = 0; p < parameters; ++p)
                sql += ":" + BlockParameter(r, p) + shape.pieces[p + 1];
            sql += ";\n";
        }
        sql += "END";
        block = Prepared(key, sql);
    }
    // The message: each row's values as its own layout holds them, one after the other.
    fb::Handle<IMessageMetadata> meta;
    unsigned length = 0;
    std::vector<std::vector<Statement::Slot>> placed(rows);
    fb::Call([&](ThrowStatusWrapper *st) {
        fb::Handle<IMetadataBuilder> builder(fb::Master()->getMetadataBuilder(st, static_cast<unsigned>(rows * parameters)));
        for (std::size_t r = 0; r < rows; ++r) {
            const auto &slots = group[begin + r]->form->slots;
            for (std::size_t p = 0; p < parameters; ++p) {
                const unsigned i = static_cast<unsigned>(r * parameters + p);
                const Statement::Slot &slot = slots[p];
                builder->setType(st, i, slot.type);
                builder->setSubType(st, i, static_cast<int>(slot.subType));
                builder->setLength(st, i, slot.length);
                builder->setScale(st, i, slot.scale);
                builder->setCharSet(st, i, slot.charSet);
            }
        }
        meta.reset(builder->getMetadata(st));
        length = meta->getMessageLength(st);
    });
    const auto all = ReadSlots(meta.get());
    std::vector<unsigned char> buffer(length, 0);
    for (std::size_t r = 0; r < rows; ++r) {
        const Entry &entry = *group[begin + r];
        for (std::size_t p = 0; p < parameters; ++p) {
            const Statement::Slot &from = entry.form->slots[p];
            const Statement::Slot &to = all[r * parameters + p];
            std::memcpy(buffer.data() + to.offset, entry.message.data() + from.offset, ValueSize(from));
            std::memcpy(buffer.data() + to.nullOffset, entry.message.data() + from.nullOffset, sizeof(short));
        }
    }
    fb::Call([&](ThrowStatusWrapper *st) {
        block->execute(st, connection_.TransactionHandle(), meta.get(), buffer.data(), nullptr, nullptr);
    });
}

} // namespace clinova
