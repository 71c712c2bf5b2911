#include "ClientStepFixture.h"

#include "run/ImportRun.h"
#include "run/SourceFolder.h"
#include "import/clients_animals/DemoAnonymisation.h"

#include <gtest/gtest.h>

#include <set>

using namespace clinova;
using test::ClientStep;
using test::kNull;

namespace {

std::map<std::string, std::string> ExpectedDefaults() {
    std::map<std::string, std::string> row;
    for (const char *c : {"TITRE",
                          "PRENOM",
                          "CATEGORIE",
                          "CP1",
                          "VILLE1",
                          "TELFAXTYPE11",
                          "TELFAXNUM11",
                          "TELFAXTYPE12",
                          "TELFAXNUM12",
                          "TELFAXTYPE13",
                          "TELFAXNUM13",
                          "NOTES1",
                          "CP2",
                          "VILLE2",
                          "TELFAXTYPE21",
                          "TELFAXNUM21",
                          "TELFAXTYPE22",
                          "TELFAXNUM22",
                          "TELFAXTYPE23",
                          "TELFAXNUM23",
                          "EMAILPERSO",
                          "PAGEWEBPERSO",
                          "EMAILBURO",
                          "PAGEWEBBURO",
                          "NOTES",
                          "ENVOYEPAR",
                          "NOTESCTX",
                          "INFOSPERSO",
                          "PREMIEREVISITE",
                          "DERNIEREVISITE",
                          "PROCHAINEVISITE",
                          "ACCUEILNOTES",
                          "COMMANDE",
                          "ATTENTE_VACCIN_DATE_MAX",
                          "REFERE_A",
                          "DATECREATION",
                          "PAYS1",
                          "PAYS2",
                          "DATE_RESTART_PRELEV",
                          "PLAFOND_PRELEV",
                          "REMISEPRODUITS",
                          "REMISES",
                          "SMS_OK_RAPPELS",
                          "CODE_BANQUE_CHEQUE",
                          "EXIST_NOTES",
                          "ID_SITE"})
        row[c] = kNull;
    for (const char *c : {"DEPASSAGE",
                          "ALIM",
                          "MED",
                          "TELFAXLR11",
                          "TELFAXLR12",
                          "TELFAXLR13",
                          "TELFAXLR21",
                          "TELFAXLR22",
                          "TELFAXLR23",
                          "ADRESSECOURRIER2",
                          "ORIGINECTXCLINIQUE",
                          "ORIGINECTXFICHIER",
                          "ORIGINECTXAUTRECLINIQUE",
                          "CONTENTIEUX",
                          "FAMILLEACCUEIL",
                          "ACCUEILCHAT",
                          "ACCUEILCHIEN",
                          "ACCUEILEQUIDE",
                          "ACCUEILNAC",
                          "EXISTCOMMANDE",
                          "COMMANDEISARRIVE",
                          "ADRESSE_ERROR",
                          "VOIR_CLIENT",
                          "CLIENT_EXTERNE"})
        row[c] = "F";
    for (const char *c : {"PROFESSION", "TYPECLIENT", "ORIGINE", "REFERE_PAR", "RUE1", "RUE2", "ID_CLIENT_DE",
                          "CLIENT_DE", "RAISON_SOCIALE", "DOMICILIATION", "NUM_BANQUE", "NUM_GUICHET", "NUM_COMPTE",
                          "CLE_RIB", "NUM_CHEPTEL", "ID_COMPTA"})
        row[c] = "";
    for (const char *c : {"DELAISPAIEMENT", "REMISEACTES", "ENCOURSAUTORISE", "KILOMETRAGE", "ATTENTE_LABO",
                          "ATTENTE_VACCIN", "ARCHIVED", "SOLDE", "GROUPE_FACT", "POCKETCN", "PRELEV", "STOP_PRELEV",
                          "WAIT_ORDRE_PRELEV", "EXIST_PLAFOND_PRELEV", "FIDELITE"})
        row[c] = "0";
    row["ID"] = "1";
    row["NOM"] = "Dupont";
    row["ID_VETERINAIRE"] = "1";
    row["VETERINAIRE"] = "VETO";
    row["ID_REFERE_PAR"] = "-1";
    row["ADRESSECOURRIER1"] = "T";
    row["COLOR"] = "16777215";
    row["ECARNET_STATUS"] = "0";
    row["GROUPE01"] = "";
    row["MODE_COURRIER"] = "111";
    return row;
}

} // namespace

