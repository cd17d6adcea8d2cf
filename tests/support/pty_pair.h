#pragma once

// A pseudo-terminal for tests: the master stands for the machine control,
// the slave path is what the program opens as its serial port.

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <QByteArray>
#include <QString>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

class PtyPair
{
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            char name[128] = {};
            if (::ptsname_r(m_master, name, sizeof name) == 0)
                m_slavePath = QString::fromLocal8Bit(name);
        }
    }
    ~PtyPair() { closeMaster(); }

    bool ok() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    int master() const { return m_master; }
    QString slavePath() const { return m_slavePath; }

    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    // The termios of the line as the program left it (termios ioctls on the
    // master act on the slave).
    termios2 lineTermios() const
    {
        termios2 t{};
        ::ioctl(m_master, TCGETS2, &t);
        return t;
    }

    void send(const QByteArray& bytes) const
    {
        (void)!::write(m_master, bytes.constData(), size_t(bytes.size()));
    }

    // One chunk of what has arrived, waiting up to `timeoutMs` for it.
    QByteArray readSome(int timeoutMs) const
    {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN))
            return QByteArray();
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }

    // Everything that arrives until nothing more comes for `quietMs`.
    QByteArray receive(int quietMs = 100) const
    {
        QByteArray all;
        char buffer[4096];
        for (;;) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN))
                return all;
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                return all;
            all.append(buffer, n);
        }
    }

private:
    int m_master = -1;
    QString m_slavePath;
};
