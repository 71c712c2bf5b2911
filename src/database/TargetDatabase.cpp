#include "database/TargetDatabase.h"

#include "database/FbClient.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"

#include <algorithm>

namespace clinova {

using namespace Firebird;

namespace {

std::string Trimmed(const std::string &s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.substr(b, e - b);
}

std::vector<unsigned char> ConnectionParameters(ThrowStatusWrapper *st, bool create) {
    IXpbBuilder *dpb = fb::Util()->getXpbBuilder(st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(st, isc_dpb_user_name, TargetDatabase::kUserName);
    dpb->insertString(st, isc_dpb_password, fb::kPassword);
    dpb->insertString(st, isc_dpb_lc_ctype, "WIN1252");
    dpb->insertInt(st, isc_dpb_sql_dialect, 3);
    if (create) {
        dpb->insertInt(st, isc_dpb_page_size, 8192);
        dpb->insertString(st, isc_dpb_set_db_charset, "WIN1252");
        dpb->insertInt(st, isc_dpb_force_write, 1);
    }
    const unsigned char *buf = dpb->getBuffer(st);
    std::vector<unsigned char> bytes(buf, buf + dpb->getBufferLength(st));
    dpb->dispose();
    return bytes;
}

} // namespace

std::string DatabaseName(const ConnectionSettings &settings) {
    if (!settings.useIP)
        return settings.path;
    return Trimmed(settings.ip[0]) + "." + Trimmed(settings.ip[1]) + "." + Trimmed(settings.ip[2]) + "." +
           Trimmed(settings.ip[3]) + ":" + settings.path;
}

bool IsSupportedBuild(int build) { return (build >= 75 && build <= 93) && build != 78 && build != 84; }

TargetDatabase::TargetDatabase() = default;

TargetDatabase::~TargetDatabase() {
    try {
        Close();
    } catch (const Error &) {
        // Nothing can be reported from here; an action always closes its connection itself.
    }
}

void TargetDatabase::Register(Statement *statement) { statements_.push_back(statement); }

void TargetDatabase::Unregister(Statement *statement) { std::erase(statements_, statement); }

void TargetDatabase::ReleaseStatements() {
    for (Statement *s : statements_)
        s->Release();
}

void TargetDatabase::Open(const std::string &databaseName) {
    Close();
    fb::Call([&](ThrowStatusWrapper *st) {
        const auto dpb = ConnectionParameters(st, false);
        IProvider *provider = fb::Master()->getDispatcher();
        try {
            attachment_ = provider->attachDatabase(st, databaseName.c_str(), static_cast<unsigned>(dpb.size()),
                                                   dpb.data());
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();
        IXpbBuilder *tpb = fb::Util()->getXpbBuilder(st, IXpbBuilder::TPB, nullptr, 0);
        tpb->insertTag(st, isc_tpb_write);
        tpb->insertTag(st, isc_tpb_read_committed);
        tpb->insertTag(st, isc_tpb_rec_version);
        tpb->insertTag(st, isc_tpb_nowait);
        try {
            transaction_ = attachment_->startTransaction(st, tpb->getBufferLength(st), tpb->getBuffer(st));
        } catch (...) {
            tpb->dispose();
            Detach();
            throw;
        }
        tpb->dispose();
    });
    pendingRows_ = 0;
    commits_ = 0;
    lastCommit_ = std::chrono::steady_clock::now();
}

void TargetDatabase::Abandon() noexcept {
    Detach();
    pendingRows_ = 0;
}

void TargetDatabase::Detach() noexcept {
    ReleaseStatements();
    fb::Status status;
    if (transaction_) {
        try {
            transaction_->rollback(status.get());
        } catch (const FbException &) {
            transaction_->release();
        }
        transaction_ = nullptr;
    }
    if (attachment_) {
        try {
            attachment_->detach(status.get());
        } catch (const FbException &) {
            attachment_->release();
        }
        attachment_ = nullptr;
    }
}

void TargetDatabase::Close() {
    if (!attachment_)
        return;
    ReleaseStatements();
    try {
        if (transaction_) {
            fb::Call([&](ThrowStatusWrapper *st) { transaction_->commit(st); });
            transaction_ = nullptr;
        }
        fb::Call([&](ThrowStatusWrapper *st) { attachment_->detach(st); });
        attachment_ = nullptr;
    } catch (const DatabaseError &) {
        Detach();
        throw;
    }
}

void TargetDatabase::Drop() {
    if (!attachment_)
        return;
    ReleaseStatements();
    fb::Call([&](ThrowStatusWrapper *st) {
        if (transaction_) {
            transaction_->rollback(st);
            transaction_ = nullptr;
        }
        attachment_->dropDatabase(st);
        attachment_ = nullptr;
    });
}

void TargetDatabase::CommitRetaining() {
    if (transaction_) {
        fb::Call([&](ThrowStatusWrapper *st) { transaction_->commitRetaining(st); });
        ++commits_;
    }
    pendingRows_ = 0;
    lastCommit_ = std::chrono::steady_clock::now();
}

bool TargetDatabase::CommitDue() const {
    return pendingRows_ >= kGroupRows ||
           std::chrono::steady_clock::now() - lastCommit_ >= std::chrono::milliseconds(kGroupMilliseconds);
}

void TargetDatabase::RowWritten() {
    ++pendingRows_;
    if (policy_ == CommitPolicy::Strict || (!lineCommits_ && CommitDue()))
        CommitRetaining();
}

void TargetDatabase::LineEnded() {
    if (pendingRows_ > 0 && CommitDue())
        CommitRetaining();
}

void TargetDatabase::RollbackRetaining() {
    if (transaction_)
        fb::Call([&](ThrowStatusWrapper *st) { transaction_->rollbackRetaining(st); });
    pendingRows_ = 0;
}

int TargetDatabase::ReadGenerator(std::string_view generator) {
    // One prepared statement per generator: the steps draw from several generators in turn.
    auto &query = generatorQueries_[std::string(generator)];
    if (!query)
        query = std::make_unique<Statement>(*this, "SELECT GEN_ID(" + std::string(generator) +
                                                       ", 1) FROM RDB$DATABASE");
    const bool row = query->Open();
    const int id = row ? static_cast<int>(query->GetInt64("GEN_ID")) : -1;
    query->Close();
    return id;
}

int TargetDatabase::GetNewID(std::string_view generator) {
    try {
        return ReadGenerator(generator);
    } catch (const Error &) {
        return -1;
    }
}

int TargetDatabase::GetNewIDInTransaction(std::string_view generator) { return GetNewID(generator); }

int TargetDatabase::DrawNewID(std::string_view generator) {
    int id = -1;
    try {
        id = ReadGenerator(generator);
    } catch (const DatabaseError &e) {
        if (e.ConnectionLost())
            throw;
    } catch (const Error &) {
        // Reported below as the generator's failure.
    }
    if (id == -1)
        throw DatabaseError(FromUtf8("générateur ") + std::string(generator) + " indisponible");
    return id;
}

void TargetDatabase::ExecuteImmediate(std::string_view sql) {
    if (!attachment_)
        throw DatabaseError(FromUtf8("la base de données n'est pas ouverte"));
    const std::string text(sql);
    fb::Call([&](ThrowStatusWrapper *st) {
        attachment_->execute(st, transaction_, static_cast<unsigned>(text.size()), text.c_str(), 3, nullptr, nullptr,
                             nullptr, nullptr);
    });
}

void TargetDatabase::Create(const std::string &databaseName) {
    fb::Call([&](ThrowStatusWrapper *st) {
        const auto dpb = ConnectionParameters(st, true);
        IProvider *provider = fb::Master()->getDispatcher();
        try {
            IAttachment *att =
                provider->createDatabase(st, databaseName.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
            att->detach(st);
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();
    });
}

} // namespace clinova
