// Feeds arbitrary bytes to the settings reader, then checks that a written key
// reads back the same after the file is written and parsed again.
#include "platform/ini_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    IniFile ini = IniFile::fromBytes(bytes);
    for (const char* section : {"Main", "Setting", "Options", ""}) {
        for (const char* key : {"Top", "SetNo", "op1", "", "="}) {
            ini.readString(section, key, "d");
            ini.readInteger(section, key, 7);
            ini.readBool(section, key, true);
        }
    }
    // Names and values taken from the input itself.
    // ASCII only: characters outside CP932 cannot come back unchanged.
    QString tail;
    for (char c : bytes.right(12))
        tail += QChar(c & 0x7F);
    QString name;
    for (char c : bytes.left(6)) {
        if (QChar(c).isLetterOrNumber() && uchar(c) < 0x80)
            name += QChar(c);
    }
    if (name.isEmpty())
        name = "k";
    ini.writeString("Fuzz", name, tail);
    ini.writeInteger("Main", "Top ", int(size));
    const IniFile back = IniFile::fromBytes(ini.toBytes());
    if (back.readInteger("Main", "Top", -1) != int(size))
        abort();
    QString expected = tail;
    expected.replace('\r', ' ').replace('\n', ' ');
    while (!expected.isEmpty() && (expected.front() == ' ' || expected.front() == '\t'))
        expected.remove(0, 1);
    while (!expected.isEmpty() && (expected.back() == ' ' || expected.back() == '\t'))
        expected.chop(1);
    const QString got = back.readString("Fuzz", name);
    // A value that keeps its quotes differs only by them.
    if (got != expected && !(expected.size() >= 2 && got == expected.mid(1, expected.size() - 2)))
        abort();
    return 0;
}
