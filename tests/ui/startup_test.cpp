#include "platform/cp932.h"
#include "platform/dialog_service.h"
#include "platform/ini_file.h"
#include "support/temp_home.h"
#include "editor/nc_editor.h"
#include "ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct Started
{
    explicit Started(const TempHome&, const QStringList& args = {}) : form(args, &boxes)
    {
        form.show();
        QApplication::processEvents(); // first show and first idle
    }
    QAction* item(const char* name) const { return form.action(QString::fromLatin1(name)); }
    QString menuTitle(const char* name) const
    {
        return form.findChild<QMenu*>(QString::fromLatin1(name))->title();
    }

    ScriptedDialogService boxes;
    TMainForm form;
};

} // namespace

TEST(Startup, FirstStartAndExitWriteTheDefaultSettings)
{
    TempHome home;
    home.write("kelvra.tmp", "left over from last time");
    {
        Started s(home);
        EXPECT_EQ(home.read("kelvra.tmp"), QByteArray()) << "emptied at every start";
        EXPECT_TRUE(s.form.windowTitle().startsWith("Kelvra Ver"));
        EXPECT_TRUE(s.form.windowTitle().contains(" (Win98/Me/2000/XP)"));
        EXPECT_EQ(s.form.SetNo(), 1);
        EXPECT_TRUE(s.item("Set1")->isChecked());
        EXPECT_EQ(s.menuTitle("SetMenu"), QString::fromUtf8("通信設定切換(設定1)"));
        s.item("FileExit1")->trigger();
        EXPECT_FALSE(s.form.isVisible());
        EXPECT_TRUE(s.boxes.shown().isEmpty());
    }
    const QByteArray ini = home.read("kelvra.INI");
    ASSERT_FALSE(ini.isEmpty());
    EXPECT_TRUE(ini.startsWith("[Main]\r\nTop =10\r\nLeft=10\r\n"));
    EXPECT_LT(ini.indexOf("[Recent File List]"), ini.indexOf("[Edit]"));
    EXPECT_LT(ini.indexOf("[Edit]"), ini.indexOf("[Setting]"));
    EXPECT_LT(ini.indexOf("[Setting]"), ini.indexOf("[Options]"));
    EXPECT_LT(ini.indexOf("[Options]"), ini.indexOf("[Print]"));
    EXPECT_TRUE(ini.contains(Cp932::encode(QString::fromUtf8("SetNameP=OSP専用_NO.2\r\n"))));
    EXPECT_TRUE(ini.contains("SetNo=1\r\n"));
    EXPECT_TRUE(ini.contains("DC3(0X93)=Y\r\n"));
    EXPECT_TRUE(ini.contains("op22=N\r\n"));
    EXPECT_EQ(home.read("kelvra.tmp"), QByteArray());
}

TEST(Startup, ReadsHandEditedSettings)
{
    TempHome home;
    home.write("kelvra.INI", "[MAIN]\r\n Top = 120\r\n[setting]\r\nsetno=3\r\n"
                             "SetName3=Lathe\r\n[options]\r\nOP11=1\r\n");
    Started s(home);
    EXPECT_EQ(s.form.SetNo(), 3);
    EXPECT_EQ(s.form.y(), 120);
    EXPECT_TRUE(s.item("Set3")->isChecked());
    EXPECT_EQ(s.item("Set3_s")->text(), "Lathe");
    EXPECT_EQ(s.menuTitle("SetMenu"), QString::fromUtf8("通信設定切換(Lathe)"));
    EXPECT_EQ(s.menuTitle("SetMenuS_s"), QString::fromUtf8("通信設定切換(Lathe)"));
    EXPECT_TRUE(s.item("send_step")->isChecked());
}

TEST(Startup, CommandLineSelectsTheProfileAsNumberedForOperators)
{
    struct Case
    {
        const char* arg;
        int profile;
        const char* item;
    };
    for (const Case& c : {Case{"N=11", 6, "SetO"}, Case{"N=6", 7, "Set6"}, Case{"N=0", 1, "Set1"},
                          Case{"/N=12", 12, "SetP"}}) {
        TempHome home;
        Started s(home, {QString::fromLatin1(c.arg)});
        EXPECT_EQ(s.form.SetNo(), c.profile) << c.arg;
        EXPECT_TRUE(s.item(c.item)->isChecked()) << c.arg;
    }
}

