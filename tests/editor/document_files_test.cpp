#include "editor/document_files.h"

#include "platform/cp932.h"
#include "platform/dialog_service.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Collects the text LoadDocument produces.
class TextSink : public DocumentSink
{
public:
    void beginText(qsizetype) override { text.clear(); }
    void appendText(const char* utf8, qsizetype size) override { text.append(utf8, size); }
    void endText() override {}
    bool isTextEmpty() const override { return text.isEmpty(); }
    QByteArray text;
};

class DocumentFiles : public ::testing::Test
{
protected:
    QString write(const QByteArray& bytes, const char* name = "a.nc")
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
    ScriptedDialogService dialogs;
    TextSink sink;
};

} // namespace

TEST(DocumentSize, Texts)
{
    EXPECT_EQ(FormatDocumentSize(1023, false), QStringLiteral("1023ﾊﾞｲﾄ"));
    EXPECT_EQ(FormatDocumentSize(1024, false), QStringLiteral("1.000KB"));
    EXPECT_EQ(FormatDocumentSize(1536 * 1024, false), QStringLiteral("1.500MB"));
    EXPECT_EQ(FormatDocumentSize(10000, true), QStringLiteral("25.40ﾒｰﾄﾙ"));
    EXPECT_EQ(FormatDocumentSize(1000, true), QStringLiteral("2.54ﾒｰﾄﾙ"));
}

