#pragma once

#include <QString>

// What a transfer needs of the serial line. The real one sits on the port
// opened for the transfer; tests use an in-memory one.
class TransferLink
{
public:
    virtual ~TransferLink() = default;

    // Opens and sets up the port for direction 1 (send) or 2 (reception);
    // on failure it has told the operator and logged why.
    virtual bool OpenPort(int direction) = 0;
    virtual bool isOpen() const = 0;
    virtual void ClosePort() = 0;
    // Tape code of a send by profile Code: 0 ISO, 1 EIA, anything else as is.
    virtual void useSendCode(int code) = 0;

    // True when the transfer must stop (operator, CAN while paused, line
    // check, DSR lost, a failed write).
    virtual bool SendChar(char c) = 0;
    virtual int BytesWaiting() = 0;
    // Blocks until a byte waits or the time is up; true when a byte waits.
    virtual bool waitForInput(int timeoutMs) = 0;
    // The device failed during this transfer (already reported and logged).
    virtual bool failed() const = 0;
    virtual char ReadChar() = 0;
    // Reads the modem lines into the DSR and CTS lamps, where they can be read.
    virtual void refreshLamps() = 0;
};
