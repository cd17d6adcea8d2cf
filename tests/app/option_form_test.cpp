#include "app/option_form.h"
#include "app/options.h"
#include "platform/dialog_service.h"
#include "platform/ini_file.h"
#include "support/temp_home.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

struct Fixture
{
    TempHome home;
    Options options;
    ScriptedDialogService boxes;
    TOptionForm form{options, boxes};
    QTableWidget* grid = form.findChild<QTableWidget*>("ValueListEditor1");
    QPushButton* apply = form.findChild<QPushButton*>("Button1");
    QPushButton* back = form.findChild<QPushButton*>("Button2");

    QString value(int row) const { return grid->item(row, 1)->text(); }
};

} // namespace

TEST(OptionForm, ShowsEveryOptionInRowOrder)
{
    Fixture f;
    f.form.FormShow();
    ASSERT_EQ(f.grid->rowCount(), 22);
    for (int row = 0; row < 22; ++row) {
        const QString expected = row == 5 ? "Y" : (row == 3 || row == 4) ? "" : "N";
        EXPECT_EQ(f.value(row), expected) << row;
    }
    EXPECT_EQ(f.grid->item(7, 0)->text(), QString::fromUtf8("(共通)送受信完了後、PC電源断を有効にする"));
    EXPECT_FALSE(f.apply->isEnabled());
    EXPECT_EQ(f.grid->currentRow(), 0);
    EXPECT_EQ(f.grid->currentColumn(), 1);
}

TEST(OptionForm, PickListRowsOfferOnlyYesAndNo)
{
    Fixture f;
    f.form.FormShow();
    f.grid->openPersistentEditor(f.grid->item(0, 1));
    auto* combo = qobject_cast<QComboBox*>(f.grid->cellWidget(0, 1));
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->count(), 2);
    f.grid->openPersistentEditor(f.grid->item(3, 1));
    EXPECT_EQ(qobject_cast<QComboBox*>(f.grid->cellWidget(3, 1)), nullptr) << "row 3 is free text";
}

TEST(OptionForm, ApplyCopiesRowsIntoTheOptions)
{
    Fixture f;
    f.form.FormShow();
    f.grid->item(0, 1)->setText("Y");
    f.grid->item(3, 1)->setText("com3");
    EXPECT_TRUE(f.apply->isEnabled());
    EXPECT_EQ(f.options.op3, "N") << "nothing changes before apply";
    f.apply->click();
    EXPECT_EQ(f.options.op3, "Y");
    EXPECT_EQ(f.options.ModemePort1, "com3") << "stored as typed";
    EXPECT_FALSE(f.apply->isEnabled());
}

TEST(OptionForm, ClosingWithUnappliedEditsAsksFirst)
{
    struct Case
    {
        int answer;
        const char* op22;
    };
    // "Leave without saving?" Yes discards; anything else applies.
    for (const Case& c : {Case{BoxButton::Yes, "N"}, Case{BoxButton::No, "Y"}}) {
        Fixture f;
        f.form.FormShow();
        f.grid->item(21, 1)->setText("Y");
        f.boxes.answer(c.answer);
        f.back->click();
        ASSERT_EQ(f.boxes.shown().size(), 1);
        EXPECT_EQ(f.boxes.shown()[0].text,
                  QString::fromUtf8("ｵﾌﾟｼｮﾝ設定が変更されています｡\n保存せずに終了しますか？"));
        EXPECT_EQ(f.boxes.shown()[0].caption, QString::fromUtf8("ｵﾌﾟｼｮﾝ設定"));
        EXPECT_EQ(f.options.op22, c.op22);
        // The dialog's position is kept in Sub.ini.
        EXPECT_TRUE(IniFile(f.home.file("Sub.ini")).hasKey("OptionPos", "Left"));
    }
    Fixture f;
    f.form.FormShow();
    f.back->click();
    EXPECT_TRUE(f.boxes.shown().isEmpty()) << "no question without edits";
}

TEST(OptionForm, CentresOnTheMainWindow)
{
    EXPECT_EQ(TOptionForm::placement(QRect(100, 50, 600, 400), QSize(300, 201)), QPoint(250, 150));
    // Off the top-left of the screen: the main window's corner instead.
    EXPECT_EQ(TOptionForm::placement(QRect(0, 0, 200, 100), QSize(500, 500)), QPoint(0, 0));
}
