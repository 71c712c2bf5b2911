#include "app/ImportJournal.h"

#include "app/RunState.h"
#include "database/Statement.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace clinova {

namespace {

constexpr const char *kMagic = "JOURNAL_IMPORTATION\t1";
constexpr const char *kFinished = "FIN";
// The settings that do not change what a run writes, or that belong to this attempt only.
// The server's address is not among them: a server restarted after the crash may listen elsewhere.
constexpr const char *kNotShaping[] = {"cbReprise", "cbSauvegardeAvant", "edPathSauvegarde", "cbCommitParLigne",
                                      "RadioButtonLocal", "RadioButtonIP", "edIP1", "edIP2", "edIP3", "edIP4"};

// Every list a later step reads, by the name the journal gives it.
struct JournaledList {
    const char *name;
    IdentifierList *(*ids)(RunState &) = nullptr;
    TIntegerList *(*ints)(RunState &) = nullptr;
    std::vector<std::string> *(*texts)(RunState &) = nullptr;
};

#define CLINOVA_IDS(path, name) JournaledList{name, [](RunState &s) { return &s.path; }, nullptr, nullptr}
#define CLINOVA_INTS(path, name) JournaledList{name, nullptr, [](RunState &s) { return &s.path; }, nullptr}
#define CLINOVA_TEXTS(path, name) JournaledList{name, nullptr, nullptr, [](RunState &s) { return &s.path; }}

const std::vector<JournaledList> &JournaledLists() {
    static const std::vector<JournaledList> lists = {
        CLINOVA_IDS(lists.fSourceIDClientList, "fSourceIDClientList"),
        CLINOVA_INTS(lists.fDatabaseIDClientList, "fDatabaseIDClientList"),
        CLINOVA_IDS(lists.fSourceIDAnimalList, "fSourceIDAnimalList"),
        CLINOVA_INTS(lists.fDatabaseIDAnimalList, "fDatabaseIDAnimalList"),
        CLINOVA_INTS(lists.fDatabaseIDClientOfIDAnimalList, "fDatabaseIDClientOfIDAnimalList"),
        CLINOVA_IDS(lists.fSourceIDConsultList, "fSourceIDConsultList"),
        CLINOVA_INTS(lists.fDatabaseIDConsultList, "fDatabaseIDConsultList"),
        CLINOVA_IDS(lists.fSourceIDEventList, "fSourceIDEventList"),
        CLINOVA_INTS(lists.fDatabaseIDEventList, "fDatabaseIDEventList"),
        CLINOVA_IDS(lists.fSourceIDRelanceList, "fSourceIDRelanceList"),
        CLINOVA_INTS(lists.fDatabaseIDRelanceList, "fDatabaseIDRelanceList"),
        CLINOVA_IDS(lists.fPreviousSourceIDAnimalList, "fPreviousSourceIDAnimalList"),
        CLINOVA_IDS(lists.fSourceIDNewAnimalList, "fSourceIDNewAnimalList"),
        CLINOVA_TEXTS(lists.fEventModelLabelList, "fEventModelLabelList"),
        CLINOVA_TEXTS(lists.fEventModelCategoryList, "fEventModelCategoryList"),
        CLINOVA_TEXTS(fSourceIDUserList, "fSourceIDUserList"),
        CLINOVA_INTS(fDatabaseIDUserList, "fDatabaseIDUserList"),
        CLINOVA_IDS(fSourceIDContactList, "fSourceIDContactList"),
        CLINOVA_INTS(fDatabaseIDContactList, "fDatabaseIDContactList"),
        CLINOVA_TEXTS(fContactNameList, "fContactNameList"),
    };
    return lists;
}

#undef CLINOVA_IDS
#undef CLINOVA_INTS
#undef CLINOVA_TEXTS

// The lists are only read here; the accessors take the state as the steps hold it.
int LengthOf(const JournaledList &list, const RunState &state) {
    RunState &s = const_cast<RunState &>(state);
    if (list.ids)
        return list.ids(s)->Count();
    if (list.ints)
        return list.ints(s)->Count();
    return static_cast<int>(list.texts(s)->size());
}

std::string ItemOf(const JournaledList &list, const RunState &state, int i) {
    RunState &s = const_cast<RunState &>(state);
    if (list.ids)
        return std::string((*list.ids(s))[i]);
    if (list.ints)
        return std::to_string(list.ints(s)->Get(i));
    return (*list.texts(s))[static_cast<std::size_t>(i)];
}

void AddTo(const JournaledList &list, RunState &state, const std::string &value) {
    if (list.ids)
        list.ids(state)->Add(value);
    else if (list.ints)
        list.ints(state)->Add(static_cast<std::int32_t>(std::stol(value)));
    else
        list.texts(state)->push_back(value);
}

void TruncateTo(const JournaledList &list, RunState &state, int length) {
    if (list.ids)
        list.ids(state)->Truncate(length);
    else if (list.ints)
        list.ints(state)->SetCount(std::min(length, list.ints(state)->Count()));
    else if (static_cast<std::size_t>(length) < list.texts(state)->size())
        list.texts(state)->resize(static_cast<std::size_t>(length));
}

// A field of a journal line: tabs, line ends and the escape itself written as %XX.
std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '%')
            out += fmt::format("%{:02X}", u);
        else
            out += c;
    }
    return out;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