TEST(ClientImport, MinimalLineStoresEveryDefaultInBothStatementForms) {
    for (int build : {93, 80}) {
        ClientStep s(build);
        s.Write({"ID_CLIENT\tNOM\tGROUPE01", "A1\tDupont\t"});
        s.Run();
        auto expected = ExpectedDefaults();
        if (build == 80)
            expected["ECARNET_STATUS"] = expected["GROUPE01"] = expected["MODE_COURRIER"] = kNull;
        EXPECT_EQ(s.Row("ID=1"), expected) << "build " << build;
        EXPECT_TRUE(s.op.log.empty());
        EXPECT_EQ(s.state.lists.fSourceIDClientList.Items(), std::vector<std::string>{"A1"});
        EXPECT_EQ(s.state.lists.fDatabaseIDClientList.Get(0), 1);
    }
}

TEST(ClientImport, FieldsAreCutConvertedAndNoValueOfThePreviousLineSurvives) {
    ClientStep s;
    s.Write({"ID_CLIENT\tNOM\tPRENOM\tTITRE\tRUE11\tRUE12\tRUE13\tCP1\tVILLE1\tPAYS1\tVILLE2\tPAYS2\tTELFAXNUM11\t"
             "TELFAXNUM12\tTELFAXNUM23\tTELFAXLR11\tTELFAXLR12\tTELFAXLR13\tKILOMETRAGE\tNOTES\tDATE_CREATION\t"
             "EMAIL_PERSO\tCONTENTIEUX\tREMISE_ACTES\tREMISE_PRODUITS\tGROUPE01",
             "1\t Dupont \tJean\tMonsieur le Docteur\t\t12 rue des Mouettes\tBât. B\t17000\tla rochelle\tfrance\t"
             "périgny\tréunion\t05.46.12.34.56\t+33 5 46 12 34 56\t0612345678\t1\tT\toui\t12 km\t"
             "chien méchant\vrappeler le soir\t03/04/2019\t" +
                 std::string(60, 'e') + "\t1\t10\t\t Chats ",
             "2\tMartin"});
    s.Run();
    ASSERT_TRUE(s.op.log.empty()) << s.op.log[0];
    auto r = s.Row("ID=1");
    EXPECT_EQ(r["NOM"], "Dupont");
    EXPECT_EQ(r["TITRE"], "Monsieur le Doc");
    EXPECT_EQ(r["RUE1"], "12 rue des Mouettes\r\nBât. B");
    EXPECT_EQ(r["VILLE1"], "la rochelle");
    EXPECT_EQ(r["PAYS1"], "FRANCE");
    EXPECT_EQ(r["VILLE2"], "PÉRIGNY");
    EXPECT_EQ(r["PAYS2"], "RÉUNION");
    EXPECT_EQ(r["TELFAXNUM11"], "05 46 12 34 56");
    EXPECT_EQ(r["TELFAXNUM12"], "+33 5 46 12 34 "); // not ten digits: kept as read, cut to 15
    EXPECT_EQ(r["TELFAXNUM23"], "06 12 34 56 78");
    EXPECT_EQ(r["TELFAXLR11"] + r["TELFAXLR12"] + r["TELFAXLR13"], "TFF");
    EXPECT_EQ(r["KILOMETRAGE"], "0");
    EXPECT_EQ(r["NOTES"], "chien méchant\rrappeler le soir");
    EXPECT_EQ(r["DATECREATION"], "03/04/2019");
    EXPECT_EQ(r["EMAILPERSO"], std::string(50, 'e'));
    EXPECT_EQ(r["CONTENTIEUX"], "T");
    EXPECT_EQ(r["REMISEACTES"], "10");
    EXPECT_EQ(r["REMISEPRODUITS"], "0");
    EXPECT_EQ(r["GROUPE01"], "Chats");

    // The second line has only its first two fields: every other column is empty, not the first line's.
    r = s.Row("ID=2");
    for (const char *c : {"PRENOM", "TITRE", "RUE1", "CP1", "VILLE1", "PAYS1", "VILLE2", "TELFAXNUM11", "NOTES",
                          "EMAILPERSO", "GROUPE01"})
        EXPECT_EQ(r[c], "") << c;
    EXPECT_EQ(r["TELFAXLR11"], "F");
    EXPECT_EQ(r["DATECREATION"], kNull);
    EXPECT_EQ(r["REMISES"], kNull);
    EXPECT_EQ(r["REMISEACTES"], "0");
}