TEST_F(DocumentFiles, PlainTextIsReadAsTheSystemCodePageUpToAZeroByte)
{
    const QByteArray bytes = Cp932::encode(QStringLiteral("O1 (加工)\r\nM30\r\n")) + '\0' + "junk";
    const LoadResult result = LoadDocument(sink, write(bytes), dialogs);
    EXPECT_EQ(result.size, quint64(bytes.size()));
    EXPECT_FALSE(result.markFound);
    EXPECT_EQ(QString::fromUtf8(sink.text), QStringLiteral("O1 (加工)\r\nM30\r\n"));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(DocumentFiles, ByteOrderMarks)
{
    struct Case
    {
        QByteArray bytes;
        int answer;
        QString expected;
        const char* question;
    };
    const QString text = QStringLiteral("  O1 (加工)\r\n");
    QByteArray be("\xFE\xFF", 2), le("\xFF\xFE", 2);
    for (QChar c : text) {
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    }
    const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    const Case cases[] = {
        {be, BoxButton::Yes, QStringLiteral("O1 (加工)"), "Unicode(Big Endian)"}, // trimmed
        {le, BoxButton::Yes, text, "Unicode(Little Endian)"},
        {utf8, BoxButton::Yes, text, "Unicode(UTF-8)"}, // decoded, mark dropped
        {utf8, BoxButton::No, QString(), "Unicode(UTF-8)"},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        dialogs.answer(c.answer);
        const LoadResult result = LoadDocument(sink, write(c.bytes), dialogs);
        EXPECT_TRUE(result.markFound);
        EXPECT_EQ(QString::fromUtf8(sink.text), c.expected) << c.question;
        ASSERT_EQ(dialogs.shown().size(), 1) << c.question; // no second question
        EXPECT_TRUE(dialogs.shown().first().text.startsWith(QString::fromLatin1(c.question)));
        EXPECT_EQ(dialogs.shown().first().icon, BoxIcon::Warning);
    }
}

TEST_F(DocumentFiles, EmptyOrUnreadableFileOffersTheLineReader)
{
    dialogs.answer(BoxButton::Yes);
    LoadResult result = LoadDocument(sink, write(QByteArray()), dialogs);
    EXPECT_EQ(result.size, 0u);
    EXPECT_TRUE(sink.text.isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown().first().text.startsWith(QStringLiteral("ﾌｧｲﾙ形式が違います｡")));

    // A file starting with a zero byte: the line reader recovers the lines.
    dialogs.clear();
    dialogs.answer(BoxButton::Yes);
    LoadDocument(sink, write(QByteArray("\0x", 2) + "\nO1\r\n\r\nM30\n"), dialogs);
    EXPECT_EQ(sink.text, QByteArray("O1\r\nM30\r\n"));

    dialogs.clear();
    result = LoadDocument(sink, m_dir.filePath(QStringLiteral("missing.nc")), dialogs);
    EXPECT_EQ(result.size, kUnknownFileSize);
    EXPECT_EQ(dialogs.shown().size(), 1);
    // It is reported as unreadable, not offered as a file of another format.
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(dialogs.shown().first().text.startsWith(QStringLiteral("呼出ﾃﾞｰﾀ\n")));
}

TEST_F(DocumentFiles, AReadErrorLeavesNoPartOfTheFileBehind)
{
    sink.text = "old text";
    // A folder opens but cannot be read: a read error in the middle of a load.
    const LoadResult result = LoadDocument(sink, m_dir.path(), dialogs);
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(sink.text.isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown().first().text.contains(QStringLiteral("が読み込めません｡")));
}

TEST_F(DocumentFiles, CollectionFileGetsEachTextEndingInALineEnd)
{
    const QString collection = m_dir.filePath(QStringLiteral("kelvra.tmp"));
    ASSERT_TRUE(AppendToCollection(collection, QStringLiteral("O1\nM30"), nullptr));
    ASSERT_TRUE(AppendToCollection(collection, QStringLiteral("O2\r\nM30\r\n"), nullptr));
    QFile f(collection);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("O1\r\nM30\r\nO2\r\nM30\r\n"));
    QString error;
    EXPECT_FALSE(AppendToCollection(m_dir.path(), QStringLiteral("x"), &error)) << "a folder";
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(DocumentFiles, FallbackReaderPiecesAndBlankLines)
{
    const QByteArray longLine(1200, 'X');
    const QStringList lines = ReadLinesFallback(write(longLine + "\r\n\r\n\nN10\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].size(), 499);
    EXPECT_EQ(lines[1].size(), 499);
    EXPECT_EQ(lines[2].size(), 202);
    EXPECT_EQ(lines[3], QStringLiteral("N10"));
}

TEST_F(DocumentFiles, WriteUsesCrLfAndTheSystemCodePage)
{
    const QString path = m_dir.filePath(QStringLiteral("out.nc"));
    ASSERT_TRUE(WriteDocument(path, QStringLiteral("O1 (加工)\nN1\r\nN2\rM30").toUtf8()));
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), Cp932::encode(QStringLiteral("O1 (加工)\r\nN1\r\nN2\r\nM30")));
    EXPECT_EQ(GetFileSizeOf(path), quint32(f.size()));
    EXPECT_EQ(GetFileSizeOf(m_dir.filePath(QStringLiteral("none"))), kUnknownFileSize);
    EXPECT_FALSE(WriteDocument(m_dir.filePath(QStringLiteral("no/such/dir/x.nc")), "A"));
}

TEST(RecentFiles, MostRecentFirstFivePlaces)
{
    QStringList recent(5);
    for (const char* p : {"/a", "/b", "/c", "/d", "/e"})
        AddRecentFile(recent, QString::fromLatin1(p));
    AddRecentFile(recent, QStringLiteral("/C")); // same path, other case: moves up
    EXPECT_EQ(recent, (QStringList{"/C", "/e", "/d", "/b", "/a"}));
    AddRecentFile(recent, QStringLiteral("/f")); // a sixth pushes out the fifth
    EXPECT_EQ(recent, (QStringList{"/f", "/C", "/e", "/d", "/b"}));

    EXPECT_EQ(RecentMenuItemFor(2, QStringLiteral("/x.nc")).caption, QStringLiteral("&2 /x.nc"));
    const RecentMenuItem none = RecentMenuItemFor(1, QString());
    EXPECT_TRUE(none.visible);
    EXPECT_FALSE(none.enabled);
    EXPECT_EQ(none.caption, QStringLiteral("最近使ったﾌｧｲﾙ"));
    EXPECT_FALSE(RecentMenuItemFor(3, QString()).visible);
}

TEST(FileTypes, FilterExtensionsAndFolder)
{
    EXPECT_EQ(BuildFileTypeFilter(QStringLiteral("U1"), QStringLiteral("*.abc"), QStringLiteral("U2"),
                                  QStringLiteral("*.*")),
              QStringLiteral("NC文章(*.nc;*.nc1;*.nc0)|*.NC;*.NC1;*.NC0|ﾃｷｽﾄ(*.txt)|*.TXT|"
                             "U1(*.abc)|*.abc|U2(*.*)|*.*|すべて表示(*.*)|*.*|"
                             "OSP用(*.MIN;*.SUB;*.SDF;*.RBT;*.SSB;*.RPD)|*.MIN;*.SUB;*.SDF;*.RBT;*.SSB;*.RPD|"
                             "拡張子無し    |"));
    EXPECT_EQ(DefaultExtensionFor(1, false, {}, {}), QStringLiteral("nc"));
    EXPECT_EQ(DefaultExtensionFor(2, true, {}, {}), QStringLiteral("TXT"));
    EXPECT_TRUE(DefaultExtensionFor(9, true, {}, {}).isNull());
    for (const char* typed : {"abc", ".abc", "*.abc"})
        EXPECT_EQ(NormalizeExtension(QString::fromLatin1(typed)), QStringLiteral("*.abc"));
    EXPECT_EQ(NormalizeExtension(QString()), QStringLiteral("*."));
    EXPECT_EQ(DataFolderOf(QStringLiteral("/nc/a.nc")), QStringLiteral("/nc"));
    EXPECT_EQ(DataFolderOf(QStringLiteral("/a.nc")), QStringLiteral("/"));
}
