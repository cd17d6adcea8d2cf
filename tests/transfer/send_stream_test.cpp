#include "platform/cp932.h"
#include "support/temp_home.h"
#include "support/transfer_fakes.h"
#include "transfer/send_stream.h"
#include "transfer/transfer_state.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// A send of a small text through the in-memory line; the control's start
// signal is "%" unless the test changes the input.
struct SendFixture
{
    explicit SendFixture(const QString& text)
    {
        job.setText(text);
        job.documentName = home.file("O1.NC");
        job.profile.send.Port = "COM1";
        link.input = "%";
    }
    void run()
    {
        SendStream stream(link, state, view, job);
        stream.setSleep([this](int ms) { sleeps.append(ms); });
        stream.run();
    }
    QStringList logMessages() const
    {
        QStringList messages;
        for (const QString& line : state.LogText.split('\n', Qt::SkipEmptyParts))
            messages.append(line.mid(19)); // after "yyyy/MM/dd HH:mm:ss"
        return messages;
    }

    TempHome home;
    SendJob job;
    MemoryLink link;
    RecordingView view;
    TransferState state;
    QList<int> sleeps;
};

} // namespace

TEST(SendStream, WholeTextWithStartAndEndCharacters)
{
    SendFixture f("O1\nG0 X1.\n%");
    f.job.profile.send.CRLF_Type = 1;
    f.job.profile.send.StartChar = 1;
    f.run();
    // LF before the start characters, then "%", the data lines, the end: line end and "%".
    EXPECT_EQ(f.link.sent, QByteArray("\n%O1\r\nG0 X1.\r\n\r\n%"));
    EXPECT_EQ(f.view.ended, QList<bool>({true}));
    EXPECT_TRUE(f.state.TransferSucceeded);
    EXPECT_EQ(f.view.transferPanels[2], QString::fromUtf8("送信完了"));
    EXPECT_EQ(f.view.transferPanels[3], "ISO  : 4800, 2");
    EXPECT_EQ(f.view.transferPanels[5], "Y");
    EXPECT_EQ(f.link.closes, 1);
    EXPECT_EQ(f.view.transferBarShown, 1);
    EXPECT_EQ(f.link.sendCode, 0);
    EXPECT_TRUE(f.sleeps.contains(4000)) << "the port closes 4 s after the data";
    EXPECT_EQ(f.logMessages(),
              QStringList({QString::fromUtf8("  送信ｺｰﾄﾞはISOｺｰﾄﾞ"),
                           QString::fromUtf8("  NC機からの開始信号待ち"),
                           QString::fromUtf8("  NC機より送信開始信号を受信"),
                           QString::fromUtf8("  送信開始"), QString::fromUtf8("  送信完了")}));
    EXPECT_EQ(f.home.read("kelvra_S.log"), Cp932::encode(f.state.LogText));
}

TEST(SendStream, StartAndEndCharacterSettings)
{
    struct Case
    {
        int startChar, endChar, speed, code;
        const char* op17;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 1, 0, "N", "\nG1\n\n%"},
        {0, 0, 1, 0, "Y", "G1\n\n%"},     // no line feed before the start
        {2, 3, 1, 1, "N", "%%G1\n%"},     // EIA: never a line feed first
        {3, 4, 1, 0, "Y", "% *G1\n%%"},
        {5, 2, 1, 0, "Y", "\nG1\n\n%%"},  // waits a second, then a line end
        {0, 1, 1, 0, "Y", "G1\n\x14"},    // a serial control gets DC4 only
        {0, 1, 5, 0, "Y", "G1\n\n%"},     // a tape punch: line end and %
        {9, 9, 1, 0, "Y", "G1\n"},        // unknown values send nothing
    };
    for (const Case& c : cases) {
        SendFixture f("G1\nX");
        f.job.profile.send.StartChar = c.startChar;
        f.job.profile.send.EndChar = c.endChar;
        f.job.profile.send.Speed = c.speed;
        f.job.profile.send.Code = c.code;
        f.job.options.op17 = c.op17;
        f.run();
        EXPECT_EQ(f.link.sent, QByteArray(c.expected))
            << c.startChar << "/" << c.endChar << "/" << c.speed;
    }
    SendFixture f("G1\nX");
    f.job.profile.send.StartChar = 6;
    f.job.options.op17 = "Y";
    f.run();
    EXPECT_EQ(f.link.sent, QByteArray(200, ' ') + "%G1\n\n%");
}

