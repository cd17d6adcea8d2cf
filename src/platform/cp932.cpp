#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Cp932 {

bool isAscii(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

QByteArray encode(const QString& text)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    QStringEncoder encoder("CP932");
    return encoder.encode(text);
}

QString decode(const char* data, qsizetype size)
{
    if (isAscii(data, size))
        return QString::fromLatin1(data, size);
    QStringDecoder decoder("CP932");
    return decoder.decode(QByteArrayView(data, size));
}

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

} // namespace Cp932
