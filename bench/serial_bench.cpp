// Figures of the serial link on a pseudo-terminal: CPU while waiting, raw
// SendChar throughput, and how busy an emulated 19200-baud line is kept.
//   serial_bench [cpu|throughput|line|all]

#include "app/options.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "platform/sleeper.h"
#include "profiles/profile.h"
#include "serial/serial_link.h"
#include "serial/serial_view.h"
#include "transfer/transfer_state.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class QuietView : public SerialView
{
public:
    void setDsrLamp(bool) override {}
    void setCtsLamp(bool) override {}
    int showBox(const BoxRequest& r) override
    {
        std::fprintf(stderr, "box: %s\n", r.text.toUtf8().constData());
        return BoxButton::Ok;
    }
    std::optional<QString> askSelectionNumber() override { return std::nullopt; }
};

double threadCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Pty
{
    int master = -1;
    QString slave;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        char name[128];
        ptsname_r(master, name, sizeof name);
        slave = name;
    }
    ~Pty() { ::close(master); }
    void send(uint8_t b) { (void)!::write(master, &b, 1); }
};

struct Bench
{
    TransferState state;
    Options options;
    ActiveProfile profile;
    PortMap ports;
    QuietView view;
    ThreadSleeper sleeper;
    SerialLink link{state, options, profile, ports, view, sleeper};

    explicit Bench(const QString& device, int speed = 4)
    {
        profile.send.Port = profile.receive.Port = "COM5";
        profile.send.Speed = profile.receive.Speed = speed;
        profile.send.Signal = 1;
        ports.setDevicePath(5, device);
        link.setPortFactory([] {
            auto port = std::make_unique<PosixSerialPort>();
            port->setLockFolder(QString()); // no lock files for a bench
            return port;
        });
    }
};

void cpuFigures()
{
    const double span = 5.0;
    {
        Pty pty;
        Bench b(pty.slave);
        b.state.TransferDirection = 1;
        if (!b.link.OpenPort(1))
            return;
        b.link.ConversionMode = ConversionMode::Iso;
        pty.send(0x93); // the control pauses the send
        double cpu = 0, wall = 0;
        std::thread sender([&] {
            const double c0 = threadCpuSeconds();
            const auto t0 = Clock::now();
            b.link.SendChar('G');
            cpu = threadCpuSeconds() - c0;
            wall = secondsSince(t0);
        });
        std::this_thread::sleep_for(std::chrono::duration<double>(span));
        pty.send(0x11);
        sender.join();
        std::printf("SendChar paused by the control: %.2f s waited, CPU %.4f s = %.3f %% of a core\n",
                    wall, cpu, 100.0 * cpu / wall);
    }
    {
        Pty pty;
        Bench b(pty.slave);
        if (!b.link.OpenPort(2))
            return;
        const double c0 = threadCpuSeconds();
        const auto t0 = Clock::now();
        b.link.ReadChar(); // nothing comes: returns after the 3 s read time-out
        b.link.ReadChar();
        const double cpu = threadCpuSeconds() - c0, wall = secondsSince(t0);
        std::printf("ReadChar waiting for input:     %.2f s waited, CPU %.4f s = %.3f %% of a core\n",
                    wall, cpu, 100.0 * cpu / wall);

        const double c1 = threadCpuSeconds();
        const auto t1 = Clock::now();
        while (secondsSince(t1) < span && !b.state.AbortRequested) {
            // A transfer's waiting loop, abort checked per slice.
            if (b.link.WaitForInput() == SerialLink::InputWait::Failed) {
                std::puts("the line failed while waiting");
                break;
            }
        }
        const double cpu1 = threadCpuSeconds() - c1, wall1 = secondsSince(t1);
        std::printf("Waiting loop (WaitForInput):    %.2f s waited, CPU %.4f s = %.3f %% of a core\n",
                    wall1, cpu1, 100.0 * cpu1 / wall1);
    }
}

