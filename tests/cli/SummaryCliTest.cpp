// What clinova-import prints at the end of an import: the summary table and the exit status.
#include "cli/CliApp.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace clinova;

TEST(SummaryCli, TheFeeScheduleWithoutTauxTvaIsMarkedAndEndsWithStatusThree) {
    test::TempDir dir;
    const std::string db = dir.File("NEW.FDB");
    ASSERT_EQ(test::RunCommand({"create-database", db}).status, kExitOk);
    std::filesystem::create_directory(dir.path() / "source");
    dir.Write("source/CATEGORIES_ACTES.TXT", "ID_CATEGORIE\tLIBELLE_CATEGORIE\r\n1\tConsultations\r\n");
    dir.Write("source/TARIFS_ACTES.TXT",
              "ID_CATEGORIE\tID_CODE_ACTE\tLIBELLE\tPRIX_VENTE_TTC\r\n1\tC1\tVisite\t3500\r\n");
    dir.Write("source/VILLES.TXT", "CODE_POSTAL\tVILLE\r\n17000\tLa Rochelle\r\n17440\tAytr\xE9\r\n");

    const auto run = test::RunCommand({"import", "--database", db, "--source", dir.File("source"), "--yes"});
    EXPECT_EQ(run.status, kExitLinesFailed) << run.out << run.err;
    EXPECT_NE(run.out.find("TARIFS_ACTES.TXT/manque colonne obligatoire \"TAUX_TVA\"\n"), std::string::npos) << run.out;
    const auto start = run.out.find("Résumé de l'importation :\n");
    ASSERT_NE(start, std::string::npos) << run.out;
    // The times depend on the machine: they are read as "d,d s".
    const std::string summary = std::regex_replace(run.out.substr(start), std::regex(" *[0-9]+,[0-9] s\n"), " T\n");
    EXPECT_EQ(summary, "Résumé de l'importation :\n"
                       "Fichier           lues importées doublons ignorées échecs durée\n"
                       "VILLES.TXT           2         2        0        0      0 T\n"
                       "TARIFS_ACTES.TXT  non importé : colonnes obligatoires manquantes\n"
                       "Total                2         2        0        0      0 T\n"
                       "Fichiers écrits dans " + dir.File("source") + "/ :\n"
                       "  JOURNAL_IMPORTATION.TXT\n"
                       "  RAPPORT_IMPORTATION.html\n")
        << "the journal and the report alone: the towns keep no list";
}
