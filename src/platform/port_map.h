#pragma once

#include <QString>

#include <array>

class IniFile;

// Which device stands behind each port name "COM1" … "COM30" the profiles
// store. Section [Ports] of kelvra.INI, keys COM1 … COM30, value a device path:
//
//   [Ports]
//   COM1=/dev/ttyUSB0
//   COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
//
// Ports left out map to /dev/ttyUSB0-7 (COM1-COM8), /dev/ttyACM0-7 (COM9-COM16)
// and /dev/ttyS0-13 (COM17-COM30).
class PortMap
{
public:
    static constexpr int kPortCount = 30;
    static constexpr const char* kSection = "Ports";

    PortMap(); // the defaults

    // Reads section Ports; keys missing or empty keep their default.
    static PortMap fromIni(const IniFile& ini);
    // From kelvra.INI in the settings folder.
    static PortMap load();

    static QString defaultDevice(int number);
    // 1 … 30 for "COM1" … "COM30" (any case, blanks around ignored, no
    // leading zeros); 0 for anything else.
    static int portNumber(const QString& portName);
    static QString portName(int number) { return QStringLiteral("COM%1").arg(number); }

    // The device of a port name; empty when the name is no port 1 … 30.
    QString devicePath(const QString& portName) const;
    QString devicePath(int number) const;
    void setDevicePath(int number, const QString& device);

private:
    std::array<QString, kPortCount> m_devices;
};
