// The styled box and the plain boxes as the operator sees and answers them.
#include "GuiTestSupport.h"

#include "gui/QtOperator.h"
#include "normalized/Win1252.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace clinova;
using namespace clinova::test;

namespace {

QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

QString Shown(std::string_view message) {
    TFEditMessage box;
    box.Prepare(MakeStyledBox(FromUtf8(message), 1, mbOk, mbNon));
    return box.MessageLabel()->text();
}

} // namespace

TEST(guiStyledBox, TextIsLaidOutByTheSharpRule) {
    EXPECT_EQ(Shown("##Fin de l'opération d'importation"), Utf8("\n\nFin de l'opération d'importation"));
    EXPECT_EQ(Shown("Aucun vétérinaire n'existe#dans la base de données.#Il faut créer cet utilisateur"),
              Utf8("\nAucun vétérinaire n'existe\ndans la base de données.\nIl faut créer cet utilisateur"));
    EXPECT_EQ(Shown("###A"), QStringLiteral("\n\n\nA"));
    EXPECT_EQ(Shown("a#b#c#d"), QStringLiteral("a\nb\nc\nd"));
}

TEST(guiStyledBox, ButtonsOfBothModes) {
    TFEditMessage two;
    two.Prepare(MakeStyledBox("Question", 2, mbRecommencer, mbIgnorer));
    EXPECT_FALSE(two.LeftButton()->isHidden());
    EXPECT_EQ(two.LeftButton()->text(), QStringLiteral("Recommencer"));
    EXPECT_EQ(two.RightButton()->text(), QStringLiteral("Ignorer"));
    EXPECT_TRUE(two.LeftButton()->isDefault());
    EXPECT_FALSE(two.RightButton()->isDefault());

    TFEditMessage one;
    one.Prepare(MakeStyledBox("Information", 1, mbOk, mbNon));
    EXPECT_TRUE(one.LeftButton()->isHidden());
    EXPECT_EQ(one.RightButton()->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(one.RightButton()->isDefault());
    EXPECT_TRUE(one.windowFlags() & Qt::FramelessWindowHint);
}

TEST(guiStyledBox, EnterAndEscapeAnswers) {
    TFMain window;
    QtOperator &op = window.Op();
    const std::string question = FromUtf8("Avez-vous fermé Clinova ?");

    ModalAnswerer answerer({PressKey(Qt::Key_Escape), PressKey(Qt::Key_Return), PressKey(Qt::Key_Escape),
                            PressKey(Qt::Key_Return), PressKey(Qt::Key_Escape), PressKey(Qt::Key_Return),
                            [](QWidget *modal) {
                                QTest::mouseClick(qobject_cast<TFEditMessage *>(modal)->RightButton(), Qt::LeftButton);
                            }});
    EXPECT_EQ(op.AskConfirmation(question, 2, mbOui, mbNon), mbNon);
    EXPECT_EQ(op.AskConfirmation(question, 2, mbOui, mbNon), mbOui);
    // One button: Enter and Escape both press it.
    EXPECT_EQ(op.AskConfirmation("Info", 1, mbOk, mbNon), mbOk);
    EXPECT_EQ(op.AskConfirmation("Info", 1, mbOk, mbNon), mbOk);
    EXPECT_EQ(op.ShowMessageBox("Continuer ?", MessageKind::Confirmation, dbOK | dbCancel, 0), mrCancel);
    EXPECT_EQ(op.ShowMessageBox("Continuer ?", MessageKind::Confirmation, dbOK | dbCancel, 0), mrOk);
    EXPECT_EQ(op.ShowMessageBox("Encore ?", MessageKind::Confirmation, dbRetry | dbIgnore, 0), mrIgnore);
    EXPECT_EQ(answerer.unexpected, 0);
    EXPECT_EQ(answerer.texts.size(), 7u);
}

TEST(guiStyledBox, StandardDialogAndPlainMessage) {
    TFMain window;
    QtOperator &op = window.Op();
    QStringList captions;
    ModalAnswerer answerer({[&](QWidget *modal) {
                                auto *box = qobject_cast<QMessageBox *>(modal);
                                ASSERT_NE(box, nullptr);
                                for (QAbstractButton *button : box->buttons())
                                    captions << button->text();
                                box->button(QMessageBox::No)->click();
                            },
                            PressKey(Qt::Key_Return)});
    // Three buttons are more than the styled box takes: the standard dialog asks, in French.
    EXPECT_EQ(op.ShowMessageBox(FromUtf8("Écraser ?"), MessageKind::Warning, dbYes | dbNo | dbCancel, 0), mrNo);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Annuler"), QStringLiteral("Non"), QStringLiteral("Oui")}));

    op.ShowMessage(FromUtf8("ID default USER inconnu dans la base"));
    ASSERT_EQ(answerer.texts.size(), 2u);
    EXPECT_EQ(answerer.texts[0], Utf8("Écraser ?"));
    EXPECT_EQ(answerer.texts[1], QStringLiteral("ID default USER inconnu dans la base"));
    EXPECT_EQ(answerer.titles[1], QCoreApplication::applicationName());
}
