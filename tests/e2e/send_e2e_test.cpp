// End to end: "kelvra N=1 S=<file> END" sends to kelvra-ncsim over a
// pseudo-terminal, unattended, and closes itself after success.
#include "platform/cp932.h"
#include "serial/tape_code.h"
#include "support/temp_home.h"

#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct ProgramRun
{
    TempHome home;
    QProcess sim;
    QProcess kelvra;

    ~ProgramRun()
    {
        for (QProcess* p : {&kelvra, &sim}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // Starts the control and maps COM1 to its line.
    bool startControl(const QStringList& arguments)
    {
        const QString linkFile = home.file("line");
        sim.start(KELVRA_NCSIM, QStringList(arguments)
                                    << "--once" << "--link" << linkFile << "--raw"
                                    << home.file("raw") << "--out" << home.file("out")
                                    << "--stats" << home.file("stats") << "--idle" << "3000");
        if (!sim.waitForStarted())
            return false;
        for (int i = 0; i < 500 && !QFile::exists(linkFile); ++i)
            QThread::msleep(10);
        const QByteArray pty = home.read("line").trimmed();
        home.write("kelvra.INI", "[Ports]\r\nCOM1=" + pty + "\r\n");
        return !pty.isEmpty();
    }

    // Runs the program with the arguments; false when it did not end in time.
    bool runKelvra(const QStringList& arguments, int timeoutMs = 60000)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVRA_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KELVRA_NO_DESKTOP_ACTIONS", "1");
        kelvra.setProcessEnvironment(env);
        kelvra.start(KELVRA_PROGRAM, arguments);
        return kelvra.waitForStarted() && kelvra.waitForFinished(timeoutMs);
    }

    QString sendLog() { return Cp932::decode(home.read("kelvra_S.log")); }
};

QByteArray encoded(const QByteArray& chars, ConversionMode mode)
{
    QByteArray bytes;
    for (char c : chars) {
        if (const auto b = EncodeForLine(uint8_t(c), mode))
            bytes += char(*b);
    }
    return bytes;
}

const QByteArray kProgram = "%\r\n"
                            "O1234 (SHAFT)\r\n"
                            "N0010 G01 X10. F100. ;ROUGH\r\n"
                            "M01 G00 Z5.\r\n"
                            "\tN0020 M30\r\n"
                            "%\r\n";

} // namespace

TEST(SendEndToEnd, ControlReceivesExactlyTheFilteredProgramInEachCode)
{
    struct Case
    {
        int code;
        const char* ncsimCode;
        ConversionMode mode;
    };
    for (const Case& c : {Case{0, "iso", ConversionMode::Iso}, Case{1, "eia", ConversionMode::Eia},
                          Case{2, "ascii", ConversionMode::Plain}}) {
        ProgramRun run;
        ASSERT_TRUE(run.startControl({"read", "--code", c.ncsimCode}));
        run.home.write("SetData1.ini", "[Setting_S]\r\nSpeed=4\r\nCode=" + QByteArray::number(c.code) +
                                           "\r\nStartChar=1\r\nEndChar=0\r\nCRLF_Type=1\r\n"
                                           "SendMsg=M01\r\nN_non=Y\r\nF_non=Y\r\n");
        run.home.write("O1234.NC", kProgram);
        ASSERT_TRUE(run.runKelvra({"N=1", "S=" + run.home.file("O1234.NC"), "END"}))
            << "the program closes itself after a successful send";
        EXPECT_EQ(run.kelvra.exitCode(), 0);
        ASSERT_TRUE(run.sim.waitForFinished(15000));

        // A line feed (not for EIA) and "%", the filtered lines, then line end and "%".
        const QByteArray chars = QByteArray(c.code == 1 ? "" : "\n") + "%" +
                                 "O1234 (SHAFT)\r\n"
                                 " G01 X10. F100 \r\n"
                                 "    G00 Z5.\r\n"
                                 "N0020 M30\r\n" // N after a TAB is no sequence number
                                 "\r\n%";
        EXPECT_EQ(run.home.read("raw"), encoded(chars, c.mode)) << c.ncsimCode;
        EXPECT_TRUE(run.sendLog().contains(QString::fromUtf8("  送信完了\n"))) << c.ncsimCode;
    }
}

TEST(SendEndToEnd, PausesOfASlowControlLoseNothing)
{
    ProgramRun run;
    // A control that takes 4000 characters a second into a 64-byte buffer
    // pauses the send with DC3 and resumes it with DC1 again and again.
    ASSERT_TRUE(run.startControl({"read", "--code", "iso", "--rate", "4000", "--buffer", "64"}));
    run.home.write("SetData1.ini", "[Setting_S]\r\nSpeed=4\r\nStartChar=1\r\nCRLF_Type=0\r\n");
    QByteArray program = "O1\r\n";
    for (int i = 0; i < 300; ++i)
        program += "G01 X" + QByteArray::number(i) + ". Y1.\r\n";
    program += "M30\r\n";
    run.home.write("O1.NC", program);
    ASSERT_TRUE(run.runKelvra({"N=1", "S=" + run.home.file("O1.NC"), "END"}));
    ASSERT_TRUE(run.sim.waitForFinished(15000));
    QByteArray chars = "\n%" + program + "\n%";
    chars.replace("\r\n", "\n");
    EXPECT_EQ(run.home.read("raw"), encoded(chars, ConversionMode::Iso));
    EXPECT_FALSE(run.home.read("stats").contains("pauses=0\n")) << "the control did pause the send";
}

TEST(SendEndToEnd, ControlCancellingStopsTheSendAndTheProgramStaysOpen)
{
    ProgramRun run;
    ASSERT_TRUE(run.startControl({"read", "--code", "iso", "--cancel-after", "20"}));
    run.home.write("SetData1.ini", "[Setting_S]\r\nSpeed=4\r\n");
    QByteArray big;
    for (int i = 0; i < 2000; ++i)
        big += "G01 X" + QByteArray::number(i) + ". Y1.\r\n";
    run.home.write("O1.NC", "O1\r\n" + big + "M30\r\n");
    EXPECT_FALSE(run.runKelvra({"N=1", "S=" + run.home.file("O1.NC"), "END"}, 8000))
        << "a stopped send leaves the program open";
    const QString log = run.sendLog();
    EXPECT_TRUE(log.contains(QString::fromUtf8("  送信中止　ｴﾗｰ番号 1014\n")) ||
                log.contains(QString::fromUtf8("  送信中止　ｴﾗｰ番号 1016\n")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QString::fromUtf8("送信完了")));
}