// Size, time of the last change and a hash of the first and last mebibyte: what a copy over the file, an edit
// or a new export changes.
std::string Fingerprint(const std::string &folder, const std::string &name) {
    const std::string path = folder + name;
    const EntryKind kind = KindOfEntry(path);
    if (kind == EntryKind::Missing)
        return "F\t" + Escaped(name) + "\tabsent";
    if (kind != EntryKind::RegularFile)
        return "F\t" + Escaped(name) + "\tautre";
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const auto time = std::filesystem::last_write_time(path, ec).time_since_epoch().count();
    std::uint64_t hash = 1469598103934665603ull;
    const FilePtr file = OpenRegularFileForReading(path);
    constexpr std::size_t kPart = 1 << 20;
    std::vector<char> buffer(kPart);
    const auto mix = [&](std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
    };
    mix(std::fread(buffer.data(), 1, kPart, file.get()));
    if (size > 2 * kPart && std::fseek(file.get(), -static_cast<long>(kPart), SEEK_END) == 0)
        mix(std::fread(buffer.data(), 1, kPart, file.get()));
    return fmt::format("F\t{}\t{}\t{}\t{:016x}", Escaped(name), size, static_cast<long long>(time), hash);
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

std::string JournalPath(const RunState &state) { return state.SourcePath(JournalFileName()); }

} // namespace

