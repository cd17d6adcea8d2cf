#include "app/configuration.h"
#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "support/temp_home.h"

#include <QRect>

#include <gtest/gtest.h>

namespace {

QStringList sectionsOf(const QByteArray& bytes)
{
    QStringList sections;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith('['))
            sections.append(QString::fromLatin1(line.trimmed()));
    }
    return sections;
}

} // namespace

TEST(Configuration, FirstWriteHasTheFixedLayout)
{
    TempHome home;
    IniFile ini(home.file("kelvra.INI"));
    ConfigurationFile::write(ini, Configuration());
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = home.read("kelvra.INI");

    EXPECT_EQ(sectionsOf(bytes), QStringList({"[Main]", "[Recent File List]", "[Edit]",
                                              "[Setting]", "[Options]", "[Print]"}));
    EXPECT_TRUE(bytes.startsWith("[Main]\r\nTop =10\r\nLeft=10\r\nWidth=550\r\nHeight=470\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n")) << "every line ends in CR LF";
    EXPECT_FALSE(bytes.contains("op16"));
    // Japanese defaults are stored as CP932.
    for (const char* text : {"Font Name=ＭＳ ゴシック", "SetName1=設定1", "SetNameO=OSP専用_NO.1",
                             "SetName10=設定10", "User1_Name=ﾕｰｻﾞ1"})
        EXPECT_TRUE(bytes.contains(Cp932::encode(QString::fromUtf8(text)))) << text;
    // The order of the keys inside the sections that are written piecewise.
    const qsizetype dc3 = bytes.indexOf("DC3(0X93)=Y");
    const qsizetype options = bytes.indexOf("[Options]");
    const qsizetype mask = bytes.indexOf("Mask_No=1");
    EXPECT_TRUE(dc3 > 0 && dc3 < options && mask > dc3 && mask < options);
    EXPECT_TRUE(bytes.contains("[Options]\r\nop1=N\r\nop2=N\r\nop3=N\r\nPower_Off=N\r\nop4=N\r\n"
                               "op5=N\r\nop6=N\r\nop7=N\r\nop8=0\r\nop9=N\r\nop10=N\r\nop11=0\r\n"
                               "op12=N\r\nop13=N\r\nop14=N\r\nop15=N\r\nop17=N\r\nop18=0\r\n"
                               "op19=N\r\nop20=N\r\nop21=N\r\nop22=N\r\n"));
    EXPECT_TRUE(bytes.endsWith("[Print]\r\nFullPath=1\r\nFileName=0\r\nPage=1\r\nLineNo=1\r\n"
                               "TopMargin=10\r\nBottomMargin=10\r\nLeftMargin=15\r\n"
                               "RightMargin=10\r\n"));
}

TEST(Configuration, MissingFileGivesTheDefaults)
{
    TempHome home;
    const Configuration c = ConfigurationFile::read(IniFile(home.file("none.INI")));
    EXPECT_EQ(QRect(c.Left, c.Top, c.Width, c.Height), QRect(10, 10, 550, 470));
    EXPECT_EQ(c.FontName, QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(c.FontSize, 12);
    EXPECT_EQ(c.FontColor, 0x00FF00);
    EXPECT_EQ(c.ScreenColor, 0);
    EXPECT_EQ(c.SetNo, 1);
    EXPECT_EQ(c.options, Options());
    EXPECT_EQ(c.options.DC3_0X93, "Y");
    EXPECT_EQ(c.RecentFiles, QStringList(5));
    EXPECT_EQ(c.ProfileNames[12], QString::fromUtf8("OSP専用_NO.2"));
    EXPECT_EQ(c.ProfileNames[7], QString::fromUtf8("設定6"));
}

TEST(Configuration, EveryValueSurvivesARoundTrip)
{
    TempHome home;
    Configuration c;
    c.Left = -5;
    c.Top = 33;
    c.Width = 900;
    c.Height = 700;
    c.FontName = QString::fromUtf8("VL ゴシック");
    c.FontSize = 14;
    c.FontColor = 0x123456;
    c.ScreenColor = 0xFFFFFF;
    c.RecentFiles = {"/a/O1.NC", "", "/b/日本.NC", "", ""};
    c.DataFolder = "/data/nc";
    c.SetNo = 12;
    for (int n = 1; n <= 12; ++n)
        c.ProfileNames[n] = QString::fromUtf8("機械%1").arg(n);
    c.FileTypeIndex = 4;
    c.User1_Name = "U1";
    c.User1_Mask = "*.MIN";
    c.User2_Name = "U2";
    c.User2_Mask = "*.SUB";
    for (const OptionRow& row : optionRows())
        c.options.*row.field = row.freeText ? QString("COM3") : QString("Y");
    c.options.op8 = c.options.op11 = c.options.op18 = true;
    c.print = {false, true, false, false, 1, 2, 3, 4};

    IniFile ini(home.file("kelvra.INI"));
    ConfigurationFile::write(ini, c);
    ASSERT_TRUE(ini.save());
    const Configuration back = ConfigurationFile::read(IniFile(home.file("kelvra.INI")));
    EXPECT_EQ(QRect(back.Left, back.Top, back.Width, back.Height), QRect(-5, 33, 900, 700));
    EXPECT_EQ(back.FontName, c.FontName);
    EXPECT_EQ(back.FontSize, 14);
    EXPECT_EQ(back.FontColor, c.FontColor);
    EXPECT_EQ(back.ScreenColor, c.ScreenColor);
    EXPECT_EQ(back.RecentFiles, c.RecentFiles);
    EXPECT_EQ(back.DataFolder, c.DataFolder);
    EXPECT_EQ(back.SetNo, 12);
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(back.ProfileNames[n], c.ProfileNames[n]);
    EXPECT_EQ(back.FileTypeIndex, 4);
    EXPECT_EQ(back.User2_Mask, "*.SUB");
    EXPECT_EQ(back.options, c.options);
    EXPECT_EQ(back.print, c.print);
}

TEST(Configuration, ReadsHandEditedFiles)
{
    TempHome home;
    home.write("kelvra.INI", "[main]\n Top = 77\nWIDTH=abc\n"
                             "[SETTING]\nsetno=3\nSetNo=5\n"
                             "[Options]\nop16=Y\nOP3=Y\nop8=7\nop11=x\n");
    const Configuration c = ConfigurationFile::read(IniFile(home.file("kelvra.INI")));
    EXPECT_EQ(c.Top, 77);
    EXPECT_EQ(c.Width, 550) << "junk integers read as the default";
    EXPECT_EQ(c.SetNo, 3) << "the first of two spellings wins";
    EXPECT_EQ(c.options.op3, "Y");
    EXPECT_TRUE(c.options.op8);
    EXPECT_FALSE(c.options.op11);
}
