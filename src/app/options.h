#pragma once

#include <QString>

#include <array>

// The operating options: program-wide switches outside the profiles. The
// dialog's options are the texts "Y" and "N" (two rows are free text); three
// more are check-mark items of the settings menu. There is no op16.
struct Options
{
    QString op1 = QStringLiteral("N");
    QString op2 = QStringLiteral("N");
    QString op3 = QStringLiteral("N");
    QString op4 = QStringLiteral("N");
    QString op5 = QStringLiteral("N");
    QString op6 = QStringLiteral("N");
    QString op7 = QStringLiteral("N");
    QString op9 = QStringLiteral("N");
    QString op10 = QStringLiteral("N");
    QString op12 = QStringLiteral("N");
    QString op13 = QStringLiteral("N");
    QString op14 = QStringLiteral("N");
    QString op15 = QStringLiteral("N");
    QString op17 = QStringLiteral("N");
    QString op19 = QStringLiteral("N");
    QString op20 = QStringLiteral("N");
    QString op21 = QStringLiteral("N");
    QString op22 = QStringLiteral("N");
    QString Power_Off = QStringLiteral("N");
    QString DC3_0X93 = QStringLiteral("Y"); // key "DC3(0X93)"
    QString ModemePort1;                    // excluded ports, free text
    QString ModemePort2;

    bool op8 = false;  // IconShowEnabled: minimise to the tray only
    bool op11 = false; // StepSendEnabled
    bool op18 = false; // AutoIndexOff

    bool operator==(const Options&) const = default;

    static bool isYes(const QString& value) { return value == QLatin1String("Y"); }
    // The pause character DC3 as the line uses it: 0x93 or 0x13.
    unsigned char dc3() const { return isYes(DC3_0X93) ? 0x93 : 0x13; }
};

// One row of the option dialog, in row order.
struct OptionRow
{
    const char* label; // UTF-8
    const char* key;   // key in section Options or Setting of kelvra.INI
    QString Options::*field;
    bool freeText;
};

inline constexpr int kOptionRowCount = 22;
const std::array<OptionRow, kOptionRowCount>& optionRows();
