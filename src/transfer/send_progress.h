#pragma once

#include <QString>

struct TransferState;

// Runs every 10 s while data go out: the rate over the last 10 s gives the
// seconds left (RemainingSeconds). A line slower than 11 bytes in 10 s keeps
// the old estimate.
void EstimateRemainingTime(TransferState& state);

// "1,234ﾊﾞｲﾄ", or in metres of tape (a character is a tenth of an inch): "3.13ﾒｰﾄﾙ".
QString FormatRemainingAmount(int bytes, bool metres);
// "(約 42秒)", "(約 3分05秒)", "(約 1時02分)".
QString FormatRemainingTime(int seconds);

// Texts of the transfer status bar's line-settings panel: "ISO  : 9600, 1".
QString SendCodeText(int code);   // "ISO  ", "EIA  ", "ASCII", "任意"; empty otherwise
QString SpeedText(int speed);     // ": 9600,", ": 機器,"
QString StopBitsText(int stopBits); // " 1", " 2", " 1.5"
