#include "platform/posix_serial_port.h"
#include "platform/posix_termios.h"

#include <sys/ioctl.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct SpeedCode
{
    int baud;
    speed_t code;
};

constexpr SpeedCode kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

} // namespace

int BaudOf(const termios2& t)
{
    const speed_t code = t.c_cflag & CBAUD;
    if (code == BOTHER)
        return int(t.c_ospeed);
    for (const auto& s : kSpeeds)
        if (s.code == code)
            return s.baud;
    return 0;
}

void SetBaud(termios2& t, int baud)
{
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT)); // input speed follows output
    speed_t code = BOTHER;
    for (const auto& s : kSpeeds)
        if (s.baud == baud)
            code = s.code;
    t.c_cflag |= code;
    t.c_ispeed = speed_t(baud);
    t.c_ospeed = speed_t(baud);
}


void ApplyLineSettings(termios2& t, const LineSettings& s)
{
    SetBaud(t, s.baudRate);

    t.c_cflag &= ~CSIZE;
    switch (s.dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
    }
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    t.c_iflag &= ~(INPCK | IGNPAR);
    if (s.parity != LineSettings::Parity::None) {
        t.c_cflag |= PARENB;
        if (s.parity == LineSettings::Parity::Odd)
            t.c_cflag |= PARODD;
        t.c_iflag |= INPCK; // a byte with bad parity reads as NUL, which callers skip
    }
    // No 1.5 stop bits in termios: two, the nearest that every receiver set to
    // 1.5 accepts.
    if (s.stopBits == LineSettings::StopBits::One)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;

    if (s.xonXoffInput)
        t.c_iflag |= IXOFF;
    else
        t.c_iflag &= ~IXOFF;
    if (s.xonXoffOutput)
        t.c_iflag |= IXON;
    else
        t.c_iflag &= ~IXON;
    // CTS output flow control; the kernel drives RTS itself under CRTSCTS,
    // which is the nearest thing to the RTS handshake.
    if (s.ctsOutputFlow)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
}

namespace {

bool isGoneError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE || error == EBADF;
}

bool isUnsupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == 515 /* ENOIOCTLCMD */;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

PosixSerialPort::PosixSerialPort() = default;

PosixSerialPort::~PosixSerialPort()
{
    close();
}

bool PosixSerialPort::open(const QString& device)
{
    close();
    m_device = device;
    m_lost = false;
    m_error.clear();
    m_openError = OpenError::None;
    m_lineStatusReadable = true;
    m_modemLinesReadable = true;
    m_pseudoTerminal = false;
    m_oneAndHalfRequested = false;
    m_timeouts = PortTimeouts{};
    m_shadow = LineSettings{};

    auto fail = [this](OpenError kind, int error) {
        m_openError = kind;
        m_error = m_device + QStringLiteral(": ") + errnoText(error);
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        releaseLockFile();
        return false;
    };

    if (device.isEmpty())
        return fail(OpenError::NotFound, ENOENT);

    // Non-blocking so the open never waits for carrier detect.
    m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        switch (error) {
        case EBUSY:
            return fail(OpenError::Busy, error);
        case EACCES:
        case EPERM:
            return fail(OpenError::NoAccess, error);
        default: // ENOENT, ENODEV, ENXIO, and EIO from a port without hardware
            return fail(OpenError::NotFound, error);
        }
    }

    termios2 t{};
    if (::ioctl(m_fd, TCGETS2, &t) != 0)
        return fail(OpenError::NotSerial, errno);

    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? OpenError::Busy : OpenError::Other, errno);
    if (!takeLockFile())
        return fail(OpenError::Busy, EBUSY);
    ::ioctl(m_fd, TIOCEXCL); // not every driver honours it; the flock above is what counts

    // A comm port carries raw bytes: no echo, no line editing, no character
    // translation, no signals; carrier detect is read, not obeyed, so a
    // dropped carrier does not hang the line up. Speed, format and flow
    // control stay as the port had them until writeSettings().
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::ioctl(m_fd, TCSETS2, &t) != 0)
        return fail(OpenError::Other, errno);

    // Unix 98 pseudo-terminal slaves (majors 136-143) have no UART and no
    // modem lines; their output count is always 0, so it is not asked for.
    struct stat info{};
    if (::fstat(m_fd, &info) == 0 && S_ISCHR(info.st_mode))
        m_pseudoTerminal = major(info.st_rdev) >= 136 && major(info.st_rdev) <= 143;

    int bits = 0;
    const bool haveBits = ::ioctl(m_fd, TIOCMGET, &bits) == 0;
    if (!haveBits && isUnsupported(errno))
        m_modemLinesReadable = false;
    m_shadow.dtrControl = !haveBits || (bits & TIOCM_DTR) ? LineSettings::LineControl::Enable
                                                          : LineSettings::LineControl::Disable;
    m_shadow.rtsControl = !haveBits || (bits & TIOCM_RTS) ? LineSettings::LineControl::Enable
                                                          : LineSettings::LineControl::Disable;
    m_baudRate = std::max(BaudOf(t), 1);
    return true;
}

