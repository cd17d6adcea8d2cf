#include "link_fixture.h"
#include "platform/posix_termios.h"

#include <QFile>

#include <signal.h>

namespace {

using OpenPortPty = LinkFixture;
using OpenPortMemory = LinkFixture;

TEST_F(OpenPortPty, SendAsciiAt9600SetsTheLineAndLogsEachStep)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    usePty(pty);
    profile.send.Speed = 2;
    profile.send.Code = 2;
    profile.send.STbit = 0;
    state.SendPrepared = true;

    ASSERT_TRUE(link.OpenPort(1));

    const termios2 t = pty.lineTermios();
    EXPECT_EQ(t.c_cflag & CBAUD, unsigned(B9600));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_cc[VSTOP], 0x93);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    // Raw bytes: no echo, no line editing, no translation; carrier is read, not obeyed.
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | ISTRIP));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_TRUE(t.c_cflag & (CLOCAL | CREAD));

    EXPECT_FALSE(state.SendPrepared);
    EXPECT_EQ(logMessages(), QStringList({
                                 "  COM5 ﾎﾟｰﾄｵｰﾌﾟﾝ",
                                 "  通信速度は 9600",
                                 "  ﾃﾞｰﾀ長7　ﾊﾟﾘﾃｨ偶数",
                                 "  ｽﾄｯﾌﾟﾋﾞｯﾄ1",
                                 "  通信ﾌﾟﾛﾄｺﾙ標準",
                                 "  一時停止ｺｰﾄﾞ0x93",
                                 "  開始ｺｰﾄﾞ0x11",
                                 "  通信設定完了",
                                 "  通信ﾀｲﾑｱｳﾄ設定取得完了",
                                 "  通信ﾀｲﾑｱｳﾄ設定完了",
                                 "  通信回線初期化完了",
                             }));
    EXPECT_TRUE(view.boxes.isEmpty());
    EXPECT_TRUE(view.lamps.isEmpty()); // a pseudo-terminal has no modem lines
}

struct LineCase
{
    const char* name;
    int direction, speed, code, stbit, buff, control;
    const char* dc3;
    speed_t baudCode;
    unsigned ospeed;
    unsigned csize;
    bool parity, twoStop, ixon, ixoff, rtscts;
    unsigned char vstop;
};

const LineCase kLineCases[] = {
    {"send ISO 14400 one stop", 1, 3, 0, 0, 0, 0, "Y", BOTHER, 14400, CS8, false, false, false,
     false, false, 0x93},
    {"send EIA 19200 two stop", 1, 4, 1, 1, 0, 0, "Y", B19200, 19200, CS8, false, true, false,
     false, false, 0x93},
    {"send punch ASCII fixed 8N2 4800", 1, 5, 2, 0, 0, 0, "Y", B4800, 4800, CS8, false, true,
     false, false, false, 0x93},
    {"send RTS/CTS", 1, 2, 0, 0, 0, 1, "Y", B9600, 9600, CS8, false, false, false, false, true,
     0x93},
    {"send DC3 0x13", 1, 0, 0, 0, 0, 0, "N", B2400, 2400, CS8, false, false, false, false, false,
     0x13},
    {"send 1.5 stop bits become two", 1, 1, 0, 2, 0, 0, "Y", B4800, 4800, CS8, false, true, false,
     false, false, 0x93},
    {"receive detect XON/XOFF both ways", 2, 2, 0, 0, 3, 0, "Y", B9600, 9600, CS8, false, false,
     true, true, false, 0x93},
    {"receive ASCII 7E", 2, 2, 1, 0, 3, 0, "Y", B9600, 9600, CS7, true, false, true, true, false,
     0x93},
    {"receive RTS/CTS instead of XON/XOFF", 2, 4, 3, 0, 3, 1, "N", B19200, 19200, CS8, false,
     false, false, false, true, 0x13},
};

