#include "transfer/send_command.h"

#include "transfer/transfer_log.h"

SendMode ChooseSendMode(const QString& op1, int dncSend)
{
    if (dncSend != 0)
        return SendMode::Dnc;
    return op1 == QLatin1String("N") ? SendMode::WholeData : SendMode::Selective;
}

std::optional<NotificationMail> CompletionMail(const SendSettings& settings, bool sendPrepared,
                                               const QDateTime& start, const QDateTime& end,
                                               bool succeeded)
{
    if (settings.Mail_Flg != QLatin1String("Y") || !settings.Mail_Address.contains(QLatin1Char('@')) ||
        !sendPrepared)
        return std::nullopt;
    QString body;
    if (start.isValid())
        body = QStringLiteral("開始 ") + SystemDateTimeText(start) + QLatin1Char('\n');
    body += QStringLiteral("終了 ") + SystemDateTimeText(end) +
            (succeeded ? QStringLiteral("\n送信無事完了しました｡") : QStringLiteral("\n送信中断しました｡"));
    return NotificationMail{settings.Mail_Address, settings.Mail_Subject, body};
}
