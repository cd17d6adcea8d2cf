#pragma once

#include "platform/serial_port.h"
#include "serial/direction_settings.h"
#include "serial/tape_code.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

struct ActiveProfile;
struct Options;
struct TransferState;
class PortMap;
class SerialView;
class Sleeper;

// The serial line of one transfer: opening and setting up the port from the
// active profile, and the four byte operations every transfer is built on.
//
// Runs on the transfer thread, which owns the open port. Waits block on the
// descriptor in short slices (kWaitSliceMs) and look at AbortRequested between
// them, so a silent control costs no CPU and a stop is seen within a slice.
// A device that fails is reported once (log line and message) and every
// operation after that reports a stop.
class SerialLink
{
public:
    static constexpr int kWaitSliceMs = 50;
    static constexpr int kQueueSize = 1024;
    static constexpr int kReadTimeoutMs = 3000;
    static constexpr int kSelectionWaitMs = 3000;

    SerialLink(TransferState& state, const Options& options, const ActiveProfile& profile,
               const PortMap& ports, SerialView& view, Sleeper& sleeper);
    ~SerialLink();

    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Where port objects come from (the system's serial port by default).
    void setPortFactory(SerialPortFactory factory) { m_factory = std::move(factory); }

    // Copies the profile's keys of `direction` (1 send or DNC, 2 reception),
    // opens and sets up the port, shows the lamps, drives the automatic port
    // switch. False after a message and a log line; a port that opened stays
    // open for the caller's stop handling.
    bool OpenPort(int direction);
    void ClosePort();
    bool PortOpen() const;
    SerialPort* PortHandle() const { return m_port.get(); }

    // Bytes in the input queue; 0 when the count cannot be read.
    int BytesWaiting();
    // Bytes not yet on the wire; 0 when the count cannot be read.
    int OutputWaiting();
    // One character decoded from the tape code; 0 when nothing was read
    // within the read time-out, the read failed, or the byte means nothing.
    uint8_t ReadChar();
    // Sends one character: answers the control's pause, checks the lines,
    // writes, waits until it has left. True when the transfer must stop
    // (operator's stop, CAN, a failed line check, a failed device).
    bool SendChar(uint8_t c);

    enum class InputWait { Ready, TimedOut, Failed };
    // Blocks until input waits, up to timeoutMs; for the transfers' waiting
    // loops, which check AbortRequested between calls. Failed: the device
    // failed (reported once).
    InputWait WaitForInput(int timeoutMs = kWaitSliceMs);

    // Reads the modem lines and shows them on the lamps; nothing when they
    // cannot be read.
    std::optional<ModemStatus> UpdateLamps();

    // The device failed during this transfer (already reported).
    bool PortFailed() const { return m_failureReported; }

    // The pause character: 0x93 with option DC3(0X93) "Y", else 0x13.
    uint8_t PauseChar() const;

    // Program-wide state of the serial link.
    ::DirectionSettings DirectionSettings;
    ::ConversionMode ConversionMode = ::ConversionMode::Undetermined;
    bool RawSelectionMode = false;
    QString SelectionNumber;

private:
    bool openAndSetUp(int direction);
    bool driveAutoSwitch();
    void fail(const QString& message, const QString& logLine);
    void logPortReason();
    // Reports a failed device once; always true (the transfer stops).
    bool reportLostDevice();
    bool writeAndDrain(uint8_t byte, bool drain);
    void showLamps(const ModemStatus& status, bool dsr, bool cts);

    TransferState& m_state;
    const Options& m_options;
    const ActiveProfile& m_profile;
    const PortMap& m_ports;
    SerialView& m_view;
    Sleeper& m_sleeper;
    SerialPortFactory m_factory;
    std::unique_ptr<SerialPort> m_port;
    bool m_failureReported = false;
    std::optional<bool> m_dsrShown;
    std::optional<bool> m_ctsShown;
};
