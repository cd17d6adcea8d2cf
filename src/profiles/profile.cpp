#include "profiles/profile.h"

#include "platform/app_paths.h"
#include "platform/ini_file.h"
#include "profiles/profile_numbers.h"

namespace {
const QString R = QStringLiteral("Setting_R");
const QString S = QStringLiteral("Setting_S");
const QString A = QStringLiteral("Setting_A");
} // namespace

namespace Profiles {

ActiveProfile read(const IniFile& f)
{
    ActiveProfile p;
    ReceiveSettings& r = p.receive;
    r.Speed = f.readInteger(R, "Speed", r.Speed);
    r.Code = f.readInteger(R, "Code", r.Code);
    r.STbit = f.readInteger(R, "STbit", r.STbit);
    r.Port = f.readString(R, "Port", r.Port);
    r.Change = f.readInteger(R, "Change", r.Change);
    r.Word = f.readInteger(R, "Word", r.Word);
    r.Signal = f.readInteger(R, "Signal", r.Signal);
    r.RSignal = f.readInteger(R, "RSignal", r.RSignal);
    r.Buff = f.readInteger(R, "Buff", r.Buff);
    r.EndCode = f.readInteger(R, "EndCode", r.EndCode);
    r.Control = f.readInteger(R, "Control", r.Control);
    r.SE_Char = f.readInteger(R, "S&E_Char", r.SE_Char);

    SendSettings& s = p.send;
    s.Speed = f.readInteger(S, "Speed", s.Speed);
    s.Code = f.readInteger(S, "Code", s.Code);
    s.STbit = f.readInteger(S, "STbit", s.STbit);
    s.Port = f.readString(S, "Port", s.Port);
    s.Signal = f.readInteger(S, "Signal", s.Signal);
    s.StartChar = f.readInteger(S, "StartChar", s.StartChar);
    s.EndChar = f.readInteger(S, "EndChar", s.EndChar);
    s.Feed = f.readInteger(S, "Feed", s.Feed);
    s.Buff = f.readInteger(S, "Buff", s.Buff);
    s.InvTime = f.readInteger(S, "InvTime", s.InvTime);
    s.Control = f.readInteger(S, "Control", s.Control);
    s.ChkCount = f.readInteger(S, "Chk Count", s.ChkCount);
    s.CRLF_Type = f.readInteger(S, "CRLF_Type", s.CRLF_Type);
    s.DNC_Send = f.readInteger(S, "DNC_Send", s.DNC_Send);
    s.SendMsg = f.readString(S, "SendMsg", s.SendMsg);
    s.F_non = f.readString(S, "F_non", s.F_non);
    s.N_non = f.readString(S, "N_non", s.N_non);
    s.Mail_Flg = f.readString(S, "Mail_Flg", s.Mail_Flg);
    s.Mail_Address = f.readString(S, "Mail_Address", s.Mail_Address);
    s.Mail_Subject = f.readString(S, "Mail_Subject", s.Mail_Subject);

    p.general.DirPath_Sub = f.readString(A, "DirPath_Sub", p.general.DirPath_Sub);
    return p;
}

void write(IniFile& f, const ActiveProfile& p)
{
    const ReceiveSettings& r = p.receive;
    f.writeInteger(R, "Speed", r.Speed);
    f.writeInteger(R, "Code", r.Code);
    f.writeInteger(R, "STbit", r.STbit);
    f.writeString(R, "Port", r.Port);
    f.writeInteger(R, "Change", r.Change);
    f.writeInteger(R, "Word", r.Word);
    f.writeInteger(R, "Signal", r.Signal);
    f.writeInteger(R, "RSignal", r.RSignal);
    f.writeInteger(R, "Buff", r.Buff);
    f.writeInteger(R, "EndCode", r.EndCode);
    f.writeInteger(R, "Control", r.Control);
    f.writeInteger(R, "S&E_Char", r.SE_Char);

    const SendSettings& s = p.send;
    f.writeInteger(S, "Speed", s.Speed);
    f.writeInteger(S, "Code", s.Code);
    f.writeInteger(S, "STbit", s.STbit);
    f.writeString(S, "Port", s.Port);
    f.writeInteger(S, "Signal", s.Signal);
    f.writeInteger(S, "StartChar", s.StartChar);
    f.writeInteger(S, "EndChar", s.EndChar);
    f.writeInteger(S, "Feed", s.Feed);
    f.writeInteger(S, "Buff", s.Buff);
    f.writeInteger(S, "InvTime", s.InvTime);
    f.writeInteger(S, "Control", s.Control);
    f.writeInteger(S, "Chk Count", s.ChkCount);
    f.writeInteger(S, "CRLF_Type", s.CRLF_Type);
    f.writeInteger(S, "DNC_Send", s.DNC_Send);
    f.writeString(S, "SendMsg", s.SendMsg);
    f.writeString(S, "F_non", s.F_non);
    f.writeString(S, "N_non", s.N_non);
    f.writeString(S, "Mail_Flg", s.Mail_Flg);
    f.writeString(S, "Mail_Address", s.Mail_Address);
    f.writeString(S, "Mail_Subject", s.Mail_Subject);

    f.writeString(A, "DirPath_Sub", p.general.DirPath_Sub);
}

void applySaveRules(ActiveProfile& p)
{
    ReceiveSettings& r = p.receive;
    if (r.Speed != 5) {
        r.RSignal = 1;
    } else {
        r.Code = 0;
        r.STbit = 1;
        r.Change = 0;
        r.Word = 1;
        r.Signal = 0;
        r.Buff = 3;
        r.EndCode = 0;
    }
    SendSettings& s = p.send;
    if (s.Speed != 5) {
        s.Feed = 0;
    } else {
        s.Signal = 1;
        s.Buff = 0;
    }
}

ActiveProfile load(int profileNumber)
{
    return read(IniFile(AppPaths::profileFile(ProfileNumbers::normalized(profileNumber))));
}

bool save(int profileNumber, const ActiveProfile& profile, QString* error)
{
    IniFile file(AppPaths::profileFile(ProfileNumbers::normalized(profileNumber)));
    write(file, profile);
    if (file.save())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace Profiles
