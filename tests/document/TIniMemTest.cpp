#include "document/TIniMem.h"
#include "import/medical/RelancesConfig.h"
#include "normalized/Win1252.h"

#include "support/ReminderConfigExample.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace clinova;

TEST(TIniMem, ReminderConfigurationTextIsExact) {
    TIniMem ini;
    ini.WriteString("GENERAL", "Ancien", "1");
    FillRelancesConfig(ini, "", ImportedModelRelancesConfig("VACCIN", "Rage"));
    const std::string expected = FromUtf8(test::kRageReminderConfig);
    EXPECT_EQ(ini.GetText(), expected);
}

TEST(TIniMem, RewritingAKeyReplacesItsLineInPlaceWhateverTheLetterCase) {
    TIniMem ini;
    ini.WriteString("GENERAL", "Avant", "a");
    ini.WriteInteger("GENERAL", "CanUse", 1);
    ini.WriteString("GENERAL", "Apres", "b");
    ini.WriteInteger("general", "canuse", 0);
    EXPECT_EQ(ini.GetText(), "[GENERAL]\r\nAvant=a\r\ncanuse=0\r\nApres=b\r\n\r\n");
    EXPECT_EQ(ini.ReadString("General", "CANUSE", "?"), "0");
    EXPECT_EQ(ini.ReadString("General", "absent", "?"), "?");
    EXPECT_EQ(ini.ReadString("Autre", "Avant", "?"), "?");
    // Accented letters match across case too; the value keeps everything after the first "=".
    ini.WriteString(FromUtf8("Espèces"), "x", "a=b");
    EXPECT_EQ(ini.ReadString(FromUtf8("ESPÈCES"), "X", ""), "a=b");
}

TEST(TIniMem, ReadIntegerAndReadBoolTakeOnlyWholeIntegers) {
    TIniMem ini;
    const std::pair<const char *, int> cases[] = {
        {"0x1F", 31}, {"0X1f", 31}, {"$1F", 31},        {"-12", -12},
        {"+7", 7},    {"  42", 42}, {"12abc", -5},      {"0x", -5},
        {"", -5},     {"abc", -5},  {"2147483648", -5}, {"-2147483648", -2147483647 - 1},
        {"42 ", -5},  {"$", -5},    {"0xFFFFFFFF", -1},
    };
    for (const auto &[text, expected] : cases) {
        ini.WriteString("S", "k", text);
        EXPECT_EQ(ini.ReadInteger("S", "k", -5), expected) << text;
    }
    EXPECT_EQ(ini.ReadInteger("S", "absent", -5), -5);

    ini.WriteString("S", "b", "2");
    EXPECT_TRUE(ini.ReadBool("S", "b", false));
    ini.WriteString("S", "b", "0");
    EXPECT_FALSE(ini.ReadBool("S", "b", true));
    ini.WriteString("S", "b", "abc");
    EXPECT_TRUE(ini.ReadBool("S", "b", true));
    EXPECT_FALSE(ini.ReadBool("S", "b", false));
    ini.WriteBool("S", "b", true);
    EXPECT_EQ(ini.ReadString("S", "b", ""), "1");
}

TEST(TIniMem, SectionsListsAndDeletion) {
    TIniMem ini;
    EXPECT_EQ(ini.GetText(), "");
    ini.WriteStringList("Liste", {"chat", "chien"});
    ini.WriteString("Autre", "k", "v");
    ini.WriteStringList("liste", {"lapin"});
    // The list's section is written anew, after the others.
    EXPECT_EQ(ini.GetText(), "[Autre]\r\nk=v\r\n\r\n[liste]\r\ncount=1\r\nstr0=lapin\r\n\r\n");

    std::vector<std::string> list = {"stale"};
    ini.ReadSection("absent", list);
    EXPECT_TRUE(list.empty());
    ini.ReadSection("LISTE", list);
    EXPECT_EQ(list, (std::vector<std::string>{"count", "str0"}));
    ini.ReadSectionValues("liste", list);
    EXPECT_EQ(list, (std::vector<std::string>{"count=1", "str0=lapin"}));
    ini.ReadSections(list);
    EXPECT_EQ(list, (std::vector<std::string>{"Autre", "liste"}));

    ini.DeleteKey("liste", "absent");
    ini.DeleteKey("absent", "count");
    ini.DeleteKey("LISTE", "COUNT");
    ini.ReadSectionValues("liste", list);
    EXPECT_EQ(list, (std::vector<std::string>{"str0=lapin"}));

    ini.EraseSection("AUTRE");
    ini.DeleteKey("liste", "str0");
    // A section left without lines still gives its header and its empty line.
    EXPECT_EQ(ini.GetText(), "[liste]\r\n\r\n");
    ini.Clear();
    ini.ReadSections(list);
    EXPECT_TRUE(list.empty());
}

TEST(TIniMem, DatesTimesAndNumbersReadBackWhatWasWritten) {
    TIniMem ini;
    const DateTime when{{2019, 3, 5}, 14, 7, 9, 0};
    ini.WriteDate("T", "date", when.date);
    ini.WriteDateTime("T", "quand", when);
    ini.WriteTime("T", "heure", when);
    ini.WriteFloat("T", "poids", 4.25);
    EXPECT_EQ(ini.ReadString("T", "date", ""), "05/03/2019");
    EXPECT_EQ(ini.ReadString("T", "quand", ""), "05/03/2019 14:07:09");
    EXPECT_EQ(ini.ReadDate("T", "date", {}), when.date);
    EXPECT_EQ(ini.ReadDateTime("T", "quand", {}), when);
    EXPECT_EQ(ini.ReadDateTime("T", "date", {}), (DateTime{when.date, 0, 0, 0, 0}));
    EXPECT_EQ(ini.ReadTime("T", "heure", {}), (DateTime{{}, 14, 7, 9, 0}));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("T", "poids", 0), 4.25);

    const Date fallback{2000, 1, 1};
    for (const char *bad : {"", "31/02/2019", "5/3/19x", "hier"}) {
        ini.WriteString("T", "x", bad);
        EXPECT_EQ(ini.ReadDate("T", "x", fallback), fallback) << bad;
        EXPECT_DOUBLE_EQ(ini.ReadFloat("T", "x", -1.5), -1.5) << bad;
    }
    ini.WriteString("T", "x", "25:00");
    EXPECT_EQ(ini.ReadTime("T", "x", {}), DateTime{});
}

TEST(TIniMem, UpdateFileWritesTheText) {
    TIniMem ini;
    ini.WriteString("A", "x", "1");
    const auto path = std::filesystem::temp_directory_path() / "clinova_tinimem_test.ini";
    ini.SetFileName(path.string());
    ini.UpdateFile();
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "[A]\r\nx=1\r\n\r\n");
    in.close(); // Windows removes no open file
    std::filesystem::remove(path);

    ini.SetFileName((path / "no" / "such" / "folder.ini").string());
    EXPECT_ANY_THROW(ini.UpdateFile());
}