void PosixSerialPort::close()
{
    if (m_fd >= 0) {
        // close() would sit in the driver's closing wait (up to 30 s) for
        // output that a held line (CTS off, XOFF) never sends: give it a
        // moment, then drop it.
        if (!m_lost && !m_pseudoTerminal && outputWaiting() > 0) {
            waitForDrained(500);
            ::ioctl(m_fd, TCFLSH, TCOFLUSH);
        }
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd); // releases the flock
        m_fd = -1;
    }
    releaseLockFile();
}

bool PosixSerialPort::takeLockFile()
{
    if (m_lockFolder.isEmpty() || !QFileInfo(m_lockFolder).isDir())
        return true;
    QString name = QFileInfo(m_device).canonicalFilePath();
    if (name.isEmpty())
        name = m_device;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString path = m_lockFolder + QStringLiteral("/LCK..") + name;
    const QByteArray encoded = QFile::encodeName(path);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int length = std::snprintf(text, sizeof text, "%10d\n", int(::getpid()));
            const bool written = ::write(fd, text, size_t(length)) == length;
            ::close(fd);
            if (!written) {
                ::unlink(encoded.constData());
                return true; // a lock we cannot write is no lock; flock still guards
            }
            m_lockFile = path;
            return true;
        }
        if (errno != EEXIST)
            return true; // folder not writable for us: rely on flock and TIOCEXCL

        // Someone's lock: honour it while its process lives, else clear it.
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        const QByteArray content = existing.read(64).trimmed();
        existing.close();
        bool numeric = false;
        int pid = content.toInt(&numeric);
        if (!numeric && content.size() == 4) // binary (Kermit) form
            std::memcpy(&pid, content.constData(), 4);
        const bool alive = pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM);
        if (alive)
            return false;
        ::unlink(encoded.constData());
    }
    return false;
}

void PosixSerialPort::releaseLockFile()
{
    if (!m_lockFile.isEmpty()) {
        ::unlink(QFile::encodeName(m_lockFile).constData());
        m_lockFile.clear();
    }
}

void PosixSerialPort::noteError(int error, const char* what)
{
    m_error = m_device + QStringLiteral(": ") + QLatin1String(what) + QStringLiteral(": ") +
              errnoText(error);
    if (isGoneError(error))
        m_lost = true;
}

bool PosixSerialPort::readSettings(LineSettings* settings)
{
    if (m_fd < 0)
        return false;
    termios2 t{};
    if (::ioctl(m_fd, TCGETS2, &t) != 0) {
        noteError(errno, "TCGETS2");
        return false;
    }
    LineSettings s = m_shadow;
    s.baudRate = BaudOf(t);
    switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
    }
    s.parity = !(t.c_cflag & PARENB) ? LineSettings::Parity::None
               : (t.c_cflag & PARODD) ? LineSettings::Parity::Odd
                                      : LineSettings::Parity::Even;
    if (t.c_cflag & CSTOPB)
        s.stopBits = m_oneAndHalfRequested ? LineSettings::StopBits::OneAndHalf
                                           : LineSettings::StopBits::Two;
    else
        s.stopBits = LineSettings::StopBits::One;
    s.xonXoffInput = t.c_iflag & IXOFF;
    s.xonXoffOutput = t.c_iflag & IXON;
    s.ctsOutputFlow = t.c_cflag & CRTSCTS;
    s.xonChar = t.c_cc[VSTART];
    s.xoffChar = t.c_cc[VSTOP];
    *settings = s;
    return true;
}

