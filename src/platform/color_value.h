#pragma once

#include <QColor>

// Colours as the settings files store them: red in the lowest byte, then
// green, then blue (65280 is pure green).
inline QColor colorFromValue(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

inline int valueFromColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}
