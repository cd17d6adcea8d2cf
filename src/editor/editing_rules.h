#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// What typing does to a character: letters become upper case; "O" or ":" in
// column 1 follows the document's program letter (and sets it when empty).
// `caretColumn` is 1-based.
QChar FilterTypedChar(QChar typed, int caretColumn, QString& programLetter);
// Whether a typed character stops the pending index rebuild (every one but
// Backspace and Ctrl+V).
bool TypedCharStopsRebuild(QChar typed);

// "(0041)" for A, "(82A0)" for あ: the character's bytes in the system code
// page; empty for no character.
QString CharacterCodeText(const QString& character);

// Caret panel text: "12 , 5" (1-based line and column).
QString CaretPanelText(int line, int column);

struct CaretShape
{
    int width;  // 0: the system's thin caret
    int height;
};
CaretShape CaretShapeFor(bool insertMode, int fontHeightPixels);

// "( 2009/05/01 10:20:30 )" and "( 2009/05/01 )".
QString DateTimeCommentText(const QDateTime& when);
QString DateCommentText(const QDateTime& when);

// Key filters of the dialogs.
bool KeyInSet(QChar key, const QString& allowed);
bool KeyNotInSet(QChar key, const QString& forbidden);

// F1 word completion over a word list. The editor applies each step: offer
// inserts `text` at the caret and selects it (or replaces the offered
// selection), withdraw removes the offered text.
class WordCompletion
{
public:
    struct Step
    {
        enum Kind { Offer, Withdraw, Beep } kind = Beep;
        QString text;
    };

    void setWords(const QStringList& words) { m_words = words; }
    const QStringList& words() const { return m_words; }
    bool isActive() const { return m_active; }
    void end() { m_active = false; }

    // One F1 press; `textBeforeCaret` needs only the run of letters before it.
    Step press(const QString& textBeforeCaret);

private:
    QStringList m_words;
    bool m_active = false;
    QString m_prefix;
    int m_first = 0;
    int m_index = -2; // -2: nothing matched
    int m_end = 0;
};
