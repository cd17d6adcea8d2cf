#pragma once

#include "platform/serial_port.h"

// A serial device through termios and ioctl.
//
// Exclusive access: TIOCEXCL keeps ordinary users out, an flock() keeps out
// everyone (root included) who also locks, and a UUCP lock file
// LCK..<device> in /var/lock keeps out the other serial programs that honour
// that convention (skipped when the folder is not writable).
//
// The descriptor is non-blocking; every wait is a poll() with a time-out, so
// a thread blocked here costs no CPU and a read never outlives its time-out.
// Speeds go through termios2, so 14400 baud works (BOTHER). Linux has no 1.5
// stop bits: two are used, which every receiver set to 1.5 accepts.
class PosixSerialPort : public SerialPort
{
public:
    PosixSerialPort();
    ~PosixSerialPort() override;

    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // Folder of the UUCP lock files; empty switches them off.
    void setLockFolder(const QString& folder) { m_lockFolder = folder; }

    bool open(const QString& device) override;
    bool isOpen() const override { return m_fd >= 0; }
    void close() override;
    OpenError openError() const override { return m_openError; }

    bool readSettings(LineSettings* settings) override;
    bool writeSettings(const LineSettings& settings) override;
    bool supportsOneAndHalfStopBits() const override { return false; }

    bool readTimeouts(PortTimeouts* timeouts) override;
    bool writeTimeouts(const PortTimeouts& timeouts) override;

    bool setQueueSizes(int input, int output) override;
    bool purge() override;
    bool raiseDtr() override;
    bool raiseRts() override;

    int inputWaiting() override;
    int outputWaiting() override;

    ReadResult readByte(uint8_t* byte) override;
    WriteResult writeByte(uint8_t byte) override;
    WaitResult waitForInput(int timeoutMs) override;
    WaitResult waitForWritable(int timeoutMs) override;
    WaitResult waitForDrained(int timeoutMs) override;

    std::optional<ModemStatus> modemStatus() override;

    bool lost() const override { return m_lost; }
    QString errorString() const override { return m_error; }

    int descriptor() const { return m_fd; }

private:
    bool takeLockFile();
    void releaseLockFile();
    // Records the error; errors that mean the device is gone make it lost.
    void noteError(int error, const char* what);
    bool modemBits(int request, int bits);
    WaitResult pollFor(short events, int timeoutMs);

    int m_fd = -1;
    QString m_device;
    QString m_lockFolder = QStringLiteral("/var/lock");
    QString m_lockFile; // the lock file we created, removed at close
    OpenError m_openError = OpenError::None;
    bool m_lost = false;
    QString m_error;

    // What termios cannot hold, kept as last written so a read gives it back.
    LineSettings m_shadow;
    bool m_oneAndHalfRequested = false;
    PortTimeouts m_timeouts;
    bool m_lineStatusReadable = true; // TIOCSERGETLSR supported
    bool m_modemLinesReadable = true; // TIOCMGET supported
    bool m_pseudoTerminal = false;    // no transmitter: nothing ever waits for output
    int m_bitsPerChar = 10;
    int m_baudRate = 9600;
};
