#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The line settings record of a port: speed, character format, the
// flow-control switches and the XON/XOFF characters and limits. Read from the
// port, changed field by field, written back, so fields nobody names keep what
// the port reported.
struct LineSettings
{
    enum class Parity { None, Even, Odd };
    enum class StopBits { One, OneAndHalf, Two };
    // How a modem-control output is driven.
    enum class LineControl { Disable, Enable, Handshake };

    int baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;

    bool xonXoffInput = false;  // we send XOFF/XON when our input queue fills/empties
    bool xonXoffOutput = false; // our output stops on XOFF and resumes on XON
    bool ctsOutputFlow = false; // output only while CTS is on
    bool dsrOutputFlow = false; // output only while DSR is on
    bool transmitContinueOnXoff = false;
    bool abortOnError = false;
    bool discardNull = false;
    LineControl dtrControl = LineControl::Enable;
    LineControl rtsControl = LineControl::Enable;

    uint8_t xonChar = 0x11;
    uint8_t xoffChar = 0x13;
    int xonLimit = 0;
    int xoffLimit = 0;

    bool operator==(const LineSettings&) const = default;
};

// Read and write time-outs in milliseconds; 0 means none.
struct PortTimeouts
{
    int readIntervalMs = 0;
    int readTotalMultiplierMs = 0;
    int readTotalConstantMs = 0;
    int writeTotalMultiplierMs = 0;
    int writeTotalConstantMs = 0;

    bool operator==(const PortTimeouts&) const = default;
};

struct ModemStatus
{
    bool cts = false;
    bool dsr = false;
    bool carrierDetect = false;
};

// One serial port, opened exclusively. Every operation the transfer code needs
// and nothing more. A descriptor that fails (device unplugged, hang-up) puts
// the port into the failed state: lost() turns true and errorString() says why;
// nothing after that is reported as done.
class SerialPort
{
public:
    enum class OpenError { None, NotFound, Busy, NoAccess, NotSerial, Other };
    enum class ReadResult { Byte, TimedOut, Failed };
    enum class WriteResult { Written, WouldBlock, Failed };
    enum class WaitResult { Ready, TimedOut, Failed };

    virtual ~SerialPort() = default;

    // Opens the device for reading and writing, shared with nobody.
    virtual bool open(const QString& device) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual OpenError openError() const = 0;

    virtual bool readSettings(LineSettings* settings) = 0;
    virtual bool writeSettings(const LineSettings& settings) = 0;
    // False when the settings record cannot hold 1.5 stop bits (two are used).
    virtual bool supportsOneAndHalfStopBits() const = 0;

    virtual bool readTimeouts(PortTimeouts* timeouts) = 0;
    virtual bool writeTimeouts(const PortTimeouts& timeouts) = 0;

    virtual bool setQueueSizes(int input, int output) = 0;
    // Drops pending input and output.
    virtual bool purge() = 0;
    virtual bool raiseDtr() = 0;
    virtual bool raiseRts() = 0;

    // Bytes received and not yet read; -1 when the count cannot be read.
    virtual int inputWaiting() = 0;
    // Bytes written and not yet on the wire (the transmitter counts); -1 when
    // the count cannot be read.
    virtual int outputWaiting() = 0;

    // One byte within the read time-out (read total constant).
    virtual ReadResult readByte(uint8_t* byte) = 0;
    // Never blocks; WouldBlock when the output queue is full.
    virtual WriteResult writeByte(uint8_t byte) = 0;
    // Blocks until input is waiting, up to timeoutMs.
    virtual WaitResult waitForInput(int timeoutMs) = 0;
    // Blocks until a byte can be written, up to timeoutMs.
    virtual WaitResult waitForWritable(int timeoutMs) = 0;
    // Blocks until the output has left the port, up to timeoutMs.
    virtual WaitResult waitForDrained(int timeoutMs) = 0;

    // CTS, DSR and carrier detect; nothing when they cannot be read (a
    // pseudo-terminal, a driver without modem lines).
    virtual std::optional<ModemStatus> modemStatus() = 0;

    virtual bool lost() const = 0;
    virtual QString errorString() const = 0;
};

#include <functional>
#include <memory>

// Makes the port object for an open; tests hand in an in-memory one.
using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;

// The platform's own serial port (PosixSerialPort on Linux).
std::unique_ptr<SerialPort> CreateSystemSerialPort();
