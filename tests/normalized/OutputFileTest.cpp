// Files written into a folder that others can write: nothing planted at a name is ever written through or
// waited on.
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/OutputFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace clinova;
using clinova::testutil::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string Content(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in the folder other than the ones given.
std::vector<std::string> OtherNames(const TempFolder &folder, const std::vector<std::string> &known) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end())
            names.push_back(name);
    }
    return names;
}

} // namespace

TEST(OutputFile, ALinkOrAFifoAtTheNameIsReplacedNeverWrittenThrough) {
    TempFolder folder;
    TempFolder elsewhere;
    const std::string victim = elsewhere.File("profile");
    WriteWholeFile(victim, "precious\n");

    const std::string linked = folder.File("REJETS_CLIENTS.TXT");
    fs::create_symlink(victim, linked);
    EXPECT_EQ(WriteFileSafely(linked, "rejects\r\n"), EntryKind::Link);
    EXPECT_EQ(Content(victim), "precious\n");
    EXPECT_EQ(KindOfEntry(linked), EntryKind::RegularFile);
    EXPECT_EQ(Content(linked), "rejects\r\n");

    // A FIFO is never opened: a writer would wait on it for ever.
    const std::string fifo = folder.File("DOUBLONS_CLIENTS.TXT");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(WriteFileSafely(fifo, "duplicates\r\n"), EntryKind::Other);
    EXPECT_EQ(Content(fifo), "duplicates\r\n");

    // Things planted at the temporary names of an earlier version are passed over too.
    ASSERT_EQ(::mkfifo(folder.File("__fSourceIDClientList.txt.tmp").c_str(), 0666), 0);
    fs::create_symlink(victim, folder.File("__fDatabaseIDClientList.txt.tmp"));
    WriteFileSafely(folder.File("__fSourceIDClientList.txt"), "C1\r\n");
    WriteFileSafely(folder.File("__fDatabaseIDClientList.txt"), "1\r\n");
    EXPECT_EQ(Content(victim), "precious\n");
    EXPECT_EQ(Content(folder.File("__fSourceIDClientList.txt")), "C1\r\n");

    // A folder at the name is refused, and left as it was.
    const std::string dir = folder.File("AVERTISSEMENTS_CLIENTS.TXT");
    fs::create_directory(dir);
    EXPECT_THROW(WriteFileSafely(dir, "x"), FileError);
    EXPECT_EQ(KindOfEntry(dir), EntryKind::Folder);

    // No temporary file stays behind.
    EXPECT_EQ(OtherNames(folder, {"REJETS_CLIENTS.TXT", "DOUBLONS_CLIENTS.TXT", "__fSourceIDClientList.txt.tmp",
                                  "__fDatabaseIDClientList.txt.tmp", "__fSourceIDClientList.txt",
                                  "__fDatabaseIDClientList.txt", "AVERTISSEMENTS_CLIENTS.TXT"}),
              std::vector<std::string>{});
}

TEST(OutputFile, TheOldContentStaysUntilTheNewOneIsWholeAndAPublishedFileIsSeenAsItGrows) {
    TempFolder folder;
    const std::string path = folder.File("__fSourceIDAnimalList.txt");
    WriteWholeFile(path, "old\r\n");
    {
        OutputFile file(path);
        file.Write("new");
        EXPECT_EQ(Content(path), "old\r\n");
        // Never committed (an error ended the writing): the old file is intact, the temporary one gone.
    }
    EXPECT_EQ(Content(path), "old\r\n");
    EXPECT_EQ(OtherNames(folder, {"__fSourceIDAnimalList.txt"}), std::vector<std::string>{});

    // The log takes its name at once: a killed run leaves what it wrote so far.
    const std::string log = folder.File("journal.txt");
    fs::create_symlink(folder.File("elsewhere.txt"), log);
    OutputFile file(log);
    EXPECT_EQ(file.Publish(), EntryKind::Link);
    file.Write("DEBUT import doImportationUsers\n");
    EXPECT_EQ(Content(log), "DEBUT import doImportationUsers\n");
    EXPECT_FALSE(fs::exists(folder.File("elsewhere.txt")));
}

TEST(OutputFile, OnlyRegularFilesAreReadAndRemovingALinkLeavesItsTarget) {
    TempFolder folder;
    TempFolder elsewhere;
    const std::string secret = elsewhere.File("secret");
    WriteWholeFile(secret, "key\n");

    fs::create_symlink(secret, folder.File("CLIENTS.TXT"));
    ASSERT_EQ(::mkfifo(folder.File("ANIMAUX.TXT").c_str(), 0666), 0);
    fs::create_directory(folder.File("CONSULTATIONS.TXT"));
    for (const char *name : {"CLIENTS.TXT", "ANIMAUX.TXT", "CONSULTATIONS.TXT"}) {
        try {
            LineReader reader(folder.File(name)); // a FIFO would block here if it were opened
            FAIL() << name;
        } catch (const FileError &e) {
            EXPECT_NE(std::string(e.what()).find("pas un fichier ordinaire"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(KindOfEntry(folder.File("CLIENTS.TXT")), EntryKind::Link);
    EXPECT_EQ(KindOfEntry(folder.File("ANIMAUX.TXT")), EntryKind::Other);
    EXPECT_EQ(KindOfEntry(folder.File("ABSENT.TXT")), EntryKind::Missing);

    RemoveOutputFile(folder.File("CLIENTS.TXT"));
    EXPECT_EQ(KindOfEntry(folder.File("CLIENTS.TXT")), EntryKind::Missing);
    EXPECT_EQ(Content(secret), "key\n");
    RemoveOutputFile(folder.File("CONSULTATIONS.TXT"));
    EXPECT_EQ(KindOfEntry(folder.File("CONSULTATIONS.TXT")), EntryKind::Folder);
}

TEST(OutputFile, OnlyTheTemporariesOfOurFilesAreRemovedAsLeftovers) {
    TempFolder folder;
    const std::vector<std::string> kept = {"CLIENTS.TXT", "notes.0123456789ab.tmp", "REJETS_CLIENTS.TXT.0123456789AB.tmp",
                                           "A B.TXT.0123456789ab.tmp", "LIEN.TXT.0123456789ab.tmp"};
    for (const auto &name : kept)
        if (name.rfind("LIEN", 0) != 0)
            WriteWholeFile(folder.File(name), "x");
    fs::create_symlink(folder.File("CLIENTS.TXT"), folder.File("LIEN.TXT.0123456789ab.tmp"));
    WriteWholeFile(folder.File("REJETS_CLIENTS.TXT.0123456789ab.tmp"), "x");
    WriteWholeFile(folder.File("__fSourceIDClientList.txt.fedcba987654.tmp"), "x");
    WriteWholeFile(folder.File("JOURNAL_IMPORTATION.TXT.00000000000a.tmp"), "x");

    EXPECT_EQ(RemoveLeftoverTemporaries(folder.Path() + "/"), 3);
    EXPECT_TRUE(OtherNames(folder, kept).empty());
    for (const auto &name : kept)
        EXPECT_NE(KindOfEntry(folder.File(name)), EntryKind::Missing) << name;
}
