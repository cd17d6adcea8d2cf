#include "control_sim.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono;

double secondsOf(steady_clock::duration d)
{
    return duration<double>(d).count();
}

const char* codeName(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::Iso: return "iso";
    case ConversionMode::Eia: return "eia";
    case ConversionMode::Plain: return "ascii";
    default: return "undetermined";
    }
}

bool isPause(uint8_t b)
{
    return b == TapeCode::DC3 || b == TapeCode::DC3_0x93;
}

} // namespace

ControlSim::ControlSim(const SimConfig& config, int fd, bool pty)
    : m_config(config), m_fd(fd), m_pty(pty)
{
    if (m_config.bufferSize > 0) {
        if (m_config.highWater < 0)
            m_config.highWater = m_config.bufferSize * 3 / 4;
        if (m_config.lowWater < 0)
            m_config.lowWater = m_config.bufferSize / 4;
    }
}

void ControlSim::log(const QString& text)
{
    if (m_config.verbose)
        std::fprintf(stderr, "kelvra-ncsim: %s\n", text.toLocal8Bit().constData());
}

bool ControlSim::waitForPeerOpen(const volatile bool& stop)
{
    // The master reports hang-up while nobody has the slave open.
    while (!stop && m_pty) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP))
            return true;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return !stop;
}

void ControlSim::waitForPeerClose(const volatile bool& stop)
{
    while (!stop && m_pty) {
        pollfd p{m_fd, POLLIN, 0};
        const int n = ::poll(&p, 1, 100);
        if (n > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN))
            return;
        if (n > 0 && (p.revents & POLLIN)) { // late bytes of a finished transfer
            char sink[256];
            if (::read(m_fd, sink, sizeof sink) < 0 && errno != EAGAIN)
                return;
        }
    }
}

void ControlSim::sendByte(uint8_t b)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::write(m_fd, &b, 1) == 1)
            return;
        if (errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
}

void ControlSim::writeFile(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        std::fprintf(stderr, "kelvra-ncsim: cannot write %s\n", path.toLocal8Bit().constData());
}

int ControlSim::run(const volatile bool& stop)
{
    while (!stop) {
        if (!waitForPeerOpen(stop))
            break;
        const bool ok = m_config.mode == SimConfig::Mode::Punch ? punchTransfer(stop)
                                                                 : receiveTransfer(stop);
        if (m_config.once || !ok)
            return ok ? 0 : 1;
        waitForPeerClose(stop);
    }
    return 0;
}

