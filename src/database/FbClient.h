#pragma once
// The small common ground of the database classes over the Firebird client's OO API.

#include "database/DatabaseError.h"

#include <firebird/Interface.h>

#include <string>
#include <utility>

namespace clinova::fb {

// The password of the product's database account; fixed, never shown or written anywhere.
inline constexpr const char *kPassword = "qordimtex";

Firebird::IMaster *Master();
Firebird::IUtil *Util();

// The client library's formatted message for a status, its lines joined by blanks.
std::string FormatStatus(const Firebird::IStatus *status);
DatabaseError ToDatabaseError(const Firebird::FbException &e);

// A status wrapper that throws FbException on error; owns its status object.
class Status {
public:
    Status() : wrapper_(Master()->getStatus()) {}
    ~Status() { wrapper_.dispose(); }
    Status(const Status &) = delete;
    Status &operator=(const Status &) = delete;
    Firebird::ThrowStatusWrapper *get() { return &wrapper_; }

private:
    Firebird::ThrowStatusWrapper wrapper_;
};

// Runs f(status) and turns a client error into a DatabaseError.
template <typename F> auto Call(F &&f) {
    Status status;
    try {
        return std::forward<F>(f)(status.get());
    } catch (const Firebird::FbException &e) {
        throw ToDatabaseError(e);
    }
}

} // namespace clinova::fb
