#include "app/ImportJournal.h"

#include "app/CorrespondenceTable.h"
#include "app/JournalFormat.h"
#include "database/Statement.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace clinova {

using namespace journal_format;

namespace {

constexpr const char *kMagic = "JOURNAL_IMPORTATION\t2";
constexpr const char *kFinished = "FIN";
// The settings that do not change what a run writes, or that belong to this attempt only.
// The server's address is not among them: a server restarted after the crash may listen elsewhere.
constexpr const char *kNotShaping[] = {"cbReprise", "cbSauvegardeAvant", "edPathSauvegarde", "cbCommitParLigne",
                                      "RadioButtonLocal", "RadioButtonIP", "edIP1", "edIP2", "edIP3", "edIP4"};

// The rows each generator's identifiers go to: a row of the table whose key lies between two values a record
// gives the generator shows that the record's commit was made.
struct GeneratorTable {
    const char *generator;
    const char *table;
};
constexpr GeneratorTable kGeneratorTables[] = {
    {"CURRENT_ID_CLIENT", "CLIENTS"},          {"CURRENT_ID_ANIMAL", "ANIMAUX"},
    {"CURRENT_ID_POIDS", "POIDS"},             {"CURRENT_PASSEPORT", "PASSEPORTS"},
    {"GEN_FIDELITE01", "FIDELITE01"},          {"CURRENT_ID_CONSULTATION", "CONSULT"},
    {"GEN_NOTES_DOSSIER", "NOTES_DOSSIER"},    {"GEN_EVENTS", "EVENTS"},
    {"GEN_RELANCES", "RELANCES"},              {"GEN_RELANCES_CONFIG", "RELANCES_CONFIG"},
    {"CURRENT_ID_TARIFACTE", "TARIFSACTES"},   {"GEN_POSOS", "POSOS"},
    {"GEN_LINK_POSOLOGIES", "LINK_POSOLOGIES"}, {"CURRENT_ID_RDV", "RDV"},
    {"CURRENT_ID_CONTACT", "CONTACT"},         {"CURRENT_ID_CONTACT_CAT", "CONTACT_CAT"},
    {"CURRENT_ID_CONTACT_OF_CAT", "CONTACT_OF_CAT"}, {"CURRENT_ID_VILLES", "VILLES"},
};

const char *TableOf(const std::string &generator) {
    for (const auto &entry : kGeneratorTables)
        if (generator == entry.generator)
            return entry.table;
    return nullptr;
}

// Whether a row of the generator's table has a key in (from, to].
bool RowsBetween(Connection &db, const char *table, std::int64_t from, std::int64_t to) {
    Statement query(db, std::string("select first 1 ID from ") + table + " where ID > :FROM_ID and ID <= :TO_ID");
    query.SetInt64("FROM_ID", from);
    query.SetInt64("TO_ID", to);
    const bool found = query.Open();
    query.Close();
    return found;
}

// Whether rows drawn between the two values of a generator are in the database; nullopt when nothing tells
// (no identifier drawn, or none that a table shows).
std::optional<bool> RowsDrawn(Connection &db, const std::map<std::string, std::int64_t> &from,
                              const std::map<std::string, std::int64_t> &to) {
    std::optional<bool> found;
    for (const auto &[name, value] : to) {
        const char *table = TableOf(name);
        const auto start = from.find(name);
        if (!table || start == from.end() || value <= start->second)
            continue;
        if (RowsBetween(db, table, start->second, value))
            return true;
        found = false;
    }
    return found;
}

std::string NowText() {
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", std::localtime(&now));
    return text;
}

long ProcessID() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

bool Shaping(const OptionControl &control) {
    return std::none_of(std::begin(kNotShaping), std::end(kNotShaping),
                        [&](const char *name) { return std::string_view(name) == control.name; });
}

std::vector<std::pair<std::string, std::string>> ShapingOptions(const ImportOptions &options) {
    std::vector<std::pair<std::string, std::string>> shaping;
    for (const auto &control : OptionControls())
        if (Shaping(control))
            shaping.emplace_back(control.name, OptionText(options, control));
    return shaping;
}

// The generators of the database with their values now (those of the product's own tables and ours alike).
std::map<std::string, std::int64_t> GeneratorValues(TargetDatabase &db) {
    std::vector<std::string> names;
    {
        Statement list(db, "select trim(RDB$GENERATOR_NAME) as NAME from RDB$GENERATORS "
                           "where coalesce(RDB$SYSTEM_FLAG, 0) = 0");
        for (bool row = list.Open(); row; row = list.Next())
            names.push_back(list.GetText("NAME"));
        list.Close();
    }
    std::map<std::string, std::int64_t> values;
    for (const auto &name : names) {
        Statement value(db, "select GEN_ID(\"" + name + "\", 0) as V from RDB$DATABASE");
        if (value.Open())
            values[name] = value.GetInt64("V");
        value.Close();
    }
    return values;
}

std::string JournalPath(const RunState &state) { return state.OutputPath(JournalFileName()); }

} // namespace

