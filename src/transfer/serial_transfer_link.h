#pragma once

#include "platform/port_map.h"
#include "platform/sleeper.h"
#include "serial/serial_link.h"
#include "transfer/transfer_link.h"

// The transfers' line over a real serial port: the serial link of the
// transfer, with the state it needs kept alive as long as the transfer runs.
class SerialTransferLink : public TransferLink
{
public:
    SerialTransferLink(TransferState& state, const Options& options, const ActiveProfile& profile,
                       PortMap ports, SerialView& view);

    bool OpenPort(int direction) override { return m_link.OpenPort(direction); }
    bool isOpen() const override { return m_link.PortOpen(); }
    void ClosePort() override { m_link.ClosePort(); }
    void useSendCode(int code) override { m_link.ConversionMode = SendConversionMode(code); }
    bool SendChar(char c) override { return m_link.SendChar(uint8_t(c)); }
    int BytesWaiting() override { return m_link.BytesWaiting(); }
    bool waitForInput(int timeoutMs) override
    {
        return m_link.WaitForInput(timeoutMs) == SerialLink::InputWait::Ready;
    }
    bool failed() const override { return m_link.PortFailed(); }
    char ReadChar() override { return char(m_link.ReadChar()); }
    void refreshLamps() override { m_link.UpdateLamps(); }

    SerialLink& serialLink() { return m_link; }

private:
    PortMap m_ports;
    ThreadSleeper m_sleeper;
    SerialLink m_link;
};
