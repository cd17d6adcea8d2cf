#include "transfer/transfer_log.h"

#include "platform/app_paths.h"
#include "platform/cp932.h"

#include <QFile>
#include <QSaveFile>

QString SystemDateTimeText(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString LogLine(const QString& message, const QDateTime& when)
{
    QString line = SystemDateTimeText(when) + message;
    if (!line.endsWith(QLatin1Char('\n')))
        line += QLatin1Char('\n');
    return line;
}

bool WriteTransferLog(const QString& text, int kind, QString* error)
{
    const QString path = AppPaths::logFile(kind);
    if (path.isEmpty())
        return false;
    AppPaths::ensureSettingsFolder();
    QSaveFile file(path);
    const QByteArray bytes = Cp932::encode(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool ReadTransferLog(int kind, QString* text)
{
    QFile file(AppPaths::logFile(kind));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = Cp932::decode(file.readAll());
    return true;
}
