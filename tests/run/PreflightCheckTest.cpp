// The check of a source folder against small folders written for each case: what it reports, line by line.
#include "run/PreflightCheck.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>

using namespace clinova;

namespace {

// A normalized file: lines written in UTF-8 here, stored as Windows-1252 with CR LF.
std::string File1252(const std::vector<std::string> &lines) {
    std::string bytes;
    for (const auto &line : lines)
        bytes += FromUtf8(line) + "\r\n";
    return bytes;
}

struct Check {
    test::TempDir dir;
    test::ScriptedOperator op;
    ImportOptions options;
    std::vector<FileCheckBox ImportOptions::*> unticked; // by the operator, after the scan

    void Write(const std::string &name, const std::vector<std::string> &lines) { dir.Write(name, File1252(lines)); }

    // Offers the files of the folder as the scan does, then checks them.
    PreflightResult Run() {
        RunState state(op, options);
        ScanSourceFolder(state, dir.Folder());
        for (const auto box : unticked)
            (state.options.*box).checked = false;
        return CheckSourceFolder(op, state.PathSources, state.options);
    }

    // The problem lines of the log: what comes before the closing counts.
    std::vector<std::string> Problems() const {
        const auto end = std::find(op.log.begin(), op.log.end(), "Résumé de la vérification :");
        return {op.log.begin(), end};
    }
};

const PreflightCount *CountOf(const PreflightResult &result, const std::string &fileName) {
    for (const auto &count : result.files)
        if (count.fileName == fileName)
            return &count;
    return nullptr;
}

const std::string kEventHeader = "ID_EVENEMENT\tID_ANIMAL\tID_CLIENT\tLIBELLE_CATEGORIE\tLIBELLE_EVENEMENT\tDATE_"
                                 "EVENEMENT\tRELANCE_PREVU_DANS_JOURS";

} // namespace

TEST(PreflightCheck, ReportsEachFieldThatWouldFailItsLineWithLineColumnAndValue) {
    Check c;
    c.Write("CLIENTS.TXT", {"ID_CLIENT\tNOM\tDATE_CREATION\tRELANCE_SMS\tREMISE_ACTES\tFIDELITE_CREER_CARTE\t"
                            "FIDELITE_TOTAL_ACHATS",
                            "C1\tDUPONT\t 14/03/2008 \t1\t\t0\tpas lu sans carte", "C2\tMARTIN\t31/02/2020\t0\t5\t0\t",
                            "", "C4\tPETIT\t\t\tdix\t1\t"});
    c.Write("RENDEZ_VOUS.TXT",
            {"ID_USER\tDATE\tHEURE\tMINUTE\tMOTIF\tDUREE_EN_MINUTES", "DR1\t04/03/2024\t23\t59\tVaccin\t20",
             "DR1\t04/03/2024\t24\t0\tUrgence\t20", "DR1\t\t9\t-1\tContrôle\t", "DR1\t05/03/2024\t9\t30\tBilan\t30"});

    const PreflightResult result = c.Run();

    EXPECT_EQ(c.Problems(), (std::vector<std::string>{
                                "CLIENTS.TXT/ligne 2/DATE_CREATION : '31/02/2020' n'est pas une date correcte",
                                "CLIENTS.TXT/ligne 4/RELANCE_SMS : '' n'est pas une valeur entière correcte",
                                "CLIENTS.TXT/ligne 4/REMISE_ACTES : 'dix' n'est pas une valeur entière correcte",
                                "CLIENTS.TXT/ligne 4/FIDELITE_TOTAL_ACHATS : '' n'est pas une valeur entière correcte",
                                "RENDEZ_VOUS.TXT/ligne 2/HEURE : '24' n'est pas compris entre 0 et 23",
                                "RENDEZ_VOUS.TXT/ligne 3/DATE : '' n'est pas une date correcte",
                                "RENDEZ_VOUS.TXT/ligne 3/MINUTE : '-1' n'est pas compris entre 0 et 59",
                                "RENDEZ_VOUS.TXT/ligne 3/DUREE_EN_MINUTES : '' n'est pas une valeur entière correcte",
                            }));
    // The empty line is not read, but it keeps its number.
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.files[0].fileName, "CLIENTS.TXT");
    EXPECT_EQ(result.files[0].read, 3);
    EXPECT_EQ(result.files[0].withProblems, 2);
    EXPECT_EQ(result.files[0].fileProblems, 0);
    EXPECT_EQ(result.files[1].read, 4);
    EXPECT_EQ(result.files[1].withProblems, 2);
    EXPECT_FALSE(result.Clean());
    EXPECT_EQ(std::vector<std::string>(c.op.log.end() - 4, c.op.log.end()),
              (std::vector<std::string>{"Résumé de la vérification :", "CLIENTS.TXT : 3 lues, 2 à corriger",
                                        "RENDEZ_VOUS.TXT : 4 lues, 2 à corriger",
                                        "4 ligne(s) à corriger, 0 problème(s) de fichier"}));
    EXPECT_EQ(c.op.waitShown, 1);
    EXPECT_EQ(c.op.waitHidden, 1);
}

