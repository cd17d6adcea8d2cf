#include "ui/window_title.h"

#include "editor/document_files.h"

#include <QSysInfo>

QString BuildWindowTitle(int kind, const QString& fileName, bool nameOnly,
                         const QString& versionSuffix)
{
    QString name = fileName;
    if (nameOnly && !name.isEmpty() && name != kUntitledName) {
        const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
        if (slash >= 0)
            name = name.mid(slash + 1);
    }
    const QString tail = QStringLiteral(" - Kelvra") + versionSuffix;
    switch (kind) {
    case 1: return QStringLiteral("<編集>") + name + tail;
    case 2: return QStringLiteral("<新規作成>") + name + tail;
    case 3: return QStringLiteral("<編集>") + tail;
    case 4: return QStringLiteral("<編集><変更>") + name + tail;
    case 5: return QStringLiteral("Kelvra") + versionSuffix + QStringLiteral(" (Win98/Me/2000/XP)");
    case 6: return QStringLiteral("<受信>") + name + tail;
    default: return QString();
    }
}

QString MakeVersionSuffix()
{
    QString version = QStringLiteral(KELVRA_VERSION);
    while (version.count(QLatin1Char('.')) < 3)
        version += QStringLiteral(".0");
    return QStringLiteral(" Ver") + version;
}

QString MakeOsText()
{
    const QString name = QSysInfo::prettyProductName();
    if (name.isEmpty() || name == QStringLiteral("Unknown"))
        return QString();
    return QStringLiteral("OS=") + name;
}

QString StartupTitle(const QString& versionSuffix, const QString& osText)
{
    QString title = BuildWindowTitle(5, QString(), false, versionSuffix);
    if (!osText.isEmpty())
        title += QString(10, QLatin1Char(' ')) + osText;
    return title;
}
