#pragma once

#include <QByteArray>
#include <QString>

// The one place where text becomes bytes of the system code page (CP932,
// Shift-JIS with the usual extensions) and back. Pure ASCII takes a fast path.
namespace Cp932 {

QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

// True when every byte is below 0x80 (the common case for NC text).
bool isAscii(const char* data, qsizetype size);

} // namespace Cp932