TEST(ClientImport, MailChannelCodeAndColour) {
    ClientStep s;
    s.Write({"ID_CLIENT\tNOM\tRELANCE_PAPIER\tRELANCE_EMAIL\tRELANCE_SMS", "1\tA\t1\t0\t0", "2\tB\t1\t1\t1",
             "3\tC\t1\t1\t", "4\tD\t0\t0\t0"});
    s.Run();
    EXPECT_EQ(s.Q("select MODE_COURRIER from CLIENTS where NOM='A'"), "101");
    EXPECT_EQ(s.Q("select MODE_COURRIER from CLIENTS where NOM='B'"), "0");
    EXPECT_EQ(s.Q("select MODE_COURRIER from CLIENTS where NOM='D'"), "111");
    EXPECT_EQ(s.Q("select count(*) from CLIENTS where NOM='C'"), "0");
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("CLIENTS.TXT/ligne 3/", 0), 0u) << s.op.log[0];

    // A forced colour replaces the file's; with no colour chosen every line fails.
    s.op.log.clear();
    s.state.options.cbForceColor = true;
    s.state.options.panCouleur = "65280";
    s.Write({"ID_CLIENT\tNOM\tCOLOR", "1\tE\t255"});
    s.Run();
    EXPECT_EQ(s.Q("select COLOR from CLIENTS where NOM='E'"), "65280");
    s.state.options.panCouleur = "couleur";
    s.Run();
    EXPECT_EQ(s.Q("select count(*) from CLIENTS where NOM='E'"), "1");
    EXPECT_EQ(s.op.log.size(), 1u);
}

TEST(ClientImport, AFailingLineIsLoggedAndTheOthersAreImported) {
    ClientStep s;
    // Line 5: an address line longer than the column is refused by the database, not cut.
    s.Write({"ID_CLIENT\tNOM\tDATE_CREATION\tREMISE_ACTES\tRUE11", "1\tAvant\t01/02/2020\t\t1 rue A",
             "2\tImpossible\t31/02/2020\t\t", "", "3\tRemise\t\tdix\t", "4\tTropLong\t\t\t" + std::string(185, 'x'),
             "5\tApres\t\t5\t"});
    s.Run();
    ASSERT_EQ(s.op.log.size(), 3u);
    EXPECT_EQ(s.op.log[0], "CLIENTS.TXT/ligne 2/'31/02/2020' n'est pas une date correcte");
    EXPECT_EQ(s.op.log[1].rfind("CLIENTS.TXT/ligne 4/", 0), 0u);
    EXPECT_EQ(s.op.log[2].rfind("CLIENTS.TXT/ligne 5/", 0), 0u);
    EXPECT_EQ(s.Q("select list(NOM, ',') from (select NOM from CLIENTS order by ID)"), "Avant,Apres");
    EXPECT_EQ(s.Row("NOM='Apres'")["DATECREATION"], kNull);
    EXPECT_EQ(s.state.lists.fSourceIDClientList.Items(), (std::vector<std::string>{"1", "5"}));
}

TEST(ClientImport, DiscountDefinitionsByBuild) {
    const std::string acts10 = "1\t1\t100\t10\t\t\t\t\t\t\t0";
    ClientStep old(76);
    old.Write({"ID_CLIENT\tNOM\tREMISE_ACTES\tREMISE_PRODUITS", "1\tA\t10\t0"});
    old.Run();
    EXPECT_EQ(old.Row("ID=1")["REMISEACTES"], "10");
    EXPECT_EQ(old.Row("ID=1")["REMISES"], kNull);

    ClientStep s(77);
    s.Write({"ID_CLIENT\tNOM\tREMISE_ACTES\tREMISE_PRODUITS", "1\tA\t10\t0"});
    s.Run();
    EXPECT_EQ(s.Row("ID=1")["REMISEACTES"], "10");
    EXPECT_EQ(s.Row("ID=1")["REMISEPRODUITS"], "0");
    EXPECT_EQ(s.Row("ID=1")["REMISES"], acts10);

    s.Write({"ID_CLIENT\tNOM\tREMISE_ACTES\tREMISE_PRODUITS\tREMISE_ACTES_CAT_VALUE\tREMISE_ACTES_CAT_NAME",
             "1\tTrois\t10\t5\t15\tVACCINS", "2\tSansNom\t0\t0\t15\t", "3\tPasUnNombre\t0\t0\tabc\tVACCINS",
             "4\tNegatif\t-3\t0\t\t"});
    s.Run();
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Row("NOM='Trois'")["REMISES"],
              acts10 + "\r\n1\t0\t200\t5\t\t\t\t\t\t\t0\r\n1\t1\t101\t15\t\t\t\t\tVACCINS\t\t0");
    EXPECT_EQ(s.Row("NOM='SansNom'")["REMISES"], kNull);
    EXPECT_EQ(s.Row("NOM='PasUnNombre'")["REMISES"], kNull);
    EXPECT_EQ(s.Row("NOM='Negatif'")["REMISES"], "1\t1\t100\t-3\t\t\t\t\t\t\t0");
}