TEST(PreflightCheck, ConvertsAFieldOnlyWhereTheStepConvertsIt) {
    Check c;
    c.Write("CLIENTS.TXT", {"ID_CLIENT\tNOM", "C1\tDUPONT", "X-2\tMARTIN"});
    // No first weight: DATE_PESEE is not read. No passport number: PASSEPORT_DATE is not read.
    c.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tPOIDS\tDATE_PESEE\tPASSEPORT_NUMERO\tPASSEPORT_DATE",
                            "A1\tC1\t0\tRex\t0\t99/99/9999\t\t31/04/2019", "A2\tC1\t0\tMia\tx\tdemain\t\tx",
                            "A3\tC1\t0\tTom\t3250\t32/01/2024\tFR1\t31/04/2019"});
    // A weighing of 0 g or without a day is left aside before its fields are read; one of "1.5" g too, which the
    // check reports.
    c.Write("POIDS.TXT", {"ID_ANIMAL\tDATE\tPOIDS_GR\tID_SITE", "A1\t31/02/2022\t0\tx", "A1\t\t4100\tx",
                          "A1\t31/02/2022\t4100\t1", "A1\t01/02/2022\t1.5\tx", "A1\t\t12abc\tx"});
    // A note without text is left aside before its date is read.
    c.Write("NOTES.TXT", {"ID_ANIMAL\tID_USER\tDATE\tNOTES", "A1\tV01\t29/02/2023\t   ", "A1\tV01\t29/02/2023\tTexte"});

    c.Run();
    const std::vector<std::string> withoutSettings = {
        // A weight that is not a whole number is read as none: the step says nothing, the check does.
        "ANIMAUX.TXT/ligne 2/POIDS : 'x' n'est pas un nombre entier : l'animal sera importé sans poids",
        "ANIMAUX.TXT/ligne 3/DATE_PESEE : '32/01/2024' n'est pas une date correcte",
        "ANIMAUX.TXT/ligne 3/PASSEPORT_DATE : '31/04/2019' n'est pas une date correcte",
        "POIDS.TXT/ligne 3/DATE : '31/02/2022' n'est pas une date correcte",
        "POIDS.TXT/ligne 4/POIDS_GR : '1.5' n'est pas un nombre entier : la pesée sera ignorée",
        "NOTES.TXT/ligne 2/DATE : '29/02/2023' n'est pas une date correcte",
    };
    EXPECT_EQ(c.Problems(), withoutSettings);

    // Keeping the source identifiers makes them integers the steps convert; the steps then find records
    // by those identifiers, not within the folder.
    c.options.cbGarder_ID_CLIENT_du_logiciel_d_origine = true;
    c.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = true;
    c.Run();
    std::vector<std::string> withSettings = {
        "Références entre fichiers non vérifiées : avec ces réglages, les identifiants se trouvent aussi hors du "
        "dossier",
        "CLIENTS.TXT/ligne 1/ID_CLIENT : 'C1' n'est pas une valeur entière correcte",
        "CLIENTS.TXT/ligne 2/ID_CLIENT : 'X-2' n'est pas une valeur entière correcte",
        "ANIMAUX.TXT/ligne 1/ID_ANIMAL : 'A1' n'est pas une valeur entière correcte",
        "ANIMAUX.TXT/ligne 2/ID_ANIMAL : 'A2' n'est pas une valeur entière correcte",
        "ANIMAUX.TXT/ligne 3/ID_ANIMAL : 'A3' n'est pas une valeur entière correcte",
    };
    withSettings.insert(withSettings.end(), withoutSettings.begin(), withoutSettings.end());
    std::sort(withSettings.begin(), withSettings.end());
    std::vector<std::string> found = c.Problems();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, withSettings);
}

