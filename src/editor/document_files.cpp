#include "editor/document_files.h"

#include "platform/cp932.h"
#include "platform/dialog_service.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstring>

namespace {

constexpr qsizetype kChunk = 4 * 1024 * 1024;

bool isAsciiFast(const char* data, qsizetype size)
{
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of `data` without a lead byte left dangling at its end.
qsizetype completeCp932Length(const char* data, qsizetype size)
{
    qsizetype i = 0;
    while (i < size) {
        if (isLeadByte(static_cast<unsigned char>(data[i]))) {
            if (i + 1 >= size)
                return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return size;
}

// Text as the system code page would hold it: what Save will write.
QString throughCodePage(const QString& text)
{
    return Cp932::decode(Cp932::encode(text));
}

void putText(DocumentSink& sink, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sink.beginText(utf8.size());
    sink.appendText(utf8.constData(), utf8.size());
    sink.endText();
}

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

LoadResult LoadDocument(DocumentSink& sink, const QString& path, DialogService& dialogs)
{
    LoadResult result;
    sink.beginText(0);
    sink.endText();

    QFile file(path);
    const auto unreadable = [&] {
        dialogs.messageDialog(QStringLiteral("呼出ﾃﾞｰﾀ\n") + path + QStringLiteral("が読み込めません｡\n") +
                                  file.errorString(),
                              BoxIcon::Error, BoxButton::Yes);
        sink.beginText(0);
        sink.endText();
        result.loaded = false;
        result.size = kUnknownFileSize;
        return result;
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return unreadable();
    } else {
        result.size = quint64(file.size());
        const QByteArray head = file.peek(3);
        const auto b0 = head.size() > 0 ? static_cast<unsigned char>(head[0]) : 0;
        const auto b1 = head.size() > 1 ? static_cast<unsigned char>(head[1]) : 0;
        if (b0 == 0xFE && b1 == 0xFF) {
            result.markFound = true;
            if (dialogs.messageDialog(QStringLiteral("Unicode(Big Endian)ファイルです。\n読込には時間が掛かります。\n"
                                                     "読込後はUnicode(Big Endian)ファイルではありません。\n読込を開始しますか？"),
                                      BoxIcon::Warning, BoxButton::Yes | BoxButton::No) ==
                BoxButton::Yes) {
                QString text = QStringDecoder(QStringDecoder::Utf16BE).decode(file.readAll().mid(2));
                text.truncate(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
                qsizetype from = 0, to = text.size();
                while (from < to && isBlankOrControl(text.at(from)))
                    ++from;
                while (to > from && isBlankOrControl(text.at(to - 1)))
                    --to;
                putText(sink, throughCodePage(text.mid(from, to - from)));
            }
        } else if (b0 == 0xFF && b1 == 0xFE) {
            result.markFound = true;
            if (dialogs.messageDialog(QStringLiteral("Unicode(Little Endian)ファイルです。\n"
                                                     "読込後はUnicode(Little Endian)ファイルではありません。\n読込を開始しますか？"),
                                      BoxIcon::Warning, BoxButton::Yes | BoxButton::No) ==
                BoxButton::Yes) {
                QString text = QStringDecoder(QStringDecoder::Utf16LE).decode(file.readAll().mid(2));
                text.truncate(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
                putText(sink, throughCodePage(text));
            }
        } else if (b0 == 0xEF && b1 == 0xBB) {
            result.markFound = true;
            if (dialogs.messageDialog(QStringLiteral("Unicode(UTF-8)ファイルです。\n"
                                                     "読込後はUnicode(UTF-8)ファイルではありません。\n読込を開始しますか？"),
                                      BoxIcon::Warning, BoxButton::Yes | BoxButton::No) ==
                BoxButton::Yes) {
                // Decoded as UTF-8 without its mark: taking the bytes as they
                // are would put the mark into the text and garble every
                // non-ASCII character.
                QByteArray bytes = file.readAll();
                bytes.remove(0, head.size() > 2 && static_cast<unsigned char>(head[2]) == 0xBF ? 3 : 2);
                const qsizetype zero = bytes.indexOf('\0');
                if (zero >= 0)
                    bytes.truncate(zero);
                putText(sink, throughCodePage(QString::fromUtf8(bytes)));
            }
        } else {
            // Plain text in the system code page, streamed in pieces; pure
            // ASCII goes to the editor as it is.
            sink.beginText(qsizetype(result.size));
            QByteArray buffer(kChunk + 1, Qt::Uninitialized);
            qsizetype carried = 0;
            bool stop = false;
            while (!stop) {
                const qint64 got = file.read(buffer.data() + carried, kChunk - carried);
                if (got < 0)
                    return unreadable();
                if (got == 0)
                    break;
                qsizetype size = carried + qsizetype(got);
                if (const void* zero = std::memchr(buffer.constData() + carried, 0, size_t(got))) {
                    size = static_cast<const char*>(zero) - buffer.constData();
                    stop = true;
                }
                if (carried == 0 && isAsciiFast(buffer.constData(), size)) {
                    sink.appendText(buffer.constData(), size);
                    continue;
                }
                const qsizetype whole = stop ? size : completeCp932Length(buffer.constData(), size);
                const QByteArray utf8 = Cp932::decode(buffer.constData(), whole).toUtf8();
                sink.appendText(utf8.constData(), utf8.size());
                carried = size - whole;
                if (carried > 0)
                    std::memmove(buffer.data(), buffer.constData() + whole, size_t(carried));
            }
            if (carried > 0 && !stop) {
                const QByteArray utf8 = Cp932::decode(buffer.constData(), carried).toUtf8();
                sink.appendText(utf8.constData(), utf8.size());
            }
            sink.endText();
        }
    }

    if (sink.isTextEmpty() && !result.markFound) {
        if (dialogs.messageDialog(QStringLiteral("ﾌｧｲﾙ形式が違います｡\nそのまま読み込みは可能ですが､"
                                                 "ﾃﾞｰﾀの一部読み込めない可能性が有ります｡\n読み込み開始は「はい(Y)」"),
                                  BoxIcon::Warning, BoxButton::Yes | BoxButton::No) == BoxButton::Yes) {
            const QStringList lines = ReadLinesFallback(path);
            if (!lines.isEmpty())
                putText(sink, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        }
    }
    return result;
}

bool AppendToCollection(const QString& path, const QString& text, QString* error)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!lines.isEmpty() && !lines.endsWith(QLatin1Char('\n')))
        lines += QLatin1Char('\n');
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QByteArray bytes = Cp932::encode(lines);
    QFile file(path);
    if (!file.open(QIODevice::Append) || file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QStringList ReadLinesFallback(const QString& path)
{
    QStringList lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    QByteArray bytes = file.readAll();
    // Text mode: CR LF reads as LF.
    bytes.replace("\r\n", "\n");
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && end - pos < 499 && bytes.at(end) != '\n')
            ++end;
        if (end < size && end - pos < 499 && bytes.at(end) == '\n')
            ++end; // the line feed belongs to the piece
        QByteArray piece = bytes.mid(pos, end - pos);
        pos = end;
        const qsizetype zero = piece.indexOf('\0');
        if (zero >= 0)
            piece.truncate(zero);
        if (piece.endsWith('\n'))
            piece.chop(1);
        if (piece.isEmpty())
            continue;
        lines.append(Cp932::decode(piece));
    }
    return lines;
}

bool WriteDocument(const QString& path, QByteArrayView text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray out;
    out.reserve(kChunk + kChunk / 8);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype end = std::min(n, i + kChunk);
        while (end < n && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end; // whole UTF-8 sequences
        if (end < n && text[end - 1] == '\r' && text[end] == '\n')
            ++end; // CR LF together
        out.clear();
        for (qsizetype k = i; k < end; ++k) {
            const char c = text[k];
            if (c == '\r') {
                out.append("\r\n", 2);
                if (k + 1 < end && text[k + 1] == '\n')
                    ++k;
            } else if (c == '\n') {
                out.append("\r\n", 2);
            } else {
                out.append(c);
            }
        }
        if (!isAsciiFast(out.constData(), out.size()))
            out = Cp932::encode(QString::fromUtf8(out));
        if (file.write(out) != out.size()) {
            if (error)
                *error = file.errorString();
            file.cancelWriting();
            return false;
        }
        i = end;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString FormatDocumentSize(double bytes, bool metres)
{
    if (metres)
        return QString::number(bytes * 0.00254, 'f', 2) + QStringLiteral("ﾒｰﾄﾙ");
    if (bytes < 1024)
        return QString::number(bytes, 'f', 0) + QStringLiteral("ﾊﾞｲﾄ");
    const double kb = bytes / 1024;
    if (kb < 1024)
        return QString::number(kb, 'f', 3) + QStringLiteral("KB");
    return QString::number(kb / 1024, 'f', 3) + QStringLiteral("MB");
}

quint32 GetFileSizeOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kUnknownFileSize;
    return quint32(file.size());
}

QString DataFolderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

QString BuildFileTypeFilter(const QString& user1Name, const QString& user1Mask,
                            const QString& user2Name, const QString& user2Mask)
{
    return QStringLiteral("NC文章(*.nc;*.nc1;*.nc0)|*.NC;*.NC1;*.NC0|") +
           QStringLiteral("ﾃｷｽﾄ(*.txt)|*.TXT|") + user1Name + QLatin1Char('(') + user1Mask +
           QStringLiteral(")|") + user1Mask + QLatin1Char('|') + user2Name + QLatin1Char('(') +
           user2Mask + QStringLiteral(")|") + user2Mask + QLatin1Char('|') +
           QStringLiteral("すべて表示(*.*)|*.*|") +
           QStringLiteral("OSP用(*.MIN;*.SUB;*.SDF;*.RBT;*.SSB;*.RPD)|*.MIN;*.SUB;*.SDF;*.RBT;*.SSB;*.RPD|") +
           QStringLiteral("拡張子無し    |");
}

QString DefaultExtensionFor(int filterIndex, bool upper, const QString& user1Mask,
                            const QString& user2Mask)
{
    switch (filterIndex) {
    case 1:
    case 5: return upper ? QStringLiteral("NC") : QStringLiteral("nc");
    case 2: return upper ? QStringLiteral("TXT") : QStringLiteral("txt");
    case 3: return user1Mask;
    case 4: return user2Mask;
    case 6: return QStringLiteral("MIN");
    case 7: return QStringLiteral("");
    default: return QString();
    }
}

void AddRecentFile(QStringList& recent, const QString& path)
{
    while (recent.size() < 5)
        recent.append(QString());
    qsizetype at = 4;
    for (qsizetype i = 0; i < 5; ++i) {
        if (recent.at(i).compare(path, Qt::CaseInsensitive) == 0) {
            at = i;
            break;
        }
    }
    recent.removeAt(at);
    recent.prepend(path);
    while (recent.size() > 5)
        recent.removeLast();
}

RecentMenuItem RecentMenuItemFor(int place, const QString& path)
{
    if (!path.isEmpty())
        return {true, true, QLatin1Char('&') + QString::number(place) + QLatin1Char(' ') + path};
    if (place == 1)
        return {true, false, QStringLiteral("最近使ったﾌｧｲﾙ")};
    return {false, false, QString()};
}

QString NormalizeExtension(const QString& text)
{
    if (text.contains(QStringLiteral("*.")))
        return text;
    if (text.contains(QLatin1Char('.')))
        return QLatin1Char('*') + text;
    return QStringLiteral("*.") + text;
}
