#include "nctools/program_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Walks the lines of a UTF-8 text the way the editor counts them: CR LF,
// LF and a lone CR each end a line.
class LineWalker
{
public:
    LineWalker(QByteArrayView text, qsizetype offset)
        : m_p(text.data() + offset), m_end(text.data() + text.size())
    {
    }

    // The next line [begin, end); false after the last line.
    bool next(const char*& begin, const char*& end)
    {
        if (m_done)
            return false;
        begin = m_p;
        if (m_lf < m_p && m_lf != m_end) {
            auto* lf = static_cast<const char*>(std::memchr(m_p, '\n', size_t(m_end - m_p)));
            m_lf = lf ? lf : m_end;
        }
        auto* cr = static_cast<const char*>(std::memchr(m_p, '\r', size_t(m_lf - m_p)));
        if (cr) {
            end = cr;
            m_p = (cr + 1 < m_end && cr[1] == '\n') ? cr + 2 : cr + 1;
        } else if (m_lf != m_end) {
            end = m_lf;
            m_p = m_lf + 1;
        } else {
            end = m_end;
            m_done = true;
        }
        return true;
    }

private:
    const char* m_p;
    const char* m_end;
    const char* m_lf = nullptr; // next LF at or after m_p, or m_end
    bool m_done = false;
};

bool isProgramNumberStart(const char* begin, const char* end)
{
    return end - begin >= 2 && (begin[0] == 'O' || begin[0] == ':');
}

} // namespace

QString ProgramIndexEntry::display() const
{
    return QStringLiteral("%1").arg(line, 5, 10, QLatin1Char('0')) + separator + text;
}

bool IsProgramNumberLine(QStringView line)
{
    return line.size() >= 2 && (line[0] == QLatin1Char('O') || line[0] == QLatin1Char(':'));
}

bool IsProgramNumberLine(QByteArrayView line)
{
    return isProgramNumberStart(line.data(), line.data() + line.size());
}

bool IsProgramStartLine(QStringView line)
{
    return !line.isEmpty() && (line[0] == QLatin1Char('O') || line[0] == QLatin1Char(':') ||
                               line[0] == QLatin1Char('L'));
}

bool IsProgramStartLine(QByteArrayView line)
{
    return !line.isEmpty() && (line[0] == 'O' || line[0] == ':' || line[0] == 'L');
}

bool HasProgramNumberMark(QByteArrayView text)
{
    const char* const end = text.data() + text.size();
    for (char letter : {'O', ':'}) {
        const char* p = text.data();
        while (p < end) {
            auto* hit = static_cast<const char*>(std::memchr(p, letter, size_t(end - p)));
            if (!hit || hit + 1 >= end)
                break;
            if (hit[1] >= '0' && hit[1] <= '9')
                return true;
            p = hit + 1;
        }
    }
    return false;
}

QString FindProgramLetter(QByteArrayView text)
{
    LineWalker walker(text, 0);
    const char* begin;
    const char* end;
    while (walker.next(begin, end)) {
        if (isProgramNumberStart(begin, end))
            return QString(QLatin1Char(begin[0]));
    }
    return QString();
}

void ProgramIndex::removeAfterLine(int line)
{
    while (!m_entries.isEmpty() && m_entries.last().line > line)
        m_entries.removeLast();
}

int ProgramIndex::entryForLine(int n) const
{
    if (m_entries.isEmpty())
        return -1;
    if (m_entries.first().line >= n)
        return 0;
    if (n >= m_entries.last().line)
        return int(m_entries.size()) - 1;
    auto after = std::upper_bound(m_entries.begin() + 1, m_entries.end(), n,
                                  [](int value, const ProgramIndexEntry& e) { return value < e.line; });
    return int(after - m_entries.begin()) - 1;
}

int ProgramIndex::programLastLine(int i, int lineCount) const
{
    if (i + 1 < m_entries.size())
        return m_entries.at(i + 1).line - 1;
    return lineCount;
}

