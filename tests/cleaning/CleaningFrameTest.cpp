#include "cleaning/AccountingPurge.h"
#include "cleaning/CleaningFixture.h"
#include "cleaning/EmptyTables.h"
#include "cleaning/SitePurge.h"

#include <gtest/gtest.h>

#include <functional>

using namespace clinova;
using test::CleaningFixture;

namespace {

struct Button {
    const char *name;
    std::function<CleaningOutcome(RunState &)> click;
    const char *says; // what its second question names
};

const std::vector<Button> &DestructiveButtons() {
    static const std::vector<Button> buttons = {
        {"btnDelete", [](RunState &s) { return EmptyTables(s, true); }, "clients, animaux, dossiers médicaux"},
        {"XiButton2", [](RunState &s) { return EmptyTables(s, false); }, "comptabilité de tous les sites"},
        {"XiButton4", [](RunState &s) { return XiButton4Click(s); }, "antérieurs au 01/01/2019"},
        {"XiButton5", XiButton5Click, "comptabilité du site 4 "},
        {"XiButton6", XiButton6Click, "comptabilité du site 1 "},
    };
    return buttons;
}

const char *const kClosed = "\r\n\r\nAvez-vous fermé Clinova ?";

} // namespace

TEST(CleaningFrame, NonToEitherQuestionMakesNoConnection) {
    for (const auto &button : DestructiveButtons()) {
        for (const bool atSecond : {false, true}) {
            test::RecordingOperator op;
            RunState state(op);
            state.options.edPathNameDatabase = "/nonexistent/BASE.FDB";
            state.options.edIDSITECompta = "4";
            op.answers = atSecond ? std::deque<int>{mbOui, mbNon} : std::deque<int>{mbNon};
            EXPECT_EQ(button.click(state), CleaningOutcome::Refused) << button.name;
            ASSERT_EQ(op.messages.size(), atSecond ? 2u : 1u) << button.name;
            EXPECT_EQ(op.messages[0], kClosed);
            if (atSecond) {
                EXPECT_NE(op.messages[1].find(button.says), std::string::npos) << op.messages[1];
                EXPECT_NE(op.messages[1].find("définitivement"), std::string::npos) << op.messages[1];
            }
            EXPECT_EQ(op.waitShown, 0) << button.name;
            EXPECT_TRUE(op.log.empty()) << button.name;
        }
    }
}

TEST(CleaningFrame, OuiToBothConnectsAndAFailedConnectionIsShown) {
    for (const auto &button : DestructiveButtons()) {
        test::RecordingOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = "/nonexistent/BASE.FDB";
        state.options.edIDSITECompta = "4";
        EXPECT_EQ(button.click(state), CleaningOutcome::Failed) << button.name;
        ASSERT_EQ(op.messages.size(), 3u) << button.name;
        EXPECT_NE(op.messages[2].find("BASE.FDB"), std::string::npos) << op.messages[2];
        EXPECT_TRUE(op.log.empty()) << button.name;
        EXPECT_EQ(op.waitHidden, 1) << button.name;
        EXPECT_FALSE(state.db.IsOpen());
    }
}

TEST(CleaningFrame, NonToTheSecondQuestionKeepsEveryRow) {
    CleaningFixture f;
    f.ExecAll({CleaningFixture::FillSql("CLIENTS", 1, 3),
               "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (1, 1, '2018-01-01 00:00:00')"});
    f.state.options.edIDSITECompta = "1";
    for (const auto &button : DestructiveButtons()) {
        f.op.answers = {mbOui, mbNon};
        EXPECT_EQ(button.click(f.state), CleaningOutcome::Refused) << button.name;
    }
    EXPECT_EQ(f.Count("CLIENTS"), 3);
    EXPECT_EQ(f.Count("FACTURES"), 1);
}

// The second question names the database, with its server in IP mode, and Enter there answers "Non"; the
// first question keeps "Oui" as its default.
TEST(CleaningFrame, TheSecondQuestionNamesTheDatabaseAndDefaultsToNon) {
    struct BoxOperator : test::RecordingOperator {
        std::vector<StyledBox> boxes;
        int ShowStyledBox(const StyledBox &box) override {
            boxes.push_back(box);
            return test::RecordingOperator::ShowStyledBox(box);
        }
    };
    for (const bool server : {false, true}) {
        for (const auto &button : DestructiveButtons()) {
            BoxOperator op;
            RunState state(op);
            state.options.edPathNameDatabase = "C:\\Clinova\\BASE.CN2";
            state.options.edIDSITECompta = "4";
            if (server) {
                state.options.RadioButtonIP = true;
                state.options.RadioButtonLocal = false;
                state.options.edIP1 = "192";
                state.options.edIP2 = "168 ";
                state.options.edIP3 = "1";
                state.options.edIP4 = "10";
            }
            op.answers = {mbOui, mbNon};
            EXPECT_EQ(button.click(state), CleaningOutcome::Refused) << button.name;
            ASSERT_EQ(op.boxes.size(), 2u) << button.name;
            EXPECT_FALSE(op.boxes[0].rightIsDefault) << button.name;
            EXPECT_TRUE(op.boxes[1].rightIsDefault) << button.name;
            EXPECT_EQ(ButtonCaption(op.boxes[1].button2), "Non");
            const std::string named = server ? "Base de données : C:\\Clinova\\BASE.CN2 sur le serveur 192.168.1.10\r\n"
                                             : "Base de données : C:\\Clinova\\BASE.CN2\r\n";
            EXPECT_NE(op.messages[1].find(named), std::string::npos) << op.messages[1];
            EXPECT_NE(op.messages[1].find(button.says), std::string::npos) << op.messages[1];
        }
    }
}