TEST(PreflightCheck, ReferencesResolveAgainstTheFilesOfTheFolder) {
    Check c;
    c.Write("CLIENTS.TXT", {"ID_CLIENT\tNOM\tID_REFERE_PAR", "C1\tDUPONT\tCT1", "C2\tMARTIN\tct9", "C3\tPETIT\t"});
    c.Write("CONTACTS.TXT", {"ID_CONTACT\tNOM", "CT1\tLEROY"});
    // Identifiers are compared without regard to letter case, as the correspondence lists compare them.
    c.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM", "A1\tc1\t0\tRex", "A2\tC999\t0\tMoka"});
    c.Write("CONSULTATIONS.TXT", {"ID_ANIMAL\tID_CLIENT\tDATE_CONSULTATION\tCONSULTATION", "a1\tC1\t01/02/2023\tRAS",
                                  "A404\tC1\t01/02/2023\tRAS"});
    c.Write("EVENEMENTS.TXT", {kEventHeader, "E1\tA1\tC1\tVACCIN\tRage\t03/01/2023\t365",
                               "E2\tA1\tC2\tVACCIN\tRage\t03/01/2023\tNC", "E3\tA2\tC999\tVACCIN\tRage\t\t365"});
    c.Write("RELANCES.TXT", {"ID_ANIMAL\tID_CLIENT\tID_EVENEMENT\tLIBELLE_CATEGORIE\tLIBELLE_EVENEMENT\tDATE_RELANCE\t"
                             "ACTION",
                             "A1\tC1\te1\tVACCIN\tRage\t03/01/2024\t1", "A1\tC1\t\tBILAN\tContrôle\t\t",
                             "A1\tC1\tE9\tVACCIN\tRage\t03/01/2024\t0"});

    const PreflightResult result = c.Run();

    EXPECT_EQ(c.Problems(),
              (std::vector<std::string>{
                  "CLIENTS.TXT/ligne 2/ID_REFERE_PAR : 'ct9' n'est dans la colonne ID_CONTACT d'aucune ligne de "
                  "CONTACTS.TXT",
                  "ANIMAUX.TXT/ligne 2/ID_CLIENT : 'C999' n'est dans la colonne ID_CLIENT d'aucune ligne de "
                  "CLIENTS.TXT",
                  "CONSULTATIONS.TXT/ligne 2/ID_ANIMAL : 'A404' n'est dans la colonne ID_ANIMAL d'aucune ligne de "
                  "ANIMAUX.TXT",
                  "EVENEMENTS.TXT/ligne 2/ID_CLIENT : dans ANIMAUX.TXT, ID_ANIMAL 'A1' a ID_CLIENT 'c1', pas 'C2'",
                  "EVENEMENTS.TXT/ligne 3/ID_CLIENT : 'C999' n'est dans la colonne ID_CLIENT d'aucune ligne de "
                  "CLIENTS.TXT",
                  "RELANCES.TXT/ligne 3/ID_EVENEMENT : 'E9' n'est dans la colonne ID_EVENEMENT d'aucune ligne de "
                  "EVENEMENTS.TXT",
              }));
    EXPECT_EQ(CountOf(result, "EVENEMENTS.TXT")->withProblems, 2);

    // A file the references point to that the folder lacks is one problem of the referring file.
    std::filesystem::remove(c.dir.File("CONTACTS.TXT"));
    const PreflightResult withoutContacts = c.Run();
    const std::vector<std::string> problems = c.Problems();
    EXPECT_EQ(problems.front(), "CLIENTS.TXT/ID_REFERE_PAR : CONTACTS.TXT manque ou n'a pas la colonne ID_CONTACT, "
                                "ces références ne peuvent pas être vérifiées");
    EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                            [](const std::string &line) { return line.find("ID_REFERE_PAR") != std::string::npos; }),
              1);
    EXPECT_EQ(CountOf(withoutContacts, "CLIENTS.TXT")->fileProblems, 1);
    EXPECT_EQ(CountOf(withoutContacts, "CLIENTS.TXT")->withProblems, 0);

    // An unticked file is not checked but still resolves the references of the others.
    c.unticked = {&ImportOptions::cbCLIENTS};
    const PreflightResult withoutClients = c.Run();
    EXPECT_EQ(CountOf(withoutClients, "CLIENTS.TXT"), nullptr);
    EXPECT_EQ(CountOf(withoutClients, "ANIMAUX.TXT")->withProblems, 1);

    // In catch-up mode the records come from the lists of an earlier import: nothing to resolve here.
    c.options.cbModeRatrapage = true;
    const PreflightResult catchUp = c.Run();
    EXPECT_EQ(c.Problems(), (std::vector<std::string>{"Références entre fichiers non vérifiées : avec ces réglages, "
                                                      "les identifiants se trouvent aussi hors du dossier"}));
    EXPECT_TRUE(catchUp.Clean());
}

