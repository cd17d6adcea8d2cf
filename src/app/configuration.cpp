#include "app/configuration.h"

#include "platform/ini_file.h"

#include <QDir>

namespace {
const QString kMain = QStringLiteral("Main");
const QString kEdit = QStringLiteral("Edit");
const QString kRecent = QStringLiteral("Recent File List");
const QString kSetting = QStringLiteral("Setting");
const QString kOptions = QStringLiteral("Options");
const QString kPrint = QStringLiteral("Print");

// Profile names in the order of the file: 1..5, O, P, 6..10.
const int kNameOrder[ProfileNumbers::kCount] = {1, 2, 3, 4, 5, 6, 12, 7, 8, 9, 10, 11};

// Y/N options of section Options in the order they are written.
struct YesNoKey
{
    const char* key;
    QString Options::*field;
};
} // namespace

Configuration::Configuration()
{
    DataFolder = defaultDataFolder();
    for (int n = 1; n <= ProfileNumbers::kCount; ++n)
        ProfileNames[n] = ProfileNumbers::defaultName(n);
}

QString Configuration::defaultDataFolder()
{
    return QDir::homePath();
}

namespace ConfigurationFile {

Configuration read(const IniFile& f)
{
    Configuration c;
    c.Left = f.readInteger(kMain, "Left", c.Left);
    c.Top = f.readInteger(kMain, "Top", c.Top);
    c.Width = f.readInteger(kMain, "Width", c.Width);
    c.Height = f.readInteger(kMain, "Height", c.Height);

    c.FontName = f.readString(kEdit, "Font Name", c.FontName);
    c.FontSize = f.readInteger(kEdit, "Font Size", c.FontSize);
    c.FontColor = f.readInteger(kEdit, "Font Color", c.FontColor);
    c.ScreenColor = f.readInteger(kEdit, "Screen Color", c.ScreenColor);

    for (int i = 0; i < 5; ++i)
        c.RecentFiles[i] = f.readString(kRecent, QStringLiteral("File%1").arg(i + 1));

    c.DataFolder = f.readString(kSetting, "DirPath", c.DataFolder);
    c.SetNo = f.readInteger(kSetting, "SetNo", c.SetNo);
    for (int n : kNameOrder)
        c.ProfileNames[n] = f.readString(kSetting, ProfileNumbers::nameKey(n), c.ProfileNames[n]);
    Options& o = c.options;
    o.DC3_0X93 = f.readString(kSetting, "DC3(0X93)", o.DC3_0X93);

    for (const OptionRow& row : optionRows()) {
        if (row.field == &Options::DC3_0X93 || row.freeText)
            continue; // these live in section Setting
        o.*row.field = f.readString(kOptions, QString::fromLatin1(row.key), o.*row.field);
    }
    o.op8 = f.readBool(kOptions, "op8", o.op8);
    o.op11 = f.readBool(kOptions, "op11", o.op11);
    o.op18 = f.readBool(kOptions, "op18", o.op18);

    c.FileTypeIndex = f.readInteger(kSetting, "Mask_No", c.FileTypeIndex);
    c.User1_Name = f.readString(kSetting, "User1_Name", c.User1_Name);
    c.User1_Mask = f.readString(kSetting, "User1_Mask", c.User1_Mask);
    c.User2_Name = f.readString(kSetting, "User2_Name", c.User2_Name);
    c.User2_Mask = f.readString(kSetting, "User2_Mask", c.User2_Mask);
    o.ModemePort1 = f.readString(kSetting, "ModemePort1", o.ModemePort1);
    o.ModemePort2 = f.readString(kSetting, "ModemePort2", o.ModemePort2);
    c.MailCommand = f.readString(kSetting, "MailCommand");
    c.PowerOffCommand = f.readString(kSetting, "PowerOffCommand");

    PrintSettings& p = c.print;
    p.FullPath = f.readBool(kPrint, "FullPath", p.FullPath);
    p.FileName = f.readBool(kPrint, "FileName", p.FileName);
    p.Page = f.readBool(kPrint, "Page", p.Page);
    p.LineNo = f.readBool(kPrint, "LineNo", p.LineNo);
    p.TopMargin = f.readInteger(kPrint, "TopMargin", p.TopMargin);
    p.BottomMargin = f.readInteger(kPrint, "BottomMargin", p.BottomMargin);
    p.LeftMargin = f.readInteger(kPrint, "LeftMargin", p.LeftMargin);
    p.RightMargin = f.readInteger(kPrint, "RightMargin", p.RightMargin);
    return c;
}

void write(IniFile& f, const Configuration& c)
{
    f.writeInteger(kMain, "Top ", c.Top);
    f.writeInteger(kMain, "Left", c.Left);
    f.writeInteger(kMain, "Width", c.Width);
    f.writeInteger(kMain, "Height", c.Height);

    for (int i = 0; i < 5; ++i)
        f.writeString(kRecent, QStringLiteral("File%1").arg(i + 1), c.RecentFiles.value(i));

    f.writeString(kEdit, "Font Name", c.FontName);
    f.writeInteger(kEdit, "Font Size", c.FontSize);
    f.writeInteger(kEdit, "Font Color", c.FontColor);
    f.writeInteger(kEdit, "Screen Color", c.ScreenColor);

    f.writeString(kSetting, "DirPath", c.DataFolder);
    f.writeInteger(kSetting, "SetNo", c.SetNo);
    for (int n : kNameOrder)
        f.writeString(kSetting, ProfileNumbers::nameKey(n), c.ProfileNames[n]);
    const Options& o = c.options;
    f.writeString(kSetting, "DC3(0X93)", o.DC3_0X93);

    static const YesNoKey head[] = {
        {"op1", &Options::op1}, {"op2", &Options::op2}, {"op3", &Options::op3},
        {"Power_Off", &Options::Power_Off}, {"op4", &Options::op4}, {"op5", &Options::op5},
        {"op6", &Options::op6}, {"op7", &Options::op7}};
    for (const YesNoKey& k : head)
        f.writeString(kOptions, QString::fromLatin1(k.key), o.*k.field);
    f.writeBool(kOptions, "op8", o.op8);
    f.writeString(kOptions, "op9", o.op9);
    f.writeString(kOptions, "op10", o.op10);
    f.writeBool(kOptions, "op11", o.op11);
    static const YesNoKey middle[] = {{"op12", &Options::op12}, {"op13", &Options::op13},
                                      {"op14", &Options::op14}, {"op15", &Options::op15},
                                      {"op17", &Options::op17}};
    for (const YesNoKey& k : middle)
        f.writeString(kOptions, QString::fromLatin1(k.key), o.*k.field);
    f.writeBool(kOptions, "op18", o.op18);
    static const YesNoKey tail[] = {{"op19", &Options::op19}, {"op20", &Options::op20},
                                    {"op21", &Options::op21}, {"op22", &Options::op22}};
    for (const YesNoKey& k : tail)
        f.writeString(kOptions, QString::fromLatin1(k.key), o.*k.field);

    f.writeInteger(kSetting, "Mask_No", c.FileTypeIndex);
    f.writeString(kSetting, "User1_Name", c.User1_Name);
    f.writeString(kSetting, "User1_Mask", c.User1_Mask);
    f.writeString(kSetting, "User2_Name", c.User2_Name);
    f.writeString(kSetting, "User2_Mask", c.User2_Mask);
    f.writeString(kSetting, "ModemePort1", o.ModemePort1);
    f.writeString(kSetting, "ModemePort2", o.ModemePort2);

    const PrintSettings& p = c.print;
    f.writeBool(kPrint, "FullPath", p.FullPath);
    f.writeBool(kPrint, "FileName", p.FileName);
    f.writeBool(kPrint, "Page", p.Page);
    f.writeBool(kPrint, "LineNo", p.LineNo);
    f.writeInteger(kPrint, "TopMargin", p.TopMargin);
    f.writeInteger(kPrint, "BottomMargin", p.BottomMargin);
    f.writeInteger(kPrint, "LeftMargin", p.LeftMargin);
    f.writeInteger(kPrint, "RightMargin", p.RightMargin);
}

} // namespace ConfigurationFile