const std::string &JournalFileName() {
    static const std::string name = "JOURNAL_IMPORTATION.TXT";
    return name;
}

namespace {

void Apply(JournalContents &contents, JournalContents::Record &&record) {
    for (const auto &[name, value] : record.generators)
        contents.generators[name] = value;
    for (const auto &[name, value] : record.linesDone)
        contents.linesDone[name] = value;
    contents.stepsDone.insert(record.stepsDone.begin(), record.stepsDone.end());
    for (auto &change : record.lists)
        contents.lists.push_back(std::move(change));
    for (auto &[file, lines] : record.noted)
        for (auto &[number, line] : lines)
            contents.noted[file][number] = std::move(line);
}

} // namespace

std::string JournalRecordChecksum(std::string_view lines, std::uint64_t number) { return Checksum(lines, number); }

void JournalContents::AcceptPending() {
    if (!pending)
        return;
    Apply(*this, std::move(*pending));
    pending.reset();
    text += pendingText + "V\t" + std::to_string(pendingNumber) + "\n";
    pendingText.clear();
}

std::optional<JournalContents> ReadJournal(const std::string &path) {
    if (KindOfEntry(path) == EntryKind::Missing)
        return std::nullopt;
    std::string bytes;
    {
        const FilePtr file = OpenRegularFileForReading(path);
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
            bytes.append(buffer, n);
    }
    const auto notAJournal = [&] {
        return FileError(path + FromUtf8(" : ce n'est pas un journal d'importation"));
    };
    const auto altered = [&](std::uint64_t number) {
        return FileError(path + FromUtf8(fmt::format(" : journal d'importation altéré (enregistrement {}), il ne "
                                                     "peut pas servir à une reprise",
                                                     number)));
    };
    const std::string magic = std::string(kMagic) + "\n";
    if (bytes.rfind(magic, 0) != 0)
        throw notAJournal();

    JournalContents contents;
    JournalContents::Record record; // what the record being read adds, kept once its closing line is read
    bool awaiting = false;   // a record closed, its commit's end not read yet
    std::uint64_t closed = 0; // that record's number
    bool headerDone = false;
    std::size_t recordStart = magic.size();
    std::size_t start = magic.size();
    while (start < bytes.size()) {
        const auto end = bytes.find('\n', start);
        if (end == std::string::npos)
            break; // a line cut by the crash
        const std::string_view line(bytes.data() + start, end - start);
        const std::size_t next = end + 1;
        if (line == kFinished) {
            if (awaiting || !headerDone)
                throw notAJournal();
            contents.finished = true;
            contents.text = bytes.substr(0, next);
            break;
        }
        try {
            // A bad escape in a field is a line that is not a journal's, like a bad number.
            const std::vector<std::string> f = Fields(line);
            const std::string &kind = f[0];
            if (awaiting) {
                // A closed record is followed by the end of its commit and nothing else.
                if ((kind != "V" && kind != "X") || f.size() != 2 || std::stoull(f[1]) != closed)
                    throw altered(closed);
                if (kind == "V") {
                    contents.AcceptPending();
                    headerDone = true;
                } else {
                    contents.pending.reset();
                    contents.pendingText.clear();
                }
                contents.text = bytes.substr(0, next);
                awaiting = false;
                recordStart = next;
            } else if (kind == "P" && f.size() == 3) {
                const std::uint64_t number = std::stoull(f[1]);
                if ((number == 0) == headerDone || (headerDone && number <= contents.lastRecord) ||
                    f[2] != Checksum(std::string_view(bytes).substr(recordStart, start - recordStart), number))
                    throw altered(number);
                contents.lastRecord = number;
                contents.pending = std::move(record);
                contents.pendingText = bytes.substr(recordStart, next - recordStart);
                contents.pendingNumber = number;
                record = {};
                awaiting = true;
                closed = number;
            } else if (kind == "O" && f.size() == 3 && !headerDone) {
                contents.options.emplace_back(f[1], f[2]);
            } else if (kind == "F" && !headerDone) {
                contents.fingerprints.emplace_back(line);
            } else if (kind == "D" && f.size() == 2 && !headerDone) {
                contents.database = f[1];
            } else if (kind == "M" && f.size() == 3 && !headerDone) {
                contents.started = f[1];
                contents.process = f[2];
            } else if (kind == "I" && f.size() == 3 && !headerDone) {
                record.generators[f[1]] = contents.initialGenerators[f[1]] = std::stoll(f[2]);
            } else if (kind == "G" && f.size() == 3) {
                record.generators[f[1]] = std::stoll(f[2]);
            } else if (kind == "E" && f.size() == 3) {
                record.linesDone[f[1]] = std::stoi(f[2]);
            } else if (kind == "S" && f.size() == 2) {
                record.stepsDone.insert(f[1]);
            } else if (kind == "A" && f.size() == 3) {
                record.lists.push_back({f[1], false, 0, f[2]});
            } else if ((kind == "R" || kind == "W" || kind == "L") && (f.size() == 4 || f.size() == 5)) {
                record.noted[f[1]][std::stoi(f[2])] = {static_cast<NotedKind>(kind[0]), f[3],
                                                       f.size() == 5 ? f[4] : std::string()};
            } else if (kind == "T" && f.size() == 3) {
                record.lists.push_back({f[1], true, std::stoi(f[2]), {}});
            } else {
                throw notAJournal();
            }
        } catch (const std::logic_error &) {
            throw notAJournal();
        }
        start = next;
    }
    if (!headerDone)
        throw notAJournal();
    return contents;
}

