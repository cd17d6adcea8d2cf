#include "serial/serial_link.h"

#include "app/options.h"
#include "platform/port_map.h"
#include "platform/sleeper.h"
#include "profiles/profile.h"
#include "serial/serial_view.h"
#include "transfer/transfer_state.h"

#include <exception>

namespace {

struct BuffLimits
{
    int xon;
    int xoff;
};

constexpr BuffLimits kSendLimits[] = {
    {0, 2},    {0, 3},    {0, 4},    {0, 5},     {0, 6},     {0, 7},     {4, 8},
    {4, 9},    {5, 10},   {5, 20},   {5, 30},    {10, 40},   {10, 50},   {20, 100},
    {40, 150}, {60, 200}, {80, 250}, {100, 300}, {150, 400}, {200, 500},
};

constexpr BuffLimits kReceiveLimits[] = {
    {128, 512}, {256, 1024}, {512, 2048}, {1024, 3072}, {2048, 4096}, {3072, 5120}, {4096, 6144},
};

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

bool yes(const QString& value)
{
    return Options::isYes(value);
}

} // namespace

SerialLink::SerialLink(TransferState& state, const Options& options, const ActiveProfile& profile,
                       const PortMap& ports, SerialView& view, Sleeper& sleeper)
    : m_state(state), m_options(options), m_profile(profile), m_ports(ports), m_view(view),
      m_sleeper(sleeper), m_factory(CreateSystemSerialPort)
{
}

SerialLink::~SerialLink()
{
    ClosePort();
}

uint8_t SerialLink::PauseChar() const
{
    return m_options.dc3();
}

bool SerialLink::PortOpen() const
{
    return m_port && m_port->isOpen();
}

void SerialLink::ClosePort()
{
    if (m_port)
        m_port->close();
    m_port.reset();
}

void SerialLink::fail(const QString& message, const QString& logLine)
{
    BoxRequest box;
    box.kind = BoxRequest::Kind::ShowMessage;
    box.text = message;
    m_view.showBox(box);
    m_state.log(logLine);
}

void SerialLink::logPortReason()
{
    if (m_port && !m_port->errorString().isEmpty())
        m_state.log(S("  ※") + m_port->errorString() + QLatin1Char('\n'));
}

bool SerialLink::OpenPort(int direction)
{
    m_state.SendPrepared = false;
    DirectionSettings.copyFrom(m_profile, direction);
    try {
        return openAndSetUp(direction);
    } catch (const std::exception&) {
    } catch (...) {
    }
    RawSelectionMode = false;
    fail(S("通信ｴﾗｰ!!"), S("  通信ｴﾗｰ（その他）の為中止\n"));
    return false;
}

