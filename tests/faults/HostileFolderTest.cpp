// An export folder written by someone who means harm: links at every name the tool writes, FIFOs at the
// temporary names an earlier version used, a UTF-8 file, a NUL byte, a folder where a file should be. The run
// writes nothing outside the folder, never hangs, and accounts for every line with the right exit status.

#include "faults/FaultSupport.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <regex>

#include <sys/stat.h>

using namespace clinova;
using namespace clinova::test;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kSourceFiles = {
    "CLIENTS.TXT",      "ANIMAUX.TXT",          "CONSULTATIONS.TXT", "NOTES.TXT",     "EVENEMENTS.TXT",
    "RELANCES.TXT",     "POIDS.TXT",            "VILLES.TXT",        "RENDEZ_VOUS.TXT", "CONTACTS.TXT",
    "CATEGORIES_ACTES.TXT", "TARIFS_ACTES.TXT", "INVENTAIRE.TXT",    "POSOLOGIES.TXT"};

// Every name the tool writes into the folder.
std::vector<std::string> OutputNames() {
    std::vector<std::string> names = {"DOUBLONS_CLIENTS.TXT", "DOUBLONS_ANIMAUX.TXT", "DOUBLONS_CONSULTATIONS.TXT",
                                      "journal.txt"};
    for (const auto &file : kSourceFiles) {
        names.push_back("REJETS_" + file);
        names.push_back("AVERTISSEMENTS_" + file);
    }
    for (const char *list : {"fSourceIDClientList", "fDatabaseIDClientList", "fSourceIDAnimalList",
                             "fDatabaseIDAnimalList", "fDatabaseIDClientOfIDAnimalList", "fSourceIDConsultList",
                             "fDatabaseIDConsultList", "fSourceIDEventList", "fDatabaseIDEventList",
                             "fSourceIDRelanceList", "fDatabaseIDRelanceList"})
        names.push_back(std::string("__") + list + ".txt");
    return names;
}

} // namespace

TEST(HostileFolder, NothingIsWrittenOutsideTheFolderNothingHangsEveryLineIsAccountedFor) {
    TempDir dir;
    TempDir elsewhere;
    const std::string database = FreshDatabase(dir);
    const std::string sources = CopyPractice(dir);
    const std::string victim = elsewhere.File("startup-script");
    WriteWholeFile(victim, "echo hello\n");

    for (const auto &name : OutputNames())
        fs::create_symlink(victim, sources + name);
    for (const char *name : {"REJETS_CLIENTS.TXT.tmp", "__fSourceIDClientList.txt.tmp", "DOUBLONS_CLIENTS.TXT.tmp"})
        ASSERT_EQ(::mkfifo((sources + name).c_str(), 0666), 0);
    // The towns in UTF-8, a NUL byte in the notes, a folder where the appointments should be.
    WriteWholeFile(sources + "VILLES.TXT", "CODE_POSTAL\tVILLE\r\n17440\tAytr\xC3\xA9\r\n17000\tLa Rochelle\r\n");
    std::string notes = ReadWholeFile(sources + "NOTES.TXT");
    notes.insert(notes.find("\r\n", notes.find("\r\n") + 2), std::string(1, '\0'));
    WriteWholeFile(sources + "NOTES.TXT", notes);
    fs::remove(sources + "RENDEZ_VOUS.TXT");
    fs::create_directory(sources + "RENDEZ_VOUS.TXT");

    ChildProcess child({"import", "--source", sources, "--database", database, "--yes", "--log",
                        sources + "journal.txt", "--set", "cbDedoublonageClients=1", "--set",
                        "cbDedoublonageAnimaux=1", "--set", "cbDedoublonageConsult=1"});
    const int status = child.Wait(std::chrono::seconds(240));
    ASSERT_NE(status, -1) << "the run hung:\n" << child.Out() << child.Err();
    EXPECT_EQ(status, 3) << child.Out() << child.Err();

    EXPECT_EQ(ReadWholeFile(victim), "echo hello\n") << "written through a link";
    // Every name written was replaced by a file of the run; the reports of the two files left aside were not
    // written at all, so what was planted there stays, untouched.
    for (const auto &name : OutputNames()) {
        if (name.find("_VILLES.TXT") != std::string::npos || name.find("_RENDEZ_VOUS.TXT") != std::string::npos)
            continue;
        const EntryKind kind = KindOfEntry(sources + name);
        EXPECT_TRUE(kind == EntryKind::RegularFile || kind == EntryKind::Missing) << name;
    }

    const std::string &out = child.Out();
    // The summary's row of a file, its spaces of alignment made single.
    const auto row = [&out](const std::string &file) {
        for (std::size_t at = out.find("\n" + file + " "); at != std::string::npos;
             at = out.find("\n" + file + " ", at + 1)) {
            std::string line = out.substr(at + 1, out.find('\n', at + 1) - at - 1);
            if (line.find('/') != std::string::npos)
                continue;
            std::string single;
            for (const char c : line)
                if (c != ' ' || single.empty() || single.back() != ' ')
                    single += c;
            return single;
        }
        return std::string();
    };
    EXPECT_EQ(row("VILLES.TXT"), "VILLES.TXT non importé : codé en UTF-8") << out;
    EXPECT_EQ(row("RENDEZ_VOUS.TXT"), "RENDEZ_VOUS.TXT non importé : pas un fichier ordinaire") << out;
    EXPECT_NE(out.find("NOTES.TXT/caractère NUL ligne 1 : la suite du fichier est ignorée, 10 lignes non lues"),
              std::string::npos)
        << out;
    // Its counts, then in the table of the optional counts its 10 lines not read.
    EXPECT_EQ(row("NOTES.TXT").rfind("NOTES.TXT 1 1 0 0 0 ", 0), 0u) << out;
    EXPECT_TRUE(std::regex_search(out, std::regex("\nFichier .*non lues.*\n([^\n]*\n)*NOTES\\.TXT +([0-9]+ +)?10( +[0-9]+)?\n")))
        << out;
    EXPECT_NE(out.find("un lien symbolique portait ce nom"), std::string::npos) << out;
    // The log file holds what stdout held.
    EXPECT_EQ(ReadWholeFile(sources + "journal.txt"), child.Out());
}

