#pragma once

#include <QString>

// The twelve communication profiles. The profile number (1 .. 12) is what
// SetNo and the menu items' Tag hold; 6 and 12 are the OSP profiles. The
// command line counts them as the operator sees them: 1 .. 10, then 11 and 12
// for the two OSP profiles.
namespace ProfileNumbers {

inline constexpr int kCount = 12;

bool isValid(int profileNumber);
bool isOsp(int profileNumber);
// Out-of-range numbers (an edited SetNo) fall back to profile 1.
int normalized(int profileNumber);

// "SetData1.ini" .. "SetData10.ini", "SetDataO.ini", "SetDataP.ini".
QString fileName(int profileNumber);
// Key in section Setting of kelvra.INI: SetName1 .. SetName10, SetNameO, SetNameP.
QString nameKey(int profileNumber);
QString defaultName(int profileNumber);
// Menu item objectName in the main menu: Set1 .. Set10, SetO, SetP.
QString menuItemName(int profileNumber);

// Command-line number n to profile number; 0 when n selects nothing
// (n <= 0 or n > 12; the caller reports n > 12).
int fromCommandLine(int n);

// Profile numbers in the order of the profile menus: 1..5, 7..11, then 6, 12.
const int* menuOrder();

} // namespace ProfileNumbers