// Each case twice: the termios the settings record becomes, and the termios a
// pseudo-terminal keeps (a pty forces CS8 without parity, so format is checked
// on the record's termios only).
TEST_F(OpenPortPty, LineSettingsFollowTheProfile)
{
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(c.name);
        options.DC3_0X93 = c.dc3;
        auto& s = profile.send;
        auto& r = profile.receive;
        s.Speed = r.Speed = c.speed;
        s.Code = r.Code = c.code;
        s.STbit = r.STbit = c.stbit;
        s.Buff = r.Buff = c.buff;
        s.Control = r.Control = c.control;

        auto check = [&](const termios2& t, bool format) {
            EXPECT_EQ(t.c_cflag & CBAUD, c.baudCode);
            EXPECT_EQ(t.c_ospeed, c.ospeed);
            if (format) {
                EXPECT_EQ(t.c_cflag & CSIZE, c.csize);
                EXPECT_EQ(bool(t.c_cflag & PARENB), c.parity);
                EXPECT_FALSE(t.c_cflag & PARODD);
            }
            EXPECT_EQ(bool(t.c_cflag & CSTOPB), c.twoStop);
            EXPECT_EQ(bool(t.c_iflag & IXON), c.ixon);
            EXPECT_EQ(bool(t.c_iflag & IXOFF), c.ixoff);
            EXPECT_EQ(bool(t.c_cflag & CRTSCTS), c.rtscts);
            EXPECT_EQ(t.c_cc[VSTOP], c.vstop);
            EXPECT_EQ(t.c_cc[VSTART], 0x11);
        };

        auto line = useMemoryLine();
        ASSERT_TRUE(link.OpenPort(c.direction));
        termios2 fromRecord{};
        ApplyLineSettings(fromRecord, line->settings);
        check(fromRecord, true);
        link.ClosePort();

        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        usePty(pty);
        ASSERT_TRUE(link.OpenPort(c.direction));
        check(pty.lineTermios(), false);
        link.ClosePort();
        state.LogText.clear();
    }
}

TEST_F(OpenPortPty, OneAndAHalfStopBitsAreLoggedWithTheSubstitute)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    usePty(pty);
    profile.send.STbit = 2;
    ASSERT_TRUE(link.OpenPort(1));
    const QStringList log = logMessages();
    const qsizetype at = log.indexOf("  ｽﾄｯﾌﾟﾋﾞｯﾄ1.5");
    ASSERT_GE(at, 0);
    EXPECT_EQ(log.value(at + 1), "  ※ｽﾄｯﾌﾟﾋﾞｯﾄ1.5は設定できない為ｽﾄｯﾌﾟﾋﾞｯﾄ2で代用");
}

TEST_F(OpenPortPty, APortInUseCannotBeOpenedAgain)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    usePty(pty);
    ASSERT_TRUE(link.OpenPort(1));

    TransferState otherState;
    RecordingSerialView otherView;
    SerialLink other(otherState, options, profile, ports, otherView, sleeper);
    const QString lockFolder = locks.path();
    other.setPortFactory([lockFolder] {
        auto port = std::make_unique<PosixSerialPort>();
        port->setLockFolder(lockFolder);
        return port;
    });
    EXPECT_FALSE(other.OpenPort(1));
    EXPECT_EQ(otherView.boxTexts(), QStringList("COM5の通信ﾎﾟｰﾄが開きません｡!!"));
    EXPECT_TRUE(otherState.LogText.contains("  COM5　ﾎﾟｰﾄが開かず中止\n"));

    link.ClosePort();
    EXPECT_TRUE(other.OpenPort(1)); // free again once closed
}

TEST_F(OpenPortPty, LockFilesOfLivingProcessesAreHonouredAndStaleOnesCleared)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    usePty(pty);
    const QString lockFile = locks.path() + "/LCK.." + pty.slavePath().mid(5).replace('/', '_');

    auto writeLock = [&](int pid) {
        QFile f(lockFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(pid).rightJustified(10, ' ') + "\n");
    };
    writeLock(1); // init always lives
    EXPECT_FALSE(link.OpenPort(1));

    int deadPid = 999999;
    while (::kill(deadPid, 0) == 0)
        --deadPid;
    writeLock(deadPid);
    ASSERT_TRUE(link.OpenPort(1));
    QFile f(lockFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().trimmed().toInt(), int(::getpid()));
    f.close();
    link.ClosePort();
    EXPECT_FALSE(QFile::exists(lockFile));
}

TEST_F(OpenPortMemory, ReceiveBufferSetsLimitsAndHandshakes)
{
    auto line = useMemoryLine();
    profile.receive.Buff = 3;
    ASSERT_TRUE(link.OpenPort(2));
    EXPECT_EQ(line->settings.xonLimit, 1024);
    EXPECT_EQ(line->settings.xoffLimit, 3072);
    EXPECT_TRUE(line->settings.xonXoffInput && line->settings.xonXoffOutput);
    EXPECT_EQ(line->settings.dtrControl, LineSettings::LineControl::Handshake);
    EXPECT_EQ(line->settings.rtsControl, LineSettings::LineControl::Handshake);
    EXPECT_EQ(line->timeouts.readIntervalMs, 0);
    EXPECT_EQ(line->timeouts.readTotalConstantMs, 3000);
    EXPECT_TRUE(line->events.contains("queues 1024 1024"));
    EXPECT_TRUE(line->events.contains("purge"));
    EXPECT_FALSE(logMessages().contains("  通信ﾌﾟﾛﾄｺﾙ標準"));
}

