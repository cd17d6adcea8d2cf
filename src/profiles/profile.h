#pragma once

#include <QString>

class IniFile;

// Section Setting_R: receiving. Integers are the 0-based index of the item
// chosen in the settings dialog's list, taken as read without a range test.
struct ReceiveSettings
{
    int Speed = 1;
    int Code = 0;
    int STbit = 1;
    QString Port = QStringLiteral("COM1");
    int Change = 0;
    int Word = 0;
    int Signal = 0;
    int RSignal = 0;
    int Buff = 3;
    int EndCode = 0;
    int Control = 0;
    int SE_Char = 3; // key "S&E_Char"

    bool operator==(const ReceiveSettings&) const = default;
};

// Section Setting_S: sending.
struct SendSettings
{
    int Speed = 1;
    int Code = 0;
    int STbit = 1;
    QString Port = QStringLiteral("COM1");
    int Signal = 0;
    int StartChar = 0;
    int EndChar = 0;
    int Feed = 0;
    int Buff = 0;
    int InvTime = 0;
    int Control = 0;
    int ChkCount = 0; // key "Chk Count"
    int CRLF_Type = 0;
    int DNC_Send = 0;
    QString SendMsg;
    QString F_non;
    QString N_non;
    QString Mail_Flg = QStringLiteral("N");
    QString Mail_Address;
    QString Mail_Subject;

    bool operator==(const SendSettings&) const = default;
};

// Section Setting_A: general.
struct GeneralSettings
{
    QString DirPath_Sub;

    bool operator==(const GeneralSettings&) const = default;
};

// One communication profile as its file holds it.
struct ActiveProfile
{
    ReceiveSettings receive;
    SendSettings send;
    GeneralSettings general;

    bool operator==(const ActiveProfile&) const = default;
};

namespace Profiles {

// Reads every key of the three sections, with the defaults above.
ActiveProfile read(const IniFile& file);
// Writes every key of Setting_R, Setting_S, Setting_A in file order.
void write(IniFile& file, const ActiveProfile& profile);

// The rules the settings dialog's save applies: a receiving tape reader
// (Speed 5) forces its fixed values, otherwise no start signal is sent to a
// reader; a send that is not to a tape punch has no feed, one to a punch
// starts without the control's signal and with buffer index 0.
void applySaveRules(ActiveProfile& profile);

// Reads profile `profileNumber` (outside 1 .. 12: profile 1) from its file in
// the settings folder; a missing file gives the defaults.
ActiveProfile load(int profileNumber);
// Writes the profile's file; false with `error` set when the write failed.
bool save(int profileNumber, const ActiveProfile& profile, QString* error);

} // namespace Profiles
