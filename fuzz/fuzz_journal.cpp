// The journal reader on hostile files, and the resume's checks of what it read. A line "P\tN\t*" gets the checksum
// that closes its record, so that the fuzzer reaches past the records as a run writes them.
#include "FuzzFolder.h"
#include "support/ScriptedOperator.h"

#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "normalized/Errors.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto &folder = clinova::fuzz::FuzzFolder();
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    std::string journal;
    journal.reserve(size + 64);
    std::size_t recordStart = 0;
    for (std::size_t start = 0; start < input.size();) {
        const auto end = input.find('\n', start);
        std::string_view line = input.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? input.size() : end + 1;
        if (line.size() > 4 && line.substr(0, 2) == "P\t" && line.substr(line.size() - 2) == "\t*") {
            const std::string number(line.substr(2, line.size() - 4));
            std::uint64_t n = 0;
            for (const char c : number)
                n = n * 10 + static_cast<std::uint64_t>(c >= '0' && c <= '9' ? c - '0' : 0);
            journal += "P\t" + number + "\t" +
                       clinova::JournalRecordChecksum(std::string_view(journal).substr(recordStart), n);
        } else {
            journal += line;
        }
        if (end != std::string_view::npos)
            journal += '\n';
        if (line.substr(0, 2) == "V\t" || line.substr(0, 2) == "X\t" || line == "JOURNAL_IMPORTATION\t2")
            recordStart = journal.size();
    }
    folder.Write(clinova::JournalFileName(), journal);

    clinova::test::ScriptedOperator op;
    clinova::RunState state(op);
    state.PathSources = folder.Folder();
    try {
        auto contents = clinova::ReadJournal(folder.File(clinova::JournalFileName()));
        if (contents) {
            (void)clinova::ResumeRefusal(*contents, state);
            contents->AcceptPending();
        }
    } catch (const clinova::FileError &) {
    }
    (void)clinova::ResumableImportIn(folder.Folder());
    return 0;
}
