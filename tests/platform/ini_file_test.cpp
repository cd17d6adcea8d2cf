#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

IniFile fileWith(const TempHome& home, const QByteArray& bytes)
{
    home.write("t.ini", bytes);
    return IniFile(home.file("t.ini"));
}

} // namespace

TEST(IniFile, ReadsValuesWithTheMatchingRules)
{
    TempHome home;
    const IniFile ini = fileWith(home, "; comment\r\n"
                                       "[Main]\r\n"
                                       "Top =25\r\n"
                                       "  LEFT  =  7  \r\n"
                                       "Hex=0x1F\r\n"
                                       "Neg=-12\r\n"
                                       "Junk=12abc\r\n"
                                       "Empty=\r\n"
                                       "Big=99999999999\r\n"
                                       "Quoted=\"a b\"\r\n"
                                       "[ setting ]\n"
                                       "setno=3\n"
                                       "Name=\x90\xdd\x92\xe8\x31\n"
                                       "Dup=first\n"
                                       "Dup=second\n"
                                       "[Setting]\n"
                                       "Other=hidden\n");
    struct Case
    {
        const char* section;
        const char* key;
        int expected;
    };
    const Case integers[] = {
        {"Main", "Top", 25},   {"main", "Top ", 25},  {"Main", "left", 7},  {"Main", "Hex", 31},
        {"Main", "Neg", -12},  {"Main", "Junk", -1},  {"Main", "Empty", -1}, {"Main", "Big", -1},
        {"Main", "None", -1},  {"Nowhere", "Top", -1}, {"Setting", "SetNo", 3},
    };
    for (const Case& c : integers)
        EXPECT_EQ(ini.readInteger(c.section, c.key, -1), c.expected) << c.section << "/" << c.key;

    EXPECT_EQ(ini.readString("Main", "Quoted"), "a b");
    EXPECT_EQ(ini.readString("Setting", "Name"), QString::fromUtf8("設定1"));
    EXPECT_EQ(ini.readString("Setting", "Dup"), "first");
    // Only the first of two sections with one name counts.
    EXPECT_EQ(ini.readString("Setting", "Other", "default"), "default");
    EXPECT_TRUE(ini.readBool("Main", "Top", false));
    EXPECT_TRUE(ini.readBool("Main", "Junk", true));
    EXPECT_FALSE(ini.readBool("Main", "Junk", false));
}

TEST(IniFile, MissingFileReadsDefaultsAndFirstSaveCreatesIt)
{
    TempHome home;
    IniFile ini(home.file("sub/new.ini"));
    EXPECT_FALSE(ini.existedOnLoad());
    EXPECT_EQ(ini.readString("A", "b", "x"), "x");
    ini.writeString("Main", "Top ", "10");
    ini.writeString("Main", "Left", "5");
    ini.writeString("Edit", "Font Name", QString::fromUtf8("ＭＳ ゴシック"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(home.read("sub/new.ini"),
              QByteArray("[Main]\r\nTop =10\r\nLeft=5\r\n\r\n[Edit]\r\nFont Name=") +
                  Cp932::encode(QString::fromUtf8("ＭＳ ゴシック")) + "\r\n");
    EXPECT_EQ(IniFile(home.file("sub/new.ini")).readInteger("main", "TOP", 0), 10);
}

TEST(IniFile, WriteKeepsEveryOtherLineByteForByte)
{
    TempHome home;
    const QByteArray original = "junk line \xff\xfe\x01\r\n"
                                "[A]\r\n"
                                "x=1\r\n"
                                "; note\r\n"
                                "\r\n"
                                "[B]\r\n"
                                "y=2\r\n";
    IniFile ini = fileWith(home, original);
    ini.writeString("a", " X ", "9"); // replaces x=1, spelled as given
    ini.writeString("A", "z", "new"); // goes after the last non-blank line of A
    ini.writeString("C", "k", "v");   // new section at the end
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(home.read("t.ini"), QByteArray("junk line \xff\xfe\x01\r\n"
                                             "[A]\r\n"
                                             " X =9\r\n"
                                             "; note\r\n"
                                             "z=new\r\n"
                                             "\r\n"
                                             "[B]\r\n"
                                             "y=2\r\n"
                                             "\r\n"
                                             "[C]\r\n"
                                             "k=v\r\n"));
}

TEST(IniFile, ValuesCannotBreakIntoNewLines)
{
    TempHome home;
    IniFile ini(home.file("t.ini"));
    ini.writeString("A", "k", "one\r\n[Evil]\nx=1");
    ASSERT_TRUE(ini.save());
    const IniFile back(home.file("t.ini"));
    EXPECT_EQ(back.readString("A", "k"), "one  [Evil] x=1");
    EXPECT_FALSE(back.hasKey("Evil", "x"));
}

TEST(IniFile, ToleratesLoneCarriageReturnsAndLongLines)
{
    TempHome home;
    const QByteArray longValue(200000, 'Q');
    const IniFile ini = fileWith(home, "[A]\rk=1\r[B]\nlong=" + longValue + "\n[C]");
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    EXPECT_EQ(ini.readString("B", "long").size(), longValue.size());
}

TEST(IniFile, FailedSaveSaysWhy)
{
    TempHome home;
    home.write("plainfile", "x");
    IniFile ini(home.file("plainfile/t.ini")); // its folder is a file: no one can write here
    ini.writeString("A", "k", "2");
    EXPECT_FALSE(ini.save());
    EXPECT_FALSE(ini.errorString().isEmpty());
}

// A writer killed at any moment leaves either the old or the new file whole.
TEST(IniFile, KilledWriterNeverLeavesHalfAFile)
{
    TempHome home;
    const QString path = home.file("k.ini");
    const QByteArray big(300000, 'v');
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                IniFile ini(path);
                ini.writeString("A", "count", QString::number(i));
                ini.writeString("A", "big", QString::fromLatin1(big));
                ini.writeString("A", "end", "yes");
                ini.save();
            }
        }
        usleep(20000 + round * 7000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const IniFile back(path);
        if (!back.existedOnLoad())
            continue; // killed before the first rename
        EXPECT_EQ(back.readString("A", "end"), "yes") << "round " << round;
        EXPECT_EQ(back.readString("A", "big").size(), big.size());
    }
}