bool SerialLink::openAndSetUp(int direction)
{
    const ::DirectionSettings& d = DirectionSettings;
    ClosePort();
    m_failureReported = false;
    m_dsrShown.reset();
    m_ctsShown.reset();

    // 1. Open the port exclusively.
    const QString device = m_ports.devicePath(d.Port);
    m_port = m_factory();
    if (device.isEmpty() || !m_port->open(device)) {
        if (d.Port.contains(QLatin1String("COM"))) {
            fail(d.Port + S("の通信ﾎﾟｰﾄが開きません｡!!"), S("  ") + d.Port + S("　ﾎﾟｰﾄが開かず中止"));
            if (!device.isEmpty())
                logPortReason();
        } else {
            fail(S("通信ﾎﾟｰﾄが未設定です。｡!!"), S("  　通信ﾎﾟｰﾄが未設定の為中止"));
        }
        m_port.reset();
        return false;
    }
    m_port->setQueueSizes(kQueueSize, kQueueSize);
    m_state.log(S("  ") + d.Port + S(" ﾎﾟｰﾄｵｰﾌﾟﾝ"));

    // 2. The line settings as the port has them; only the fields below change.
    LineSettings line;
    if (!m_port->readSettings(&line)) {
        fail(S("通信ｴﾗｰ!!"), S("  通信ｴﾗｰ（その他）の為中止\n"));
        logPortReason();
        return false;
    }

    // 3. Speed.
    switch (d.Speed) {
    case 0: line.baudRate = 2400; m_state.log(S("  通信速度は 2400\n")); break;
    case 1: line.baudRate = 4800; m_state.log(S("  通信速度は 4800\n")); break;
    case 2: line.baudRate = 9600; m_state.log(S("  通信速度は 9600\n")); break;
    case 3: line.baudRate = 14400; m_state.log(S("  通信速度は 14400\n")); break;
    case 4: line.baudRate = 19200; m_state.log(S("  通信速度は 19200\n")); break;
    case 5: line.baudRate = 4800; m_state.log(S("  通信機器で固定4800\n")); break;
    default:
        fail(S("通信設定（速度）を確認してください!!"), S("  通信速度設定不良の為中止\n"));
        return false;
    }

    // 4. Data bits and parity. ISO and EIA go as 8-bit bytes whose parity the
    // program makes itself; only ASCII leaves parity to the port.
    const bool sevenEven = direction == 1 ? d.Code == 2 : d.Code == 1;
    const bool eightNone = direction == 1 ? (d.Code == 0 || d.Code == 1)
                                          : (d.Code == 0 || d.Code == 2 || d.Code == 3);
    if (sevenEven) {
        line.dataBits = 7;
        line.parity = LineSettings::Parity::Even;
        m_state.log(S("  ﾃﾞｰﾀ長7　ﾊﾟﾘﾃｨ偶数\n"));
    } else if (eightNone) {
        line.dataBits = 8;
        line.parity = LineSettings::Parity::None;
        m_state.log(S("  ﾃﾞｰﾀ長8　ﾊﾟﾘﾃｨ無し\n"));
    } else {
        m_state.log(S("  ﾃﾞｰﾀ長･ﾊﾟﾘﾃｨはﾎﾟｰﾄの設定のまま\n"));
    }

    // 5. Stop bits.
    if (d.STbit == 0) {
        line.stopBits = LineSettings::StopBits::One;
        m_state.log(S("  ｽﾄｯﾌﾟﾋﾞｯﾄ1\n"));
    } else if (d.STbit == 1) {
        line.stopBits = LineSettings::StopBits::Two;
        m_state.log(S("  ｽﾄｯﾌﾟﾋﾞｯﾄ2\n"));
    } else {
        line.stopBits = LineSettings::StopBits::OneAndHalf;
        m_state.log(S("  ｽﾄｯﾌﾟﾋﾞｯﾄ1.5\n"));
        if (!m_port->supportsOneAndHalfStopBits() && d.Speed != 5)
            m_state.log(S("  ※ｽﾄｯﾌﾟﾋﾞｯﾄ1.5は設定できない為ｽﾄｯﾌﾟﾋﾞｯﾄ2で代用\n"));
    }

    // 6. A tape reader or punch has a fixed format.
    if (d.Speed == 5) {
        line.dataBits = 8;
        line.parity = LineSettings::Parity::None;
        line.stopBits = LineSettings::StopBits::Two;
        m_state.log(S("  通信機器選択の為以下に固定\n"));
        m_state.log(S("  ﾃﾞｰﾀ長8　ﾊﾟﾘﾃｨ無し　ｽﾄｯﾌﾟﾋﾞｯﾄ2\n"));
    }

    // 7. Flow control. A send does its own XON/XOFF handling (SendChar); a
    // reception lets the port do it.
    using LC = LineSettings::LineControl;
    const uint8_t pause = PauseChar();
    auto logCodes = [&] {
        line.xoffChar = pause;
        m_state.log(pause == 0x93 ? S("  一時停止ｺｰﾄﾞ0x93\n") : S("  一時停止ｺｰﾄﾞ0x13\n"));
        line.xonChar = TapeCode::DC1;
        m_state.log(S("  開始ｺｰﾄﾞ0x11\n"));
    };
    if (direction == 1) {
        m_state.log(S("  通信ﾌﾟﾛﾄｺﾙ標準\n"));
        logCodes();
        if (d.Buff >= 0 && d.Buff < int(std::size(kSendLimits))) {
            line.xonLimit = kSendLimits[d.Buff].xon;
            line.xoffLimit = kSendLimits[d.Buff].xoff;
        }
        line.abortOnError = false;
        line.transmitContinueOnXoff = false;
        line.xonXoffOutput = false;
        line.xonXoffInput = false;
        line.discardNull = true;
        line.ctsOutputFlow = false;
        if (d.Control == 1) {
            line.ctsOutputFlow = true;
            line.rtsControl = LC::Handshake;
        }
    } else {
        logCodes();
        if (d.Buff >= 0 && d.Buff < int(std::size(kReceiveLimits))) {
            line.xonLimit = kReceiveLimits[d.Buff].xon;
            line.xoffLimit = kReceiveLimits[d.Buff].xoff;
        }
        line.abortOnError = false;
        line.transmitContinueOnXoff = false;
        line.xonXoffInput = true;
        line.xonXoffOutput = true;
        line.ctsOutputFlow = false;
        line.dsrOutputFlow = false;
        line.dtrControl = LC::Handshake;
        line.rtsControl = LC::Handshake;
        if (d.Control == 1) {
            line.xonXoffInput = false;
            line.xonXoffOutput = false;
            line.ctsOutputFlow = true;
            line.rtsControl = LC::Handshake;
        }
    }

    // 8. Modem-control outputs held on by option.
    if (yes(m_options.op5)) {
        m_port->raiseDtr();
        m_port->raiseRts();
        m_state.log(S("  DTR信号を常にONに設定\n"));
    }
    if (yes(m_options.op6)) {
        line.dtrControl = LC::Enable;
        line.rtsControl = LC::Enable;
        m_state.log(S("  ﾎﾟｰﾄ自動選択の為､DTR､RTSを常にＯＮに設定\n"));
    }

    // 9. Write the settings.
    if (!m_port->writeSettings(line)) {
        fail(S("通信設定ｴﾗｰ!!"), S("  通信設定が不良の為中止\n"));
        logPortReason();
        return false;
    }
    m_state.log(S("  通信設定完了\n"));

    // 10. Time-outs: a one-byte read returns within three seconds.
    PortTimeouts timeouts;
    if (!m_port->readTimeouts(&timeouts)) {
        fail(S("ﾀｲﾑｱｳﾄ!!"), S("  通信ﾀｲﾑｱｳﾄ設定取得不良の為中止\n"));
        logPortReason();
        return false;
    }
    m_state.log(S("  通信ﾀｲﾑｱｳﾄ設定取得完了\n"));
    timeouts.readIntervalMs = 0;
    timeouts.readTotalConstantMs = kReadTimeoutMs;
    if (!m_port->writeTimeouts(timeouts)) {
        fail(S("ﾀｲﾑｱｳﾄ!!"), S("  通信ﾀｲﾑｱｳﾄ設定不良の為中止\n"));
        logPortReason();
        return false;
    }
    m_state.log(S("  通信ﾀｲﾑｱｳﾄ設定完了\n"));

    // 11. Queues, then clear the line.
    m_port->setQueueSizes(kQueueSize, kQueueSize);
    if (!m_port->purge()) {
        fail(S("回線初期化ｴﾗｰ!!"), S("  通信回線初期化ｴﾗｰの為中止\n"));
        logPortReason();
        return false;
    }
    m_state.log(S("  通信回線初期化完了\n"));

    // 12. Lamps.
    UpdateLamps();

    if (!yes(m_options.op6))
        return true;
    return driveAutoSwitch();
}

