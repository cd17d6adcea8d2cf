#pragma once

#include "profiles/profile.h"

#include <QString>

// The copy of the active profile's send or receive keys that one transfer
// works with. Common fields first; the others belong to one direction. Fields
// of the other direction keep what an earlier transfer left in them.
struct DirectionSettings
{
    int Speed = 1;
    int Code = 0;
    int STbit = 1;
    QString Port;

    // Send (direction 1, from Setting_S).
    int Signal = 0; // also receive: start on the control's signal
    int StartChar = 0;
    int EndChar = 0;
    int Feed = 0;
    int InvTime = 0;
    int CRLF_Type = 0;
    int DNC_Send = 0;

    // Receive (direction 2, from Setting_R).
    int Change = 0;
    int Word = 0;
    int RSignal = 0;
    int EndCode = 0;
    int SE_Char = 0; // key "S&E_Char"

    // Both.
    int Buff = 0;
    int Control = 0;

    // Copies the keys of direction 1 (send) or 2 (receive).
    void copyFrom(const ActiveProfile& profile, int direction);
};