bool ResumableImportIn(const std::string &folder) {
    try {
        const auto journal = ReadJournal(folder + JournalFileName());
        return journal && !journal->finished;
    } catch (const Error &) {
        return false;
    }
}

std::string DatabaseIdentity(Connection &db) {
    Statement query(db, "select trim(MON$DATABASE_NAME) as NAME, cast(MON$CREATION_DATE as varchar(32)) as CREATED "
                        "from MON$DATABASE");
    std::string identity;
    if (query.Open())
        identity = query.GetText("NAME") + FromUtf8(", créée le ") + query.GetText("CREATED");
    query.Close();
    return identity;
}

std::vector<std::string> Fingerprints(const std::string &folder, const std::vector<std::string> &files) {
    std::vector<std::string> prints;
    prints.reserve(files.size());
    for (const auto &name : files)
        prints.push_back(Fingerprint(folder, name));
    return prints;
}

bool PendingRecordCommitted(Connection &db, const JournalContents &journal) {
    return journal.pending && RowsDrawn(db, journal.generators, journal.pending->generators).value_or(false);
}

std::string DatabaseRefusal(JournalContents &journal, Connection &db) {
    if (DatabaseIdentity(db) != journal.database)
        return FromUtf8("Reprise impossible : la base de données n'est pas celle de l'importation interrompue (") +
               journal.database + ")";
    if (journal.pending) {
        if (PendingRecordCommitted(db, journal))
            journal.AcceptPending();
        else
            journal.pending.reset();
    }
    // The rows the run drew identifiers for are there: a database emptied or put back since would take them again.
    if (RowsDrawn(db, journal.initialGenerators, journal.generators) == false)
        return FromUtf8("Reprise impossible : la base de données ne contient plus les fiches que l'importation "
                        "interrompue y a écrites");
    return {};
}

