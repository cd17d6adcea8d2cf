#include "platform/cp932.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "support/temp_home.h"
#include "support/transfer_fakes.h"
#include "transfer/send_stream.h"
#include "ui/main_form.h"
#include "ui/status_panel_bar.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A main window whose sends go over a line in memory; the control answers
// the start-signal wait with "%".
struct Window
{
    explicit Window(const TempHome& home, const QStringList& args = {},
                    const QByteArray& profile = {})
    {
        if (!profile.isEmpty())
            home.write("SetData1.ini", profile);
        form = std::make_unique<TMainForm>(args, &boxes);
        form->setDesktopServices(&desktop);
        form->setLinkFactory([this](TransferState&, const SendJob&) {
            auto line = std::make_unique<MemoryLink>();
            line->input = "%";
            line->onSend = [this](qsizetype index, char) { return index == stopAt; };
            lines.append(line.get());
            return std::unique_ptr<TransferLink>(std::move(line));
        });
        form->show();
    }
    QToolButton* button(const char* name) const
    {
        return form->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    QString transferPanel(int panel) const
    {
        return form->findChild<StatusPanelBar*>("StatusBar2")->panelText(panel);
    }
    // Waits until the send has ended and the completion has run.
    bool waitForCompletion()
    {
        return QTest::qWaitFor([this] { return !form->transferRunning() && !button("SpeedButton13")->isEnabled(); },
                               10000);
    }

    ScriptedDialogService boxes;
    RecordingDesktopServices desktop;
    std::unique_ptr<TMainForm> form;
    QList<MemoryLink*> lines;
    qsizetype stopAt = -1;
};

} // namespace

TEST(SendCommand, CommandLineSendClosesTheProgramAfterSuccess)
{
    TempHome home;
    home.write("O1234.NC", "O1234\r\nG0 X1.\r\nM30\r\n%\r\n");
    Window w(home, {"N=1", "S=" + home.file("O1234.NC"), "END"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form->isVisible(); }, 15000));
    ASSERT_EQ(w.lines.size(), 1);
    EXPECT_EQ(w.lines[0]->sent, QByteArray("\nO1234\nG0 X1.\nM30\n\n%"));
    const QString log = Cp932::decode(home.read("kelvra_S.log"));
    EXPECT_TRUE(log.contains(QString::fromUtf8("  送信\n")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("  送信ﾌｧｲﾙ名は") + home.file("O1234.NC") + "\n"));
    EXPECT_TRUE(log.contains(QString::fromUtf8("  送信完了\n")));
    EXPECT_FALSE(home.read("kelvra.INI").isEmpty()) << "closed the normal way";
    EXPECT_EQ(w.desktop.powerOffs, 0) << "Power_Off is N";
}

TEST(SendCommand, StoppedSendLeavesTheProgramOpenAndUnlocksAfterTheCompletion)
{
    TempHome home;
    home.write("O1.NC", "O1\r\nG0 X1.\r\nM30\r\n");
    Window w(home, {"S=" + home.file("O1.NC"), "END"});
    w.stopAt = 4; // the control cancels at "G", after the line feed and "O1" LF
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.transferPanel(2) == QString::fromUtf8("送信中止"); }, 10000));
    EXPECT_TRUE(w.button("SpeedButton13")->isEnabled()) << "locked until the completion";
    EXPECT_FALSE(w.button("SpeedButton10")->isEnabled());
    ASSERT_TRUE(w.waitForCompletion());
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_TRUE(w.button("SpeedButton10")->isEnabled());
    EXPECT_TRUE(Cp932::decode(home.read("kelvra_S.log")).contains(QString::fromUtf8("  送信中止　ｴﾗｰ番号 1014\n")));
}

