#include "app/command_line.h"
#include "platform/dialog_service.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// Records what the rules ask of the main window. Loading a document makes its
// folder the data folder, as the real editor does.
class FakeHost : public CommandLineHost
{
public:
    explicit FakeHost(QString folder) : m_folder(std::move(folder)) {}

    QString dataFolder() const override { return m_folder; }
    void collectFile(const QString& file) override { load("collect", file); }
    bool openForSending(const QString& file) override
    {
        load("open", file);
        return true;
    }
    void saveChangesPrompt() override { calls.append("prompt"); }
    QString collectionFile() const override { return m_collection; }
    void selectProfile(int n) override { calls.append(QString("profile %1").arg(n)); }
    DialogService& dialogs() override { return boxes; }

    void setCollectionFile(const QString& path) { m_collection = path; }

    QStringList calls;
    ScriptedDialogService boxes;

private:
    void load(const char* what, const QString& file)
    {
        calls.append(QString::fromLatin1(what) + " " + file);
        m_folder = QFileInfo(file).absolutePath();
    }
    QString m_folder;
    QString m_collection;
};

class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(home.path()).mkpath("data");
        QDir(home.path()).mkpath("other");
        QDir(home.path()).mkpath("OSP");
        for (const char* f : {"data/a.nc", "data/c.nc", "data/old.nc", "other/x.nc", "k.tmp"})
            home.write(f, "O1\n");
        host.setCollectionFile(home.file("k.tmp"));
    }

    CommandLineState run(const QStringList& args)
    {
        CommandLineState state;
        ProcessCommandLine(args, state, host);
        return state;
    }
    QString data(const QString& name) const { return home.file("data/" + name); }

    TempHome home;
    FakeHost host{home.file("data")};
};

} // namespace

TEST_F(CommandLineTest, SendRequests)
{
    struct Case
    {
        QStringList args;
        char send;
        QString file; // relative to the settings folder
        QStringList calls;
    };
    const QString absolute = home.file("other/x.nc");
    const Case cases[] = {
        {{"S=a.nc"}, 'Y', "data/a.nc", {"open " + data("a.nc")}},
        {{"s=a.nc"}, 'Y', "data/a.nc", {"open " + data("a.nc")}},
        {{"/S=a.nc"}, 'Y', "data/a.nc", {"open " + data("a.nc")}},
        {{"S=" + absolute}, 'Y', "other/x.nc", {"open " + absolute}},
        // Only the first transfer is requested; R= then falls through to nothing.
        {{"S=a.nc", "R=b.nc"}, 'Y', "data/a.nc", {"open " + data("a.nc")}},
        {{"S=missing.nc"}, 'N', "data/missing.nc", {}},
    };
    for (const Case& c : cases) {
        FakeHost fresh(home.file("data"));
        fresh.setCollectionFile(home.file("k.tmp"));
        CommandLineState s;
        ProcessCommandLine(c.args, s, fresh);
        EXPECT_EQ(s.PendingSend, c.send) << c.args.join(' ').toStdString();
        EXPECT_EQ(s.PendingReceive, 'N');
        EXPECT_EQ(s.TransferFileName, home.file(c.file)) << c.args.join(' ').toStdString();
        EXPECT_EQ(fresh.calls, c.calls) << c.args.join(' ').toStdString();
        EXPECT_EQ(fresh.boxes.shown().size(), c.send == 'Y' ? 0 : 1);
    }
    // A missing file is reported as the system reports it.
    run({"S=missing.nc"});
    ASSERT_EQ(host.boxes.shown().size(), 1);
    const BoxRequest& box = host.boxes.shown()[0];
    EXPECT_EQ(box.text, QString::fromUtf8("送信ﾃﾞｰﾀ\n") + data("missing.nc") +
                            QString::fromUtf8("が見つかりません｡"));
    EXPECT_EQ(box.caption, QString::fromUtf8("エラー"));
    EXPECT_EQ(box.buttons, BoxButton::Yes);
}

TEST_F(CommandLineTest, CollectionSkipsMissingFilesAndSendsTheRest)
{
    const CommandLineState s = run({"S01=a.nc", "S02=missing.nc", "S03=c.nc", "SE=Y"});
    EXPECT_EQ(host.calls, QStringList({"collect " + data("a.nc"), "collect " + data("c.nc"),
                                       "open " + home.file("k.tmp")}));
    EXPECT_EQ(host.boxes.shown().size(), 1);
    EXPECT_EQ(s.PendingSend, 'Y');
    EXPECT_EQ(s.TransferFileName, home.file("k.tmp"));
}