void throughputFigure()
{
    Pty pty;
    Bench b(pty.slave);
    b.state.TransferDirection = 1;
    if (!b.link.OpenPort(1))
        return;
    b.link.ConversionMode = ConversionMode::Iso;
    std::atomic<bool> done{false};
    std::atomic<long> received{0};
    std::thread reader([&] { // a control that takes everything at once
        char buffer[65536];
        while (!done) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
                // Take what came in batches, as a UART's FIFO would.
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                const ssize_t n = ::read(pty.master, buffer, sizeof buffer);
                if (n > 0)
                    received += n;
            }
        }
    });
    const QByteArray line = "N1234G01X-123.456Y78.9F1500\n";
    const long total = 2'000'000;
    const double c0 = threadCpuSeconds();
    const auto t0 = Clock::now();
    long sent = 0;
    while (sent < total) {
        for (char c : line) {
            if (b.link.SendChar(uint8_t(c))) {
                std::printf("send stopped\n");
                sent = total;
                break;
            }
            ++sent;
        }
    }
    const double wall = secondsSince(t0), cpu = threadCpuSeconds() - c0;
    while (received < sent && secondsSince(t0) < wall + 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    done = true;
    reader.join();
    std::printf("SendChar to a pty, nobody pausing: %ld chars in %.2f s = %.0f chars/s "
                "(%.2f us CPU per char; %ld arrived)\n",
                sent, wall, sent / wall, 1e6 * cpu / sent, long(received));
}

void lineFigure()
{
    QTemporaryDir dir;
    const QString linkFile = dir.filePath("line"), statsFile = dir.filePath("stats");
    QProcess sim;
    sim.start(KELVRA_NCSIM, {"dnc", "--rate", "1920", "--once", "--link", linkFile, "--stats",
                             statsFile, "--start-delay", "50"});
    if (!sim.waitForStarted())
        return;
    for (int i = 0; i < 500 && !QFile::exists(linkFile); ++i)
        QThread::msleep(10);
    QFile f(linkFile);
    if (!f.open(QIODevice::ReadOnly)) {
        std::puts("kelvra-ncsim did not tell its line");
        return;
    }
    Bench b(QString::fromLocal8Bit(f.readAll().trimmed()));
    b.state.TransferDirection = 1;
    if (!b.link.OpenPort(1))
        return;
    b.link.ConversionMode = ConversionMode::Iso;
    for (;;) {
        const SerialLink::InputWait wait = b.link.WaitForInput(100);
        if (wait == SerialLink::InputWait::Ready)
            break;
        if (wait == SerialLink::InputWait::Failed) {
            std::puts("the line failed before the control's start signal");
            return;
        }
    }
    b.link.ReadChar(); // DC1: go

    QByteArray program = "%\n";
    while (program.size() < 15000)
        program += "N" + QByteArray::number(program.size()) + "G01X12.345Y-6.789F800\n";
    program += "M30\n%";
    const double c0 = threadCpuSeconds();
    const auto t0 = Clock::now();
    for (char c : program)
        if (b.link.SendChar(uint8_t(c))) {
            std::printf("send stopped\n");
            break;
        }
    const double wall = secondsSince(t0), cpu = threadCpuSeconds() - c0;
    b.link.ClosePort();
    sim.waitForFinished(30000);
    QFile stats(statsFile);
    stats.open(QIODevice::ReadOnly);
    const QByteArray figures = stats.readAll();
    std::printf("DNC at 1920 chars/s (19200 baud) into kelvra-ncsim, %lld chars in %.2f s, sender CPU %.3f %%:\n%s",
                qlonglong(program.size()), wall, 100.0 * cpu / wall, figures.constData());
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray what = argc > 1 ? argv[1] : "all";
    if (what == "cpu" || what == "all")
        cpuFigures();
    if (what == "throughput" || what == "all")
        throughputFigure();
    if (what == "line" || what == "all")
        lineFigure();
    return 0;
}
