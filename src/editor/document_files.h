#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

class DialogService;
struct Configuration;

inline constexpr quint32 kUnknownFileSize = 0xFFFFFFFFu;
inline const QString kUntitledName = QStringLiteral("無題");

// Where LoadDocument puts the text: UTF-8 bytes, appended in pieces.
class DocumentSink
{
public:
    virtual ~DocumentSink() = default;
    virtual void beginText(qsizetype expectedBytes) = 0;
    virtual void appendText(const char* utf8, qsizetype size) = 0;
    virtual void endText() = 0;
    virtual bool isTextEmpty() const = 0;
};

struct LoadResult
{
    bool loaded = true;      // false: the file could not be read (reported)
    quint64 size = 0;        // the file's byte size; kUnknownFileSize if unreadable
    bool markFound = false;  // a UTF-16 or UTF-8 byte-order mark
};

// Reads a file into `sink`: byte-order marks are asked about, plain text is
// taken as the system code page up to the first zero byte, and a file that
// gives no text is offered to the line reader. A file that cannot be opened
// or read to its end is reported and leaves the editor empty, never holding
// part of the file as if it were all of it.
LoadResult LoadDocument(DocumentSink& sink, const QString& path, DialogService& dialogs);

// The line reader of files that are not plain text: pieces of at most 499
// bytes up to a line feed, CR before LF dropped, blank pieces skipped, each
// piece cut at a zero byte.
QStringList ReadLinesFallback(const QString& path);

// Appends a document's text to the command line's collection file: system
// code page, CR LF line ends, ending in a line end so the next file's first
// line never joins its last. False with `error` when it cannot be written.
bool AppendToCollection(const QString& path, const QString& text, QString* error);

// Writes the text (UTF-8, any line ends) in the system code page with CR LF
// line ends and no mark. Replaces the file only when all of it was written.
bool WriteDocument(const QString& path, QByteArrayView utf8Text, QString* error = nullptr);

// The size panel text without its "ｻｲｽﾞ : " prefix.
QString FormatDocumentSize(double bytes, bool metres);

// Byte size of a file; kUnknownFileSize when it cannot be opened.
quint32 GetFileSizeOf(const QString& path);

// Folder of a document: "/nc/a.nc" gives "/nc", "/a.nc" gives "/".
QString DataFolderOf(const QString& path);

// The filter text of the file dialogs ("NC文章(...)|*.NC;...|...").
QString BuildFileTypeFilter(const QString& user1Name, const QString& user1Mask,
                            const QString& user2Name, const QString& user2Mask);
// Default extension of the save dialog for a filter index (1..7); `upper`
// for a change inside the dialog. A null string leaves it unchanged.
QString DefaultExtensionFor(int filterIndex, bool upper, const QString& user1Mask,
                            const QString& user2Mask);

// Recent files: five places, most recent first, "" for a free place.
void AddRecentFile(QStringList& recent, const QString& path);
struct RecentMenuItem
{
    bool visible = false;
    bool enabled = false;
    QString caption;
};
RecentMenuItem RecentMenuItemFor(int place, const QString& path); // place 1..5

// User-defined extension: "nc2" and ".nc2" give "*.nc2"; texts holding "*."
// stay as typed.
QString NormalizeExtension(const QString& text);
