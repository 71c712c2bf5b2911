#include "app/Operator.h"
#include "support/ScriptedOperator.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(StyledBox, LayoutPutsShortMessagesInTheMiddle) {
    EXPECT_EQ(PrepareMessageText("##Fin de l'op"), "\r\n\r\nFin de l'op");
    EXPECT_EQ(PrepareMessageText("Aucun#dans la base.#Il faut"), "\r\nAucun\r\ndans la base.\r\nIl faut");
    // Two '#' removed, the third becomes a break, and two more go in front since there is only one.
    EXPECT_EQ(PrepareMessageText("###A"), "\r\n\r\n\r\nA");
    EXPECT_EQ(PrepareMessageText("a#b#c#d"), "a\r\nb\r\nc\r\nd");
}

TEST(StyledBox, ButtonsAndAnswers) {
    const StyledBox question = MakeStyledBox("Avez-vous ?", 2, mbOui, mbNon);
    EXPECT_EQ(question.leftCaption(), "Oui");
    EXPECT_EQ(question.rightCaption(), "Non");
    EXPECT_EQ(question.Result(true), mbOui);   // Enter presses the default, left button
    EXPECT_EQ(question.Result(false), mbNon);  // Escape, the right button or closing the box
    const StyledBox info = MakeStyledBox("x", 1, mbOk, mbNon);
    EXPECT_EQ(info.rightCaption(), "Ok");
    EXPECT_EQ(info.leftCaption(), "");
    EXPECT_EQ(info.Result(false), mbOk);
    EXPECT_EQ(ButtonCaption(6), "");
}

TEST(StyledBox, ShowMessageBoxMapsButtonSets) {
    struct Case {
        unsigned buttons;
        int mode, button1, button2;
    } cases[] = {
        {dbOK, 1, mbOk, -1},
        {dbYes, 1, mbOui, -1},
        {dbIgnore, 1, mbIgnorer, -1},
        {dbYes | dbNo, 2, mbOui, mbNon},
        {dbOK | dbCancel, 2, mbOk, mbAnnuler},
        {dbRetry | dbIgnore, 2, mbRecommencer, mbIgnorer},
        {dbRetry | dbCancel | dbHelp, 2, mbRecommencer, mbAnnuler},
    };
    for (const auto &c : cases) {
        StyledBox box;
        ASSERT_TRUE(StyledBoxForButtons(c.buttons, box)) << c.buttons;
        EXPECT_EQ(box.mode, c.mode) << c.buttons;
        EXPECT_EQ(box.button1, c.button1) << c.buttons;
        if (c.mode == 2) {
            EXPECT_EQ(box.button2, c.button2) << c.buttons;
        }
    }
    StyledBox box;
    EXPECT_FALSE(StyledBoxForButtons(dbYes | dbNo | dbCancel, box));
    EXPECT_FALSE(StyledBoxForButtons(dbHelp, box));

    test::ScriptedOperator op;
    op.answers = {mbNon};
    EXPECT_EQ(op.ShowMessageBox("q", MessageKind::Confirmation, dbYes | dbNo, 0), mrNo);
    EXPECT_EQ(op.ShowMessageBox("q", MessageKind::Information, dbOK, 0), mrOk);
    op.ShowInfoMessage("##Fin");
    EXPECT_EQ(op.messages.back(), "\r\n\r\nFin");
}