TEST(SendCommand, RepeatAndSendButtonsSetThePassPanel)
{
    TempHome home;
    Window w(home);
    w.boxes.setDefaultAnswer(BoxButton::Ok);
    // With an empty editor the open dialog comes first; cancelled, nothing is sent.
    w.button("SpeedButton15")->click();
    EXPECT_EQ(w.transferPanel(6), QString::fromUtf8("送信:001"));
    EXPECT_TRUE(w.boxes.shownTexts().contains(QString::fromUtf8("送信ﾃﾞｰﾀが有りません｡")));
    EXPECT_TRUE(w.lines.isEmpty());
    w.button("SpeedButton10")->click();
    EXPECT_EQ(w.transferPanel(6), QString());
}

TEST(SendCommand, ShiftHeldClosesAfterSuccessAndPowersOffWhenAsked)
{
    TempHome home;
    home.write("kelvra.INI", "[Options]\r\nPower_Off=Y\r\n");
    home.write("O1.NC", "O1\r\nM30\r\n");
    Window w(home, {home.file("O1.NC")});
    w.desktop.shift = true;
    w.button("SpeedButton10")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form->isVisible(); }, 15000));
    EXPECT_EQ(w.desktop.powerOffs, 1);
}

TEST(SendCommand, CompletionMailsTheResultWhenTheProfileAsks)
{
    TempHome home;
    home.write("O1.NC", "O1\r\nM30\r\n");
    Window w(home, {home.file("O1.NC")},
             "[Setting_S]\r\nMail_Flg=Y\r\nMail_Address=op@example.com\r\nMail_Subject=NC\r\n");
    w.button("SpeedButton10")->click();
    ASSERT_TRUE(w.waitForCompletion());
    ASSERT_EQ(w.desktop.mails.size(), 1);
    EXPECT_EQ(w.desktop.mails[0].address, "op@example.com");
    EXPECT_EQ(w.desktop.mails[0].subject, "NC");
    EXPECT_TRUE(w.desktop.mails[0].body.startsWith(QString::fromUtf8("開始 ")));
    EXPECT_TRUE(w.desktop.mails[0].body.endsWith(QString::fromUtf8("\n送信無事完了しました｡")));
    EXPECT_EQ(w.desktop.screenSaverStates.first(), false);
    EXPECT_EQ(w.desktop.screenSaverStates.last(), true);
}

TEST(SendCommand, AbortButtonStopsTheWaitForTheStartSignal)
{
    TempHome home;
    home.write("O1.NC", "O1\r\nM30\r\n");
    Window w(home, {home.file("O1.NC")});
    w.form->setLinkFactory([&](TransferState&, const SendJob&) {
        auto line = std::make_unique<MemoryLink>(); // a silent control
        w.lines.append(line.get());
        return std::unique_ptr<TransferLink>(std::move(line));
    });
    w.button("SpeedButton10")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.transferPanel(2) == QString::fromUtf8("送信待機中"); }, 5000));
    w.button("SpeedButton13")->click();
    ASSERT_TRUE(w.waitForCompletion());
    EXPECT_TRUE(Cp932::decode(home.read("kelvra_S.log")).contains(QString::fromUtf8("  送信待機中に手動操作にて中止\n")));
    EXPECT_EQ(w.lines[0]->sent, QByteArray("\x14")) << "the control is told to stop";
}

TEST(SendCommand, ClosingTheWindowDuringASendStopsItFirst)
{
    TempHome home;
    home.write("O1.NC", "O1\r\nM30\r\n");
    Window w(home, {home.file("O1.NC")});
    w.form->setLinkFactory([&](TransferState&, const SendJob&) {
        auto line = std::make_unique<MemoryLink>(); // a control that never starts
        w.lines.append(line.get());
        return std::unique_ptr<TransferLink>(std::move(line));
    });
    w.button("SpeedButton10")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form->transferRunning(); }, 5000));
    w.form->close();
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_FALSE(w.form->transferRunning());
    EXPECT_TRUE(Cp932::decode(home.read("kelvra_S.log")).contains(QString::fromUtf8("  送信待機中に手動操作にて中止\n")));
    EXPECT_FALSE(home.read("kelvra.INI").isEmpty());
}
