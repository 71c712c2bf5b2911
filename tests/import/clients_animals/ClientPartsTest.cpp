#include "import/clients_animals/CallerID.h"
#include "import/clients_animals/ClientDiscounts.h"
#include "import/clients_animals/ClientInsert.h"
#include "import/clients_animals/ClientLoyalty.h"
#include "import/clients_animals/DemoAnonymisation.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;

TEST(ClientParts, DiscountDefinitionLine) {
    TRemiseDef def;
    EXPECT_EQ(def.ToLine(), "1\t1\t100\t0\t\t\t\t\t\t\t0");
    def.Target = 1;
    def.Kind = 101;
    def.Rate = 15;
    def.CategoryName = "VACCINS";
    def.Flag = true;
    EXPECT_EQ(def.ToLine(), "1\t1\t101\t15\t\t\t\t\tVACCINS\t\t1");
}

TEST(ClientParts, LoyaltyCreditAndPhoneNumbers) {
    EXPECT_EQ(LoyaltyCredit(123456, 500), 6173);
    EXPECT_EQ(PhoneToNumber("05 46 12 34 56"), 546123456);
    EXPECT_EQ(PhoneToNumber("05.46.12.34.5"), 0);
    EXPECT_EQ(PhoneToNumber(""), 0);
}

TEST(ClientParts, InsertFormsByBuild) {
    const auto parameters = [](const std::string &sql) { return std::count(sql.begin(), sql.end(), ':'); };
    EXPECT_EQ(parameters(ClientInsertSQL(80)), 106);
    EXPECT_EQ(parameters(ClientInsertSQL(81)), 109);
    EXPECT_NE(ClientInsertSQL(81).find("ECARNET_STATUS, GROUPE01, MODE_COURRIER)"), std::string::npos);
}

TEST(ClientParts, DemoPhonesAndMail) {
    DemoAnonymisation demo(42);
    for (int i = 0; i < 20; ++i) {
        const std::string home = demo.MakeDemoHomePhone();
        const std::string mobile = demo.MakeDemoMobilePhone();
        ASSERT_EQ(home.size(), 14u);
        EXPECT_EQ(home.substr(0, 6), "05 46 ");
        EXPECT_EQ(mobile.substr(0, 3), "06 ");
        EXPECT_EQ(PhoneToNumber(mobile) / 100000000, 6);
    }
    EXPECT_EQ(DemoAnonymisation::ListBoxVilleDemo().size(), 23u);
    EXPECT_EQ(DemoAnonymisation::MakeDemoEmail(7), std::string("mon.email7@") + kDemoMailDomain);
}