TEST(SendStream, StartSignalWait)
{
    struct Case
    {
        const char* input;
        const char* op9;
        bool started;
        int errorNumber;
    };
    const Case cases[] = {
        {"%", "N", true, 0},
        {"\x11", "N", true, 0},
        {"\x05", "N", true, 0},
        {"X%", "N", true, 1003},       // other characters are ignored
        {"\x13%", "N", false, 1003},   // DC3 before the start stops the send
        {"\x93%", "N", false, 1003},   // ... also as 0x93
        {"\x18%", "N", false, 1003},
        {"\x14%", "Y", true, 0},       // with op9 "Y" stop signals are ignored
    };
    for (const Case& c : cases) {
        SendFixture f("G1\nX");
        f.link.input = c.input;
        f.job.options.op9 = c.op9;
        f.job.options.op13 = "Y"; // no DC4 at the stop, so the number stays
        f.run();
        EXPECT_EQ(f.view.ended, QList<bool>({c.started})) << c.input;
        if (!c.started) {
            EXPECT_EQ(f.state.ErrorNumber, c.errorNumber) << c.input;
            EXPECT_TRUE(f.state.LogText.contains(QString::fromUtf8("  送信中止　ｴﾗｰ番号 %1\n").arg(c.errorNumber)));
        }
    }
}

TEST(SendStream, OperatorStopsWhileWaitingForTheStart)
{
    SendFixture f("G1\nX");
    f.link.input.clear();
    f.link.onIdle = [&f] { f.state.AbortRequested = true; };
    f.run();
    // With the line check on the control is told to stop, and that step's
    // number is what the log keeps.
    EXPECT_EQ(f.link.sent, QByteArray("\x14"));
    EXPECT_EQ(f.state.ErrorNumber, 1025);
    EXPECT_TRUE(f.logMessages().contains(QString::fromUtf8("  送信待機中に手動操作にて中止")));
    EXPECT_EQ(f.logMessages().last(), QString::fromUtf8("  送信中止　ｴﾗｰ番号 1025"));
    EXPECT_EQ(f.view.transferPanels[2], QString::fromUtf8("送信中止"));
    EXPECT_EQ(f.view.ended, QList<bool>({false}));
}

TEST(SendStream, ConfirmationInsteadOfAStartSignal)
{
    SendFixture f("G1\nX");
    f.job.profile.send.Signal = 1;
    f.job.options.op13 = "Y";
    f.view.answers = {BoxButton::No};
    f.run();
    ASSERT_EQ(f.view.asked.size(), 1);
    EXPECT_TRUE(f.view.asked[0].startsWith(QString::fromUtf8("NC装置側の準備を行ってください｡")));
    EXPECT_EQ(f.state.ErrorNumber, 1004);
    EXPECT_TRUE(f.link.sent.isEmpty());
}

TEST(SendStream, StopInTheDataKeepsTheStepsErrorNumberAndNeverReportsSuccess)
{
    SendFixture f("O1\nG0 X1.\nM30\n%");
    f.job.options.op17 = "Y";
    // The control cancels (or the device fails) at the fifth data character.
    f.link.onSend = [](qsizetype index, char) { return index == 4; };
    f.run();
    EXPECT_EQ(f.link.sent, QByteArray("O1\nG"));
    EXPECT_EQ(f.state.ErrorNumber, 1014);
    EXPECT_EQ(f.logMessages().last(), QString::fromUtf8("  送信中止　ｴﾗｰ番号 1014"));
    EXPECT_FALSE(f.state.LogText.contains(QString::fromUtf8("送信完了")));
    EXPECT_EQ(f.view.ended, QList<bool>({false}));
    EXPECT_EQ(f.home.read("kelvra_S.log"), Cp932::encode(f.state.LogText));
}

