#pragma once
// Errors are exceptions below the front ends. Their messages are Windows-1252 text, as every text of
// the engine: a step writes them into its "FILE/ligne N/message" log lines as they are.

#include <stdexcept>
#include <string>

namespace clinova {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A field that does not convert (a date, an integer, a number): fails the line it was read from.
class ConversionError : public Error {
public:
    using Error::Error;
    // The message names the text that did not convert: the rejects name its column after it.
    ConversionError(const std::string &message, std::string value)
        : Error(message), value_(std::move(value)), hasValue_(true) {}
    // The text that did not convert, as given; nullptr when the error names none.
    const std::string *Value() const { return hasValue_ ? &value_ : nullptr; }

private:
    std::string value_;
    bool hasValue_ = false;
};

// An error of TIntegerList or another list ("Index hors borne !").
class ListError : public Error {
public:
    using Error::Error;
};

// A file that cannot be read or written.
class FileError : public Error {
public:
    using Error::Error;
};

// A fault of the program itself: a broken contract between its parts, never a fault of the data. A data line
// that meets one does not fail alone: the action ends as an internal error.
class ProgramError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace clinova
