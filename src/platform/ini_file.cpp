#include "platform/ini_file.h"

#include "platform/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cctype>

#include <unistd.h>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmedBlanks(const QByteArray& bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.mid(begin, end - begin);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Values must stay on one line; a line break inside one would start new keys.
QString oneLine(const QString& value)
{
    QString result = value;
    result.replace(QLatin1Char('\r'), QLatin1Char(' '));
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_existed = true;
    parse(file.readAll());
}

IniFile IniFile::fromBytes(const QByteArray& bytes, const QString& path)
{
    IniFile ini;
    ini.m_path = path;
    ini.parse(bytes);
    return ini;
}

void IniFile::parse(const QByteArray& data)
{
    qsizetype start = 0;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            m_lines.append(parseLine(data.mid(start, i - start)));
            if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < size)
        m_lines.append(parseLine(data.mid(start)));
}

IniFile::Line IniFile::parseLine(const QByteArray& raw)
{
    Line line;
    line.raw = raw;
    const QByteArray text = trimmedBlanks(raw);
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = Cp932::decode(trimmedBlanks(text.mid(1, close - 1)));
        }
        return line;
    }
    const qsizetype eq = text.indexOf('=');
    if (eq > 0) {
        const QByteArray name = trimmedBlanks(text.left(eq));
        if (!name.isEmpty()) {
            line.kind = Line::Key;
            line.name = Cp932::decode(name);
        }
    }
    return line;
}

qsizetype IniFile::findSection(const QString& section) const
{
    const QString wanted = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].name, wanted))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype header, const QString& key) const
{
    const QString wanted = key.trimmed();
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, wanted))
            return i;
    }
    return -1;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return defaultValue;
    const qsizetype index = findKey(header, key);
    if (index < 0)
        return defaultValue;
    const QByteArray& raw = m_lines[index].raw;
    QByteArray value = trimmedBlanks(raw.mid(raw.indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return Cp932::decode(value);
}

bool IniFile::parseInteger(const QString& text, int* value)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong number = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        // Only hex digits: toLongLong would also take a sign or blanks.
        for (QChar c : digits) {
            if (c.unicode() > 0x7f || !std::isxdigit(static_cast<unsigned char>(c.toLatin1())))
                return false;
        }
        number = digits.toLongLong(&ok, 16);
        if (ok && number > 0xFFFFFFFFLL)
            ok = false;
        if (ok && number > 0x7FFFFFFFLL)
            number -= 0x100000000LL; // 0xFFFFFFFF is -1, as a 32-bit value
    } else {
        for (qsizetype i = 0; i < t.size(); ++i) {
            const QChar c = t[i];
            const bool sign = i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'));
            if (!sign && (c.unicode() < '0' || c.unicode() > '9'))
                return false;
        }
        number = t.toLongLong(&ok, 10);
        if (ok && (number < INT32_MIN || number > INT32_MAX))
            ok = false;
    }
    if (!ok)
        return false;
    *value = static_cast<int>(number);
    return true;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const qsizetype header = findSection(section);
    if (header < 0 || findKey(header, key) < 0)
        return defaultValue;
    int value = 0;
    return parseInteger(readString(section, key), &value) ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QByteArray IniFile::keyLine(const QString& key, const QString& value)
{
    return Cp932::encode(oneLine(key)) + '=' + Cp932::encode(oneLine(value));
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    m_dirty = true;
    qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && !trimmedBlanks(m_lines.last().raw).isEmpty())
            m_lines.append(parseLine(QByteArray()));
        m_lines.append(parseLine('[' + Cp932::encode(oneLine(section)) + ']'));
        m_lines.append(parseLine(keyLine(key, value)));
        return;
    }
    const qsizetype index = findKey(header, key);
    if (index >= 0) {
        m_lines[index] = parseLine(keyLine(key, value));
        return;
    }
    // A new key goes after the last non-blank line of its section.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt - 1 > header && trimmedBlanks(m_lines[insertAt - 1].raw).isEmpty())
        --insertAt;
    m_lines.insert(insertAt, parseLine(keyLine(key, value)));
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line& line : m_lines) {
        bytes += line.raw;
        bytes += "\r\n";
    }
    return bytes;
}

bool IniFile::save()
{
    m_error.clear();
    if (!m_dirty && m_existed)
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        m_error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_existed = true;
    m_dirty = false;
    return true;
}
