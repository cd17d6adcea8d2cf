#include "nctools/program_index.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// A text of `lines` lines with program-number lines where `programs` says.
QByteArray textWithPrograms(int lines, const QList<int>& programs, const char* eol = "\r\n")
{
    QByteArray text;
    for (int n = 1; n <= lines; ++n) {
        text += programs.contains(n) ? "O" + QByteArray::number(1000 + n) : "G01 X" + QByteArray::number(n);
        if (n < lines)
            text += eol;
    }
    return text;
}

QList<int> lines(const ProgramIndex& index)
{
    QList<int> result;
    for (const ProgramIndexEntry& e : index.entries())
        result.append(e.line);
    return result;
}

ProgramIndex fullScan(const QByteArray& text, QString& letter)
{
    ProgramIndex index;
    RebuildProgramIndex(index, text, PlanIndexScan(index, CountLines(text), 0, 0), letter);
    return index;
}

} // namespace

TEST(ProgramIndexScan, FullScanFindsProgramLinesAndTakesTheLetter)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        const QByteArray text = textWithPrograms(300, {1, 150, 190, 260}, eol);
        QString letter;
        const ProgramIndex index = fullScan(text, letter);
        EXPECT_EQ(lines(index), (QList<int>{1, 150, 190, 260})) << eol;
        EXPECT_EQ(letter, QStringLiteral("O"));
        EXPECT_EQ(index.at(1).display(), QStringLiteral("00150-O1150"));
    }
}

TEST(ProgramIndexScan, WhatCountsAsAProgramNumberLine)
{
    struct Case
    {
        const char* text;
        QList<int> expected;
        const char* letter;
    } cases[] = {
        {"O\nO1\nN10", {2}, "O"},                        // a lone O is not one
        {"o1234\n  O1234\nO2000 (SHAFT)", {3}, "O"},     // lower case and blanks are not
        {":100\nO200\nO300 (:A)\n:400", {1, 3, 4}, ":"}, // O lines need a colon in them
        {"%\nN10 O5\nM30", {}, ""},                      // no program line, letter stays empty
    };
    for (const Case& c : cases) {
        QString letter;
        const ProgramIndex index = fullScan(c.text, letter);
        EXPECT_EQ(lines(index), c.expected) << c.text;
        EXPECT_EQ(letter, QString::fromLatin1(c.letter)) << c.text;
    }
}

TEST(ProgramIndexScan, EntryKeepsTheWholeLine)
{
    QString letter;
    const ProgramIndex index = fullScan("%\r\nO1234 (SHAFT) 加工\r\nM30", letter);
    ASSERT_EQ(index.size(), 1);
    EXPECT_EQ(index.at(0).text, QStringLiteral("O1234 (SHAFT) 加工"));
    EXPECT_EQ(index.at(0).display(), QStringLiteral("00002-O1234 (SHAFT) 加工"));
}

TEST(ProgramIndexScan, IncrementalRebuildAfterThreeEnters)
{
    // Programs at 1, 150, 190, 260; three lines inserted at line 200.
    QByteArray before = textWithPrograms(300, {1, 150, 190, 260});
    QString letter;
    ProgramIndex index = fullScan(before, letter);
    const ProgramIndexEntry kept = index.at(2);

    QList<QByteArray> split = before.split('\n');
    for (int i = 0; i < 3; ++i)
        split.insert(199, "\r");
    const QByteArray after = split.join('\n');
    ASSERT_EQ(CountLines(after), 303);

    const IndexScanPlan plan = PlanIndexScan(index, 303, 300, /*caret line, 0-based*/ 202);
    EXPECT_FALSE(plan.full);
    EXPECT_EQ(plan.fromLine, 199); // line 200, 1-based
    RebuildProgramIndex(index, after, plan, letter);
    EXPECT_EQ(lines(index), (QList<int>{1, 150, 190, 263}));
    EXPECT_EQ(index.at(2), kept);
}

TEST(ProgramIndexScan, PlanIsFullWhenEmptyOrLineCountSame)
{
    ProgramIndex index;
    EXPECT_TRUE(PlanIndexScan(index, 10, 10, 5).full);
    EXPECT_TRUE(PlanIndexScan(index, 10, 10, 5).takeLetter);
    index.append({1, QStringLiteral("O1"), QLatin1Char('-')});
    EXPECT_TRUE(PlanIndexScan(index, 10, 10, 5).full);
    EXPECT_FALSE(PlanIndexScan(index, 10, 10, 5).takeLetter);
    // An edit reported above the caret moves the start up.
    EXPECT_EQ(PlanIndexScan(index, 12, 10, 8, 3).fromLine, 3);
    EXPECT_EQ(PlanIndexScan(index, 12, 10, 1).fromLine, 0);
}

TEST(ProgramIndexScan, TextsBeyond99999Lines)
{
    const QByteArray text = textWithPrograms(150000, {1, 99999, 100000, 123456});
    QString letter;
    const ProgramIndex index = fullScan(text, letter);
    EXPECT_EQ(lines(index), (QList<int>{1, 99999, 100000, 123456}));
    EXPECT_EQ(index.at(1).display(), QStringLiteral("99999-O100999"));
    EXPECT_EQ(index.at(3).display(), QStringLiteral("123456-O124456"));
    EXPECT_EQ(index.entryForLine(120000), 2);
    EXPECT_EQ(index.entryForLine(149999), 3);
}

TEST(ProgramIndexSelection, EntryForLine)
{
    ProgramIndex index;
    EXPECT_EQ(index.entryForLine(5), -1);
    for (int line : {10, 150, 190})
        index.append({line, QStringLiteral("O1"), QLatin1Char('-')});
    const std::pair<int, int> cases[] = {{1, 0}, {10, 0}, {11, 0}, {149, 0}, {150, 1},
                                         {189, 1}, {190, 2}, {5000, 2}};
    for (auto [line, entry] : cases)
        EXPECT_EQ(index.entryForLine(line), entry) << line;
}

TEST(ProgramIndexMarks, MarksAndStartLines)
{
    EXPECT_TRUE(HasProgramNumberMark("N10\nO1234"));
    EXPECT_TRUE(HasProgramNumberMark("X:5"));
    EXPECT_FALSE(HasProgramNumberMark("OA\no1\nO"));
    EXPECT_TRUE(IsProgramStartLine(QStringView(u"L")));
    EXPECT_TRUE(IsProgramStartLine(QStringView(u":1")));
    EXPECT_FALSE(IsProgramStartLine(QStringView(u" O1")));
    EXPECT_FALSE(IsProgramStartLine(QStringView(u"")));
}

TEST(ProgramRange, SelectsTheProgramAroundTheCaret)
{
    const QByteArray text = "%\r\n  O100\r\nN1\r\nN2\r\nO200\r\nN3\r\n";
    // Caret on N2 (line start 15): from "  O100" to the start of "O200".
    const TextRange range = ProgramRangeAt(text, text.indexOf("N2"));
    EXPECT_EQ(text.mid(range.from, range.to - range.from), QByteArray("  O100\r\nN1\r\nN2\r\n"));
    // Above every program: the program starts at the top.
    const TextRange top = ProgramRangeAt(text, 0);
    EXPECT_EQ(top.from, 0);
    EXPECT_EQ(top.to, text.indexOf("O200"));
}
