#include "database/RowBatch.h"

#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "database/Statement.h"
#include "database/StatementParts.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace clinova {

using namespace Firebird;
using namespace message;

namespace {

// A block carries at most this many rows (a power of two, below the server's 255 tables per request), this much
// text, and a message of at most kMessageLimit bytes.
constexpr std::size_t kRowsPerBlock = 64;
constexpr std::size_t kBlockText = 60000;
// A step sends its batch at the end of a line once this many rows wait, or this many bytes.
constexpr std::size_t kBatchRows = 1024;
constexpr std::size_t kBatchBytes = 4 << 20;

std::size_t PowerOfTwoAtMost(std::size_t n) {
    std::size_t p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

} // namespace

RowBatch::RowBatch(StatementHost &host) : host_(host) { host_.BatchOpened(*this); }

RowBatch::~RowBatch() {
    host_.BatchClosed(*this);
    Drop();
}

void RowBatch::StartLine(int line) {
    line_ = line;
    inLine_ = true;
    lineHasMainRow_ = false;
}

const std::string *RowBatch::RefusalOfLineInProgress() const {
    if (!inLine_ || !lineHasMainRow_)
        return nullptr;
    const auto it = std::find_if(refused_.begin(), refused_.end(),
                                 [&](const RefusedLine &r) { return r.line == line_ && !r.warning; });
    return it == refused_.end() ? nullptr : &it->message;
}

void RowBatch::Add(Statement &write, bool followsMainRow, bool refusalIgnored) {
    if (const std::string *refusal = RefusalOfLineInProgress())
        throw MainRowRefused(*refusal);
    if (followsMainRow ? !lineHasMainRow_ : lineHasMainRow_)
        throw ProgramError(FromUtf8("une ligne dont les écritures voyagent ensemble écrit plus d'une ligne "
                                    "principale, ou une écriture qui suit une ligne principale absente"));
    Statement::HeldRow row = write.Hold();
    if (!followsMainRow) {
        if (!row.shape->insert)
            throw ProgramError(FromUtf8("la ligne principale d'une ligne dont les écritures voyagent ensemble "
                                        "n'est pas écrite par un insert"));
        lineHasMainRow_ = true;
    }
    bytes_ += row.message.size();
    entries_.push_back(Entry{std::move(row.shape), std::move(row.form), std::move(row.message), line_,
                             followsMainRow, refusalIgnored && followsMainRow});
    host_.RowsWritten(1);
}

void RowBatch::AddOnItsOwn(Statement &write) {
    Statement::HeldRow row = write.Hold();
    bytes_ += row.message.size();
    entries_.push_back(Entry{std::move(row.shape), std::move(row.form), std::move(row.message), line_, true, false});
    host_.RowsWritten(1);
}

bool RowBatch::Full() const { return entries_.size() >= kBatchRows || bytes_ >= kBatchBytes; }

void RowBatch::Drop() noexcept {
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

void RowBatch::Send() {
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
                return g.first == entry.shape.get() && g.second.front()->afterMainRow == afterMainRow &&
                       g.second.front()->refusalIgnored == entry.refusalIgnored;
            });
            if (it == groups.end()) {
                groups.push_back({entry.shape.get(), {}});
                it = groups.end() - 1;
            }
            it->second.push_back(&entry);
        }
    const std::size_t refusedBefore = refused_.size();
    try {
        std::set<int> refused; // the lines whose main row the server refused
        for (auto &[shape, group] : groups) {
            // Nothing more of a line whose main row was refused.
            std::erase_if(group, [&](const Entry *entry) { return refused.count(entry->line) > 0; });
            if (group.empty())
                continue;
            const std::size_t before = refused_.size();
            SendGroup(group);
            if (group.front()->refusalIgnored)
                refused_.resize(before);
            for (std::size_t k = before; k < refused_.size(); ++k) {
                refused_[k].warning = group.front()->afterMainRow;
                if (!refused_[k].warning)
                    refused.insert(refused_[k].line);
            }
        }
    } catch (...) {
        entries_.clear();
        bytes_ = 0;
        refused_.resize(refusedBefore);
        throw;
    }
    entries_.clear();
    bytes_ = 0;
}

void RowBatch::SendGroup(const Group &group) {
    const Statement::WriteShape &shape = *group.front()->shape;
    const std::size_t byText = std::max<std::size_t>(1, kBlockText / std::max<std::size_t>(1, shape.textPerRow));
    std::size_t begin = 0;
    while (begin < group.size()) {
        // As many rows as the limits allow: in a power of two, so that few blocks are prepared, unless the message
        // is what limits them (rows carrying their documents), where every row that fits goes, since the block of
        // each size is prepared once and then serves the whole run.
        std::size_t rows = std::min({group.size() - begin, kRowsPerBlock, byText});
        std::size_t bytes = 0, fit = 0;
        while (fit < rows && bytes + group[begin + fit]->message.size() <= kMessageLimit)
            bytes += group[begin + fit++]->message.size();
        rows = fit < rows ? std::max<std::size_t>(fit, 1) : PowerOfTwoAtMost(rows);
        SendRange(group, begin, begin + rows);
        begin += rows;
    }
}

void RowBatch::SendRange(const Group &group, std::size_t begin, std::size_t end) {
    try {
        if (end - begin == 1) {
            // A single row goes as the insert itself: its failure is the server's own message for it.
            const std::string message = SendAlone(*group[begin]);
            if (!message.empty())
                refused_.push_back({group[begin]->line, message});
            return;
        }
        SendBlock(group, begin, end);
    } catch (const DatabaseError &e) {
        if (e.ConnectionLost() || end - begin == 1)
            throw;
        // The block wrote nothing: its halves are sent again until the refused row is alone.
        const std::size_t middle = begin + (end - begin) / 2;
        SendRange(group, begin, middle);
        SendRange(group, middle, end);
    }
}

IStatement *RowBatch::Prepared(const std::string &key, const std::string &sql) {
    if (preparedOn_.expired() && !prepared_.empty()) {
        for (auto &[k, statement] : prepared_)
            (void)statement.release();
        prepared_.clear();
    }
    preparedOn_ = host_.Lifetime();
    auto &statement = prepared_[key];
    if (!statement)
        statement.reset(fb::Call([&](ThrowStatusWrapper *st) {
            return host_.AttachmentHandle()->prepare(st, host_.TransactionHandle(),
                                                           static_cast<unsigned>(sql.size()), sql.c_str(), 3, 0);
        }));
    return statement.get();
}

std::string RowBatch::SendAlone(const Entry &entry) {
    IStatement *insert = Prepared(entry.shape->sql, entry.shape->sql);
    try {
        fb::Call([&](ThrowStatusWrapper *st) {
            insert->execute(st, host_.TransactionHandle(), entry.form->meta.get(),
                            const_cast<unsigned char *>(entry.message.data()), nullptr, nullptr);
        });
    } catch (const DatabaseError &e) {
        if (e.ConnectionLost())
            throw;
        return e.what();
    }
    return {};
}

void RowBatch::SendBlock(const Group &group, std::size_t begin, std::size_t end) {
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
        block->execute(st, host_.TransactionHandle(), meta.get(), buffer.data(), nullptr, nullptr);
    });
}

} // namespace clinova