TEST(SendStream, DeviceFailingWhileWaitingForTheStartEndsTheWait)
{
    SendFixture f("G1\nX");
    f.link.input.clear();
    f.link.onIdle = [&f] { f.link.deviceFailed = true; };
    f.run();
    EXPECT_EQ(f.state.ErrorNumber, 1020);
    EXPECT_TRUE(f.link.sent.isEmpty()) << "no DC4 to a failed device";
    EXPECT_EQ(f.view.ended, QList<bool>({false}));
}

TEST(SendStream, PortThatCannotBeOpened)
{
    SendFixture f("G1\nX");
    f.link.openSucceeds = false;
    f.run();
    EXPECT_EQ(f.state.ErrorNumber, 1020);
    EXPECT_TRUE(f.logMessages().contains(QString::fromUtf8("  通信設定不可で中止")));
    EXPECT_EQ(f.view.ended, QList<bool>({false}));
}

TEST(SendStream, OspProfileSendsTheFileNameFirst)
{
    SendFixture f("O1\nM30\n%");
    f.job.SetNo = 6;
    f.job.documentName = "/data/prog.nc";
    f.job.profile.send.StartChar = 1; // not used with the file-name header
    f.job.options.op17 = "Y";
    f.run();
    EXPECT_EQ(f.link.sent, QByteArray("$PROG.MIN\nO1\nM30\n\n%"));
    EXPECT_TRUE(f.logMessages().contains(QString::fromUtf8("  NC機にﾌｧｲﾙ名送信 ﾌｧｲﾙ名=PROG.MIN")));
    EXPECT_EQ(SendStream::OspFileName("/x/a.sub"), "A.SUB");
    EXPECT_EQ(SendStream::OspFileName("/x/noext"), "NOEXT.MIN");
}

TEST(SendStream, SelectiveSendSkipsExcludedProgramsButCountsThem)
{
    SendFixture f("G90\nO1\nX1\nO2\nX2\nO3\nX3\n");
    f.job.options.op1 = "Y";
    f.job.options.op17 = "Y";
    f.job.excludedProgramLines = {"O2"};
    f.run();
    EXPECT_EQ(f.link.sent, QByteArray("G90\nO1\nX1\nO3\nX3\n\n%"));
    EXPECT_TRUE(f.view.statusHistory.contains(QString::fromUtf8("2:＜＜ ｽﾙｰ ＞＞")));
    EXPECT_EQ(f.state.SentBytes, f.state.TotalBytes + 1);
}

TEST(SendStream, ProgramLinesFillAnEmptyIndexWhileSending)
{
    SendFixture f("O10\nX1\n:20\nX2\n");
    f.job.buildIndexWhileSending = true;
    f.run();
    EXPECT_EQ(f.view.indexEntries, QStringList({"1:O10", "3::20"}));
    EXPECT_EQ(f.view.programLabel, QString::fromUtf8("送信中のﾌﾟﾛｸﾞﾗﾑ番号 => :20"));
}

TEST(SendStream, StepSendWaitsForTheStepKeyAfterEveryLine)
{
    SendFixture f("O1\nX1\n%\nM30\n");
    f.state.StepSendEnabled = true;
    f.job.options.op17 = "Y";
    int steps = 0;
    // Each wait for the key is answered by one press.
    f.link.onSend = [&](qsizetype, char c) {
        if (c == '\n')
            f.state.StepRequested = true, ++steps;
        return false;
    };
    f.run();
    EXPECT_TRUE(f.view.stepButton);
    EXPECT_EQ(f.link.sent, QByteArray("O1\nX1\nM30\n\n%"));
    EXPECT_EQ(f.view.ended, QList<bool>({true}));

    SendFixture stopped("O1\nX1\n");
    stopped.state.StepSendEnabled = true;
    stopped.job.options.op13 = "Y";
    stopped.job.options.op17 = "Y";
    stopped.link.onSend = [&](qsizetype, char c) {
        if (c == '\n')
            stopped.state.AbortRequested = true; // stop during the first step wait
        return false;
    };
    stopped.run();
    EXPECT_EQ(stopped.state.ErrorNumber, 1032);
    EXPECT_EQ(stopped.view.ended, QList<bool>({false}));
}