TEST(ClientImport, LoyaltyRows) {
    ClientStep s;
    s.state.options.edIDSite = "3";
    s.Write({"ID_CLIENT\tNOM\tFIDELITE_CREER_CARTE\tFIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100\t"
             "FIDELITE_POURCENTAGE_INT100\tFIDELITE_TOTAL_ACHATS",
             "1\tCarte\t 1 \t123456\t500\t3", "2\tSansMontant\t1\t0\t500\t3", "3\tOui\toui\tabc\tabc\tabc",
             "4\tTotalFaux\t1\tabc\t500\t1"});
    s.Run();
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("CLIENTS.TXT/ligne 4/", 0), 0u);
    EXPECT_EQ(s.Q("select count(*) from CLIENTS"), "3");
    EXPECT_EQ(s.Q("select count(*) from FIDELITE01"), "3");
    EXPECT_EQ(s.Q("select list(MONTANT || '/' || CREDIT || '/' || POURCENTAGE, ' ') from "
                  "(select * from FIDELITE01 order by ID)"),
              "0/0/500 0/0/500 123456/6173/500");
    EXPECT_EQ(s.Q("select count(*) from FIDELITE01 where ID_CLIENT=1 and WHAT=1 and ID_SITE=3 and ID_USER=1 and "
                  "ID_FACTURE=-1 and ID_ECRITURE=-1 and DONE=0 and INFOS='' and DT is not null"),
              "3");
    EXPECT_EQ(s.Q("select list(FIDELITE, ',') from (select FIDELITE from CLIENTS order by ID)"), "1,0,0");
}

TEST(ClientImport, AFailingLoyaltyRowIsRolledBackAloneAndTheClientStays) {
    ClientStep s;
    s.tdb.Exec("alter table CLIENTS add constraint PAS_DE_FIDELITE check (FIDELITE <> 1)");
    s.Write({"ID_CLIENT\tNOM\tFIDELITE_CREER_CARTE\tFIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100\t"
             "FIDELITE_POURCENTAGE_INT100\tFIDELITE_TOTAL_ACHATS",
             "1\tCarte\t1\t10000\t500\t2", "2\tSuivant\t\t\t\t"});
    s.Run();
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Q("select count(*) from CLIENTS"), "2");
    EXPECT_EQ(s.Q("select count(*) from FIDELITE01"), "0"); // the membership failed: its row went with it
    EXPECT_EQ(s.state.lists.fSourceIDClientList.Count(), 2);
}

TEST(ClientImport, AClientIsAMemberExactlyWhenOneOfItsLoyaltyRowsIsWrittenBothWays) {
    for (const bool batching : {true, false}) {
        SCOPED_TRACE(batching ? "grouped" : "one by one");
        ClientStep s;
        // The rows with the totals fail: client 1 keeps its empty row and its membership, client 2 (one
        // purchase, its only row the totals) has neither.
        s.tdb.Exec("alter table FIDELITE01 add constraint PAS_DE_MONTANT check (MONTANT = 0)");
        s.Write({"ID_CLIENT\tNOM\tFIDELITE_CREER_CARTE\tFIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100\t"
                 "FIDELITE_POURCENTAGE_INT100\tFIDELITE_TOTAL_ACHATS",
                 "1\tDeux\t1\t10000\t500\t2", "2\tUne\t1\t9000\t500\t1", "3\tTrois\t1\t100\t500\t3"});
        s.state.db.Open(s.tdb.Path(), {CommitPolicy::Grouped, batching});
        doImportationClients(s.state);
        s.state.db.Close();
        EXPECT_TRUE(s.op.log.empty());
        EXPECT_EQ(s.Q("select list(NOM || ':' || FIDELITE || ':' || (select count(*) from FIDELITE01 f "
                      "where f.ID_CLIENT = c.ID), ',') from (select * from CLIENTS order by ID) c"),
                  "Deux:1:1,Une:0:0,Trois:1:2");
    }
}

