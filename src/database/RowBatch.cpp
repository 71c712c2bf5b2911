#include "database/RowBatch.h"

#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "database/Statement.h"
#include "database/StatementParts.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace clinova {

using namespace Firebird;
using namespace message;

namespace {

// A block carries at most this many rows, this much text, and a message of at most kMessageLimit bytes.
constexpr std::size_t kRowsPerBlock = 256;
constexpr std::size_t kBlockText = 200000;
// A step sends its batch at the end of a line once this many rows wait, or this many bytes.
constexpr std::size_t kBatchRows = 1024;
constexpr std::size_t kBatchBytes = 4 << 20;

std::size_t PowerOfTwoAtMost(std::size_t n) {
    std::size_t p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

// Whether the parameter holds the same value, of the same type, in both rows.
bool SameValue(const StatementSlot &x, const unsigned char *a, const StatementSlot &y, const unsigned char *b) {
    if (x.type != y.type || x.length != y.length || x.scale != y.scale || x.subType != y.subType ||
        x.charSet != y.charSet)
        return false;
    short nullA = 0, nullB = 0;
    std::memcpy(&nullA, a + x.nullOffset, sizeof nullA);
    std::memcpy(&nullB, b + y.nullOffset, sizeof nullB);
    if ((nullA != 0) != (nullB != 0))
        return false;
    if (nullA != 0)
        return true;
    std::size_t size = ValueSize(x);
    if (x.type == kVaryingType) {
        unsigned short used = 0;
        std::memcpy(&used, a + x.offset, sizeof used);
        size = std::min<std::size_t>(size, sizeof used + used); // a different length differs in these bytes
    }
    return std::memcmp(a + x.offset, b + y.offset, size) == 0;
}

// What a parameter adds to a block's message at most: its value, its null indicator, their alignment.
std::size_t MessageBytes(const StatementSlot &slot) { return ValueSize(slot) + sizeof(short) + 8; }

// The parameters of the write as the block's procedure takes them.
std::string WriteParameter(std::size_t parameter) { return fmt::format("P{}", parameter); }

// " (a, b, c)", or nothing for no item.
std::string Listed(const std::vector<std::string> &items) {
    return items.empty() ? std::string() : fmt::format(" ({})", fmt::join(items, ", "));
}

std::string VaryingText(const std::vector<bool> &varying) {
    std::string text;
    for (const bool v : varying)
        text += v ? 'v' : 's';
    return text;
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
    firstUse_.try_emplace(row.shape->sql, firstUse_.size());
    entries_.push_back(Entry{std::move(row.shape), std::move(row.form), std::move(row.message), line_,
                             followsMainRow, refusalIgnored && followsMainRow});
    host_.RowsWritten(1);
}

void RowBatch::AddOnItsOwn(Statement &write) {
    Statement::HeldRow row = write.Hold();
    bytes_ += row.message.size();
    firstUse_.try_emplace(row.shape->sql, firstUse_.size());
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
    // follow main rows in the order the step first used them, so that a line whose later write depends on an
    // earlier one (a membership, then rows written only for a member) finds it done, whatever was sent before;
    // each one's rows in order.
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
    std::stable_sort(groups.begin(), groups.end(), [&](const auto &a, const auto &b) {
        const Entry &x = *a.second.front(), &y = *b.second.front();
        if (x.afterMainRow != y.afterMainRow)
            return !x.afterMainRow;
        return x.afterMainRow && firstUse_.at(x.shape->sql) < firstUse_.at(y.shape->sql);
    });
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

const std::vector<bool> &RowBatch::Varying(const Group &group) {
    const Entry &first = *group.front();
    const std::size_t parameters = first.shape->declarations.size();
    std::vector<bool> &varying = varying_.try_emplace(first.shape->sql, parameters, false).first->second;
    bool changed = false;
    for (std::size_t p = 0; p < parameters; ++p)
        for (std::size_t r = 1; r < group.size() && !varying[p]; ++r)
            if (!SameValue(first.form->slots[p], first.message.data(), group[r]->form->slots[p],
                           group[r]->message.data()))
                varying[p] = changed = true;
    if (changed && !preparedOn_.expired()) {
        // The blocks of the former form serve no more: the server's memory for them is given back. They are the
        // keys that start with the write's text and the separator (SendBlock).
        const std::string prefix = first.shape->sql + '\0';
        for (auto k = prepared_.lower_bound(prefix); k != prepared_.end() && k->first.starts_with(prefix);) {
            fb::EndQuietly(k->second, [](auto *s, auto *st) { s->free(st); });
            k = prepared_.erase(k);
        }
    }
    return varying;
}

void RowBatch::SendGroup(const Group &group) {
    const Statement::WriteShape &shape = *group.front()->shape;
    const std::vector<bool> &varying = Varying(group);
    // The block's text: once the write, its procedure's parameters and the shared parameters; each row its call
    // and its own parameters.
    const std::size_t nameLength = BlockParameter(999, varying.size()).size();
    std::size_t fixedText = 96 + shape.sql.size(), textPerRow = 24;
    for (std::size_t p = 0; p < varying.size(); ++p) {
        const std::size_t declaration = shape.declarations[p].size() + nameLength + 8;
        (varying[p] ? textPerRow : fixedText) += declaration;
        fixedText += declaration + nameLength; // the procedure's parameter, and its use in the write
        textPerRow += nameLength + 3;
    }
    const std::size_t byText =
        std::max<std::size_t>(1, (kBlockText - std::min(fixedText, kBlockText / 2)) / textPerRow);
    const auto rowBytes = [&](const Entry &entry, bool shared) {
        std::size_t bytes = 0;
        for (std::size_t p = 0; p < varying.size(); ++p)
            if (varying[p] != shared)
                bytes += MessageBytes(entry.form->slots[p]);
        return bytes;
    };
    std::size_t begin = 0;
    while (begin < group.size()) {
        // As many rows as the limits allow; the rest of a group in powers of two, so that few blocks are
        // prepared, unless the message is what limits them (rows carrying their documents), where every row that
        // fits goes: the block of each size is prepared once and then serves the whole step.
        const std::size_t full = std::min(kRowsPerBlock, byText);
        std::size_t rows = std::min(group.size() - begin, full);
        std::size_t bytes = rowBytes(*group[begin], true), fit = 0;
        while (fit < rows && bytes + rowBytes(*group[begin + fit], false) <= kMessageLimit)
            bytes += rowBytes(*group[begin + fit++], false);
        if (fit < rows) {
            // In eighths of the power of two below: a few sizes of block serve whatever the texts' lengths.
            const std::size_t step = std::max<std::size_t>(1, PowerOfTwoAtMost(std::max<std::size_t>(fit, 1)) / 8);
            rows = std::max<std::size_t>(1, fit / step * step);
        } else if (rows != full) {
            rows = PowerOfTwoAtMost(rows);
        }
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
    const std::vector<bool> &varying = varying_.at(shape.sql);
    // The write's text, a separator no text holds, the block's form and rows.
    const std::string key = shape.sql + '\0' + VaryingText(varying) + fmt::format("\n{}", rows);
    IStatement *block = nullptr;
    {
        auto it = prepared_.find(key);
        if (it != prepared_.end() && !preparedOn_.expired())
            block = it->second.get();
    }
    if (!block) {
        // The write is declared once, as a procedure of the block, and each row calls it: a row costs the block's
        // text its call and its own parameters' declarations, not the whole statement.
        std::vector<std::string> inputs, arguments;
        for (std::size_t p = 0; p < parameters; ++p) {
            if (!varying[p])
                inputs.push_back(fmt::format("{} {} = ?", SharedBlockParameter(p), shape.declarations[p]));
            arguments.push_back(fmt::format("{} {}", WriteParameter(p), shape.declarations[p]));
        }
        std::string calls;
        for (std::size_t r = 0; r < rows; ++r) {
            std::vector<std::string> values;
            for (std::size_t p = 0; p < parameters; ++p) {
                if (varying[p])
                    inputs.push_back(fmt::format("{} {} = ?", BlockParameter(r, p), shape.declarations[p]));
                values.push_back(":" + (varying[p] ? BlockParameter(r, p) : SharedBlockParameter(p)));
            }
            calls += fmt::format("EXECUTE PROCEDURE W{};\n", Listed(values));
        }
        std::string write = shape.pieces[0];
        for (std::size_t p = 0; p < parameters; ++p)
            write += ":" + WriteParameter(p) + shape.pieces[p + 1];
        const std::string sql = fmt::format("EXECUTE BLOCK{} AS\nDECLARE PROCEDURE W{} AS BEGIN\n{};\nEND\nBEGIN\n{}END",
                                            Listed(inputs), Listed(arguments), write, calls);
        block = Prepared(key, sql);
    }
    // The message, in the order of the block's parameters: the shared values (the first row's), then each row's
    // own, as its layout holds them.
    std::vector<std::pair<const Entry *, std::size_t>> values;
    for (std::size_t p = 0; p < parameters; ++p)
        if (!varying[p])
            values.emplace_back(group[begin], p);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t p = 0; p < parameters; ++p)
            if (varying[p])
                values.emplace_back(group[begin + r], p);
    fb::Handle<IMessageMetadata> meta;
    unsigned length = 0;
    fb::Call([&](ThrowStatusWrapper *st) {
        fb::Handle<IMetadataBuilder> builder(fb::Master()->getMetadataBuilder(st, static_cast<unsigned>(values.size())));
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Statement::Slot &slot = values[i].first->form->slots[values[i].second];
            const unsigned at = static_cast<unsigned>(i);
            builder->setType(st, at, slot.type);
            builder->setSubType(st, at, static_cast<int>(slot.subType));
            builder->setLength(st, at, slot.length);
            builder->setScale(st, at, slot.scale);
            builder->setCharSet(st, at, slot.charSet);
        }
        meta.reset(builder->getMetadata(st));
        length = meta->getMessageLength(st);
    });
    const auto all = ReadSlots(meta.get());
    std::vector<unsigned char> buffer(length, 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Entry &entry = *values[i].first;
        const Statement::Slot &from = entry.form->slots[values[i].second];
        const Statement::Slot &to = all[i];
        std::memcpy(buffer.data() + to.offset, entry.message.data() + from.offset, ValueSize(from));
        std::memcpy(buffer.data() + to.nullOffset, entry.message.data() + from.nullOffset, sizeof(short));
    }
    fb::Call([&](ThrowStatusWrapper *st) {
        block->execute(st, host_.TransactionHandle(), meta.get(), buffer.data(), nullptr, nullptr);
    });
}

} // namespace clinova