// The control reads (read mode) or executes (DNC) what the program sends.
// Bytes go into the control's buffer as they arrive; the buffer empties at
// `rate` characters per second. DC3 goes out when it holds `highWater`
// bytes, DC1 when it is back at `lowWater`. The figures: how busy the
// consumer was between the first byte and the last, and how many bytes still
// came after each DC3.
bool ControlSim::receiveTransfer(const volatile bool& stop)
{
    const SimConfig& c = m_config;
    ConversionMode mode = c.code;
    QByteArray raw, data;
    long pauses = 0, afterPause = 0, maxAfterPause = 0, overrun = 0, maxInFlight = 0;
    bool paused = false, cancelled = false;
    bool sawProgram = false; // a "%" after program text closes the tape
    QByteArray end = "hangup";

    double work = 0; // seconds of consumption queued
    double busy = 0, idle = 0;
    bool started = false;
    auto lastTick = steady_clock::now();
    auto lastData = lastTick;
    auto firstData = lastTick;

    const uint8_t startByte = [&]() -> uint8_t {
        switch (c.start) {
        case SimConfig::Start::Dc1: return TapeCode::DC1;
        case SimConfig::Start::Enq: return TapeCode::ENQ;
        case SimConfig::Start::Percent: {
            const ConversionMode m = c.code == ConversionMode::Undetermined ? ConversionMode::Iso : c.code;
            return EncodeForLine('%', m).value_or('%');
        }
        case SimConfig::Start::None: return 0;
        }
        return 0;
    }();
    auto nextStart = steady_clock::now() + milliseconds(c.startDelayMs);
    bool startSent = c.start == SimConfig::Start::None;

    auto held = [&]() { return c.rate > 0 ? long(std::ceil(work * c.rate - 1e-9)) : 0L; };
    auto advance = [&](steady_clock::time_point now) {
        const double dt = secondsOf(now - lastTick);
        lastTick = now;
        if (!started || c.rate <= 0)
            return;
        const double done = std::min(work, dt);
        work -= done;
        busy += done;
        idle += dt - done;
    };

    bool finished = false;
    while (!stop && !finished) {
        auto now = steady_clock::now();
        advance(now);

        if (!startSent && now >= nextStart) {
            sendByte(startByte);
            log(QStringLiteral("start signal sent"));
            startSent = c.startRepeatMs <= 0;
            nextStart = now + milliseconds(std::max(c.startRepeatMs, 1));
        }
        if (paused && held() <= c.lowWater) {
            sendByte(TapeCode::DC1);
            paused = false;
        }

        int timeoutMs = 100;
        if (!startSent)
            timeoutMs = int(std::max<long>(0, duration_cast<milliseconds>(nextStart - now).count()));
        if (paused && c.rate > 0)
            timeoutMs = std::min<int>(timeoutMs, int((held() - c.lowWater) / c.rate * 1000.0) + 1);
        if (started && c.idleMs > 0) {
            const long silent = long(duration_cast<milliseconds>(now - lastData).count());
            if (silent >= c.idleMs && !paused) {
                end = "idle";
                break;
            }
        }

        pollfd p{m_fd, POLLIN, 0};
        const int n = ::poll(&p, 1, timeoutMs);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            continue;
        if (!(p.revents & POLLIN)) {
            if (p.revents & (POLLHUP | POLLERR))
                break; // the program closed the line
            continue;
        }
        static uint8_t buffer[65536];
        ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            break;
        }
        now = steady_clock::now();
        advance(now);
        // Bytes read right after our DC3 went out were on their way before the
        // program could see it; only later ones count as its pause latency.
        bool onTheirWay = false;
        long inFlight = 0;
        while (got > 0) {
            for (ssize_t i = 0; i < got && !finished; ++i) {
                const uint8_t b = buffer[i];
                raw.append(char(b));
                if (!started) {
                    started = true;
                    firstData = now;
                    lastTick = now;
                    startSent = true; // the program is talking: no more start signals
                }
                lastData = now;
                if (paused && !onTheirWay)
                    ++afterPause;
                if (c.rate > 0) {
                    work += 1.0 / c.rate;
                    // Beyond the buffer by the sender's fault: it had seen our DC3.
                    if (c.bufferSize > 0 && held() > c.bufferSize && paused && !onTheirWay)
                        ++overrun;
                }
                if (onTheirWay)
                    ++inFlight;
                const uint8_t ch = DecodeFromLine(b, mode, TapeCode::DC3_0x93);
                if (ch == TapeCode::DC4) {
                    end = "dc4";
                    finished = true;
                } else if (ch == 0 || ch == TapeCode::DC1 || ch == TapeCode::DC2 || isPause(ch) ||
                           ch == TapeCode::CAN || ch == TapeCode::ENQ || ch == TapeCode::DC3) {
                    // tape feed and control characters are not program text
                } else {
                    data.append(char(ch));
                    if (ch == '%' && sawProgram) {
                        end = "percent";
                        finished = true;
                    } else if (ch != '%' && ch != '\n' && ch != '\r' && ch != ' ') {
                        sawProgram = true;
                    }
                }
                if (!paused && c.bufferSize > 0 && c.rate > 0 && held() >= c.highWater) {
                    sendByte(c.pauseChar); // at once, not after the rest of the chunk
                    paused = true;
                    onTheirWay = true;
                    ++pauses;
                    afterPause = 0;
                }
            }
            got = 0;
            if (onTheirWay && !finished) {
                got = ::read(m_fd, buffer, sizeof buffer); // what is already in the pipe
                onTheirWay = got > 0;
            }
        }
        maxAfterPause = std::max(maxAfterPause, afterPause);
        maxInFlight = std::max(maxInFlight, inFlight);
        if (!cancelled && c.cancelAfter >= 0 && data.size() >= c.cancelAfter) {
            sendByte(c.pauseChar); // a control cancels a paused sender
            sendByte(TapeCode::CAN);
            cancelled = true;
            end = "cancel";
            finished = true;
        }
    }
    // What is still in the buffer gets consumed before the run is over.
    busy += work;

    writeFile(c.outFile, data);
    writeFile(c.rawFile, raw);
    const double span = busy + idle;
    QByteArray stats;
    stats += "mode=" + QByteArray(c.mode == SimConfig::Mode::Dnc ? "dnc" : "read") + "\n";
    stats += "end=" + end + "\n";
    stats += "bytes=" + QByteArray::number(raw.size()) + "\n";
    stats += "data=" + QByteArray::number(data.size()) + "\n";
    stats += "code=" + QByteArray(codeName(mode)) + "\n";
    stats += "pauses=" + QByteArray::number(pauses) + "\n";
    stats += "max_after_pause=" + QByteArray::number(maxAfterPause) + "\n";
    stats += "overrun=" + QByteArray::number(overrun) + "\n";
    stats += "max_in_flight=" + QByteArray::number(maxInFlight) + "\n";
    stats += "busy_fraction=" + (span > 0 ? QByteArray::number(busy / span, 'f', 5) : "0") + "\n";
    stats += "line_seconds=" + QByteArray::number(span, 'f', 3) + "\n";
    stats += "elapsed_seconds=" + QByteArray::number(secondsOf(lastData - firstData), 'f', 3) + "\n";
    if (c.statsFile.isEmpty())
        std::fputs(stats.constData(), stderr);
    else
        writeFile(c.statsFile, stats);
    return true;
}