TEST(ClientImport, KeepIDsModeTakesTheSourceIdentifier) {
    ClientStep s;
    s.state.options.cbGarder_ID_CLIENT_du_logiciel_d_origine = true;
    s.Write({"ID_CLIENT\tNOM", "100\tA", "200\tB", "A12\tC", "300\tD"});
    s.Run();
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0], "CLIENTS.TXT/ligne 3/'A12' n'est pas une valeur entière correcte");
    EXPECT_EQ(s.Q("select list(ID, ',') from (select ID from CLIENTS order by ID)"), "100,200,300");
    EXPECT_EQ(s.state.lists.fDatabaseIDClientList.Get(2), 300);
}

TEST(ClientImport, ClientsUntouchedModeReloadsBothLists) {
    ClientStep s;
    test::TempDir previous;
    previous.Write("__fSourceIDClientList.txt", "C1\r\nc2\r\n");
    previous.Write("__fDatabaseIDClientList.txt", "17\r\nabc\r\n");
    s.state.options.cbPasToucheAuxClients = true;
    s.state.options.edPathIDPrecedentImport = previous.Folder();
    s.state.lists.fSourceIDClientList.Add("from before");
    s.Write({"ID_CLIENT\tNOM", "1\tA"});
    s.Run();
    EXPECT_EQ(s.Q("select count(*) from CLIENTS"), "0");
    EXPECT_EQ(s.state.lists.fSourceIDClientList.Items(), (std::vector<std::string>{"C1", "c2"}));
    ASSERT_EQ(s.state.lists.fDatabaseIDClientList.Count(), 2);
    EXPECT_EQ(s.state.lists.fDatabaseIDClientList.Get(0), 17);
    EXPECT_EQ(s.state.lists.fDatabaseIDClientList.Get(1), -1);
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.op.waitHidden, 1);

    // A missing list file ends the run.
    s.state.options.edPathIDPrecedentImport = previous.Folder() + "absent/";
    s.state.db.Open(s.tdb.Path());
    EXPECT_ANY_THROW(doImportationClients(s.state));
    s.state.db.Close();
    EXPECT_EQ(s.op.waitHidden, 2);
}

TEST(ClientImport, CallerIdentificationReceivesTheSixNumbers) {
    ClientStep s;
    s.Write({"ID_CLIENT\tNOM\tTELFAXNUM11\tTELFAXNUM12\tTELFAXNUM13\tTELFAXNUM21\tTELFAXNUM22\tTELFAXNUM23",
             "1\tA\t05.46.12.34.56\t0546000001\t06 11 22 33 44\t05 46 00 00 02\t05.46.12.34.5\t0700000003"});
    s.Run();
    EXPECT_EQ(s.Q("select list(RANG || '=' || cast(NUMERO as bigint), ' ') from "
                  "(select * from CALLER_ID where IDWHAT=1 and IDFICHE=1 order by RANG)"),
              "1=546123456 2=546000001 3=611223344 4=546000002 6=700000003");

    // Without the procedure the clients are imported all the same, silently.
    s.tdb.Exec("drop procedure PROC_UPDATE_CALLER_ID");
    s.Write({"ID_CLIENT\tNOM\tTELFAXNUM11", "2\tB\t0546123456"});
    s.Run();
    EXPECT_EQ(s.Q("select TELFAXNUM11 from CLIENTS where NOM='B'"), "05 46 12 34 56");
    EXPECT_TRUE(s.op.log.empty());
}

TEST(ClientImport, ReferringContactComesFromTheContactsCorrespondence) {
    ClientStep s;
    s.state.fSourceIDContactList.Add("V7");
    s.state.fDatabaseIDContactList.Add(42);
    s.state.fContactNameList.push_back(FromUtf8("Lefèvre Anne"));
    s.Write({"ID_CLIENT\tNOM\tID_REFERE_PAR", "1\tConnu\tv7", "2\tInconnu\tV8", "3\tPersonne\t"});
    s.Run();
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Q("select ID_REFERE_PAR || '/' || REFERE_PAR from CLIENTS where NOM='Connu'"), "42/Lefèvre Anne");
    EXPECT_EQ(s.Q("select ID_REFERE_PAR || '/' || REFERE_PAR from CLIENTS where NOM='Inconnu'"), "-1/");
    EXPECT_EQ(s.Q("select ID_REFERE_PAR || '/' || REFERE_PAR from CLIENTS where NOM='Personne'"), "-1/");
}

