#include "database/TargetDatabase.h"

#include "database/FbClient.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"

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

std::vector<unsigned char> ConnectionParameters(bool create) {
    return fb::ParameterBlock(IXpbBuilder::DPB, [&](ThrowStatusWrapper *st, IXpbBuilder *dpb) {
        dpb->insertString(st, isc_dpb_user_name, TargetDatabase::kUserName);
        dpb->insertString(st, isc_dpb_password, fb::kPassword);
        dpb->insertString(st, isc_dpb_lc_ctype, "WIN1252");
        dpb->insertInt(st, isc_dpb_sql_dialect, 3);
        if (create) {
            dpb->insertInt(st, isc_dpb_page_size, 8192);
            dpb->insertString(st, isc_dpb_set_db_charset, "WIN1252");
            dpb->insertInt(st, isc_dpb_force_write, 1);
        }
    });
}

std::vector<unsigned char> TransactionParameters() {
    return fb::ParameterBlock(IXpbBuilder::TPB, [](ThrowStatusWrapper *st, IXpbBuilder *tpb) {
        tpb->insertTag(st, isc_tpb_write);
        tpb->insertTag(st, isc_tpb_read_committed);
        tpb->insertTag(st, isc_tpb_rec_version);
        tpb->insertTag(st, isc_tpb_nowait);
    });
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

// The generator statements go first; the connection then closes itself.
TargetDatabase::~TargetDatabase() = default;

void TargetDatabase::Open(const std::string &databaseName, WritingSettings writing) {
    Attach(databaseName, ConnectionParameters(false), TransactionParameters(), writing);
}

int TargetDatabase::ReadGenerator(std::string_view generator) { return static_cast<int>(NextID(generator)); }

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

void TargetDatabase::SetGenerator(std::string_view name, std::int64_t value) {
    // GEN_ID by the difference: the same on every server version, where RESTART WITH does not agree.
    Statement current(*this, "SELECT GEN_ID(" + std::string(name) + ", 0) FROM RDB$DATABASE");
    const std::int64_t now = current.Open() ? current.GetInt64("GEN_ID") : value;
    current.Close();
    if (now == value)
        return;
    Statement step(*this, "SELECT GEN_ID(" + std::string(name) + ", " + std::to_string(value - now) +
                              ") FROM RDB$DATABASE");
    step.Open();
    step.Close();
    // What was reserved from the generator no longer follows its value.
    ForgetReservations();
}

void TargetDatabase::Create(const std::string &databaseName) {
    Attachment::Create(databaseName, ConnectionParameters(true)).Detach();
}

} // namespace clinova