TEST(PreflightCheck, FlagsFilesThatAreNotWindows1252Text) {
    Check c;
    // Accents in Windows-1252 are what the files should hold: nothing to say.
    c.Write("VILLES.TXT", {"CODE_POSTAL\tVILLE", "17440\tAytré", "17340\tChâtelaillon-Plage"});
    // Saved as UTF-8 with a byte-order mark: the mark sticks to the first column's name.
    c.dir.Write("CONTACTS.TXT", "\xEF\xBB\xBFNOM\tPRENOM\r\nLEROY\tAnne\r\nGAUTHIER\tR\xC3\xA9mi\r\n");
    // UTF-8 without a mark, its first accent on line 2.
    c.dir.Write("POSOLOGIES.TXT", "ORIGINE\tCODE_CENTRALE\tPOSOLOGIE\r\nCV\tCV1\tUn comprim\xC3\xA9\r\n");
    c.dir.Write("POSOLOGIES_ORIGINES.TXT", "ORIGINE\tCENTRALE_NAME\r\nCV\tCENTRAVET\r\n");
    // A NUL byte ends what a run reads of the file.
    c.dir.Write("CATEGORIES_ACTES.TXT", std::string("ID_CATEGORIE\tLIBELLE_CATEGORIE\r\n1\tConsultations\r\n2\tVac") +
                                            '\0' + "cins\r\n3\tChirurgie\r\n");

    const PreflightResult result = c.Run();

    EXPECT_EQ(c.Problems(),
              (std::vector<std::string>{
                  "CONTACTS.TXT/manque colonne obligatoire \"NOM\"",
                  "CONTACTS.TXT/l'en-tête commence par une marque d'ordre des octets (BOM) : le fichier n'est pas en "
                  "Windows-1252",
                  "CONTACTS.TXT/le texte semble codé en UTF-8 et non en Windows-1252 (en-tête)",
                  "CATEGORIES_ACTES.TXT/caractère NUL ligne 2 : la suite du fichier est ignorée, 1 ligne non lue",
                  "POSOLOGIES.TXT/le texte semble codé en UTF-8 et non en Windows-1252 (ligne 1)",
              }));
    EXPECT_EQ(CountOf(result, "CONTACTS.TXT")->fileProblems, 3);
    EXPECT_EQ(CountOf(result, "CATEGORIES_ACTES.TXT")->read, 2);
    EXPECT_EQ(CountOf(result, "VILLES.TXT")->fileProblems, 0);
    ASSERT_NE(CountOf(result, "POSOLOGIES_ORIGINES.TXT"), nullptr) << "read with POSOLOGIES.TXT";
    EXPECT_EQ(c.op.log.back(), "0 ligne(s) à corriger, 5 problème(s) de fichier");
}

