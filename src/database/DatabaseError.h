#pragma once

#include "normalized/Errors.h"

#include <string>

namespace clinova {

// An error of the database client or server; the message is the client library's own text.
class DatabaseError : public Error {
public:
    DatabaseError(const std::string &message, long code = 0) : Error(message), code_(code) {}
    // The first error code of the status vector (isc_...), 0 when none.
    long Code() const { return code_; }
    // The connection itself is gone (server stopped, network down): no later statement can succeed, and
    // the rows written since the last commit are lost with it.
    bool ConnectionLost() const;

private:
    long code_;
};

} // namespace clinova