TEST_F(OpenPortMemory, SendBufferSetsLimitsAndTheSwitchesOfASelfPacedSend)
{
    auto line = useMemoryLine();
    line->settings.xonXoffOutput = true; // as a previous program left the port
    line->settings.parity = LineSettings::Parity::Odd;
    profile.send.Buff = 19;
    profile.send.Code = 7; // no listed code: format stays as the port had it
    ASSERT_TRUE(link.OpenPort(1));
    EXPECT_EQ(line->settings.xonLimit, 200);
    EXPECT_EQ(line->settings.xoffLimit, 500);
    EXPECT_FALSE(line->settings.xonXoffOutput);
    EXPECT_FALSE(line->settings.xonXoffInput);
    EXPECT_TRUE(line->settings.discardNull);
    EXPECT_EQ(line->settings.parity, LineSettings::Parity::Odd);
    EXPECT_TRUE(logMessages().contains("  ﾃﾞｰﾀ長･ﾊﾟﾘﾃｨはﾎﾟｰﾄの設定のまま"));
}

TEST_F(OpenPortMemory, PortNamesAboveNineMap)
{
    useMemoryLine("/dev/ttyACM6");
    profile.send.Port = "COM15";
    EXPECT_TRUE(link.OpenPort(1));
    EXPECT_TRUE(logMessages().contains("  COM15 ﾎﾟｰﾄｵｰﾌﾟﾝ"));
}

struct FailureCase
{
    const char* name;
    const char* failing; // operation that fails, or "" (then the profile is at fault)
    int speed;
    const char* port;
    const char* message;
    const char* logLine;
    bool portStaysOpen;
};

const FailureCase kFailureCases[] = {
    {"port missing", "", 1, "COM5", "COM5の通信ﾎﾟｰﾄが開きません｡!!", "  COM5　ﾎﾟｰﾄが開かず中止",
     false},
    {"no port set", "", 1, "", "通信ﾎﾟｰﾄが未設定です。｡!!", "  　通信ﾎﾟｰﾄが未設定の為中止",
     false},
    {"no usable port entry", "", 1, "有効ﾎﾟｰﾄ無し", "通信ﾎﾟｰﾄが未設定です。｡!!",
     "  　通信ﾎﾟｰﾄが未設定の為中止", false},
    {"speed out of range", "", 6, "COM5", "通信設定（速度）を確認してください!!",
     "  通信速度設定不良の為中止", true},
    {"settings unreadable", "readSettings", 1, "COM5", "通信ｴﾗｰ!!",
     "  通信ｴﾗｰ（その他）の為中止", true},
    {"settings refused", "writeSettings", 1, "COM5", "通信設定ｴﾗｰ!!", "  通信設定が不良の為中止",
     true},
    {"time-outs unreadable", "readTimeouts", 1, "COM5", "ﾀｲﾑｱｳﾄ!!",
     "  通信ﾀｲﾑｱｳﾄ設定取得不良の為中止", true},
    {"time-outs refused", "writeTimeouts", 1, "COM5", "ﾀｲﾑｱｳﾄ!!", "  通信ﾀｲﾑｱｳﾄ設定不良の為中止",
     true},
    {"purge fails", "purge", 1, "COM5", "回線初期化ｴﾗｰ!!", "  通信回線初期化ｴﾗｰの為中止", true},
};

TEST_F(OpenPortMemory, EachFailureShowsItsMessageAndLogsItsLine)
{
    for (const FailureCase& c : kFailureCases) {
        SCOPED_TRACE(c.name);
        auto line = useMemoryLine(QString(c.name) == "port missing" ? "/dev/none" : "/dev/ttyUSB4");
        if (*c.failing)
            line->failing.insert(c.failing);
        profile.send.Speed = c.speed;
        profile.send.Port = QString::fromUtf8(c.port);
        view.boxes.clear();
        state.LogText.clear();

        EXPECT_FALSE(link.OpenPort(1));
        ASSERT_EQ(view.boxes.size(), 1);
        EXPECT_EQ(view.boxes[0].kind, BoxRequest::Kind::ShowMessage);
        EXPECT_EQ(view.boxes[0].text, QString::fromUtf8(c.message));
        EXPECT_TRUE(logMessages().contains(QString::fromUtf8(c.logLine))) << state.LogText.toStdString();
        EXPECT_EQ(link.PortOpen(), c.portStaysOpen);
        link.ClosePort();
    }
}