TEST(PreflightCheck, ReadsOnlyTheTickedFilesWritesOnlyItsFindingsAndReportAndStopsWhenInterrupted) {
    Check c;
    c.Write("VILLES.TXT", {"CODE_POSTAL\tVILLE", "17000\tLa Rochelle"});
    c.Write("CATEGORIES_ACTES.TXT", {"ID_CATEGORIE\tLIBELLE_CATEGORIE", "un\tConsultations"});
    c.Write("POSOLOGIES.TXT", {"ORIGINE\tCODE_CENTRALE\tPOSOLOGIE", "CV\tCV1\tUn comprimé"});
    c.unticked = {&ImportOptions::cbCATEGORIES_ACTES, &ImportOptions::cbPOSOLOGIES};
    std::map<std::string, std::string> before;
    for (const auto &entry : std::filesystem::directory_iterator(c.dir.path()))
        before[entry.path().filename().string()] = c.dir.Read(entry.path().filename().string());

    const PreflightResult result = c.Run();
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].fileName, "VILLES.TXT");
    EXPECT_TRUE(result.Clean());
    EXPECT_EQ(c.op.log, (std::vector<std::string>{"Résumé de la vérification :", "VILLES.TXT : 1 lues, 0 à corriger",
                                                  "Aucun problème trouvé"}));
    std::map<std::string, std::string> after;
    for (const auto &entry : std::filesystem::directory_iterator(c.dir.path()))
        after[entry.path().filename().string()] = c.dir.Read(entry.path().filename().string());
    EXPECT_EQ(result.report, c.dir.File("RAPPORT_IMPORTATION.html"));
    EXPECT_NE(after["RAPPORT_IMPORTATION.html"].find("<td>VILLES.TXT</td><td class=\"n\">1</td>"), std::string::npos);
    // Its findings in VERIFICATION.TXT, which the import that follows leaves: the log's lines, Windows-1252 and
    // CR LF, after the line that says when and where the check ran; listed among the files it wrote.
    EXPECT_EQ(result.writtenFiles, (std::vector<std::string>{c.dir.File("VERIFICATION.TXT"), result.report}));
    const std::string findings = after["VERIFICATION.TXT"];
    EXPECT_TRUE(std::regex_search(ToUtf8(findings), std::regex("^Vérification du [0-9]{2}/[0-9]{2}/[0-9]{4} à "
                                                               "[0-9]{2}:[0-9]{2} : [^\r\n]+\r\n")))
        << findings;
    EXPECT_EQ(findings.substr(findings.find("\r\n") + 2), File1252(c.op.log));
    after.erase("RAPPORT_IMPORTATION.html");
    after.erase("VERIFICATION.TXT");
    EXPECT_EQ(after, before);

    c.op.interruptAtWaitMessage = "Vérification VILLES.TXT";
    c.unticked.clear();
    const PreflightResult stopped = c.Run();
    EXPECT_TRUE(stopped.interrupted);
    ASSERT_EQ(stopped.files.size(), 1u) << "the files after the interrupted one are not read";
    EXPECT_EQ(c.Problems(), (std::vector<std::string>{"VERIFICATION/interruption de la procédure"}));
}
