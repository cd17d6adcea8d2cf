#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A settings file in the private-profile format: lines "[section]" and
// "key=value". Section and key names match without regard to case and to the
// blanks around them; the first matching section and key win. Values are
// CP932 text on disk. A missing file reads as empty (every key takes its
// default) and is created by the first save. Writes change the text in
// memory and keep every other line byte for byte; save() replaces the file
// through a temporary file and a rename, so an interrupted write never leaves
// half a file behind.
class IniFile
{
public:
    explicit IniFile(const QString& path);
    // Parses `bytes` as if they were the file at `path` (nothing is read).
    static IniFile fromBytes(const QByteArray& bytes, const QString& path = QString());

    const QString& path() const { return m_path; }
    bool existedOnLoad() const { return m_existed; }

    bool hasKey(const QString& section, const QString& key) const;
    // The value with surrounding blanks (and one pair of surrounding quotes)
    // removed; `defaultValue` when the key or the file is absent.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // Decimal, or hexadecimal with the prefix 0x; anything else, or a number
    // outside 32 bits, gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Read as an integer, non-zero meaning true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes the file if anything changed. False on failure, with errorString().
    bool save();
    QString errorString() const { return m_error; }

    // The file's bytes as save() would write them.
    QByteArray toBytes() const;

    // Parses a whole integer the way readInteger does.
    static bool parseInteger(const QString& text, int* value);

private:
    struct Line
    {
        enum Kind { Other, Section, Key };
        QByteArray raw;
        Kind kind = Other;
        QString name; // section or key name, trimmed
    };

    IniFile() = default;
    void parse(const QByteArray& data);
    static Line parseLine(const QByteArray& raw);
    // Index of the section header, or -1.
    qsizetype findSection(const QString& section) const;
    // Index of the key line inside the section starting at `header`, or -1.
    qsizetype findKey(qsizetype header, const QString& key) const;
    qsizetype sectionEnd(qsizetype header) const;
    static QByteArray keyLine(const QString& key, const QString& value);

    QString m_path;
    QList<Line> m_lines;
    bool m_existed = false;
    bool m_dirty = false;
    QString m_error;
};