TEST(ClientImport, DemoModeReplacesTownsPhonesAndMail) {
    ClientStep s;
    s.state.options.cbPourDemo = true;
    // No VILLE1, CP1 or EMAIL_PERSO column: the demo values are written all the same.
    s.Write({"ID_CLIENT\tNOM\tTELFAXNUM11\tTELFAXTYPE11\tTELFAXNUM12\tEMAIL_BUREAU\tTELFAXNUM21\tRUE11",
             "1\tA\t0102030405\tBureau\t0102030406\ta@b.fr\t0102030407\t1 rue X", "2\tB", "3\tC", "4\tD", "5\tE",
             "6\tF", "7\tG", "8\tH"});
    s.Run();
    ASSERT_TRUE(s.op.log.empty()) << s.op.log[0];

    auto r = s.Row("ID=1");
    EXPECT_EQ(r["VILLE1"] + "/" + r["CP1"] + "/" + r["PAYS1"], "LA ROCHELLE/17000/FRANCE");
    EXPECT_EQ(r["TELFAXNUM11"].rfind("05 46 ", 0), 0u);
    EXPECT_EQ(r["TELFAXNUM11"].size(), 14u);
    EXPECT_EQ(r["TELFAXNUM13"].rfind("06 ", 0), 0u);
    EXPECT_EQ(r["TELFAXNUM13"].size(), 14u);
    EXPECT_EQ(r["TELFAXTYPE11"], "Domicile");
    EXPECT_EQ(r["TELFAXNUM12"] + r["TELFAXTYPE12"] + r["EMAILBURO"], "");
    EXPECT_EQ(r["TELFAXNUM21"], "01 02 03 04 07"); // the second address is not touched
    EXPECT_EQ(r["RUE1"], "1 rue X");
    EXPECT_EQ(r["EMAILPERSO"], std::string("mon.email1@") + kDemoMailDomain);
    EXPECT_EQ(s.Q("select count(*) from CALLER_ID where IDFICHE=1 and RANG=4"), "1");

    std::set<std::string> items;
    for (const auto &item : DemoAnonymisation::ListBoxVilleDemo())
        items.insert(ToUtf8(UpperCase1252(item)));
    for (int id = 2; id <= 8; ++id) {
        r = s.Row("ID=" + std::to_string(id));
        if (id % 2 != 0)
            EXPECT_EQ(r["VILLE1"] + ";" + r["CP1"], "LA ROCHELLE;17000") << id;
        else
            EXPECT_TRUE(items.count(r["VILLE1"] + ";" + r["CP1"])) << r["VILLE1"] << ";" << r["CP1"];
        EXPECT_EQ(r["PAYS1"], "FRANCE");
        EXPECT_EQ(r["EMAILPERSO"], "mon.email" + std::to_string(id) + "@" + kDemoMailDomain);
    }
}

TEST(ClientImport, TheRunImportsTheClientsAndSavesTheirList) {
    test::TestDatabase tdb;
    test::ScriptedOperator op;
    RunState state{op};
    state.options.edPathNameDatabase = tdb.Path();
    tdb.Dir().Write("CLIENTS.TXT", FromUtf8("ID_CLIENT\tNOM\tVILLE1\r\nX1\tGérard\tSaintes\r\nX2\tBernard\tRoyan\r\n"));
    ScanSourceFolder(state, tdb.Dir().Folder());
    EXPECT_EQ(btnImportationClick(state), RunOutcome::Completed);
    EXPECT_EQ(ToUtf8(tdb.Scalar("select list(NOM, ',') from (select NOM from CLIENTS order by ID)")), "Gérard,Bernard");
    EXPECT_EQ(tdb.Dir().Read("__fSourceIDClientList.txt"), "X1\r\nX2\r\n");
    EXPECT_EQ(tdb.Dir().Read("__fDatabaseIDClientList.txt"), "1\r\n2\r\n");
    EXPECT_EQ(op.log[4], "DEBUT import doImportationClients");
    EXPECT_EQ(op.log[5], "FIN import doImportationClients");

    // An interruption ends the step after its current line; the clients written so far stay.
    tdb.Dir().Write("CLIENTS.TXT", "ID_CLIENT\tNOM\r\nY1\tA\r\nY2\tB\r\nY3\tC\r\n");
    op.interruptAtWaitMessage = "Importation client 2/";
    EXPECT_EQ(btnImportationClick(state), RunOutcome::Interrupted);
    EXPECT_EQ(tdb.Scalar("select count(*) from CLIENTS where NOM in ('A', 'B', 'C')"), "2");
    EXPECT_EQ(op.log[5], "CLIENTS/interruption de la procédure");
}
