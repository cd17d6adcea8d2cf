#include "profiles/profile_numbers.h"

namespace ProfileNumbers {

bool isValid(int n) { return n >= 1 && n <= kCount; }
bool isOsp(int n) { return n == 6 || n == 12; }
int normalized(int n) { return isValid(n) ? n : 1; }

// The user-facing number of a profile: 1 .. 10 for the general ones, O and P
// for the OSP ones.
static QString suffix(int n)
{
    if (n == 6)
        return QStringLiteral("O");
    if (n == 12)
        return QStringLiteral("P");
    return QString::number(n <= 5 ? n : n - 1);
}

QString fileName(int n) { return QStringLiteral("SetData") + suffix(normalized(n)) + ".ini"; }
QString nameKey(int n) { return QStringLiteral("SetName") + suffix(normalized(n)); }
QString menuItemName(int n) { return QStringLiteral("Set") + suffix(normalized(n)); }

QString defaultName(int n)
{
    n = normalized(n);
    if (n == 6)
        return QStringLiteral("OSP専用_NO.1");
    if (n == 12)
        return QStringLiteral("OSP専用_NO.2");
    return QStringLiteral("設定") + suffix(n);
}

int fromCommandLine(int n)
{
    if (n >= 1 && n <= 5)
        return n;
    if (n >= 6 && n <= 10)
        return n + 1;
    if (n == 11)
        return 6;
    if (n == 12)
        return 12;
    return 0;
}

const int* menuOrder()
{
    static const int order[kCount] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 6, 12};
    return order;
}

} // namespace ProfileNumbers
