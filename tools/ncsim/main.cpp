// kelvra-ncsim: a simulated machine control on a pseudo-terminal or a serial
// device. See README.md, section "Simulated machine control".

#include "control_sim.h"

#include "platform/posix_serial_port.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

volatile bool g_stop = false;

void onSignal(int)
{
    g_stop = true;
}

const char kUsage[] =
    "usage: kelvra-ncsim read|punch|dnc [options]\n"
    "line:\n"
    "  --device PATH       use this serial device (default: a new pseudo-terminal)\n"
    "  --baud N            device speed (default 9600)\n"
    "  --format 8N1|8N2|7E1|7E2  device character format (default 8N1)\n"
    "  --link FILE         write the pseudo-terminal's path to FILE (default: print it)\n"
    "codes:\n"
    "  --code auto|iso|eia|ascii   tape code (default auto; punch: iso)\n"
    "  --dc3 0x93|0x13     pause character this control sends (default 0x93)\n"
    "read and dnc:\n"
    "  --start dc1|percent|enq|none  start signal (default dc1)\n"
    "  --start-delay MS    wait after the program opens the line (default 300)\n"
    "  --start-repeat MS   repeat the start signal until data comes (default 2000, 0 once)\n"
    "  --buffer N          bytes the control holds (read: 0 unlimited; dnc: 512)\n"
    "  --rate CPS          characters per second it consumes (read: 0 at once; dnc: 1920)\n"
    "  --high N  --low N   DC3 at N bytes held (3/4 buffer), DC1 at N (1/4 buffer)\n"
    "  --cancel-after N    send DC3 and CAN after N program characters\n"
    "  --idle MS           end a transfer after MS of silence (default 5000)\n"
    "  --out FILE          the decoded program\n"
    "  --raw FILE          the bytes as received\n"
    "punch:\n"
    "  --in FILE           program to punch out\n"
    "  --leader N  --trailer N   tape feed (NUL) before and after (default 20)\n"
    "  --rate CPS          punch speed (default 0: as fast as the line takes)\n"
    "  --no-dc4            no DC4 at the end\n"
    "all:\n"
    "  --stats FILE        figures of each transfer as key=value (default: stderr)\n"
    "  --once              end after one transfer\n"
    "  --verbose           tell what happens on stderr\n";

[[noreturn]] void usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "kelvra-ncsim: %s\n", problem);
    std::fputs(kUsage, stderr);
    std::exit(2);
}

