#include "ui/main_form.h"

#include "editor/nc_editor.h"
#include "platform/cp932.h"
#include "platform/dialog_service.h"
#include "support/temp_home.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class MainFormTest : public ::testing::Test
{
protected:
    void open(const QStringList& arguments = {})
    {
        form = std::make_unique<TMainForm>(arguments, &dialogs);
        form->show();
        QCoreApplication::processEvents();
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        home.write(name, bytes);
        return home.file(name);
    }
    template <typename T>
    T* find(const char* name)
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString panel(int n)
    {
        return form->findChild<QWidget*>(QStringLiteral("StatusBar1"))
            ->findChildren<QLabel*>()
            .value(n)
            ->text();
    }
    void runIndexTimer()
    {
        form->timer4()->stop();
        form->Timer4Timer();
    }
    QByteArray programText()
    {
        QByteArray text;
        for (int n = 1; n <= 300; ++n)
            text += (n == 1 || n == 150 || n == 190 || n == 260 ? "O" + QByteArray::number(n)
                                                                : QByteArray("G01 X1.")) +
                    "\r\n";
        return text;
    }

    TempHome home;
    ScriptedDialogService dialogs;
    std::unique_ptr<TMainForm> form;
};

} // namespace

TEST_F(MainFormTest, OpenFromCommandLineShowsTitleSizeAndPrograms)
{
    const QString path = writeFile(QStringLiteral("A.NC"), programText());
    open({path});
    EXPECT_EQ(form->windowTitle(), QStringLiteral("<編集>") + path + QStringLiteral(" - Kelvra") +
                                       form->VersionSuffix());
    EXPECT_EQ(panel(0), QStringLiteral("ｻｲｽﾞ : ") +
                            QString::number(QFileInfo(path).size() / 1024.0, 'f', 3) +
                            QStringLiteral("KB"));
    runIndexTimer();
    auto* combo = find<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), QStringLiteral("00260-O260"));
    EXPECT_EQ(form->ProgramLetter(), QStringLiteral("O"));
    EXPECT_EQ(form->config().RecentFiles.first(), path);
    EXPECT_EQ(form->config().DataFolder, home.path());
}

TEST_F(MainFormTest, TitlesPerKind)
{
    open();
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Kelvra") + form->VersionSuffix() +
                                               QStringLiteral(" (Win98/Me/2000/XP)")));
    form->options().op22 = QStringLiteral("Y");
    form->open1Click();
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("<新規作成>無題 - Kelvra") + form->VersionSuffix());
    EXPECT_EQ(panel(0), QStringLiteral("ｻｲｽﾞ"));
    QTest::keyClicks(form->editor(), QStringLiteral("g01x100"));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("G01X100"));
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("<編集><変更>無題 - Kelvra") + form->VersionSuffix());
    EXPECT_EQ(panel(4), QStringLiteral("<変更>"));
    EXPECT_EQ(panel(1), QStringLiteral("1 , 8"));
}

TEST_F(MainFormTest, ProgramLetterFollowsTheDocument)
{
    open();
    form->editor()->setFocus();
    QTest::keyClicks(form->editor(), QStringLiteral("o1\r:2\rN:3"));
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("O1\r\nO2\r\nN:3"));
}

TEST_F(MainFormTest, SaveOfUntitledAsksForAName)
{
    open();
    QTest::keyClicks(form->editor(), QStringLiteral("O1"));
    const QString target = home.file(QStringLiteral("B.NC"));
    dialogs.answerFile(target, 1);
    form->FileSaveClick();
    ASSERT_EQ(dialogs.fileRequests().size(), 1);
    EXPECT_EQ(form->DocumentName(), target);
    EXPECT_EQ(home.read(QStringLiteral("B.NC")), QByteArray("O1"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("無題")));
    EXPECT_FALSE(form->editor()->isModified());
    EXPECT_EQ(form->TitleKind(), 1);
}

TEST_F(MainFormTest, ExitWithCancelKeepsTheText)
{
    open();
    QTest::keyClicks(form->editor(), QStringLiteral("N10"));
    dialogs.answer(BoxButton::Cancel);
    form->FileExit1Click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("N10"));
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().first().caption, QStringLiteral("編集"));
    dialogs.answer(BoxButton::No); // let the fixture close it
    form->close();
}

TEST_F(MainFormTest, JumpSelectsTheProgramLineAndDropsStaleEntries)
{
    open({writeFile(QStringLiteral("A.NC"), programText())});
    runIndexTimer();
    auto* combo = find<QComboBox>("ComboBox1");
    form->ComboBox1Click(2);
    EXPECT_EQ(form->editor()->caretLine(), 189 + 0); // selection runs forward on line 190
    EXPECT_EQ(form->editor()->selectedText(), QStringLiteral("O190"));
    EXPECT_EQ(form->editor()->firstVisibleLine(), 188);

    // Edit line 150, then pick its entry: it goes, and the caret's program is selected.
    form->editor()->setCaretPosition(form->editor()->lineStart(149) + 1);
    form->editor()->replaceSelection(QStringLiteral("X"));
    form->editor()->setCaretPosition(form->editor()->lineStart(200));
    form->ComboBox1Click(1);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("00190-O190"));
}

