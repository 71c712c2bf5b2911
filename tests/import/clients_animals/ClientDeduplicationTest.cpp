#include "ClientStepFixture.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::ClientStep;

namespace {

// A name as long as the column: the lookup's parameters must hold it whole.
const std::string kLongName = "Nouveau-" + std::string(52, 'n');
const char *kHeader = "ID_CLIENT\tNOM\tPRENOM\tCP1\tVILLE1\tTELFAXNUM11\tTELFAXNUM12\tTELFAXNUM13";

void Existing(ClientStep &s, int id, const std::string &values) {
    s.tdb.Exec(FromUtf8("insert into CLIENTS (ID, NOM, PRENOM, CP1, VILLE1, TELFAXNUM11, TELFAXNUM12, TELFAXNUM13) "
                        "values (" +
                        std::to_string(id) + ", " + values + ")"));
}

int TargetOf(const ClientStep &s, const std::string &sourceID) {
    const int i = s.state.lists.fSourceIDClientList.IndexOf(sourceID);
    return i < 0 ? -100 : s.state.lists.fDatabaseIDClientList.Get(i);
}

} // namespace

TEST(ClientDeduplication, ExistingClientsAreMatchedOnNamesTownAndOnePhone) {
    ClientStep s;
    s.tdb.Exec("alter sequence CURRENT_ID_CLIENT restart with 100");
    Existing(s, 1, "'DUPONT', 'Jean', '17000', 'LA ROCHELLE', NULL, NULL, NULL");
    Existing(s, 2, "' Martin ', NULL, '17300', 'Rochefort', NULL, '05 46 00 00 01', NULL");
    Existing(s, 3, "'Petit', 'Léa', '17200', 'Royan', '0546000002', NULL, NULL");
    Existing(s, 4, "'Durand', 'Luc', '17100', 'Saintes', '05 46 00 00 03', NULL, NULL");
    Existing(s, 5, "NULL, 'Sans', '17000', 'LA ROCHELLE', NULL, NULL, NULL");
    Existing(s, 6, "'Élie', 'Zoé', '17000', 'LA ROCHELLE', NULL, NULL, NULL");
    s.state.options.cbDedoublonageClients = true;
    s.Write({kHeader,
             "S1\tDupont\tjean\t17000\tLa Rochelle\t\t\t",         // case ignored, no phone on either side
             "S2\tMARTIN\t\t17300\tROCHEFORT\t\t\t05.46.00.00.01", // phone in another slot, NULL first name
             "S3\tPetit\tLéa\t17200\tRoyan\t05.46.00.00.02\t\t",   // stored unformatted: no match
             "S4\tDurand\tLuc\t17100\tSaintes\t\t\t",              // the existing client has a phone, the line none
             "S5\t\tSans\t17000\tLA ROCHELLE\t\t\t",               // an empty name never matches
             "S6\télie\tZoé\t17000\tla rochelle\t\t\t",            // accented capitals as the database sees them
             " S7 \t " + kLongName + " \tNé\t17000\tAytré\t0546111111\t\t",
             "S8\t" + kLongName + " \tNé\t17000\tAYTRÉ\t\t\t05 46 11 11 11 ",
             // a number of more than 15 characters is stored cut, ending with a blank: still the same client
             "S9\tKlein\tHans\t79098\tFreiburg\t+33 5 46 12 34 56\t\t",
             "S10\tKlein\tHans\t79098\tFreiburg\t+33 5 46 12 34 56\t\t"});
    s.Run();
    ASSERT_TRUE(s.op.log.empty()) << s.op.log[0];
    EXPECT_EQ(TargetOf(s, "S1"), 1);
    EXPECT_EQ(TargetOf(s, "S2"), 2);
    EXPECT_EQ(TargetOf(s, "S3"), 103); // generator values are drawn for duplicates too
    EXPECT_EQ(TargetOf(s, "S4"), 104);
    EXPECT_EQ(TargetOf(s, "S5"), 105);
    EXPECT_EQ(TargetOf(s, "S6"), 6);
    EXPECT_EQ(TargetOf(s, "S7"), 107);
    EXPECT_EQ(TargetOf(s, "S8"), 107); // the same client twice in the file is inserted once
    EXPECT_EQ(TargetOf(s, "S10"), 109);
    EXPECT_EQ(s.Q("select count(*) from CLIENTS"), "11"); // six existing, five new
    EXPECT_EQ(s.Q("select count(*) from CALLER_ID where IDFICHE in (1, 2)"), "0");
    // The preparation turned the NULLs of the compared columns into empty texts, for good.
    EXPECT_EQ(s.Q("select count(*) from CLIENTS where NOM is null or PRENOM is null or TELFAXNUM11 is null"), "0");

    // The report: the header, then each duplicate line exactly as read.
    std::string expected = kHeader + std::string("\r\n");
    for (const std::string &line : {std::string("S1\tDupont\tjean\t17000\tLa Rochelle\t\t\t"),
                                    std::string("S2\tMARTIN\t\t17300\tROCHEFORT\t\t\t05.46.00.00.01"),
                                    std::string("S6\télie\tZoé\t17000\tla rochelle\t\t\t"),
                                    "S8\t" + kLongName + " \tNé\t17000\tAYTRÉ\t\t\t05 46 11 11 11 ",
                                    std::string("S10\tKlein\tHans\t79098\tFreiburg\t+33 5 46 12 34 56\t\t")})
        expected += FromUtf8(line) + "\r\n";
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CLIENTS.TXT"), expected);
}

TEST(ClientDeduplication, DemoValuesDoNotHideDuplicates) {
    ClientStep s;
    Existing(s, 1, "'DUPONT', 'Jean', '17300', 'ROCHEFORT', '05 46 00 00 01', '', ''");
    s.state.options.cbDedoublonageClients = true;
    s.state.options.cbPourDemo = true;
    s.Write({kHeader, "S1\tDupont\tJean\t17300\tRochefort\t0546000001\t\t"});
    s.Run();
    EXPECT_EQ(TargetOf(s, "S1"), 1);
    EXPECT_EQ(s.Q("select count(*) from CLIENTS"), "1");
}

TEST(ClientDeduplication, TheReportIsWrittenAlsoWhenTheStepIsInterruptedOrEmpty) {
    ClientStep s;
    s.state.options.cbDedoublonageClients = true;
    s.Write({kHeader, "1\tA\tB\t1\tX\t\t\t", "2\tA\tB\t1\tX\t\t\t", "3\tA\tB\t1\tX\t\t\t"});
    s.op.interruptAtWaitMessage = "Importation client 2/";
    s.Run();
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CLIENTS.TXT"), std::string(kHeader) + "\r\n2\tA\tB\t1\tX\t\t\t\r\n");
    EXPECT_EQ(s.op.log, std::vector<std::string>{"CLIENTS/interruption de la procédure"});
    EXPECT_TRUE(s.state.StopRequested);

    // A file of its header alone: the report is made anew and holds the header alone.
    s.state.StopRequested = false;
    s.op.interruptAtWaitMessage.clear();
    s.Write({kHeader});
    s.Run();
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CLIENTS.TXT"), std::string(kHeader) + "\r\n");
}