TEST(SendStream, RepeatSendRunsPassAfterPassUntilStopped)
{
    SendFixture f("G1\nX");
    f.state.RepeatSend = true;
    f.state.RepeatCount = 1;
    f.job.options.op17 = "Y";
    f.job.options.op13 = "Y";
    int passes = 0;
    f.link.onIdle = [&] {
        // Each pass waits for its start signal; the third wait is stopped.
        if (++passes < 3)
            f.link.input = "%";
        else
            f.state.AbortRequested = true;
    };
    f.link.input.clear();
    f.run();
    EXPECT_EQ(f.link.sent, QByteArray("G1\n\n%G1\n\n%"));
    EXPECT_EQ(f.state.RepeatCount, 3);
    EXPECT_EQ(f.view.transferPanels[6], QString::fromUtf8("送信:003"));
    EXPECT_EQ(f.state.LogText.count(QString::fromUtf8("  送信完了\n")), 2);
    EXPECT_EQ(f.state.LogText.count(QString::fromUtf8("ﾘﾋﾟｰﾄ送信準備完了")), 2);
    EXPECT_TRUE(f.sleeps.contains(3000));
    EXPECT_EQ(f.view.ended, QList<bool>({false}));
    // The log of all passes is written when the repeat is stopped.
    EXPECT_EQ(f.home.read("kelvra_S.log"), Cp932::encode(f.state.LogText));
}

TEST(SendStream, TapePunchGetsFeedAndItsEndSignal)
{
    SendFixture f("O1\nX\n");
    f.job.profile.send.Speed = 5;
    f.job.profile.send.Feed = 1;
    f.job.profile.send.EndChar = 3;
    f.job.options.op12 = "Y";
    f.job.options.op17 = "Y";
    f.run();
    const QByteArray feed(20, ' ');
    EXPECT_EQ(f.link.sent, feed + feed + "O1\nX\n%" + feed + "\x14");
    EXPECT_TRUE(f.logMessages().contains(QString::fromUtf8("  ﾌｨｰﾄﾞ出力")));
}

TEST(SendStream, RemainingAmountAndProgress)
{
    SendFixture f("O1\nG0 X1.\nM30\n");
    f.run();
    EXPECT_EQ(f.state.TotalBytes, 16);
    EXPECT_EQ(f.state.SentBytes, 17);
    EXPECT_TRUE(f.view.statusHistory.contains(QString::fromUtf8("1:残り 13ﾊﾞｲﾄ(約 0秒)")));
    EXPECT_EQ(f.view.highlighted.first(), 1);
}

TEST(SendStream, LogThatCannotBeWrittenIsReported)
{
    SendFixture f("G1\nX");
    f.home.write("kelvra_S.log", "");
    QFile::remove(f.home.file("kelvra_S.log"));
    QDir(f.home.path()).mkdir("kelvra_S.log"); // a folder where the log should go
    f.run();
    EXPECT_EQ(f.view.ended, QList<bool>({true}));
    EXPECT_TRUE(f.view.asked.contains(QString::fromUtf8("kelvra_S.log に書き込めません")));
}

TEST(SendStream, AStopOfTheLastSendDoesNotStopTheNext)
{
    SendFixture f("G1\nX");
    f.job.options.op17 = "Y"; // nothing is sent before the data
    f.state.LastCharAborted = true; // as the DC4 of an earlier stop may leave it
    f.run();
    EXPECT_EQ(f.view.ended, QList<bool>({true}));
    EXPECT_EQ(f.link.sent, QByteArray("G1\n\n%"));
}
