// End to end: the serial link against kelvra-ncsim on a pseudo-terminal.

#include "link_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace {

class WithNcsim : public LinkFixture
{
protected:
    // Starts the simulator and maps COM5 to its line.
    // A punch starts once, so it gets time for the port set-up (whose purge
    // would drop what came before); read mode repeats its start signal.
    void start(const QStringList& arguments, int startDelayMs = 50)
    {
        const QString linkFile = dir.filePath("line");
        QFile::remove(linkFile);
        QStringList all = arguments;
        all << "--once" << "--link" << linkFile << "--stats" << dir.filePath("stats")
            << "--start-delay" << QString::number(startDelayMs);
        sim.start(KELVRA_NCSIM, all);
        ASSERT_TRUE(sim.waitForStarted());
        for (int i = 0; i < 500 && !QFile::exists(linkFile); ++i)
            QThread::msleep(10);
        QFile file(linkFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ports.setDevicePath(5, QString::fromLocal8Bit(file.readAll().trimmed()));
        const QString lockFolder = locks.path();
        link.setPortFactory([lockFolder] {
            auto port = std::make_unique<PosixSerialPort>();
            port->setLockFolder(lockFolder);
            return port;
        });
    }

    // Waits for one character from the control, as a send waits for its
    // start; nothing when the line stays silent.
    std::optional<uint8_t> nextChar()
    {
        for (int i = 0; i < 100; ++i)
            if (link.WaitForInput(100) == SerialLink::InputWait::Ready)
                return link.ReadChar();
        return std::nullopt;
    }
    uint8_t awaitChar() { return nextChar().value_or(0xFF); }

    bool sendText(const QByteArray& text)
    {
        for (char c : text)
            if (link.SendChar(uint8_t(c)))
                return false;
        return true;
    }

    QMap<QString, QString> finish()
    {
        link.ClosePort();
        EXPECT_TRUE(sim.waitForFinished(10000));
        QMap<QString, QString> stats;
        QFile file(dir.filePath("stats"));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (const int eq = line.indexOf('='); eq > 0)
                    stats[line.left(eq)] = line.mid(eq + 1);
        return stats;
    }

    QByteArray fileBytes(const QString& name)
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ~WithNcsim() override
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished();
        }
    }

    QTemporaryDir dir;
    QProcess sim;
};

const QByteArray kProgram = "%\nO1234\nG01X10.Y-2.5F100\nM98P2000\nM30\n%";

TEST_F(WithNcsim, ReadModeStartsTheSendAndGetsTheProgramInEachCode)
{
    struct Case
    {
        int code;
        const char* simCode;
        const char* start;
        uint8_t expectedStart;
        const char* detected;
    };
    const Case cases[] = {
        {0, "auto", "dc1", 0x11, "iso"},
        {1, "auto", "dc1", 0x11, "eia"},
        {1, "eia", "percent", '%', "eia"},
        {2, "ascii", "enq", 0x05, "ascii"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.simCode);
        start({"read", "--code", c.simCode, "--start", c.start, "--out", dir.filePath("out")});
        profile.send.Code = c.code;
        state.TransferDirection = 1;
        ASSERT_TRUE(link.OpenPort(1));
        link.ConversionMode = SendConversionMode(c.code);
        EXPECT_EQ(awaitChar(), c.expectedStart);
        ASSERT_TRUE(sendText(kProgram));
        const auto stats = finish();
        EXPECT_EQ(stats["end"], "percent");
        EXPECT_EQ(stats["code"], c.detected);
        EXPECT_EQ(fileBytes("out"), kProgram);
    }
}

TEST_F(WithNcsim, ABoundedBufferPausesTheSendWithoutLosingOrOverrunning)
{
    QByteArray program = "%\n";
    for (int i = 0; i < 60; ++i)
        program += "N" + QByteArray::number(i * 10) + "G01X" + QByteArray::number(i) + ".\n";
    program += "%";
    start({"read", "--buffer", "512", "--high", "256", "--low", "64", "--rate", "4000", "--out",
           dir.filePath("out")});
    ASSERT_TRUE(link.OpenPort(1));
    link.ConversionMode = ConversionMode::Iso;
    EXPECT_EQ(awaitChar(), 0x11);
    ASSERT_TRUE(sendText(program));
    const auto stats = finish();
    EXPECT_EQ(fileBytes("out"), program);
    EXPECT_GT(stats["pauses"].toInt(), 0);
}

TEST_F(WithNcsim, CancelFromTheControlStopsTheSend)
{
    start({"read", "--cancel-after", "10"});
    ASSERT_TRUE(link.OpenPort(1));
    link.ConversionMode = ConversionMode::Iso;
    EXPECT_EQ(awaitChar(), 0x11);
    bool stopped = false;
    for (int i = 0; i < 100000 && !stopped; ++i)
        stopped = link.SendChar('G');
    EXPECT_TRUE(stopped);
    EXPECT_EQ(finish()["end"], "cancel");
}

TEST_F(WithNcsim, PunchModeSendsAFramedTapeThatReadCharDecodes)
{
    for (const char* code : {"iso", "eia"}) {
        SCOPED_TRACE(code);
        QFile in(dir.filePath("in.nc"));
        ASSERT_TRUE(in.open(QIODevice::WriteOnly));
        in.write("O0001\r\nG00X0Y0\r\nM30\r\n");
        in.close();
        start({"punch", "--in", dir.filePath("in.nc"), "--code", code, "--leader", "5"}, 500);
        profile.receive.Code = 0;
        ASSERT_TRUE(link.OpenPort(2));
        link.ConversionMode = ConversionMode::Undetermined;
        QByteArray got;
        for (auto c = nextChar(); c != 0x14; c = nextChar()) {
            ASSERT_TRUE(c.has_value()) << "line went silent";
            if (*c != 0) // tape feed
                got.append(char(*c));
        }
        EXPECT_EQ(got, "%\nO0001\nG00X0Y0\nM30\n%");
        EXPECT_EQ(link.ConversionMode, QString(code) == "iso" ? ConversionMode::Iso : ConversionMode::Eia);
        EXPECT_EQ(finish()["end"], "done");
    }
}

TEST_F(WithNcsim, PunchModeHonoursThePausesOfTheReception)
{
    QFile in(dir.filePath("in.nc"));
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("O0002\nM30\n");
    in.close();
    start({"punch", "--in", dir.filePath("in.nc"), "--leader", "0", "--rate", "2000"}, 500);
    ASSERT_TRUE(link.OpenPort(2));
    link.ConversionMode = ConversionMode::Undetermined;
    EXPECT_EQ(awaitChar(), '%');
    ASSERT_FALSE(link.SendChar(0x93)); // pause the control
    QThread::msleep(100);
    link.PortHandle()->purge();        // whatever was on its way
    EXPECT_EQ(link.WaitForInput(300), SerialLink::InputWait::TimedOut);
    ASSERT_FALSE(link.SendChar(0x11));
    EXPECT_TRUE(nextChar().has_value());
    const auto stats = finish();
    EXPECT_EQ(stats["pauses"], "1");
}

} // namespace