long number(const QString& text, const char* option)
{
    bool ok = false;
    const long value = text.startsWith("0x") ? text.mid(2).toLong(&ok, 16) : text.toLong(&ok);
    if (!ok || value < 0)
        usage((QString("bad value for ") + option).toLocal8Bit().constData());
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        usage(nullptr);
    SimConfig config;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    if (mode == "read")
        config.mode = SimConfig::Mode::Read;
    else if (mode == "punch")
        config.mode = SimConfig::Mode::Punch;
    else if (mode == "dnc")
        config.mode = SimConfig::Mode::Dnc;
    else if (mode == "--help" || mode == "-h")
        usage(nullptr);
    else
        usage("unknown mode");
    if (config.mode == SimConfig::Mode::Dnc) {
        config.bufferSize = 512;
        config.rate = 1920;
    }
    if (config.mode == SimConfig::Mode::Punch)
        config.code = ConversionMode::Iso;

    QString device, linkFile, format = "8N1";
    int baud = 9600;
    bool rateGiven = false;
    for (int i = 2; i < argc; ++i) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        auto value = [&]() -> QString {
            if (i + 1 >= argc)
                usage((option + " needs a value").toLocal8Bit().constData());
            return QString::fromLocal8Bit(argv[++i]);
        };
        const char* name = argv[i];
        if (option == "--device") device = value();
        else if (option == "--baud") baud = int(number(value(), name));
        else if (option == "--format") format = value().toUpper();
        else if (option == "--link") linkFile = value();
        else if (option == "--code") {
            const QString v = value();
            if (v == "auto") config.code = ConversionMode::Undetermined;
            else if (v == "iso") config.code = ConversionMode::Iso;
            else if (v == "eia") config.code = ConversionMode::Eia;
            else if (v == "ascii") config.code = ConversionMode::Plain;
            else usage("--code is auto, iso, eia or ascii");
        } else if (option == "--dc3") config.pauseChar = uint8_t(number(value(), name));
        else if (option == "--start") {
            const QString v = value();
            if (v == "dc1") config.start = SimConfig::Start::Dc1;
            else if (v == "percent") config.start = SimConfig::Start::Percent;
            else if (v == "enq") config.start = SimConfig::Start::Enq;
            else if (v == "none") config.start = SimConfig::Start::None;
            else usage("--start is dc1, percent, enq or none");
        } else if (option == "--start-delay") config.startDelayMs = int(number(value(), name));
        else if (option == "--start-repeat") config.startRepeatMs = int(number(value(), name));
        else if (option == "--buffer") config.bufferSize = int(number(value(), name));
        else if (option == "--rate") { config.rate = value().toDouble(); rateGiven = true; }
        else if (option == "--high") config.highWater = int(number(value(), name));
        else if (option == "--low") config.lowWater = int(number(value(), name));
        else if (option == "--cancel-after") config.cancelAfter = number(value(), name);
        else if (option == "--idle") config.idleMs = int(number(value(), name));
        else if (option == "--out") config.outFile = value();
        else if (option == "--raw") config.rawFile = value();
        else if (option == "--stats") config.statsFile = value();
        else if (option == "--in") config.inFile = value();
        else if (option == "--leader") config.leader = int(number(value(), name));
        else if (option == "--trailer") config.trailer = int(number(value(), name));
        else if (option == "--no-dc4") config.sendDc4 = false;
        else if (option == "--once") config.once = true;
        else if (option == "--verbose") config.verbose = true;
        else usage((QString("unknown option ") + option).toLocal8Bit().constData());
    }
    if (config.mode == SimConfig::Mode::Punch && config.inFile.isEmpty())
        usage("punch needs --in FILE");
    if (config.mode == SimConfig::Mode::Punch && !rateGiven)
        config.rate = 0;

    struct sigaction action = {};
    action.sa_handler = onSignal; // no SA_RESTART: a blocked poll() returns
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    PosixSerialPort port;
    int fd = -1;
    bool pty = false;
    if (!device.isEmpty()) {
        if (!port.open(device)) {
            std::fprintf(stderr, "kelvra-ncsim: %s\n", port.errorString().toLocal8Bit().constData());
            return 1;
        }
        LineSettings line;
        port.readSettings(&line);
        line.baudRate = baud;
        if (format.size() != 3 || !QString("78").contains(format[0]) ||
            !QString("NEO").contains(format[1]) || !QString("12").contains(format[2]))
            usage("--format is like 8N1 or 7E1");
        line.dataBits = format[0].digitValue();
        line.parity = format[1] == 'N' ? LineSettings::Parity::None
                      : format[1] == 'E' ? LineSettings::Parity::Even
                                         : LineSettings::Parity::Odd;
        line.stopBits = format[2] == '2' ? LineSettings::StopBits::Two : LineSettings::StopBits::One;
        line.xonXoffInput = line.xonXoffOutput = line.ctsOutputFlow = false;
        if (!port.writeSettings(line)) {
            std::fprintf(stderr, "kelvra-ncsim: %s\n", port.errorString().toLocal8Bit().constData());
            return 1;
        }
        fd = port.descriptor();
    } else {
        fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        char name[128] = {};
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 ||
            ::ptsname_r(fd, name, sizeof name) != 0) {
            std::perror("kelvra-ncsim: pseudo-terminal");
            return 1;
        }
        pty = true;
        // Open and close the slave once: from then on the master reports a
        // hang-up until the program opens the line, which is how we see it.
        const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave >= 0)
            ::close(slave);
        if (linkFile.isEmpty()) {
            std::printf("%s\n", name);
            std::fflush(stdout);
        } else {
            QSaveFile file(linkFile);
            if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(name) + "\n") < 0 ||
                !file.commit()) {
                std::fprintf(stderr, "kelvra-ncsim: cannot write %s\n", linkFile.toLocal8Bit().constData());
                return 1;
            }
        }
    }

    ControlSim sim(config, fd, pty);
    const int code = sim.run(g_stop);
    if (pty)
        ::close(fd);
    return code;
}