TEST_F(CommandLineTest, CollectedFilesChangeTheBaseFolder)
{
    // Loading a document makes its folder the data folder for later names.
    home.write("other/a.nc", "O2\n");
    run({"S01=" + home.file("other/x.nc"), "S02=a.nc"});
    EXPECT_EQ(host.calls.last(), "collect " + home.file("other/a.nc"));
}

TEST_F(CommandLineTest, ReceiveAsksBeforeOverwriting)
{
    host.boxes.answer(BoxButton::No);
    CommandLineState s = run({"R=old.nc"});
    EXPECT_EQ(s.PendingReceive, 'N');
    ASSERT_EQ(host.boxes.shown().size(), 1);
    EXPECT_EQ(host.boxes.shown()[0].text, QString::fromUtf8("すでに") + data("old.nc") +
                                              QString::fromUtf8("が有ります｡\n上書きしますか？"));
    EXPECT_EQ(host.boxes.shown()[0].icon, BoxIcon::Warning);

    host.boxes.clear();
    host.boxes.answer(BoxButton::Yes);
    EXPECT_EQ(run({"R=old.nc"}).PendingReceive, 'Y');

    host.boxes.clear();
    s = run({"R=new.nc"});
    EXPECT_EQ(s.PendingReceive, 'Y');
    EXPECT_EQ(s.TransferFileName, data("new.nc"));
    // A folder (OSP reception) is not an existing file: no question.
    s = run({"R=" + home.file("OSP")});
    EXPECT_EQ(s.PendingReceive, 'Y');
    EXPECT_TRUE(host.boxes.shown().isEmpty());
}

TEST_F(CommandLineTest, ProfileNumbersAsTheOperatorCountsThem)
{
    struct Case
    {
        QString arg;
        QStringList calls;
        int boxes;
    };
    const Case cases[] = {
        {"N=1", {"profile 1"}, 0},   {"N=5", {"profile 5"}, 0},  {"N=6", {"profile 7"}, 0},
        {"N=10", {"profile 11"}, 0}, {"N=11", {"profile 6"}, 0}, {"/n=12", {"profile 12"}, 0},
        {"N=13", {}, 1},             {"N=0", {}, 0},             {"N=-4", {}, 0},
    };
    for (const Case& c : cases) {
        host.calls.clear();
        host.boxes.clear();
        run({c.arg});
        EXPECT_EQ(host.calls, c.calls) << c.arg.toStdString();
        EXPECT_EQ(host.boxes.shown().size(), c.boxes) << c.arg.toStdString();
    }
    host.boxes.clear();
    run({"N=13"});
    EXPECT_EQ(host.boxes.shownTexts(), QStringList(QString::fromUtf8("通信設定番号\n13は存在しません｡")));
}

TEST_F(CommandLineTest, NonNumericProfileStopsTheRemainingArguments)
{
    for (const QString& bad : {QString("N=abc"), QString("N="), QString("N=3x"),
                               QString("N=99999999999")}) {
        host.calls.clear();
        host.boxes.clear();
        const CommandLineState s = run({bad, "S=a.nc", "END"});
        EXPECT_TRUE(s.stoppedOnBadNumber) << bad.toStdString();
        EXPECT_EQ(s.PendingSend, 'N');
        EXPECT_FALSE(s.ExitAfterTransfer);
        EXPECT_EQ(host.boxes.shown().size(), 1);
    }
}

TEST_F(CommandLineTest, EndAndPlainPaths)
{
    EXPECT_TRUE(run({"END"}).ExitAfterTransfer);
    EXPECT_TRUE(run({"/end"}).ExitAfterTransfer);
    EXPECT_FALSE(run({"ENDX1"}).ExitAfterTransfer);

    host.calls.clear();
    const QString first = home.file("other/x.nc");
    const CommandLineState s = run({first, data("a.nc")});
    EXPECT_EQ(host.calls, QStringList({"prompt", "open " + first})) << "only the first path opens";
    EXPECT_EQ(s.PendingSend, 'N');
    EXPECT_FALSE(s.CommandLineFileOpened) << "cleared when the arguments are done";

    // A path under a folder whose name starts with a key is still a path.
    host.calls.clear();
    run({"/ENDMILL/x.nc"});
    EXPECT_EQ(host.calls, QStringList({"prompt", "open /ENDMILL/x.nc"}));
}

TEST_F(CommandLineTest, OddArgumentsAreHarmless)
{
    host.calls.clear();
    const CommandLineState s = run({"", "S=", "=", "\"", "N= 3 "});
    EXPECT_EQ(s.PendingSend, 'N') << "S= names the data folder itself, not a file";
    EXPECT_EQ(host.calls, QStringList({"profile 3"}));
}
