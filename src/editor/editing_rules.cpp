#include "editor/editing_rules.h"

#include "platform/cp932.h"

QChar FilterTypedChar(QChar typed, int caretColumn, QString& programLetter)
{
    QChar c = typed;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        c = c.toUpper();
    if ((c == QLatin1Char('O') || c == QLatin1Char(':')) && caretColumn == 1) {
        if (programLetter.isEmpty())
            programLetter = QString(c);
        else if (c != programLetter.at(0))
            c = programLetter.at(0);
    }
    return c;
}

bool TypedCharStopsRebuild(QChar typed)
{
    return typed != QChar(8) && typed != QChar(22);
}

QString CharacterCodeText(const QString& character)
{
    if (character.isEmpty())
        return QString();
    const QByteArray bytes = Cp932::encode(character);
    if (bytes.isEmpty())
        return QString();
    QString hex = QString::fromLatin1(bytes.left(2).toHex().toUpper());
    if (bytes.size() == 1)
        hex.prepend(QStringLiteral("00"));
    return QLatin1Char('(') + hex + QLatin1Char(')');
}

QString CaretPanelText(int line, int column)
{
    return QString::number(line) + QStringLiteral(" , ") + QString::number(column);
}

CaretShape CaretShapeFor(bool insertMode, int fontHeightPixels)
{
    const int h = fontHeightPixels < 0 ? -fontHeightPixels : fontHeightPixels;
    return insertMode ? CaretShape{0, h} : CaretShape{h / 2, h};
}

QString DateTimeCommentText(const QDateTime& when)
{
    return QStringLiteral("( ") + when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
           QStringLiteral(" )");
}

QString DateCommentText(const QDateTime& when)
{
    return QStringLiteral("( ") + when.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral(" )");
}

bool KeyInSet(QChar key, const QString& allowed)
{
    return allowed.contains(key);
}

bool KeyNotInSet(QChar key, const QString& forbidden)
{
    return !forbidden.contains(key);
}

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

} // namespace

WordCompletion::Step WordCompletion::press(const QString& textBeforeCaret)
{
    if (!m_active) {
        m_active = true;
        m_prefix.clear();
        qsizetype start = textBeforeCaret.size();
        while (start > 0 && isAsciiLetter(textBeforeCaret.at(start - 1)))
            --start;
        const QString word = textBeforeCaret.mid(start);
        // The whole word first, then ever shorter endings of it.
        for (qsizetype p = 0; p < word.size(); ++p) {
            m_prefix = word.mid(p).toUpper();
            for (int i = 0; i < m_words.size(); ++i) {
                if (!m_words.at(i).startsWith(m_prefix))
                    continue;
                m_first = m_index = i;
                m_end = i + 1;
                while (m_end < m_words.size() && m_words.at(m_end).startsWith(m_prefix))
                    ++m_end;
                return {Step::Offer, m_words.at(i).mid(m_prefix.size())};
            }
        }
        m_index = -2;
        return {Step::Beep, {}};
    }
    if (m_index == -2)
        return {Step::Beep, {}};
    ++m_index;
    if (m_index == m_end) {
        m_index = m_first - 1;
        return {Step::Withdraw, {}};
    }
    return {Step::Offer, m_words.at(m_index).mid(m_prefix.size())};
}