IndexScanPlan PlanIndexScan(const ProgramIndex& index, int lineCount, int scanLineCount,
                            int caretLine, int firstChangedLine)
{
    IndexScanPlan plan;
    if (index.isEmpty()) {
        plan.takeLetter = true;
        return plan;
    }
    if (lineCount == scanLineCount)
        return plan;
    int from = caretLine - std::abs(lineCount - scanLineCount);
    // An edit above the caret (a paste, then a click further down) must not
    // leave entries with old line numbers behind.
    if (firstChangedLine >= 0)
        from = std::min(from, firstChangedLine);
    plan.full = false;
    plan.fromLine = std::max(from, 0);
    return plan;
}

void RebuildProgramIndex(ProgramIndex& index, QByteArrayView text, const IndexScanPlan& plan,
                         QString& programLetter)
{
    qsizetype offset = 0;
    if (plan.full) {
        index.clear();
        if (plan.takeLetter) {
            const QString letter = FindProgramLetter(text);
            if (!letter.isEmpty())
                programLetter = letter;
        }
    } else {
        // Entries carry 1-based numbers; the 0-based start line is searched
        // again, so the entry on it is dropped and found anew.
        index.removeAfterLine(plan.fromLine);
        offset = LineStartOffset(text, plan.fromLine);
    }
    ScanProgramLines(text, offset, plan.full ? 0 : plan.fromLine,
                     programLetter.isEmpty() ? QChar() : programLetter.at(0), index);
}

void ScanProgramLines(QByteArrayView text, qsizetype offset, int line, QChar letter,
                      ProgramIndex& index)
{
    if (letter.isNull() || offset > text.size())
        return;
    const char upper = char(letter.toUpper().unicode());
    const char lower = char(letter.toLower().unicode());
    LineWalker walker(text, offset);
    const char* begin;
    const char* end;
    for (int n = line; walker.next(begin, end); ++n) {
        if (!isProgramNumberStart(begin, end))
            continue;
        // The search for the letter ignores case: a line that starts with the
        // other letter enters only when it holds this one somewhere.
        const size_t length = size_t(end - begin);
        if (begin[0] == upper || std::memchr(begin, upper, length) ||
            (lower != upper && std::memchr(begin, lower, length)))
            index.append({n + 1, QString::fromUtf8(begin, end - begin), QLatin1Char('-')});
    }
}

qsizetype LineStartOffset(QByteArrayView text, int line)
{
    LineWalker walker(text, 0);
    const char* begin;
    const char* end;
    for (int n = 0; walker.next(begin, end); ++n) {
        if (n == line)
            return begin - text.data();
    }
    return text.size();
}

int CountLines(QByteArrayView text)
{
    LineWalker walker(text, 0);
    const char* begin;
    const char* end;
    int n = 0;
    while (walker.next(begin, end))
        ++n;
    return n;
}

namespace {

bool startsProgramAfterBlanks(const char* p, const char* end)
{
    while (p < end && *p != '\r' && *p != '\n' && static_cast<unsigned char>(*p) <= 0x20)
        ++p;
    return p < end && (*p == 'O' || *p == ':');
}

} // namespace

TextRange ProgramRangeAt(QByteArrayView text, qsizetype caretLineStart)
{
    const char* data = text.data();
    const char* end = data + text.size();
    qsizetype first = std::clamp<qsizetype>(caretLineStart, 0, text.size());
    while (!startsProgramAfterBlanks(data + first, end)) {
        if (first == 0)
            break;
        // Step over the previous line's end, then back to its start.
        qsizetype p = first;
        if (data[p - 1] == '\n' && p >= 2 && data[p - 2] == '\r')
            p -= 2;
        else
            --p;
        while (p > 0 && data[p - 1] != '\n' && data[p - 1] != '\r')
            --p;
        first = p;
    }
    LineWalker walker(text, first);
    const char* begin;
    const char* lineEnd;
    walker.next(begin, lineEnd); // the program's first line
    while (walker.next(begin, lineEnd)) {
        if (begin < end && (begin[0] == 'O' || begin[0] == ':'))
            return {first, begin - data};
    }
    return {first, text.size()};
}