// The control punches a program out: leader, "%", the lines, "%", trailer and
// DC4, pausing while the program has sent DC3 and stopping on CAN.
bool ControlSim::punchTransfer(const volatile bool& stop)
{
    const SimConfig& c = m_config;
    QFile in(c.inFile);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kelvra-ncsim: cannot read %s\n", c.inFile.toLocal8Bit().constData());
        return false;
    }
    QByteArray text = in.readAll();
    text.replace("\r", "");

    const ConversionMode mode = c.code == ConversionMode::Undetermined ? ConversionMode::Iso : c.code;
    QByteArray tape;
    auto put = [&](uint8_t ch) {
        if (const auto b = EncodeForLine(ch, mode))
            tape.append(char(*b));
    };
    tape.append(QByteArray(c.leader, '\0'));
    put('%');
    put('\n');
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed() == "%" || line.isEmpty())
            continue;
        for (char ch : line)
            put(uint8_t(ch));
        put('\n');
    }
    put('%');
    tape.append(QByteArray(c.trailer, '\0'));
    if (c.sendDc4)
        tape.append(char(TapeCode::DC4));

    std::this_thread::sleep_for(milliseconds(c.startDelayMs));
    const auto interval = c.rate > 0 ? duration<double>(1.0 / c.rate) : duration<double>(0);
    auto next = steady_clock::now();
    bool paused = false;
    long pauses = 0;
    QByteArray end = "done";
    qsizetype sent = 0;
    while (sent < tape.size() && !stop) {
        // Look at what the program sent: DC3 pauses, DC1 resumes, CAN stops.
        pollfd p{m_fd, POLLIN, 0};
        const int n = ::poll(&p, 1, paused ? 100 : 0);
        if (n > 0 && (p.revents & POLLIN)) {
            uint8_t buffer[256];
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            for (ssize_t i = 0; i < got; ++i) {
                if (isPause(buffer[i]) && !paused) {
                    paused = true;
                    ++pauses;
                } else if (buffer[i] == TapeCode::DC1) {
                    paused = false;
                } else if (buffer[i] == TapeCode::CAN) {
                    end = "cancel";
                }
            }
            if (end == "cancel")
                break;
            continue;
        }
        if (n > 0 && (p.revents & (POLLHUP | POLLERR))) {
            end = "hangup";
            break;
        }
        if (paused)
            continue;
        if (interval.count() > 0) {
            next += duration_cast<steady_clock::duration>(interval);
            std::this_thread::sleep_until(next);
        }
        const uint8_t b = uint8_t(tape[sent]);
        const ssize_t w = ::write(m_fd, &b, 1);
        if (w == 1) {
            ++sent;
        } else if (errno == EAGAIN) {
            pollfd out{m_fd, POLLOUT, 0};
            ::poll(&out, 1, 50);
            next = steady_clock::now();
        } else if (errno != EINTR) {
            end = "hangup";
            break;
        }
    }
    QByteArray stats = "mode=punch\nend=" + end + "\nbytes=" + QByteArray::number(sent) +
                       "\ntotal=" + QByteArray::number(tape.size()) +
                       "\npauses=" + QByteArray::number(pauses) + "\ncode=" + codeName(mode) + "\n";
    if (c.statsFile.isEmpty())
        std::fputs(stats.constData(), stderr);
    else
        writeFile(c.statsFile, stats);
    return true;
}