const std::string &JournalFileName() {
    static const std::string name = "JOURNAL_IMPORTATION.TXT";
    return name;
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
    if (bytes.rfind(std::string(kMagic) + "\n", 0) != 0)
        throw notAJournal();

    JournalContents contents;
    JournalContents pending; // what the record being read adds, kept once its closing line is read
    bool headerDone = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\n', start);
        if (end == std::string::npos)
            break; // a line cut by the crash
        const std::string_view line(bytes.data() + start, end - start);
        const std::size_t next = end + 1;
        if (start == 0) {
            start = next;
            continue;
        }
        if (line == kFinished) {
            contents.finished = true;
            contents.text = bytes.substr(0, next);
            break;
        }
        const std::vector<std::string> f = Fields(line);
        const std::string &kind = f[0];
        try {
            if (kind == "V") {
                for (auto &option : pending.options)
                    contents.options.push_back(std::move(option));
                for (auto &print : pending.fingerprints)
                    contents.fingerprints.push_back(std::move(print));
                for (const auto &[name, value] : pending.generators)
                    contents.generators[name] = value;
                for (const auto &[name, value] : pending.linesDone)
                    contents.linesDone[name] = value;
                contents.stepsDone.insert(pending.stepsDone.begin(), pending.stepsDone.end());
                for (auto &change : pending.lists)
                    contents.lists.push_back(std::move(change));
                for (auto &[file, lines] : pending.noted)
                    for (auto &[number, line] : lines)
                        contents.noted[file][number] = std::move(line);
                pending = JournalContents();
                contents.text = bytes.substr(0, next);
                headerDone = true;
            } else if (kind == "O" && f.size() == 3) {
                pending.options.emplace_back(f[1], f[2]);
            } else if (kind == "F") {
                pending.fingerprints.emplace_back(line);
            } else if ((kind == "I" || kind == "G") && f.size() == 3) {
                pending.generators[f[1]] = std::stoll(f[2]);
            } else if (kind == "E" && f.size() == 3) {
                pending.linesDone[f[1]] = std::stoi(f[2]);
            } else if (kind == "S" && f.size() == 2) {
                pending.stepsDone.insert(f[1]);
            } else if (kind == "A" && f.size() == 3) {
                pending.lists.push_back({f[1], false, 0, f[2]});
            } else if ((kind == "R" || kind == "W" || kind == "L") && f.size() == 4) {
                pending.noted[f[1]][std::stoi(f[2])] = {static_cast<NotedKind>(kind[0]), f[3]};
            } else if (kind == "T" && f.size() == 3) {
                pending.lists.push_back({f[1], true, std::stoi(f[2]), {}});
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
    : state_(state), file_(std::move(file)), written_(JournaledLists().size(), 0) {
    state_.db.SetCommitObserver([this] { Committed(); });
}

ImportJournal::~ImportJournal() { state_.db.SetCommitObserver(nullptr); }

std::unique_ptr<ImportJournal> ImportJournal::Start(RunState &state, const std::vector<std::string> &files) {
    std::string header = std::string(kMagic) + "\n";
    for (const auto &[name, value] : ShapingOptions(state.options))
        header += "O\t" + Escaped(name) + "\t" + Escaped(value) + "\n";
    for (const auto &name : files)
        header += Fingerprint(state.PathSources, name) + "\n";
    const auto generators = GeneratorValues(state.db);
    for (const auto &[name, value] : generators)
        header += "I\t" + Escaped(name) + "\t" + std::to_string(value) + "\n";
    header += "V\t0\n";

    auto file = std::make_unique<OutputFile>(JournalPath(state));
    file->Write(header);
    file->Sync();
    file->Publish();
    std::unique_ptr<ImportJournal> journal(new ImportJournal(state, std::move(file)));
    journal->generators_ = generators;
    return journal;
}

std::unique_ptr<ImportJournal> ImportJournal::Resume(RunState &state, const JournalContents &contents) {
    const auto &lists = JournaledLists();
    for (const auto &list : lists)
        TruncateTo(list, state, 0);
    for (const auto &change : contents.lists) {
        const auto list = std::find_if(lists.begin(), lists.end(),
                                       [&](const JournaledList &l) { return change.list == l.name; });
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

    // The journal read is written again whole, then takes the name: a crash in between leaves the old one.
    auto file = std::make_unique<OutputFile>(JournalPath(state));
    file->Write(contents.text);
    file->Sync();
    file->Publish();
    std::unique_ptr<ImportJournal> journal(new ImportJournal(state, std::move(file)));
    for (std::size_t k = 0; k < lists.size(); ++k)
        journal->written_[k] = LengthOf(lists[k], state);
    journal->generators_ = contents.generators;
    journal->recordedLines_ = contents.linesDone;
    journal->linesDoneBefore_ = contents.linesDone;
    journal->stepsDoneBefore_ = contents.stepsDone;
    journal->notedBefore_ = contents.noted;
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

void ImportJournal::LineNoted(const std::string &fileName, int number, NotedKind kind, const std::string &text) {
    noted_.push_back({fileName, number, kind, text});
}

ImportJournal::Snapshot ImportJournal::Take() const {
    Snapshot snapshot;
    const auto &lists = JournaledLists();
    snapshot.lengths.reserve(lists.size());
    for (const auto &list : lists)
        snapshot.lengths.push_back(LengthOf(list, state_));
    snapshot.generators = state_.db.LastDrawnIDs();
    return snapshot;
}

void ImportJournal::LineStarting(const std::string &fileName, int number) {
    if (fileName != fileName_) {
        fileName_ = fileName;
        const auto it = recordedLines_.find(fileName);
        doneLine_ = it == recordedLines_.end() ? 0 : it->second;
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
    const auto it = recordedLines_.find(fileName);
    if (it == recordedLines_.end() || it->second < doneLine_)
        Record({}, Take());
}

void ImportJournal::StepDone(const std::string &stepName) {
    inLine_ = false;
    Record("S\t" + Escaped(stepName) + "\n", Take());
}

void ImportJournal::Finish() {
    if (failed_ || finished_)
        return;
    finished_ = true;
    try {
        file_->Write(std::string(kFinished) + "\n");
        file_->Sync();
    } catch (const Error &e) {
        state_.op.AddToLog(JournalFileName() + "/" + e.what());
    }
}

void ImportJournal::Committed() noexcept {
    if (inLine_) {
        // The rows of the line in progress are not all written: the lines before it are the ones committed.
        const int done = doneLine_;
        doneLine_ = lineNumber_ - 1;
        Record({}, beforeLine_);
        doneLine_ = done;
        return;
    }
    Record({}, Take());
}

void ImportJournal::Record(const std::string &extra, const Snapshot &at) noexcept {
    if (failed_ || finished_)
        return;
    try {
        std::string block;
        if (!fileName_.empty()) {
            int &recorded = recordedLines_[fileName_];
            if (doneLine_ > recorded) {
                block += "E\t" + Escaped(fileName_) + "\t" + std::to_string(doneLine_) + "\n";
                recorded = doneLine_;
            }
        }
        // The noted lines the record covers; those of lines still in progress wait.
        for (auto it = noted_.begin(); it != noted_.end();) {
            const auto recorded = recordedLines_.find(it->fileName);
            if (recorded == recordedLines_.end() || it->number > recorded->second) {
                ++it;
                continue;
            }
            block += std::string(1, static_cast<char>(it->kind)) + "\t" + Escaped(it->fileName) + "\t" +
                     std::to_string(it->number) + "\t" + Escaped(it->text) + "\n";
            it = noted_.erase(it);
        }
        const auto &lists = JournaledLists();
        for (std::size_t k = 0; k < lists.size(); ++k) {
            const int length = at.lengths[k];
            if (length < written_[k]) {
                block += std::string("T\t") + lists[k].name + "\t" + std::to_string(length) + "\n";
                written_[k] = length;
            }
            for (int i = written_[k]; i < length; ++i)
                block += std::string("A\t") + lists[k].name + "\t" + Escaped(ItemOf(lists[k], state_, i)) + "\n";
            written_[k] = length;
        }
        for (const auto &[name, value] : at.generators) {
            auto it = generators_.find(name);
            if (it == generators_.end() || it->second != value) {
                block += "G\t" + Escaped(name) + "\t" + std::to_string(value) + "\n";
                generators_[name] = value;
            }
        }
        block += extra;
        if (block.empty())
            return;
        block += "V\t" + std::to_string(++records_) + "\n";
        file_->Write(block);
        file_->Sync();
    } catch (const std::exception &e) {
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
}

int LinesDoneBefore(const RunState &state, const std::string &fileName) {
    return state.journal ? state.journal->LinesDoneBefore(fileName) : 0;
}

} // namespace clinova
