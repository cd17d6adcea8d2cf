#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>

// One program-number line of the text. The line number is kept as data so
// that texts of any length index correctly; the five-digit field is only how
// an entry reads.
struct ProgramIndexEntry
{
    int line = 0;                         // 1-based line number
    QString text;                         // the whole line as it reads in the editor
    QChar separator = QLatin1Char('-');   // "-" from the scan, ":" from a send

    // "00012-O1234 (SHAFT)"; more than five digits past line 99999.
    QString display() const;
    bool operator==(const ProgramIndexEntry&) const = default;
};

// A program-number line for the index: at least two characters, the first
// one "O" or ":" (no blanks skipped, case-sensitive).
bool IsProgramNumberLine(QStringView line);
bool IsProgramNumberLine(QByteArrayView line);
// The wider test of the transfer streams: the first character is "O", ":"
// or "L", any length.
bool IsProgramStartLine(QStringView line);
bool IsProgramStartLine(QByteArrayView line);
// True when the text holds one of "O0".."O9", ":0".."9"; without one no
// extraction runs.
bool HasProgramNumberMark(QByteArrayView text);
// "O" or ":" from the first program-number line of the text; empty if none.
QString FindProgramLetter(QByteArrayView text);

// The ordered list of program-number lines of the editor text.
class ProgramIndex
{
public:
    const QList<ProgramIndexEntry>& entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const ProgramIndexEntry& at(int i) const { return m_entries.at(i); }

    void clear() { m_entries.clear(); }
    void append(const ProgramIndexEntry& entry) { m_entries.append(entry); }
    void removeAt(int i) { m_entries.removeAt(i); }
    // Drops the entries whose line number is greater than `line`.
    void removeAfterLine(int line);

    // The entry of the program that holds the 1-based line `n`; lines above
    // the first entry count as the first program. -1 for an empty index.
    int entryForLine(int n) const;
    // Last 1-based line of the program of entry `i` in a text of
    // `lineCount` lines.
    int programLastLine(int i, int lineCount) const;

private:
    QList<ProgramIndexEntry> m_entries;
};

// Where the next rebuild starts and what it keeps.
struct IndexScanPlan
{
    bool full = true;  // the index is cleared and the text scanned from the top
    int fromLine = 0;  // 0-based first line searched
    bool takeLetter = false; // the scan decides the program letter afresh
};

// Chooses the rebuild: full when the index is empty or the line count did
// not change; otherwise from the changed region down. `caretLine` is the
// 0-based line of the caret when the rebuild runs; `firstChangedLine` the
// lowest 0-based line touched since the previous scan (-1 when unknown).
IndexScanPlan PlanIndexScan(const ProgramIndex& index, int lineCount, int scanLineCount,
                            int caretLine, int firstChangedLine = -1);

// Rebuilds `index` from `text` as `plan` says; a full plan that takes the
// letter sets `programLetter` from the text (kept when the text has none).
void RebuildProgramIndex(ProgramIndex& index, QByteArrayView text, const IndexScanPlan& plan,
                         QString& programLetter);

// Appends to `index` every program-number line from byte `offset` (the start
// of 0-based line `line`) to the end of `text` (UTF-8, any of CR, LF, CR LF
// as line ends) that holds `letter` in either case. The letter decides
// nothing when empty: then no entry is added.
void ScanProgramLines(QByteArrayView text, qsizetype offset, int line, QChar letter,
                      ProgramIndex& index);

// Byte offset of the start of 0-based line `line` in `text`, or the text's
// size when it has fewer lines.
qsizetype LineStartOffset(QByteArrayView text, int line);
// Number of lines as an editor counts them (an empty text has one).
int CountLines(QByteArrayView text);

// The program around a caret for selecting it: from the nearest line above
// (or at) the caret's line whose first non-blank character is "O" or ":" (or
// the top) to the start of the next line whose very first character is one
// of them (or the end). Byte offsets [from, to).
struct TextRange
{
    qsizetype from = 0;
    qsizetype to = 0;
};
TextRange ProgramRangeAt(QByteArrayView text, qsizetype caretLineStart);