TEST_F(OpenPortMemory, NoPortSetTriesNoDevice)
{
    auto line = useMemoryLine();
    profile.send.Port = QString::fromUtf8("設定ﾎﾟｰﾄ無し");
    EXPECT_FALSE(link.OpenPort(1));
    EXPECT_TRUE(line->events.isEmpty());
}

TEST_F(OpenPortMemory, LampsShowTheModemLinesAtOpen)
{
    auto line = useMemoryLine();
    line->modem = ModemStatus{false, true, true};
    ASSERT_TRUE(link.OpenPort(1));
    EXPECT_EQ(view.lamps, QStringList({"DSR blue", "CTS ○"}));

    line->modem.reset();
    view.lamps.clear();
    ASSERT_TRUE(link.OpenPort(1));
    EXPECT_TRUE(view.lamps.isEmpty());
}

TEST_F(OpenPortMemory, DtrAlwaysOnRaisesDtrThenRts)
{
    auto line = useMemoryLine();
    options.op5 = "Y";
    ASSERT_TRUE(link.OpenPort(1));
    const qsizetype dtr = line->events.indexOf("raiseDtr");
    ASSERT_GE(dtr, 0);
    EXPECT_EQ(line->events.value(dtr + 1), "raiseRts");
    EXPECT_TRUE(logMessages().contains("  DTR信号を常にONに設定"));
}

struct SelectionCase
{
    const char* number;
    QList<int> sleeps;
    QStringList outputAtEachSleep;
};

TEST_F(OpenPortMemory, AutoSwitchSendsTheSelectionRawWithThreeSecondWaits)
{
    const SelectionCase cases[] = {
        {"2", {3000}, {"2"}},
        {"1-2", {3000, 3000}, {"1", "12"}},
        {"1-3", {3000, 3000}, {"1", "13"}},
        {"--5", {3000, 3000, 3000}, {"", "", "5"}},
    };
    options.op6 = "Y";
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.number);
        auto line = useMemoryLine();
        sleeper.sleeps.clear();
        QStringList seen;
        sleeper.onSleep = [&](int) { seen.append(QString::fromLatin1(line->output)); };
        view.selectionAnswer = QString(c.number);
        link.ConversionMode = ConversionMode::Eia; // the digits still go out as ASCII

        ASSERT_TRUE(link.OpenPort(1));
        EXPECT_EQ(sleeper.sleeps, c.sleeps);
        EXPECT_EQ(seen, c.outputAtEachSleep);
        EXPECT_FALSE(link.RawSelectionMode);
        EXPECT_EQ(link.SelectionNumber, c.number);
        EXPECT_EQ(line->settings.dtrControl, LineSettings::LineControl::Enable);
        EXPECT_EQ(line->settings.rtsControl, LineSettings::LineControl::Enable);
        EXPECT_TRUE(logMessages().contains("  ﾎﾟｰﾄ自動選択の為､DTR､RTSを常にＯＮに設定"));
    }
}

TEST_F(OpenPortMemory, AutoSwitchCancelledOrEmptyStopsWithTheErrorBox)
{
    options.op6 = "Y";
    for (const std::optional<QString>& answer : {std::optional<QString>(), std::optional<QString>("")}) {
        auto line = useMemoryLine();
        view.boxes.clear();
        state.LogText.clear();
        view.selectionAnswer = answer;
        EXPECT_FALSE(link.OpenPort(1));
        ASSERT_EQ(view.boxes.size(), 1);
        EXPECT_EQ(view.boxes[0].kind, BoxRequest::Kind::MessageDialog);
        EXPECT_EQ(view.boxes[0].icon, BoxIcon::Error);
        EXPECT_EQ(view.boxes[0].buttons, int(BoxButton::Ok));
        EXPECT_TRUE(view.boxes[0].atOwnerOffset);
        EXPECT_EQ(view.boxes[0].text, "自動選択番号の入力が間違っています｡\n通信を一旦中止します｡");
        EXPECT_EQ(logMessages().last(), "  自動選択番号の入力不良の為中止");
        EXPECT_FALSE(link.RawSelectionMode);
        EXPECT_TRUE(line->output.isEmpty());
        EXPECT_TRUE(sleeper.sleeps.isEmpty());
    }
}

} // namespace
