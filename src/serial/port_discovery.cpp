#include "serial/port_discovery.h"

#include "app/options.h"
#include "platform/port_map.h"

PortDiscovery::PortDiscovery(const PortMap& ports, const Options& options)
    : m_ports(ports), m_options(options), m_factory(CreateSystemSerialPort)
{
}

bool PortDiscovery::IsExcludedPort(int n) const
{
    const QString name = PortMap::portName(n);
    return name == m_options.ModemePort1.toUpper() || name == m_options.ModemePort2.toUpper();
}

bool PortDiscovery::ProbePort(int n)
{
    const QString device = m_ports.devicePath(n);
    if (device.isEmpty())
        return false;
    std::unique_ptr<SerialPort> port = m_factory();
    if (!port->open(device))
        return false;
    port->close();
    return !IsExcludedPort(n);
}

QStringList PortDiscovery::UsablePorts()
{
    QStringList usable;
    for (int n = 1; n <= PortMap::kPortCount; ++n)
        if (ProbePort(n))
            usable.append(PortMap::portName(n));
    return usable;
}

PortChoices PortDiscovery::ChoicesFor(const QStringList& usablePorts, const QString& storedPort)
{
    PortChoices choices;
    choices.entries = usablePorts;
    if (choices.entries.isEmpty()) {
        choices.entries.append(QString::fromUtf8("有効ﾎﾟｰﾄ無し"));
        choices.selectedIndex = 0;
        return choices;
    }
    choices.selectedIndex = int(choices.entries.indexOf(storedPort));
    choices.entries.append(QString::fromUtf8("設定ﾎﾟｰﾄ無し"));
    if (choices.selectedIndex < 0)
        choices.selectedIndex = int(choices.entries.size()) - 1;
    return choices;
}

void PortDiscovery::FillPortList(const QString& storedReceivePort, const QString& storedSendPort,
                                 PortChoices* receive, PortChoices* send)
{
    const QStringList usable = UsablePorts();
    *receive = ChoicesFor(usable, storedReceivePort);
    *send = ChoicesFor(usable, storedSendPort);
}

void PortDiscovery::SweepPorts()
{
    for (int n = 1; n <= PortMap::kPortCount; ++n)
        if (!IsExcludedPort(n))
            ProbePort(n);
}
