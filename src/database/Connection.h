#pragma once
// One attachment and its one transaction, as the statements see them: the handles of the moment, a lifetime
// that tells a statement whether what it prepared still belongs to them, and the commits of the rows the
// statements write, which the connection's commit schedule decides.

#include "database/Attachment.h"
#include "database/CommitSchedule.h"
#include "database/IdReservations.h"
#include "database/RowBatch.h"
#include "database/Statement.h"
#include "database/StatementHost.h"
#include "database/Transaction.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// How the rows written on a connection are sent and made permanent: chosen when it is opened, for as long as it
// stays open.
struct WritingSettings {
    CommitPolicy policy = CommitPolicy::Grouped;
    // Whether the round trips to the server are spared (identifiers reserved in blocks, documents sent with
    // their rows, no count asked for a row an insert is known to write); off, every request is made one by
    // one, as a comparison and a fallback.
    bool batching = true;
};

class Connection : public StatementHost {
public:
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool IsOpen() const override { return attachment_.IsAttached(); }
    // Commits the active transaction and detaches. The connection is closed even when the commit fails; the
    // failure is then thrown.
    void Close();
    // The connection is lost: gives the handles up without trying to commit; the rows not committed are gone.
    void Abandon() noexcept;
    // Deletes the database it is attached to, file included, and leaves the connection closed: for a database
    // this program made and must not leave behind.
    void Drop();

    // Runs one statement without parameters (DDL of the schema scripts, deletes of the cleaning, savepoints).
    // The server does not tell how many rows such a statement writes: its callers commit them themselves.
    void ExecuteImmediate(std::string_view sql);

    // Makes every row written so far permanent and keeps the transaction open.
    void CommitRetaining();
    void RollbackRetaining();
    // Before the operator is shown anything, and before and after a step's lines: commits the rows that wait.
    void CommitPendingRows();
    // At the end of a data line, whether a grouped commit is due: the step then commits.
    bool CommitDueAtLineEnd() const { return schedule_.LineEnded(); }
    CommitPolicy Policy() const override { return writing_.policy; }
    bool Batching() const override { return writing_.batching; }
    // While a step reads its lines: grouped commits wait for the end of a line (CommitDueAtLineEnd), so that a
    // line's rows are committed together and a lost connection loses whole lines, never half of one.
    class WholeLines {
    public:
        explicit WholeLines(Connection &db) : db_(db) { db_.schedule_.SetLineCommits(true); }
        ~WholeLines() { db_.schedule_.SetLineCommits(false); }
        WholeLines(const WholeLines &) = delete;
        WholeLines &operator=(const WholeLines &) = delete;

    private:
        Connection &db_;
    };
    // The next identifier of a generator (a failure thrown), and the last one handed out per generator.
    std::int64_t NextID(std::string_view generator);
    // The last value handed out by each generator since the connection was opened, by generator name
    // (upper-cased).
    const std::map<std::string, std::int64_t> &LastDrawnIDs() const { return ids_.LastDrawn(); }
    // A generator was moved by hand: what was reserved from it is not handed out any more.
    void ForgetReservations() noexcept { ids_.Forget(); }
    // Sends the rows of the open batch (see RowBatch), if any; a lost connection is abandoned and thrown, and so
    // is the refusal of the main row of the line in progress (MainRowRefused).
    void SendBatch() override;
    // Rows written since the last commit.
    int PendingRows() const { return schedule_.PendingRows(); }
    // Successful commits since the connection was opened.
    std::uint64_t Commits() const { return schedule_.Commits(); }
    // Told of each commit for as long as it lives (the import's journal), so that what the commit makes
    // permanent can be recorded before it is asked for and confirmed after. None of its calls may throw.
    class CommitObserver {
    public:
        // The rows the commit makes permanent are all sent; the commit is asked for next.
        virtual void BeforeCommit() noexcept = 0;
        virtual void Committed() noexcept = 0;
        // The commit failed. connectionLost: the server may still have made it; otherwise it did not happen.
        virtual void CommitFailed(bool connectionLost) noexcept = 0;

    protected:
        explicit CommitObserver(Connection &db) : db_(db) { db_.commitObserver_ = this; }
        ~CommitObserver() { db_.commitObserver_ = nullptr; }
        CommitObserver(const CommitObserver &) = delete;
        CommitObserver &operator=(const CommitObserver &) = delete;

    private:
        Connection &db_;
    };

    // A mark every other connection to the database can see for as long as this one holds it, through a server
    // too: the row the statement locks (a select ... with lock, run in a transaction of its own that is never
    // committed). The server drops it with the connection, also when the program dies. False when another
    // connection still holds it after waitSeconds; other failures are thrown.
    bool HoldMark(std::string_view lockStatement, int waitSeconds);
    void ReleaseMark() noexcept;

    // What the statements run on.
    Firebird::IAttachment *AttachmentHandle() const override { return attachment_.Get(); }
    Firebird::ITransaction *TransactionHandle() const override { return transaction_.Get(); }
    // Expires when the attachment is closed or lost: a statement prepared before must be prepared again, and
    // gives its old handles back without using them.
    std::weak_ptr<const void> Lifetime() const override { return lifetime_; }
    // A statement has written rows (inserted, updated, deleted, or through a procedure).
    void RowsWritten(std::uint64_t rows) override;
    // A statement has set, released or rolled back to a savepoint.
    void SavepointExecuted(std::string_view sql) override;
    void BatchOpened(RowBatch &batch) override;
    void BatchClosed(RowBatch &batch) noexcept override;

protected:
    Connection();
    // Closes the connection; a failure cannot be reported from here, so an action closes it itself.
    ~Connection();

    // Closes the connection when it is open, attaches with these parameters (DPB) and starts the transaction
    // (TPB).
    void Attach(const std::string &databaseName, const std::vector<unsigned char> &attachParameters,
                const std::vector<unsigned char> &transactionParameters, WritingSettings writing);

private:
    // The handles leave the connection before they are ended, so that whatever fails, it is closed.
    struct Handles {
        Attachment attachment;
        Transaction transaction; // after the attachment: ended first
        Transaction mark;        // the mark's, rolled back before the others
    };
    // Runs a commit of the transaction, with the observer told before and after.
    template <typename Commit> void ObservedCommit(Commit &&commit);
    Handles TakeHandles() noexcept;
    void RequireOpen() const;

    Attachment attachment_;
    Transaction transaction_;
    Transaction mark_;
    std::vector<unsigned char> transactionParameters_;
    std::shared_ptr<const int> lifetime_;
    CommitSchedule schedule_;
    WritingSettings writing_;
    RowBatch *batch_ = nullptr; // the open batch
    IdReservations ids_{*this};
    CommitObserver *commitObserver_ = nullptr;
};

} // namespace clinova