std::string ResumeRefusal(const JournalContents &journal, const RunState &state) {
    if (journal.finished)
        return FromUtf8("Reprise impossible : l'importation de ce dossier est allée à son terme (") + JournalFileName() +
               FromUtf8("), il n'y a rien à reprendre");
    const auto options = ShapingOptions(state.options);
    for (const auto &[name, value] : journal.options) {
        // A named copy: a structured binding captured by a lambda is refused by clang before version 16.
        const std::string &wanted = name;
        const auto now = std::find_if(options.begin(), options.end(), [&](const auto &o) { return o.first == wanted; });
        if (now == options.end() || now->second != value)
            return FromUtf8("Reprise impossible : le réglage ") + name +
                   FromUtf8(" n'est plus celui de l'importation interrompue (\"") + value +
                   FromUtf8("\" alors, \"") + (now == options.end() ? std::string() : now->second) +
                   FromUtf8("\" maintenant)");
    }
    for (const auto &print : journal.fingerprints) {
        const std::vector<std::string> f = Fields(print);
        if (f.size() < 2)
            continue;
        std::string now;
        try {
            now = Fingerprint(state.PathSources, f[1]);
        } catch (const Error &) {
        }
        if (now != print)
            return FromUtf8("Reprise impossible : le fichier ") + f[1] +
                   FromUtf8(" a changé depuis l'importation interrompue");
    }
    return {};
}

ImportJournal::ImportJournal(RunState &state, std::unique_ptr<OutputFile> file)
    : CommitObserver(state.db), state_(state), file_(std::move(file)) {
    at_.written.assign(kCorrespondenceLists.size(), 0);
}

ImportJournal::~ImportJournal() = default;

std::unique_ptr<ImportJournal> ImportJournal::Start(RunState &state, const std::vector<std::string> &files) {
    std::string header;
    for (const auto &[name, value] : ShapingOptions(state.options))
        header += "O\t" + Escaped(name) + "\t" + Escaped(value) + "\n";
    for (const auto &print : Fingerprints(state.PathSources, files))
        header += print + "\n";
    header += "D\t" + Escaped(DatabaseIdentity(state.db)) + "\n";
    header += "M\t" + NowText() + "\t" + std::to_string(ProcessID()) + "\n";
    const auto generators = GeneratorValues(state.db);
    for (const auto &[name, value] : generators)
        header += "I\t" + Escaped(name) + "\t" + std::to_string(value) + "\n";

    auto file = std::make_unique<OutputFile>(JournalPath(state));
    file->Write(std::string(kMagic) + "\n" + header + Closing(header, 0) + "V\t0\n");
    file->Sync();
    file->Publish();
    std::unique_ptr<ImportJournal> journal(new ImportJournal(state, std::move(file)));
    journal->at_.generators = generators;
    return journal;
}

std::unique_ptr<ImportJournal> ImportJournal::Resume(RunState &state, const JournalContents &contents) {
    const auto &lists = kCorrespondenceLists;
    for (const auto &list : lists)
        if (list.journaled)
            TruncateTo(list, state, 0);
    for (const auto &change : contents.lists) {
        const auto list = std::find_if(lists.begin(), lists.end(), [&](const CorrespondenceList &l) {
            return l.journaled && change.list == l.name;
        });
        if (list == lists.end())
            throw FileError(JournalPath(state) + FromUtf8(" : liste inconnue ") + change.list);
        if (change.truncate)
            TruncateTo(*list, state, change.length);
        else
            AddTo(*list, state, change.value);
    }
    for (const auto &[name, value] : contents.generators)
        state.db.SetGenerator(name, value);
    state.db.CommitRetaining();

    // The journal read is written again whole, then takes the name: a crash in between leaves the old one. A
    // record whose commit was not made is left out of it.
    auto file = std::make_unique<OutputFile>(JournalPath(state));
    file->Write(contents.text);
    file->Sync();
    file->Publish();
    std::unique_ptr<ImportJournal> journal(new ImportJournal(state, std::move(file)));
    for (std::size_t k = 0; k < lists.size(); ++k)
        journal->at_.written[k] = lists[k].journaled ? LengthOf(lists[k], state) : 0;
    journal->at_.generators = contents.generators;
    journal->at_.recordedLines = contents.linesDone;
    journal->linesDoneBefore_ = contents.linesDone;
    journal->stepsDoneBefore_ = contents.stepsDone;
    journal->notedBefore_ = contents.noted;
    journal->records_ = contents.lastRecord;
    return journal;
}

