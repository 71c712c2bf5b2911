#pragma once

#include "normalized/Errors.h"

#include <string>
#include <vector>

namespace clinova {

// An error of the database client or server; the message is the client library's own text.
class DatabaseError : public Error {
public:
    DatabaseError(const std::string &message, long code = 0) : Error(message), code_(code) {
        if (code != 0)
            codes_.push_back(code);
    }
    // The error codes of the status vector in their order (isc_...), and the system's error number that came
    // with them (errno, or GetLastError on Windows), 0 when none.
    DatabaseError(const std::string &message, std::vector<long> codes, long systemError)
        : Error(message), code_(codes.empty() ? 0 : codes.front()), codes_(std::move(codes)),
          systemError_(systemError) {}
    // The same error under another text: its codes are kept.
    DatabaseError Reworded(const std::string &message) const { return DatabaseError(message, codes_, systemError_); }
    // The first error code of the status vector (isc_...), 0 when none.
    long Code() const { return code_; }
    // The connection itself is gone (server stopped, network down): no later statement can succeed, and
    // the rows written since the last commit are lost with it.
    bool ConnectionLost() const;
    // What happened and what to do, in French (Windows-1252), for the errors a technician meets: a missing
    // or unreadable file, a server that cannot be reached, a wrong password, a database in use, a file that
    // is no database of this server, a full disk, a lost connection. Empty for the others.
    std::string Explanation() const;

private:
    bool Has(long code) const;

    long code_;
    std::vector<long> codes_;
    long systemError_ = 0;
};

// The main row of the data line in progress was refused when the rows that waited were sent, before another
// statement of that line: the line fails where it stands, as it would have at its insert, with the server's
// message for the row.
class MainRowRefused final : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

} // namespace clinova
