#include "serial/direction_settings.h"

void DirectionSettings::copyFrom(const ActiveProfile& profile, int direction)
{
    if (direction == 1) {
        const SendSettings& s = profile.send;
        Speed = s.Speed;
        Code = s.Code;
        STbit = s.STbit;
        Port = s.Port;
        Signal = s.Signal;
        StartChar = s.StartChar;
        EndChar = s.EndChar;
        Feed = s.Feed;
        Buff = s.Buff;
        InvTime = s.InvTime;
        Control = s.Control;
        CRLF_Type = s.CRLF_Type;
        DNC_Send = s.DNC_Send;
    } else if (direction == 2) {
        const ReceiveSettings& r = profile.receive;
        Speed = r.Speed;
        Code = r.Code;
        STbit = r.STbit;
        Port = r.Port;
        Change = r.Change;
        Word = r.Word;
        Signal = r.Signal;
        RSignal = r.RSignal;
        Buff = r.Buff;
        EndCode = r.EndCode;
        Control = r.Control;
        SE_Char = r.SE_Char;
    }
}