bool SerialLink::driveAutoSwitch()
{
    RawSelectionMode = true;
    const std::optional<QString> number = m_view.askSelectionNumber();
    if (!number || number->isEmpty()) {
        BoxRequest box;
        box.kind = BoxRequest::Kind::MessageDialog;
        box.caption = captionForIcon(BoxIcon::Error);
        box.text = S("自動選択番号の入力が間違っています｡\n通信を一旦中止します｡");
        box.icon = BoxIcon::Error;
        box.buttons = BoxButton::Ok;
        box.atOwnerOffset = true;
        m_view.showBox(box);
        m_state.log(S("  自動選択番号の入力不良の為中止\n"));
        RawSelectionMode = false;
        return false;
    }
    SelectionNumber = *number;
    // The switch reads plain ASCII digits; "-" gives a cascaded switch time
    // to connect.
    for (const QChar c : SelectionNumber) {
        if (c == QLatin1Char('-')) {
            m_sleeper.sleepMs(kSelectionWaitMs);
        } else if (SendChar(uint8_t(c.unicode()))) {
            RawSelectionMode = false; // never leave the next transfer unconverted
            return false;
        }
    }
    m_sleeper.sleepMs(kSelectionWaitMs);
    RawSelectionMode = false;
    return true;
}

bool SerialLink::reportLostDevice()
{
    if (m_failureReported)
        return true;
    m_failureReported = true;
    const QString& port = DirectionSettings.Port;
    fail(port + S("の通信ﾎﾟｰﾄが使用できなくなりました｡!!"),
         S("  ") + port + S("　ﾎﾟｰﾄが使用できなくなり中止\n"));
    logPortReason();
    return true;
}

int SerialLink::BytesWaiting()
{
    if (!PortOpen())
        return 0;
    const int n = m_port->inputWaiting();
    if (n < 0) {
        if (m_port->lost())
            reportLostDevice();
        return 0;
    }
    return n;
}

int SerialLink::OutputWaiting()
{
    if (!PortOpen())
        return 0;
    const int n = m_port->outputWaiting();
    if (n < 0) {
        if (m_port->lost())
            reportLostDevice();
        return 0;
    }
    return n;
}

uint8_t SerialLink::ReadChar()
{
    if (!PortOpen())
        return 0;
    uint8_t b = 0;
    switch (m_port->readByte(&b)) {
    case SerialPort::ReadResult::Byte:
        return DecodeFromLine(b, ConversionMode, PauseChar());
    case SerialPort::ReadResult::Failed:
        if (m_port->lost())
            reportLostDevice();
        return 0;
    case SerialPort::ReadResult::TimedOut:
        return 0;
    }
    return 0;
}

