#pragma once
// A prepared statement of the target database, written with :NAME parameters. It keeps its prepared
// form across executions until its text changes or the connection closes, so that a step's loop
// prepares each statement once. It counts the rows its writes affect and reports them to its host (the connection),
// whose commit schedule decides when they are committed: no caller counts rows.

#include "database/FbHandles.h"
#include "database/NamedParameters.h"
#include "normalized/DateTime.h"

#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace clinova {

class StatementHost;
struct StatementValue;
struct StatementSlot;
struct StatementInputForm;
struct StatementWriteShape;

// What a column of a result holds, for code that copies rows without knowing the table.
enum class ColumnKind { Integer, Decimal, Text, Date, Timestamp, Time, Blob, Boolean, Other };

class Statement final {
public:
    explicit Statement(StatementHost &host, std::string_view sql = {});
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // A new text: the parameters are reset, the statement is prepared again at its next use.
    void SetSQL(std::string_view sql);
    const std::string &SQL() const { return text_; }

    // Closes the open cursor, if any; the prepared form and the parameter values stay.
    void Close();
    // Sets every parameter to NULL.
    void ClearParameters();
    bool HasParameter(std::string_view name) const;

    void SetNull(std::string_view name);
    void SetInt(std::string_view name, std::int32_t value);
    void SetInt64(std::string_view name, std::int64_t value);
    void SetDouble(std::string_view name, double value);
    void SetText(std::string_view name, std::string_view value);
    // The same, taking a temporary text itself: a long text (a memo) is not copied.
    template <typename T>
        requires std::same_as<T, std::string>
    void SetText(std::string_view name, T &&value) {
        TakeText(name, value);
    }
    void SetDate(std::string_view name, const Date &value);
    void SetDateTime(std::string_view name, const DateTime &value);
    void SetBlob(std::string_view name, std::string_view bytes);
    // The same, taking temporary bytes themselves (a document), without a copy.
    template <typename T>
        requires std::same_as<T, std::string>
    void SetBlob(std::string_view name, T &&bytes) {
        TakeText(name, bytes);
        MarkBlob(name);
    }

    // Runs a statement that returns no rows, or one row (EXECUTE PROCEDURE ... RETURNING). The rows an insert,
    // update or delete affects are reported to the connection; a procedure call counts as one row at least,
    // since the server does not count the rows a procedure writes.
    void Execute();
    // The row of a write of one row (an insert, or an update of one row by its key) as its parameters stand now,
    // for a batch (RowBatch::Add) to send later; the statement counts it as written, a row. Any other statement
    // cannot travel so: a fault of the program (ProgramError).
    struct HeldRow {
        std::shared_ptr<const StatementWriteShape> shape;
        std::shared_ptr<const StatementInputForm> form;
        std::vector<unsigned char> message;
    };
    HeldRow Hold();
    // Runs a select; true when it returned a first row, which is then the current row.
    bool Open();
    // Moves to the next row; false (and Eof) at the end.
    bool Next();
    bool Eof() const { return eof_; }
    // The rows the last write affected, as the server counts them; 0 after any other statement.
    std::uint64_t RowsAffected() const;

    // Columns of the current row. Names are compared without regard to case.
    int ColumnCount() const;
    int ColumnIndex(std::string_view name) const; // -1 when absent
    const std::string &ColumnName(int index) const;
    ColumnKind KindOfColumn(int index) const;
    bool IsNull(std::string_view column) const;
    std::int32_t GetInt(std::string_view column) const;
    std::int64_t GetInt64(std::string_view column) const;
    double GetDouble(std::string_view column) const;
    std::string GetText(std::string_view column) const; // NULL gives an empty text
    Date GetDate(std::string_view column) const;
    DateTime GetDateTime(std::string_view column) const;
    std::string GetBlob(std::string_view column) const;

    using Value = StatementValue;
    using Slot = StatementSlot;
    using InputForm = StatementInputForm;
    using WriteShape = StatementWriteShape;

private:
    // Prepares the text on the connection, unless it is prepared on it already.
    void Prepare();
    // Gives the prepared form back: freed on the server when its connection is still open, released without
    // being used when that connection has gone. The text and parameters stay.
    void Release() noexcept;
    bool Stale() const { return preparedOn_.expired(); }
    void BindInput();
    void BindValue(unsigned char *buffer, const Slot &slot, const Value &value);
    // The layout the current values are sent with: the described one (nullptr), or one where documents that
    // fit travel as texts inside the message instead of as blobs created beforehand, a request each.
    std::shared_ptr<InputForm> ChooseInputForm();
    std::shared_ptr<InputForm> MakeInputForm(const std::vector<unsigned> &lengths) const;
    static std::shared_ptr<const WriteShape> MakeWriteShape(const std::string &sql, const std::vector<Slot> &slots,
                                                            bool insert);
    // The one place where the statement runs on the server, and counts what it wrote.
    void Run();
    void CountWrites();
    std::uint64_t AskRowsAffected() const;
    const Slot &Column(std::string_view name) const;
    Value &Param(std::string_view name);
    void SetAll(std::string_view name, const Value &value);
    void TakeText(std::string_view name, std::string &value);
    void MarkBlob(std::string_view name);

    StatementHost &connection_;
    std::string text_;
    NamedParameters translated_;
    std::vector<std::unique_ptr<Value>> values_; // one per name, NULL at start
    std::unordered_map<std::string, std::size_t> nameIndex_;

    // The lifetime of the connection that the handles below belong to.
    std::weak_ptr<const void> preparedOn_;
    fb::Handle<Firebird::IStatement> statement_;
    fb::Handle<Firebird::IMessageMetadata> inMeta_;
    fb::Handle<Firebird::IMessageMetadata> outMeta_;
    fb::Handle<Firebird::IResultSet> cursor_;
    std::vector<Slot> inSlots_;
    std::map<std::string, std::shared_ptr<InputForm>> inputForms_;
    std::shared_ptr<InputForm> input_;
    std::shared_ptr<InputForm> baseForm_; // the described layout, for the rows held back
    std::shared_ptr<const WriteShape> shape_; // a write of one row (insert, update) that can travel with others
    bool heldBack_ = false;                   // the last execution waits in a batch
    std::vector<Slot> outSlots_;
    std::vector<unsigned char> inBuffer_;
    std::vector<unsigned char> outBuffer_;
    unsigned statementType_ = 0;
    bool singleRowInsert_ = false;
    bool eof_ = true;
    // Known, or to be asked of the server when read (a write's count that no caller may need).
    mutable std::uint64_t rowsAffected_ = 0;
    mutable bool countAsked_ = true;
};

} // namespace clinova
