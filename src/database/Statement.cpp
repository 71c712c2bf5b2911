#include "database/Statement.h"

#include "database/FbClient.h"
#include "database/StatementHost.h"
#include "database/StatementParts.h"
#include "normalized/Errors.h"
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
using namespace message;

using Value = Statement::Value;
using Slot = Statement::Slot;

std::vector<StatementSlot> ReadSlots(IMessageMetadata *meta) {
    return fb::Call([&](ThrowStatusWrapper *st) {
        std::vector<StatementSlot> slots(meta->getCount(st));
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

Statement::Statement(StatementHost &host, std::string_view sql) : connection_(host) {
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
    // An update without RETURNING travels as well: each of the tool's updates names its row by its key; so do
    // a procedure that returns nothing and an insert of what a select reads (it cannot be a line's main row).
    if (singleRowInsert_ || ((type == isc_info_sql_stmt_insert || type == isc_info_sql_stmt_update ||
                              type == isc_info_sql_stmt_exec_procedure) &&
                             outSlots_.empty()))
        shape_ = MakeWriteShape(translated_.sql, inSlots_, singleRowInsert_);
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
constexpr unsigned kOctets = 1;

// The text length a document is sent with: a few sizes only, so that few layouts are made; above 512 bytes in
// eighths of the power of two above, so that the texts leave little of a message's room unused.
unsigned InlineLength(std::size_t size) {
    unsigned length = 64;
    while (length < size)
        length *= 2;
    if (length > 512) {
        const unsigned step = length / 8;
        length = static_cast<unsigned>((size + step - 1) / step * step);
    }
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
    connection_.SendBatch();
    Run();
}

Statement::HeldRow Statement::Hold() {
    Close();
    Prepare();
    if (!shape_)
        throw ProgramError(FromUtf8("une écriture qui n'est pas celle d'une seule ligne ne peut voyager avec "
                                    "d'autres : ") + text_);
    BindInput();
    std::shared_ptr<InputForm> form = input_;
    if (!form) {
        if (!baseForm_)
            baseForm_ = MakeInputForm(std::vector<unsigned>(inSlots_.size(), 0));
        std::memcpy(baseForm_->buffer.data(), inBuffer_.data(), std::min(inBuffer_.size(), baseForm_->buffer.size()));
        form = baseForm_;
    }
    rowsAffected_ = 1;
    countAsked_ = true;
    heldBack_ = true;
    eof_ = true;
    return HeldRow{shape_, form, form->buffer};
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
        throw ProgramError(FromUtf8("le nombre de lignes d'une mise à jour en attente dans un lot n'est pas connu"));
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
    connection_.SendBatch();
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
