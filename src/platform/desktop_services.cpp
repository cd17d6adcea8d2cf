#include "platform/desktop_services.h"

#include <QProcess>

namespace {

// RFC 2047 encoded word for a header with non-ASCII text.
QByteArray encodedHeader(const QString& text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii)
        return text.toLatin1();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

QByteArray ComposeNotificationMail(const QString& address, const QString& subject,
                                   const QString& body)
{
    QByteArray mail;
    // Header values are kept to one line: a line break would start new headers.
    mail += "To: " + oneLine(address).toUtf8() + "\n";
    mail += "Subject: " + encodedHeader(oneLine(subject)) + "\n";
    mail += "MIME-Version: 1.0\n";
    mail += "Content-Type: text/plain; charset=UTF-8\n";
    mail += "Content-Transfer-Encoding: 8bit\n";
    mail += "\n";
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mail += text.toUtf8();
    if (!mail.endsWith('\n'))
        mail += '\n';
    return mail;
}

QStringList SplitCommand(const QString& command)
{
    return QProcess::splitCommand(command);
}