TEST(Startup, ProfileMenuLoadsTheProfileFile)
{
    TempHome home;
    home.write("SetData6.ini", "[Setting_S]\r\nSpeed=4\r\nPort=COM7\r\n");
    Started s(home);
    s.item("Set6")->trigger();
    EXPECT_EQ(s.form.SetNo(), 7);
    EXPECT_EQ(s.form.activeProfile().send.Speed, 4);
    EXPECT_EQ(s.form.activeProfile().send.Port, "COM7");
    EXPECT_EQ(s.menuTitle("SetMenu"), QString::fromUtf8("通信設定切換(設定6)"));
    EXPECT_TRUE(s.item("Set6_s")->isChecked());
    s.item("SetP_s")->trigger(); // the tray twin selects the same way
    EXPECT_EQ(s.form.SetNo(), 12);
    EXPECT_TRUE(s.item("SetP")->isChecked());
}

TEST(Startup, OpenFileGivenByAbsolutePath)
{
    TempHome home;
    home.write("O1234.NC", "O1234\r\nG0 X1.\r\nM30\r\n");
    Started s(home, {home.file("O1234.NC"), "END"});
    EXPECT_EQ(s.form.DocumentName(), home.file("O1234.NC"));
    EXPECT_TRUE(s.form.windowTitle().startsWith(QString::fromUtf8("<編集>") + home.file("O1234.NC") +
                                                " - Kelvra Ver"));
    EXPECT_TRUE(s.form.transfer().ExitAfterTransfer);
    EXPECT_EQ(s.form.config().DataFolder, home.path());
    EXPECT_EQ(s.form.config().RecentFiles.first(), home.file("O1234.NC"));
}

TEST(Startup, LogViewShowsTheLastLogOrSaysItIsMissing)
{
    TempHome home;
    Started s(home);
    s.item("Menu_read")->trigger();
    EXPECT_EQ(s.boxes.shownTexts(), QStringList(QString::fromUtf8("受信ﾛｸﾞﾌｧｲﾙが見つかりません｡")));
    EXPECT_FALSE(s.form.logViewActive());
    EXPECT_TRUE(s.form.findChild<QWidget*>("RichEdit1")->isVisible());

    home.write("kelvra_S.log", Cp932::encode(QString::fromUtf8("2009/06/10 12:14:58  送信完了\n")));
    s.item("Menu_send")->trigger();
    EXPECT_TRUE(s.form.logViewActive());
    EXPECT_EQ(s.form.findChild<NcEditor*>("RichEdit2")->plainText(),
              QString::fromUtf8("2009/06/10 12:14:58  送信完了\n"));
    // The log view locks everything but its own menu.
    EXPECT_FALSE(s.form.findChild<QToolButton*>("SpeedButton10")->isEnabled());
    EXPECT_FALSE(s.form.findChild<QMenu*>("FileNew")->menuAction()->isEnabled());
    EXPECT_TRUE(s.form.findChild<QMenu*>("Menu_log")->menuAction()->isEnabled());
    EXPECT_FALSE(s.form.findChild<QToolButton*>("SpeedButton13")->isEnabled());

    s.item("Menu_log_e")->trigger();
    EXPECT_FALSE(s.form.logViewActive());
    EXPECT_TRUE(s.form.findChild<QToolButton*>("SpeedButton10")->isEnabled());
    EXPECT_TRUE(s.form.findChild<QMenu*>("FileNew")->menuAction()->isEnabled());
}

TEST(Startup, UnwritableSettingsAreReportedAndTheWindowStillCloses)
{
    TempHome home;
    Started s(home);
    qputenv("KELVRA_HOME", home.file("kelvra.tmp").toUtf8()); // a file: nothing can go below it
    s.item("FileExit1")->trigger();
    EXPECT_FALSE(s.form.isVisible());
    EXPECT_EQ(s.boxes.shownTexts(), QStringList(QString::fromUtf8("kelvra.INI に書き込めません")));
}
