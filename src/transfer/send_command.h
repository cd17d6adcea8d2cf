#pragma once

#include "profiles/profile.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What the send command runs, by option op1 and profile key DNC_Send: a DNC
// run whenever DNC_Send is set, else a selective send when op1 is not "N",
// else the whole text.
enum class SendMode { WholeData, Dnc, Selective };
SendMode ChooseSendMode(const QString& op1, int dncSend);

struct NotificationMail
{
    QString address;
    QString subject;
    QString body;
};

// The mail that reports the end of a send, when the profile asks for one and
// its address has an at sign; only sends and DNC runs (`sendPrepared`) mail.
// `start` is invalid when the send stopped before its data.
std::optional<NotificationMail> CompletionMail(const SendSettings& settings, bool sendPrepared,
                                               const QDateTime& start, const QDateTime& end,
                                               bool succeeded);