bool PosixSerialPort::writeSettings(const LineSettings& s)
{
    if (m_fd < 0)
        return false;
    termios2 t{};
    if (::ioctl(m_fd, TCGETS2, &t) != 0) {
        noteError(errno, "TCGETS2");
        return false;
    }
    if (s.baudRate <= 0) {
        m_error = m_device + QStringLiteral(": invalid speed");
        return false;
    }
    ApplyLineSettings(t, s);

    if (::ioctl(m_fd, TCSETS2, &t) != 0) {
        noteError(errno, "TCSETS2");
        return false;
    }
    // Drivers may round a speed they cannot make; a line off by more than a
    // few per cent would garble every character, so that is a failure.
    termios2 check{};
    if (::ioctl(m_fd, TCGETS2, &check) != 0) {
        noteError(errno, "TCGETS2");
        return false;
    }
    const int actual = BaudOf(check);
    if (actual <= 0 || std::abs(actual - s.baudRate) * 100 > s.baudRate * 3) {
        m_error = m_device + QStringLiteral(": speed %1 not supported (driver set %2)")
                                 .arg(s.baudRate)
                                 .arg(actual);
        return false;
    }

    // DTR and RTS: Linux knows no DTR handshake, and RTS is the kernel's under
    // CRTSCTS; both are held on unless disabled.
    using LC = LineSettings::LineControl;
    if (s.dtrControl == LC::Disable)
        modemBits(TIOCMBIC, TIOCM_DTR);
    else
        modemBits(TIOCMBIS, TIOCM_DTR);
    if (s.rtsControl == LC::Disable)
        modemBits(TIOCMBIC, TIOCM_RTS);
    else if (!s.ctsOutputFlow)
        modemBits(TIOCMBIS, TIOCM_RTS);

    m_shadow = s;
    m_oneAndHalfRequested = s.stopBits == LineSettings::StopBits::OneAndHalf;
    m_baudRate = actual;
    m_bitsPerChar = 1 + s.dataBits + (s.parity != LineSettings::Parity::None ? 1 : 0) +
                    (s.stopBits == LineSettings::StopBits::One ? 1 : 2);
    return true;
}

bool PosixSerialPort::readTimeouts(PortTimeouts* timeouts)
{
    if (m_fd < 0)
        return false;
    *timeouts = m_timeouts;
    return true;
}

bool PosixSerialPort::writeTimeouts(const PortTimeouts& timeouts)
{
    if (m_fd < 0)
        return false;
    m_timeouts = timeouts; // applied by readByte()'s poll()
    return true;
}

bool PosixSerialPort::setQueueSizes(int, int)
{
    // The kernel's queues have fixed sizes (4 KiB each way for most drivers).
    return m_fd >= 0;
}

bool PosixSerialPort::purge()
{
    if (m_fd < 0)
        return false;
    if (::ioctl(m_fd, TCFLSH, TCIOFLUSH) != 0) {
        noteError(errno, "TCFLSH");
        return false;
    }
    return true;
}

bool PosixSerialPort::modemBits(int request, int bits)
{
    if (m_fd < 0)
        return false;
    if (::ioctl(m_fd, request, &bits) != 0) {
        const int error = errno;
        if (!isUnsupported(error))
            noteError(error, "TIOCMSET");
        return false;
    }
    return true;
}

bool PosixSerialPort::raiseDtr()
{
    return modemBits(TIOCMBIS, TIOCM_DTR);
}

bool PosixSerialPort::raiseRts()
{
    return modemBits(TIOCMBIS, TIOCM_RTS);
}

int PosixSerialPort::inputWaiting()
{
    if (m_fd < 0 || m_lost)
        return -1;
    int count = 0;
    if (::ioctl(m_fd, TIOCINQ, &count) != 0) {
        noteError(errno, "TIOCINQ");
        return -1;
    }
    return count;
}

int PosixSerialPort::outputWaiting()
{
    if (m_fd < 0 || m_lost)
        return -1;
    if (m_pseudoTerminal)
        return 0;
    int count = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &count) != 0) {
        noteError(errno, "TIOCOUTQ");
        return -1;
    }
    // The driver's queue empties into the UART; until its shift register is
    // empty the last character is still on its way.
    if (m_lineStatusReadable) {
        unsigned int lsr = 0;
        if (::ioctl(m_fd, TIOCSERGETLSR, &lsr) == 0) {
            if (!(lsr & TIOCSER_TEMT))
                ++count;
        } else if (isUnsupported(errno)) {
            m_lineStatusReadable = false;
        } else {
            noteError(errno, "TIOCSERGETLSR");
            return -1;
        }
    }
    return count;
}