TEST_F(MainFormTest, IncrementalRebuildAfterEnters)
{
    open({writeFile(QStringLiteral("A.NC"), programText())});
    runIndexTimer();
    form->editor()->setCaretPosition(form->editor()->lineStart(199));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form->editor(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->timer4()->isActive()); // debounced
    runIndexTimer();
    QList<int> lines;
    for (const ProgramIndexEntry& e : form->programIndex().entries())
        lines.append(e.line);
    EXPECT_EQ(lines, (QList<int>{1, 150, 190, 263}));
    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentIndex(), 2);
}

TEST_F(MainFormTest, LocksAndEditCommandRefresh)
{
    open();
    auto* abort = find<QToolButton>("SpeedButton13");
    EXPECT_FALSE(abort->isEnabled());
    form->EditMenuClick();
    EXPECT_FALSE(form->action(QStringLiteral("EditCut"))->isEnabled());
    EXPECT_FALSE(find<QToolButton>("SpeedButton5")->isEnabled());
    EXPECT_TRUE(form->action(QStringLiteral("EditPaste"))->isEnabled());

    form->SetTransferMode(true);
    EXPECT_TRUE(abort->isEnabled());
    EXPECT_FALSE(find<QToolButton>("SpeedButton1")->isEnabled());
    EXPECT_FALSE(form->action(QStringLiteral("Send"))->isEnabled());
    EXPECT_TRUE(form->action(QStringLiteral("stop_s"))->isEnabled());
    EXPECT_TRUE(find<QWidget>("StatusBar2")->isVisible());
    // F3 and Escape abort while the abort button is enabled.
    QTest::keyClick(form->editor(), Qt::Key_F3);
    EXPECT_TRUE(form->transfer().AbortRequested);
    form->SetTransferMode(false);
    EXPECT_FALSE(abort->isEnabled());
    EXPECT_TRUE(find<QToolButton>("SpeedButton1")->isEnabled());
    EXPECT_TRUE(find<QWidget>("StatusBar1")->isVisible());

    form->SetScanMode(true);
    EXPECT_TRUE(abort->isEnabled());
    EXPECT_TRUE(form->action(QStringLiteral("Send"))->isEnabled()); // the tray stays
    form->SetScanMode(false);
    EXPECT_FALSE(abort->isEnabled());

    form->SetEditorStatus(1, QStringLiteral("anything"));
    EXPECT_EQ(panel(1), QStringLiteral("1 , 1"));
    EXPECT_EQ(form->minimumSize(), QSize(626, 400));
}

TEST_F(MainFormTest, BarFaces)
{
    open();
    form->ShowTransferBar();
    EXPECT_FALSE(find<QComboBox>("ComboBox1")->isVisible());
    EXPECT_TRUE(find<QLineEdit>("LabeledEdit1")->isVisible());
    EXPECT_TRUE(find<QLabel>("Label2")->isVisible());
    form->ShowProgramNumberBar();
    EXPECT_TRUE(find<QComboBox>("ComboBox1")->isVisible());
    EXPECT_FALSE(find<QLineEdit>("LabeledEdit2")->isVisible());
}

TEST_F(MainFormTest, CompletionOnF1)
{
    home.write(QStringLiteral("kelvra.DEF"), "GOTO\r\nG65\r\nM98\r\nM99\r\n");
    home.write(QStringLiteral("kelvra.INI"), "[Options]\r\nop19=Y\r\n");
    open();
    form->editor()->setFocus();
    QTest::keyClicks(form->editor(), QStringLiteral("m"));
    QTest::keyClick(form->editor(), Qt::Key_F1);
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("M98"));
    EXPECT_EQ(form->editor()->selectedText(), QStringLiteral("98"));
    QTest::keyClick(form->editor(), Qt::Key_F1);
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("M99"));
    QTest::keyClicks(form->editor(), QStringLiteral("p"));
    EXPECT_EQ(form->editor()->plainText(), QStringLiteral("M99P"));
}

TEST_F(MainFormTest, CaretPanelsAndSelectProgram)
{
    open({writeFile(QStringLiteral("A.NC"), Cp932::encode(QStringLiteral("%\r\nO1 (あ)\r\nN1\r\nO2\r\n")))});
    form->editor()->setCaretPosition(form->editor()->lineStart(1) + 4);
    form->ShowCaretPosition();
    EXPECT_EQ(panel(1), QStringLiteral("2 , 5"));
    EXPECT_EQ(panel(2), QStringLiteral("(82A0)"));
    form->editor()->setCaretPosition(form->editor()->lineStart(2) + 2);
    form->ShowCaretPosition();
    EXPECT_EQ(panel(2), QString()); // end of the line
    form->FileNukidasiClick();
    EXPECT_EQ(form->editor()->selectedText(), QStringLiteral("O1 (あ)\r\nN1\r\n"));
    EXPECT_EQ(panel(5), QStringLiteral("選択範囲"));
}
