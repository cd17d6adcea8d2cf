#include "platform/memory_serial_port.h"

bool MemorySerialPort::open(const QString& device)
{
    m_device = device;
    m_line->events.append(QStringLiteral("open ") + device);
    if (!m_line->devices.contains(device)) {
        m_openError = OpenError::NotFound;
        m_error = device + QStringLiteral(": No such file or directory");
        return false;
    }
    if (m_line->busy.contains(device)) {
        m_openError = OpenError::Busy;
        m_error = device + QStringLiteral(": Device or resource busy");
        return false;
    }
    m_openError = OpenError::None;
    m_open = true;
    return true;
}

void MemorySerialPort::close()
{
    if (m_open)
        m_line->events.append(QStringLiteral("close"));
    m_open = false;
}

bool MemorySerialPort::usable(const char* operation)
{
    if (!m_open)
        return false;
    if (m_line->lost) {
        m_error = m_device + QStringLiteral(": Input/output error");
        return false;
    }
    if (m_line->failing.contains(QLatin1String(operation))) {
        m_error = m_device + QStringLiteral(": ") + QLatin1String(operation) +
                  QStringLiteral(" failed");
        return false;
    }
    return true;
}

bool MemorySerialPort::readSettings(LineSettings* settings)
{
    if (!usable("readSettings"))
        return false;
    *settings = m_line->settings;
    return true;
}

bool MemorySerialPort::writeSettings(const LineSettings& settings)
{
    if (!usable("writeSettings"))
        return false;
    m_line->settings = settings;
    return true;
}

bool MemorySerialPort::readTimeouts(PortTimeouts* timeouts)
{
    if (!usable("readTimeouts"))
        return false;
    *timeouts = m_line->timeouts;
    return true;
}

bool MemorySerialPort::writeTimeouts(const PortTimeouts& timeouts)
{
    if (!usable("writeTimeouts"))
        return false;
    m_line->timeouts = timeouts;
    return true;
}

bool MemorySerialPort::setQueueSizes(int input, int output)
{
    if (!usable("setQueueSizes"))
        return false;
    m_line->events.append(QStringLiteral("queues %1 %2").arg(input).arg(output));
    return true;
}

bool MemorySerialPort::purge()
{
    if (!usable("purge"))
        return false;
    m_line->events.append(QStringLiteral("purge"));
    m_line->input.clear();
    m_line->outputPending = 0;
    return true;
}

bool MemorySerialPort::raiseDtr()
{
    if (!usable("raiseDtr"))
        return false;
    m_line->events.append(QStringLiteral("raiseDtr"));
    return true;
}

bool MemorySerialPort::raiseRts()
{
    if (!usable("raiseRts"))
        return false;
    m_line->events.append(QStringLiteral("raiseRts"));
    return true;
}

int MemorySerialPort::inputWaiting()
{
    if (!usable("inputWaiting") || m_line->inputCountUnreadable)
        return -1;
    return int(m_line->input.size());
}

int MemorySerialPort::outputWaiting()
{
    if (!usable("outputWaiting"))
        return -1;
    return m_line->outputPending;
}

SerialPort::ReadResult MemorySerialPort::readByte(uint8_t* byte)
{
    if (!usable("read"))
        return ReadResult::Failed;
    if (m_line->input.isEmpty() && m_line->onWait)
        m_line->onWait(*m_line);
    if (m_line->input.isEmpty())
        return ReadResult::TimedOut;
    *byte = uint8_t(m_line->input.front());
    m_line->input.remove(0, 1);
    return ReadResult::Byte;
}

SerialPort::WriteResult MemorySerialPort::writeByte(uint8_t byte)
{
    if (!usable("write"))
        return WriteResult::Failed;
    m_line->output.append(char(byte));
    if (m_line->onWrite)
        m_line->onWrite(*m_line, byte);
    return WriteResult::Written;
}

SerialPort::WaitResult MemorySerialPort::waitForInput(int)
{
    if (!usable("waitForInput"))
        return WaitResult::Failed;
    if (m_line->input.isEmpty() && m_line->onWait)
        m_line->onWait(*m_line);
    if (m_line->lost)
        return WaitResult::Failed;
    return m_line->input.isEmpty() ? WaitResult::TimedOut : WaitResult::Ready;
}

SerialPort::WaitResult MemorySerialPort::waitForWritable(int)
{
    return usable("waitForWritable") ? WaitResult::Ready : WaitResult::Failed;
}

SerialPort::WaitResult MemorySerialPort::waitForDrained(int)
{
    if (!usable("waitForDrained"))
        return WaitResult::Failed;
    if (m_line->outputPending > 0 && m_line->onWait)
        m_line->onWait(*m_line);
    if (m_line->lost)
        return WaitResult::Failed;
    return m_line->outputPending > 0 ? WaitResult::TimedOut : WaitResult::Ready;
}

std::optional<ModemStatus> MemorySerialPort::modemStatus()
{
    if (!usable("modemStatus"))
        return std::nullopt;
    return m_line->modem;
}
