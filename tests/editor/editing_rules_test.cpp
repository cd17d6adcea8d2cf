#include "editor/editing_rules.h"

#include <gtest/gtest.h>

TEST(TypedChar, UpperCaseAndProgramLetterInColumnOne)
{
    struct Case
    {
        char typed;
        int column;
        const char* letterBefore;
        char expected;
        const char* letterAfter;
    } cases[] = {
        {'g', 3, "", 'G', ""},
        {'x', 1, "O", 'X', "O"},
        {':', 1, "O", 'O', "O"}, // the other letter in column 1 follows the document
        {':', 2, "O", ':', "O"},
        {'o', 1, ":", ':', ":"},
        {':', 1, "", ':', ":"},  // the first one typed sets the letter
        {'o', 1, "", 'O', "O"},
    };
    for (const Case& c : cases) {
        QString letter = QString::fromLatin1(c.letterBefore);
        EXPECT_EQ(FilterTypedChar(QLatin1Char(c.typed), c.column, letter), QLatin1Char(c.expected))
            << c.typed << c.column << c.letterBefore;
        EXPECT_EQ(letter, QString::fromLatin1(c.letterAfter));
    }
    EXPECT_FALSE(TypedCharStopsRebuild(QChar(8)));
    EXPECT_FALSE(TypedCharStopsRebuild(QChar(22)));
    EXPECT_TRUE(TypedCharStopsRebuild(QChar(13)));
}

TEST(CaretPanels, CharacterCodeAndCaretShape)
{
    EXPECT_EQ(CharacterCodeText(QStringLiteral("A")), QStringLiteral("(0041)"));
    EXPECT_EQ(CharacterCodeText(QStringLiteral("\t")), QStringLiteral("(0009)"));
    EXPECT_EQ(CharacterCodeText(QStringLiteral("あ")), QStringLiteral("(82A0)"));
    EXPECT_EQ(CharacterCodeText(QString()), QString());
    EXPECT_EQ(CaretPanelText(12, 5), QStringLiteral("12 , 5"));
    EXPECT_EQ(CaretShapeFor(false, 16).width, 8);
    EXPECT_EQ(CaretShapeFor(false, -16).height, 16);
    EXPECT_EQ(CaretShapeFor(true, 16).width, 0);
}

TEST(CommentTexts, DateAndTime)
{
    const QDateTime when(QDate(2009, 5, 1), QTime(10, 20, 30));
    EXPECT_EQ(DateTimeCommentText(when), QStringLiteral("( 2009/05/01 10:20:30 )"));
    EXPECT_EQ(DateCommentText(when), QStringLiteral("( 2009/05/01 )"));
}

TEST(WordCompletionCycle, OffersEachCandidateThenWithdraws)
{
    WordCompletion completion;
    completion.setWords({QStringLiteral("GOTO"), QStringLiteral("G65"), QStringLiteral("M98"),
                         QStringLiteral("M99")});
    using Step = WordCompletion::Step;
    const QList<std::pair<Step::Kind, QString>> expected = {
        {Step::Offer, QStringLiteral("98")},
        {Step::Offer, QStringLiteral("99")},
        {Step::Withdraw, QString()},
        {Step::Offer, QStringLiteral("98")},
    };
    for (const auto& [kind, text] : expected) {
        const Step step = completion.press(QStringLiteral("N10 m"));
        EXPECT_EQ(step.kind, kind);
        EXPECT_EQ(step.text, text);
    }
    completion.end();
    // XGO: XGO finds nothing, GO offers the rest of GOTO.
    const Step step = completion.press(QStringLiteral("XGO"));
    EXPECT_EQ(step.kind, Step::Offer);
    EXPECT_EQ(step.text, QStringLiteral("TO"));
    completion.end();
    EXPECT_EQ(completion.press(QStringLiteral("X1 ")).kind, Step::Beep);
    EXPECT_EQ(completion.press(QStringLiteral("X1 ")).kind, Step::Beep);
}

TEST(KeyFilters, InAndNotInSet)
{
    EXPECT_TRUE(KeyInSet(QLatin1Char('5'), QStringLiteral("0123456789")));
    EXPECT_FALSE(KeyNotInSet(QLatin1Char(';'), QStringLiteral("/:,;?<>|")));
    EXPECT_TRUE(KeyNotInSet(QLatin1Char('a'), QStringLiteral("/:,;?<>|")));
}
