#pragma once
// Files the tool writes into a folder that others may write too (the source folder of an export: rejects,
// duplicate reports, correspondence lists, the log). Whoever can write that folder must not be able to make
// the tool write anywhere else: the bytes go to a new file created exclusively beside the final name (an
// existing name is never opened, so neither a planted link nor a FIFO is ever followed or waited on), and that
// file then takes the final name by a rename, which replaces whatever stood there — a file, a link, a FIFO —
// without opening it. A folder standing at the final name is refused.
//
// Reading goes through the same care: a source file is opened only when it is a regular file itself.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace clinova {

// What stands at a name, without following a link.
enum class EntryKind { Missing, RegularFile, Folder, Link, Other };
EntryKind KindOfEntry(const std::string &path);

class OutputFile {
public:
    // Creates the temporary file beside path. Throws FileError.
    explicit OutputFile(std::string path);
    // Removes the temporary file when the file was not committed.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    const std::string &Path() const { return path_; }

    // Writes at once (no buffer of its own). Throws FileError.
    void Write(std::string_view bytes);
    // Forces what was written to the disk. Throws FileError.
    void Sync();
    // Closes the file and gives it its final name; returns what stood there before. Throws FileError; the
    // temporary file is then removed and the final name keeps what it held.
    EntryKind Commit();
    // Gives the file its final name at once and keeps it open for writing: what is written later is found
    // under that name even when the program is killed (the log). Throws FileError.
    EntryKind Publish();
    bool Committed() const { return committed_; }

private:
    void Close();

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

// Replaces the file with the bytes, through an OutputFile; returns what stood there before.
EntryKind WriteFileSafely(const std::string &path, std::string_view bytes);

// Removes a file of ours: a link standing at the name is removed itself, never its target; a folder is left.
void RemoveOutputFile(const std::string &path);

// Removes from the folder (with its final separator) the temporary files a killed run of the tool left, those
// named after a text file of ours ("REJETS_CLIENTS.TXT.0123456789ab.tmp"); returns how many. Only for a folder
// no other run writes into.
int RemoveLeftoverTemporaries(const std::string &folder);

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading only when the name itself is a regular file: a folder, a link, a device or a FIFO
// is refused with a FileError that says so, without waiting on it. Throws FileError.
FilePtr OpenRegularFileForReading(const std::string &path);

// The French words for what stands at a name that is not a regular file ("un dossier", "un lien
// symbolique"...), in Windows-1252.
std::string EntryKindText(EntryKind kind);
// The log line for a file written over a link or a special file, which was replaced, not written through;
// empty when a regular file or nothing stood there.
std::string ReplacedEntryLog(const std::string &path, EntryKind former);

} // namespace clinova