int ImportJournal::LinesDoneBefore(const std::string &fileName) const {
    const auto it = linesDoneBefore_.find(fileName);
    return it == linesDoneBefore_.end() ? 0 : it->second;
}

const JournalContents::NotedLine *ImportJournal::NotedBefore(const std::string &fileName, int number) const {
    const auto file = notedBefore_.find(fileName);
    if (file == notedBefore_.end())
        return nullptr;
    const auto line = file->second.find(number);
    return line == file->second.end() ? nullptr : &line->second;
}

int ImportJournal::NotedBefore(const std::string &fileName, NotedKind kind) const {
    const auto file = notedBefore_.find(fileName);
    if (file == notedBefore_.end())
        return 0;
    return static_cast<int>(std::count_if(file->second.begin(), file->second.end(),
                                          [kind](const auto &line) { return line.second.kind == kind; }));
}

const std::map<int, JournalContents::NotedLine> &ImportJournal::NotedLinesBefore(const std::string &fileName) const {
    static const std::map<int, JournalContents::NotedLine> none;
    const auto file = notedBefore_.find(fileName);
    return file == notedBefore_.end() ? none : file->second;
}

void ImportJournal::LineNoted(const std::string &fileName, int number, NotedKind kind, const std::string &text,
                              const std::string &column) {
    at_.noted.push_back({fileName, number, kind, text, column});
}

ImportJournal::Snapshot ImportJournal::Take() const {
    Snapshot snapshot;
    snapshot.lengths.reserve(kCorrespondenceLists.size());
    for (const auto &list : kCorrespondenceLists)
        snapshot.lengths.push_back(list.journaled ? LengthOf(list, state_) : 0);
    snapshot.generators = state_.db.LastDrawnIDs();
    return snapshot;
}

void ImportJournal::LineStarting(const std::string &fileName, int number) {
    if (fileName != fileName_) {
        fileName_ = fileName;
        const auto it = at_.recordedLines.find(fileName);
        doneLine_ = it == at_.recordedLines.end() ? 0 : it->second;
    }
    lineNumber_ = number;
    inLine_ = true;
    beforeLine_ = Take();
}

void ImportJournal::LineEnded(int number) {
    doneLine_ = number;
    inLine_ = false;
}

void ImportJournal::LinesRead(const std::string &fileName, int lastLine) {
    if (fileName != fileName_) {
        fileName_ = fileName;
        doneLine_ = 0;
    }
    doneLine_ = std::max(doneLine_, lastLine);
    inLine_ = false;
    const auto it = at_.recordedLines.find(fileName);
    if (it == at_.recordedLines.end() || it->second < doneLine_)
        Record({}, Take());
}

void ImportJournal::StepDone(const std::string &stepName) {
    inLine_ = false;
    Record("S\t" + Escaped(stepName) + "\n", Take());
}

void ImportJournal::Finish() {
    if (failed_ || stopped_ || finished_)
        return;
    finished_ = true;
    try {
        Write(std::string(kFinished) + "\n", true);
    } catch (const Error &e) {
        state_.op.AddToLog(JournalFileName() + "/" + e.what());
    }
}

void ImportJournal::BeforeCommit() noexcept {
    if (inLine_) {
        // The rows of the line in progress are not all written: the lines before it are the ones committed.
        const int done = doneLine_;
        doneLine_ = lineNumber_ - 1;
        Record({}, beforeLine_, true);
        doneLine_ = done;
        return;
    }
    Record({}, Take(), true);
}

