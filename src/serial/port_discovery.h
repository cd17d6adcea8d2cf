#pragma once

#include "platform/serial_port.h"

#include <QString>
#include <QStringList>

struct Options;
class PortMap;

// The entries of one port list of the settings dialog and the one selected.
struct PortChoices
{
    QStringList entries;
    int selectedIndex = -1;

    QString selected() const { return entries.value(selectedIndex); }
};

// Which of COM1 … COM30 can be opened right now, leaving out the ports the
// operator excluded (options ModemePort1 and ModemePort2, e.g. a modem's).
class PortDiscovery
{
public:
    PortDiscovery(const PortMap& ports, const Options& options);

    void setPortFactory(SerialPortFactory factory) { m_factory = std::move(factory); }

    // "COM" + n equals an excluded port after upper-casing.
    bool IsExcludedPort(int n) const;
    // Opens port n exclusively and closes it at once; true when that worked
    // and the port is not excluded.
    bool ProbePort(int n);
    // "COM1" … for every port ProbePort accepts.
    QStringList UsablePorts();

    // The receive and send lists of the settings dialog: the usable ports,
    // then "設定ﾎﾟｰﾄ無し" (selected when the stored port is not among them);
    // with no usable port only "有効ﾎﾟｰﾄ無し".
    void FillPortList(const QString& storedReceivePort, const QString& storedSendPort,
                      PortChoices* receive, PortChoices* send);
    static PortChoices ChoicesFor(const QStringList& usablePorts, const QString& storedPort);

    // At program exit: every port not excluded is opened and released once
    // more, so none stays held.
    void SweepPorts();

private:
    const PortMap& m_ports;
    const Options& m_options;
    SerialPortFactory m_factory;
};
