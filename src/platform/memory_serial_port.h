#pragma once

#include "platform/serial_port.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A serial line in memory, for tests: which devices exist or are busy, the
// bytes waiting to be read, the bytes written, the modem lines, and failures
// to inject. Hooks let a test answer written bytes (a control that pauses
// after the tenth character) or act while the code waits.
struct MemoryLine
{
    QSet<QString> devices; // devices that can be opened
    QSet<QString> busy;    // devices someone else holds
    QByteArray input;      // waiting to be read
    QByteArray output;     // every byte written
    std::optional<ModemStatus> modem = ModemStatus{true, true, true}; // nothing: unreadable
    int outputPending = 0; // bytes the port reports as not yet sent
    bool inputCountUnreadable = false;
    QSet<QString> failing; // operations that fail: "readSettings", "writeSettings",
                           // "readTimeouts", "writeTimeouts", "purge", "write"
    bool lost = false;     // the device vanished: every operation fails

    // Record of the calls, for assertions: "open <device>", "close", "purge",
    // "raiseDtr", "raiseRts", "queues <in> <out>".
    QStringList events;
    LineSettings settings;
    PortTimeouts timeouts;

    // Called with every byte written.
    std::function<void(MemoryLine&, uint8_t)> onWrite;
    // Called whenever the code would block waiting (input, output, drain).
    std::function<void(MemoryLine&)> onWait;
};

class MemorySerialPort : public SerialPort
{
public:
    explicit MemorySerialPort(std::shared_ptr<MemoryLine> line) : m_line(std::move(line)) {}

    bool open(const QString& device) override;
    bool isOpen() const override { return m_open; }
    void close() override;
    OpenError openError() const override { return m_openError; }

    bool readSettings(LineSettings* settings) override;
    bool writeSettings(const LineSettings& settings) override;
    bool supportsOneAndHalfStopBits() const override { return true; }

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

    bool lost() const override { return m_line->lost; }
    QString errorString() const override { return m_error; }

private:
    bool usable(const char* operation);

    std::shared_ptr<MemoryLine> m_line;
    bool m_open = false;
    QString m_device;
    OpenError m_openError = OpenError::None;
    QString m_error;
};
