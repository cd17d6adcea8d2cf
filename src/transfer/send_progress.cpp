#include "transfer/send_progress.h"

#include "transfer/transfer_state.h"

#include <QLocale>

#include <cstdlib>

void EstimateRemainingTime(TransferState& state)
{
    const int32_t sent = state.SentBytes.load();
    const int32_t base = state.RateBaseBytes.load();
    if (std::abs(int64_t(base) - sent) <= 10)
        return;
    const int32_t rate = (sent - base) / 10;
    if (rate == 0)
        return; // only a negative jump of less than 10 bytes gets here
    state.RemainingSeconds = (state.TotalBytes.load() - sent) / rate;
    state.RateBaseBytes = sent;
}

QString FormatRemainingAmount(int bytes, bool metres)
{
    if (metres)
        return QString::number(bytes * 0.00254, 'f', 2) + QStringLiteral("ﾒｰﾄﾙ");
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // with thousands separators
    return locale.toString(bytes) + QStringLiteral("ﾊﾞｲﾄ");
}

QString FormatRemainingTime(int s)
{
    if (s >= 3600)
        return QStringLiteral("(約 %1時%2分)").arg(s / 3600).arg((s % 3600) / 60, 2, 10, QLatin1Char('0'));
    if (s >= 60)
        return QStringLiteral("(約 %1分%2秒)").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("(約 %1秒)").arg(s);
}

QString SendCodeText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("ISO  ");
    case 1: return QStringLiteral("EIA  ");
    case 2: return QStringLiteral("ASCII");
    case 3: return QStringLiteral("任意");
    default: return QString();
    }
}

QString SpeedText(int speed)
{
    static const char* const texts[] = {": 2400,", ": 4800,", ": 9600,", ":14400,", ":19200,",
                                        ": 機器,"};
    return speed >= 0 && speed <= 5 ? QString::fromUtf8(texts[speed]) : QString();
}

QString StopBitsText(int stopBits)
{
    if (stopBits == 0)
        return QStringLiteral(" 1");
    if (stopBits == 1)
        return QStringLiteral(" 2");
    return QStringLiteral(" 1.5");
}
