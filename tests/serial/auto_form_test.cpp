#include "platform/dialog_service.h"
#include "serial/auto_form.h"
#include "serial/auto_selection.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class AutoFormTest : public ::testing::Test
{
protected:
    AutoFormTest()
    {
        form.setMainWindowGeometry(QRect(100, 200, 800, 600));
        form.show();
        form.activateWindow();
        QApplication::processEvents();
    }

    void type(const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form.LabeledEdit1, &press);
        }
    }
    void press(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier,
                        key == Qt::Key_Return ? QString("\r") : QString());
        QApplication::sendEvent(form.LabeledEdit1, &event);
    }

    ScriptedDialogService dialogs;
    TAutoForm form{dialogs};
};

TEST_F(AutoFormTest, ShowsItselfCentredWithAnEmptyField)
{
    EXPECT_EQ(form.windowTitle(), "自動切替");
    EXPECT_TRUE(form.LabeledEdit1->text().isEmpty());
    EXPECT_EQ(form.pos(), AutoSelection::CentredPosition(QRect(100, 200, 800, 600), form.size()));
    EXPECT_EQ(form.Button1->text(), "ＯＮ");
    EXPECT_EQ(form.Button2->text(), "ｷｬﾝｾﾙ");
}

TEST_F(AutoFormTest, OnlyDigitsZeroToFiveAndMinusAreTyped)
{
    type("16A -5");
    EXPECT_EQ(form.LabeledEdit1->text(), "1-5");
    ASSERT_EQ(dialogs.shown().size(), 3); // "6", "A" and the blank were refused
    for (const BoxRequest& box : dialogs.shown()) {
        EXPECT_EQ(box.text, "この文字は変更できません｡\n");
        EXPECT_EQ(box.caption, "確認");
        EXPECT_EQ(box.icon, BoxIcon::Error);
        EXPECT_EQ(box.buttons, int(BoxButton::Ok));
    }
    type("2"); // a fourth character does not fit
    EXPECT_EQ(form.LabeledEdit1->text(), "1-5");

    press(Qt::Key_Backspace);
    EXPECT_EQ(form.LabeledEdit1->text(), "1-");
}

TEST_F(AutoFormTest, EnterMovesToOnOnlyWithText)
{
    press(Qt::Key_Return);
    EXPECT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(form.isVisible());

    type("2");
    press(Qt::Key_Return);
    EXPECT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(form.isVisible()); // Enter does not confirm by itself
    EXPECT_TRUE(form.Button1->hasFocus());
}

TEST_F(AutoFormTest, OnConfirmsTheNumberAndCancelDoesNot)
{
    type("1-3");
    form.Button1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.SelectionNumber(), "1-3");

    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(form.LabeledEdit1->text().isEmpty()); // typed anew for every transfer
    type("4");
    form.Button2->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST(AutoSelection, KeyClassification)
{
    using AutoSelection::KeyVerdict;
    for (QChar c : QString("012345-\b"))
        EXPECT_EQ(AutoSelection::ClassifyKey(c, false), KeyVerdict::Accept) << int(c.unicode());
    for (QChar c : QString("6789aA +.*"))
        EXPECT_EQ(AutoSelection::ClassifyKey(c, false), KeyVerdict::Refuse) << int(c.unicode());
    EXPECT_EQ(AutoSelection::ClassifyKey('\r', true), KeyVerdict::Refuse);
    EXPECT_EQ(AutoSelection::ClassifyKey('\r', false), KeyVerdict::ConfirmOn);
}

TEST(AutoSelection, PlacementFallsBackToTheMainWindowEdge)
{
    EXPECT_EQ(AutoSelection::CentredPosition(QRect(100, 200, 800, 600), QSize(200, 100)),
              QPoint(400, 450));
    EXPECT_EQ(AutoSelection::CentredPosition(QRect(0, 0, 100, 80), QSize(300, 200)), QPoint(0, 0));
}

} // namespace
