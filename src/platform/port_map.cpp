#include "platform/port_map.h"

#include "platform/app_paths.h"
#include "platform/ini_file.h"

PortMap::PortMap()
{
    for (int n = 1; n <= kPortCount; ++n)
        m_devices[size_t(n - 1)] = defaultDevice(n);
}

PortMap PortMap::fromIni(const IniFile& ini)
{
    PortMap map;
    const QString section = QLatin1String(kSection);
    for (int n = 1; n <= kPortCount; ++n) {
        const QString device = ini.readString(section, portName(n));
        if (!device.isEmpty())
            map.setDevicePath(n, device);
    }
    return map;
}

PortMap PortMap::load()
{
    return fromIni(IniFile(AppPaths::iniFile()));
}

QString PortMap::defaultDevice(int number)
{
    if (number >= 1 && number <= 8)
        return QStringLiteral("/dev/ttyUSB%1").arg(number - 1);
    if (number >= 9 && number <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(number - 9);
    if (number >= 17 && number <= kPortCount)
        return QStringLiteral("/dev/ttyS%1").arg(number - 17);
    return QString();
}

int PortMap::portNumber(const QString& portName)
{
    const QString name = portName.trimmed();
    if (name.size() < 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    const QString digits = name.mid(3);
    if (digits.startsWith(QLatin1Char('0')))
        return 0;
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    const int number = digits.toInt();
    return number >= 1 && number <= kPortCount ? number : 0;
}

QString PortMap::devicePath(const QString& portName) const
{
    return devicePath(portNumber(portName));
}

QString PortMap::devicePath(int number) const
{
    if (number < 1 || number > kPortCount)
        return QString();
    return m_devices[size_t(number - 1)];
}

void PortMap::setDevicePath(int number, const QString& device)
{
    if (number >= 1 && number <= kPortCount)
        m_devices[size_t(number - 1)] = device.trimmed();
}
