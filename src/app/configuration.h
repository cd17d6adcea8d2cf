#pragma once

#include "app/options.h"
#include "profiles/profile_numbers.h"

#include <QString>
#include <QStringList>

class IniFile;

struct PrintSettings
{
    bool FullPath = true;
    bool FileName = false;
    bool Page = true;
    bool LineNo = true;
    int TopMargin = 10;
    int BottomMargin = 10;
    int LeftMargin = 15;
    int RightMargin = 10;

    bool operator==(const PrintSettings&) const = default;
};

// Everything kelvra.INI holds: read once at start, written once at exit.
struct Configuration
{
    // Section Main
    int Left = 10;
    int Top = 10;
    int Width = 550;
    int Height = 470;
    // Section Edit
    QString FontName = QStringLiteral("ＭＳ ゴシック");
    int FontSize = 12;
    int FontColor = 65280; // red in the lowest byte, then green, then blue
    int ScreenColor = 0;
    // Section Recent File List: File1 .. File5, most recent first
    QStringList RecentFiles = QStringList(5);
    // Section Setting
    QString DataFolder; // key DirPath; default: the user's home folder
    int SetNo = 1;
    QString ProfileNames[ProfileNumbers::kCount + 1]; // by profile number, [0] unused
    int FileTypeIndex = 1;                            // key Mask_No
    QString User1_Name = QStringLiteral("ﾕｰｻﾞ1");
    QString User1_Mask = QStringLiteral("*.*");
    QString User2_Name = QStringLiteral("ﾕｰｻﾞ2");
    QString User2_Mask = QStringLiteral("*.*");
    // Section Setting, read only (an operator adds them by hand): the
    // commands behind the notification mail and the power-off.
    QString MailCommand;
    QString PowerOffCommand;
    // Sections Options and Setting (DC3(0X93), ModemePort1, ModemePort2)
    Options options;
    // Section Print
    PrintSettings print;

    Configuration();
    static QString defaultDataFolder();
};

namespace ConfigurationFile {

Configuration read(const IniFile& file);
// Writes every key in the order the program has always written them, so a
// first write gives the sections Main, Recent File List, Edit, Setting,
// Options, Print. Only changes `file` in memory; the caller saves it.
void write(IniFile& file, const Configuration& configuration);

} // namespace ConfigurationFile
