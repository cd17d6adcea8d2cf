#include "serial/auto_selection.h"

namespace AutoSelection {

KeyVerdict ClassifyKey(QChar key, bool fieldEmpty)
{
    if (key == QLatin1Char('\r') || key == QLatin1Char('\n'))
        return fieldEmpty ? KeyVerdict::Refuse : KeyVerdict::ConfirmOn;
    if (key == QLatin1Char('\b'))
        return KeyVerdict::Accept;
    if (QStringLiteral("012345-").contains(key))
        return KeyVerdict::Accept;
    return KeyVerdict::Refuse;
}

QString RefusalText()
{
    return QString::fromUtf8("この文字は変更できません｡\n");
}

QString RefusalCaption()
{
    return QString::fromUtf8("確認");
}

QPoint CentredPosition(const QRect& mainWindow, const QSize& dialog)
{
    int top = mainWindow.top() + mainWindow.height() / 2 - dialog.height() / 2;
    if (top < 0)
        top = mainWindow.top();
    int left = mainWindow.left() + mainWindow.width() / 2 - dialog.width() / 2;
    if (left < 0)
        left = mainWindow.left();
    return QPoint(left, top);
}

} // namespace AutoSelection