void ImportJournal::Committed() noexcept {
    if (pending_ == 0 || failed_)
        return;
    const std::uint64_t number = pending_;
    pending_ = 0;
    try {
        // Not forced to the disk: the next record's sync takes it along, and a crash before leaves the record
        // to be settled by the rows it drew.
        Write("V\t" + std::to_string(number) + "\n", false);
    } catch (const std::exception &e) {
        Abandon(e);
    }
}

void ImportJournal::CommitFailed(bool connectionLost) noexcept {
    if (pending_ == 0 || failed_)
        return;
    const std::uint64_t number = pending_;
    pending_ = 0;
    if (connectionLost) {
        // The server may still make the commit: only the database will tell a resume.
        stopped_ = true;
        return;
    }
    try {
        Write("X\t" + std::to_string(number) + "\n", true);
        at_ = beforePending_;
    } catch (const std::exception &e) {
        Abandon(e);
    }
}

void ImportJournal::Write(const std::string &text, bool sync) {
    file_->Write(text);
    if (sync)
        file_->Sync();
}

void ImportJournal::Abandon(const std::exception &e) noexcept {
    // A journal that no longer says what the database holds must not be resumed: it goes.
    failed_ = true;
    try {
        state_.op.AddToLog(JournalFileName() + FromUtf8("/écriture impossible, journal supprimé (pas de reprise "
                                                        "possible de cette importation) : ") +
                           e.what());
        RemoveOutputFile(JournalPath(state_));
    } catch (...) {
    }
}

void ImportJournal::Record(const std::string &extra, const Snapshot &at, bool beforeCommit) noexcept {
    if (failed_ || stopped_ || finished_)
        return;
    try {
        const Position before = at_;
        std::string block;
        if (!fileName_.empty()) {
            int &recorded = at_.recordedLines[fileName_];
            if (doneLine_ > recorded) {
                block += "E\t" + Escaped(fileName_) + "\t" + std::to_string(doneLine_) + "\n";
                recorded = doneLine_;
            }
        }
        // The noted lines the record covers; those of lines still in progress wait.
        for (auto it = at_.noted.begin(); it != at_.noted.end();) {
            const auto recorded = at_.recordedLines.find(it->fileName);
            if (recorded == at_.recordedLines.end() || it->number > recorded->second) {
                ++it;
                continue;
            }
            block += std::string(1, static_cast<char>(it->kind)) + "\t" + Escaped(it->fileName) + "\t" +
                     std::to_string(it->number) + "\t" + Escaped(it->text) +
                     (it->column.empty() ? std::string() : "\t" + Escaped(it->column)) + "\n";
            it = at_.noted.erase(it);
        }
        const auto &lists = kCorrespondenceLists;
        for (std::size_t k = 0; k < lists.size(); ++k) {
            const int length = at.lengths[k];
            int &written = at_.written[k];
            if (length < written) {
                block += std::string("T\t") + lists[k].name + "\t" + std::to_string(length) + "\n";
                written = length;
            }
            for (int i = written; i < length; ++i)
                block += std::string("A\t") + lists[k].name + "\t" + Escaped(ItemOf(lists[k], state_, i)) + "\n";
            written = length;
        }
        for (const auto &[name, value] : at.generators) {
            auto it = at_.generators.find(name);
            if (it == at_.generators.end() || it->second != value) {
                block += "G\t" + Escaped(name) + "\t" + std::to_string(value) + "\n";
                at_.generators[name] = value;
            }
        }
        block += extra;
        if (block.empty())
            return;
        const std::uint64_t number = ++records_;
        block += Closing(block, number);
        if (!beforeCommit)
            block += "V\t" + std::to_string(number) + "\n";
        Write(block, true);
        if (beforeCommit) {
            beforePending_ = before;
            pending_ = number;
        }
    } catch (const std::exception &e) {
        Abandon(e);
    }
}

int LinesDoneBefore(const RunState &state, const std::string &fileName) {
    return state.journal ? state.journal->LinesDoneBefore(fileName) : 0;
}

} // namespace clinova