SerialPort::WaitResult PosixSerialPort::pollFor(short events, int timeoutMs)
{
    if (m_fd < 0 || m_lost)
        return WaitResult::Failed;
    pollfd p{m_fd, events, 0};
    const int n = ::poll(&p, 1, timeoutMs);
    if (n < 0) {
        if (errno == EINTR)
            return WaitResult::TimedOut;
        noteError(errno, "poll");
        return WaitResult::Failed;
    }
    if (n == 0)
        return WaitResult::TimedOut;
    if (p.revents & events)
        return WaitResult::Ready;
    if (p.revents & POLLNVAL)
        noteError(EBADF, "poll");
    else
        noteError(EIO, "hang-up");
    return WaitResult::Failed;
}

SerialPort::ReadResult PosixSerialPort::readByte(uint8_t* byte)
{
    if (m_fd < 0 || m_lost)
        return ReadResult::Failed;
    const int total = m_timeouts.readTotalConstantMs + m_timeouts.readTotalMultiplierMs;
    const bool noTimeout = total == 0 && m_timeouts.readIntervalMs == 0;
    const WaitResult wait = pollFor(POLLIN, noTimeout ? -1 : total);
    if (wait == WaitResult::TimedOut)
        return ReadResult::TimedOut;
    if (wait == WaitResult::Failed)
        return ReadResult::Failed;
    for (;;) {
        const ssize_t n = ::read(m_fd, byte, 1);
        if (n == 1)
            return ReadResult::Byte;
        if (n == 0) { // end of file on a tty: the other end hung up
            noteError(EIO, "read");
            return ReadResult::Failed;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return ReadResult::TimedOut;
        noteError(errno, "read");
        return ReadResult::Failed;
    }
}

SerialPort::WriteResult PosixSerialPort::writeByte(uint8_t byte)
{
    if (m_fd < 0 || m_lost)
        return WriteResult::Failed;
    for (;;) {
        const ssize_t n = ::write(m_fd, &byte, 1);
        if (n == 1)
            return WriteResult::Written;
        if (n == 0 || errno == EAGAIN)
            return WriteResult::WouldBlock;
        if (errno == EINTR)
            continue;
        const int error = errno;
        noteError(error, "write");
        m_lost = true; // a tty write fails only when the device is unusable
        return WriteResult::Failed;
    }
}

SerialPort::WaitResult PosixSerialPort::waitForInput(int timeoutMs)
{
    return pollFor(POLLIN, timeoutMs);
}

SerialPort::WaitResult PosixSerialPort::waitForWritable(int timeoutMs)
{
    return pollFor(POLLOUT, timeoutMs);
}

SerialPort::WaitResult PosixSerialPort::waitForDrained(int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Sleep about as long as the waiting characters take on the wire; a
    // character time is ~0.5 ms at 19200 baud, so the line stays busy.
    const auto charTime = std::chrono::microseconds(1'000'000LL * m_bitsPerChar / m_baudRate);
    for (;;) {
        const int waiting = outputWaiting();
        if (m_lost)
            return WaitResult::Failed;
        if (waiting <= 0)
            return WaitResult::Ready;
        const auto now = Clock::now();
        if (now >= deadline)
            return WaitResult::TimedOut;
        auto nap = std::clamp<std::chrono::microseconds>(
            charTime * waiting, std::chrono::microseconds(50), std::chrono::microseconds(20'000));
        nap = std::min<std::chrono::microseconds>(
            nap, std::chrono::duration_cast<std::chrono::microseconds>(deadline - now) +
                     std::chrono::microseconds(1));
        std::this_thread::sleep_for(nap);
    }
}

std::optional<ModemStatus> PosixSerialPort::modemStatus()
{
    if (m_fd < 0 || m_lost || !m_modemLinesReadable)
        return std::nullopt;
    int bits = 0;
    if (::ioctl(m_fd, TIOCMGET, &bits) != 0) {
        const int error = errno;
        if (isUnsupported(error))
            m_modemLinesReadable = false; // the driver will not learn it later
        else
            noteError(error, "TIOCMGET");
        return std::nullopt;
    }
    ModemStatus status;
    status.cts = bits & TIOCM_CTS;
    status.dsr = bits & TIOCM_DSR;
    status.carrierDetect = bits & TIOCM_CD;
    return status;
}

std::unique_ptr<SerialPort> CreateSystemSerialPort()
{
    return std::make_unique<PosixSerialPort>();
}