namespace {

// Appends to a file of the folder lines whose column holds size bytes in all, the piece repeated, the other
// columns taken from values.
void AppendLongLines(const std::string &path, const std::string &column, std::size_t size, int lines,
                     const std::map<std::string, std::string> &values, std::string_view piece = "z") {
    const std::string header = SplitLines(ReadWholeFile(path)).lines.at(0);
    std::string line;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t tab = header.find('\t', start);
        const std::string name = header.substr(start, tab == std::string::npos ? tab : tab - start);
        if (!first)
            line += '\t';
        if (name == column)
            for (std::size_t n = size / static_cast<std::size_t>(lines), i = 0; i < n; ++i)
                line += piece[i % piece.size()];
        else if (const auto value = values.find(name); value != values.end())
            line += value->second;
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    std::string content = ReadWholeFile(path);
    if (!content.ends_with("\r\n"))
        content += "\r\n";
    for (int i = 0; i < lines; ++i)
        content += line + "\r\n";
    WriteWholeFile(path, content);
}

long ImportPeakKB(const std::string &sources, const std::string &database) {
    ChildProcess child({"import", "--source", sources, "--database", database, "--yes"});
    EXPECT_NE(child.Wait(std::chrono::seconds(240)), -1);
    return child.MaxResidentKB();
}

} // namespace

TEST(HostileFolder, MemoryStaysWithinFourTimesTheLongestLine) {
    // A 16 MB memo in each file that turns its text into something else: a note, a document, a fee's
    // description, a contact's or an appointment's notes; and a consultation of millions of short lines, each
    // a paragraph of its document. The baseline writes the same bytes in lines of 1 MB, so that what the
    // database engine keeps of the pages it wrote is in both runs.
    constexpr std::size_t kLong = 16 * 1024 * 1024;
    const auto longLines = [&](const std::string &sources, int lines) {
        AppendLongLines(sources + "CLIENTS.TXT", "NOTES", kLong, lines, {{"ID_CLIENT", "C9001"}, {"NOM", "LONG"}});
        AppendLongLines(sources + "ANIMAUX.TXT", "NOTES", kLong, lines, {{"ID_ANIMAL", "A9001"}, {"ID_CLIENT", "C0001"}});
        AppendLongLines(sources + "CONSULTATIONS.TXT", "CONSULTATION", kLong, lines,
                        {{"ID_ANIMAL", "A0001"}, {"ID_CLIENT", "C0001"}, {"DATE_CONSULTATION", "01/01/2024"}});
        AppendLongLines(sources + "CONSULTATIONS.TXT", "CONSULTATION", kLong, lines,
                        {{"ID_ANIMAL", "A0001"}, {"ID_CLIENT", "C0001"}, {"DATE_CONSULTATION", "02/01/2024"}},
                        "abc\v");
        AppendLongLines(sources + "NOTES.TXT", "NOTES", kLong, lines, {{"ID_ANIMAL", "A0001"}, {"DATE", "01/01/2024"}});
        AppendLongLines(sources + "CONTACTS.TXT", "NOTES", kLong, lines, {{"ID_CONTACT", "CT900"}, {"NOM", "LONG"}});
        AppendLongLines(sources + "TARIFS_ACTES.TXT", "DESCRIPTION", kLong, lines,
                        {{"ID_CATEGORIE", "1"}, {"ID_CODE_ACTE", "ZZ"}, {"LIBELLE", "Long"}});
        AppendLongLines(sources + "RENDEZ_VOUS.TXT", "NOTES", kLong, lines,
                        {{"ID_USER", "V01"}, {"DATE", "01/02/2024"}, {"HEURE", "10"}, {"MINUTE", "0"},
                         {"DUREE_EN_MINUTES", "15"}, {"ID_CLIENT", "C0001"}, {"ID_ANIMAL", "A0001"}});
        return sources;
    };
    TempDir dir;
    const long baseline = ImportPeakKB(longLines(CopyPractice(dir, "short"), 16), FreshDatabase(dir, "SHORT.FDB"));
    const long peak = ImportPeakKB(longLines(CopyPractice(dir, "long"), 1), FreshDatabase(dir, "LONG.FDB"));
    const double multiple = static_cast<double>(peak - baseline) * 1024 / kLong;
    EXPECT_LE(multiple, 4.0) << "peak " << peak << " KB, baseline " << baseline << " KB";
}