SerialLink::InputWait SerialLink::WaitForInput(int timeoutMs)
{
    if (!PortOpen())
        return InputWait::Failed;
    switch (m_port->waitForInput(timeoutMs)) {
    case SerialPort::WaitResult::Ready:
        return InputWait::Ready;
    case SerialPort::WaitResult::TimedOut:
        return InputWait::TimedOut;
    case SerialPort::WaitResult::Failed:
        break;
    }
    if (m_port->lost()) {
        reportLostDevice();
        return InputWait::Failed;
    }
    return InputWait::TimedOut;
}

void SerialLink::showLamps(const ModemStatus& status, bool dsr, bool cts)
{
    // Only changes go to the window: the lamps follow every character sent.
    if (dsr && m_dsrShown != status.dsr) {
        m_dsrShown = status.dsr;
        m_view.setDsrLamp(status.dsr);
    }
    if (cts && m_ctsShown != status.cts) {
        m_ctsShown = status.cts;
        m_view.setCtsLamp(status.cts);
    }
}

std::optional<ModemStatus> SerialLink::UpdateLamps()
{
    if (!PortOpen())
        return std::nullopt;
    const std::optional<ModemStatus> status = m_port->modemStatus();
    if (status)
        showLamps(*status, true, true);
    else if (m_port->lost())
        reportLostDevice();
    return status;
}

bool SerialLink::writeAndDrain(uint8_t byte, bool drain)
{
    for (;;) {
        switch (m_port->writeByte(byte)) {
        case SerialPort::WriteResult::Written:
            break;
        case SerialPort::WriteResult::WouldBlock:
            // Output held (CTS, a full queue): wait without spinning.
            if (m_state.AbortRequested.load())
                return true;
            if (m_port->waitForWritable(kWaitSliceMs) == SerialPort::WaitResult::Failed)
                return reportLostDevice();
            continue;
        case SerialPort::WriteResult::Failed:
            return reportLostDevice();
        }
        break;
    }
    if (!drain)
        return false;
    // The port reads its own queue while it waits; asking first as well
    // would double the queries of every character.
    for (;;) {
        const SerialPort::WaitResult drained = m_port->waitForDrained(kWaitSliceMs);
        if (drained == SerialPort::WaitResult::Ready)
            break;
        if (drained == SerialPort::WaitResult::Failed)
            return reportLostDevice();
        if (m_state.AbortRequested.load())
            return true;
    }
    if (m_port->lost())
        return reportLostDevice();
    return false;
}

bool SerialLink::SendChar(uint8_t c)
{
    if (yes(m_options.op4) && c == 0x20)
        return false;
    if (!PortOpen())
        return true;
    if (m_failureReported)
        return true;

    if (RawSelectionMode)
        return writeAndDrain(c, false);

    const std::optional<uint8_t> b = EncodeForLine(c, ConversionMode);
    if (!b)
        return false;

    // The control's pause: DC3 stops us until DC1; CAN while paused cancels.
    const uint8_t pause = PauseChar();
    while (BytesWaiting() > 0) {
        if (ReadChar() != pause)
            continue;
        for (;;) {
            while (BytesWaiting() == 0) {
                if (m_state.AbortRequested.load())
                    return true;
                if (m_failureReported)
                    return true;
                // A wait that fails would return at once every time: stop
                // rather than spin.
                if (m_port->waitForInput(kWaitSliceMs) == SerialPort::WaitResult::Failed ||
                    m_port->lost())
                    return reportLostDevice();
            }
            const uint8_t y = ReadChar();
            if (y == TapeCode::CAN)
                return true;
            if (y == TapeCode::DC1)
                break;
        }
    }
    if (m_failureReported)
        return true;

    // Line checks and lamps.
    if (const std::optional<ModemStatus> status = m_port->modemStatus()) {
        if (!status->carrierDetect && m_profile.send.Signal == 0 &&
            m_state.TransferDirection == 1 && !yes(m_options.op13)) {
            m_state.log(S("  回線ﾁｪｯｸ異常の為送信中止\n"));
            m_state.log(S("  ※回線ﾁｪｯｸを行わない:N→Y\n"));
            return true;
        }
        showLamps(*status, true, false);
        if (!status->dsr && yes(m_options.op14)) {
            m_state.log(S("  DSR信号OFFの為送信中止\n"));
            m_state.log(S("  ※DSR信号を併用処理を行う:Y→N\n"));
            return true;
        }
        showLamps(*status, false, true);
    } else if (m_port->lost()) {
        return reportLostDevice();
    }

    return writeAndDrain(*b, true);
}
