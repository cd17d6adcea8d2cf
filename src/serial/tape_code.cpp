#include "serial/tape_code.h"

#include <array>
#include <bit>

namespace {

struct EiaRow
{
    char c;
    uint8_t b;
};

constexpr EiaRow kEiaTable[] = {
    {'0', 0x20}, {'1', 0x01}, {'2', 0x02}, {'3', 0x13}, {'4', 0x04}, {'5', 0x15}, {'6', 0x16},
    {'7', 0x07}, {'8', 0x08}, {'9', 0x19}, {'A', 0x61}, {'B', 0x62}, {'C', 0x73}, {'D', 0x64},
    {'E', 0x75}, {'F', 0x76}, {'G', 0x67}, {'H', 0x68}, {'I', 0x79}, {'J', 0x51}, {'K', 0x52},
    {'L', 0x43}, {'M', 0x54}, {'N', 0x45}, {'O', 0x46}, {'P', 0x57}, {'Q', 0x58}, {'R', 0x49},
    {'S', 0x32}, {'T', 0x23}, {'U', 0x34}, {'V', 0x25}, {'W', 0x26}, {'X', 0x37}, {'Y', 0x38},
    {'Z', 0x29}, {'%', 0x0B}, {'(', 0x1A}, {')', 0x4A}, {'+', 0x70}, {'-', 0x40}, {'/', 0x31},
    {'.', 0x6B}, {'&', 0x0E}, {',', 0x3B}, {'\n', 0x80}, {' ', 0x10},
};

struct EiaMaps
{
    std::array<int16_t, 256> encode{};
    std::array<uint8_t, 256> decode{};
    constexpr EiaMaps()
    {
        encode.fill(-1);
        for (const auto& row : kEiaTable) {
            encode[uint8_t(row.c)] = row.b;
            decode[row.b] = uint8_t(row.c);
        }
        encode[':'] = 0x46; // program-number letter ":" shares the byte of "O"
        for (uint8_t dc = 0x11; dc <= 0x14; ++dc)
            encode[dc] = dc; // DC1 … DC4 go out as themselves
    }
};

constexpr EiaMaps kEia;

} // namespace

ConversionMode SendConversionMode(int code)
{
    switch (code) {
    case 0: return ConversionMode::Iso;
    case 1: return ConversionMode::Eia;
    case 2:
    case 3: return ConversionMode::Plain;
    default: return ConversionMode::Undetermined;
    }
}

ConversionMode ReceiveConversionMode(int code)
{
    switch (code) {
    case 1: return ConversionMode::Plain;
    case 2: return ConversionMode::Eia;
    case 3: return ConversionMode::Iso;
    default: return ConversionMode::Undetermined;
    }
}

bool hasOddParity(uint8_t value)
{
    return std::popcount(value) % 2 != 0;
}

std::optional<uint8_t> EiaByte(uint8_t c)
{
    const int16_t b = kEia.encode[c];
    if (b < 0)
        return std::nullopt;
    return uint8_t(b);
}

uint8_t EiaChar(uint8_t b)
{
    return kEia.decode[b];
}

std::optional<uint8_t> EncodeForLine(uint8_t c, ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::Iso:
        return hasOddParity(c) ? uint8_t(c | 0x80) : c;
    case ConversionMode::Eia:
        return EiaByte(c);
    case ConversionMode::Plain:
    case ConversionMode::Undetermined:
        return c;
    }
    return c;
}

uint8_t DecodeFromLine(uint8_t b, ConversionMode& mode, uint8_t pauseChar)
{
    using namespace TapeCode;
    if (b == DC1 || b == ENQ)
        return b;
    if (b == pauseChar || b == NUL || b == DC2 || b == DC4 || b == CAN)
        return b;
    if (mode == ConversionMode::Undetermined)
        mode = hasOddParity(b) ? ConversionMode::Eia : ConversionMode::Iso;
    switch (mode) {
    case ConversionMode::Iso: return uint8_t(b & 0x7F);
    case ConversionMode::Eia: return EiaChar(b);
    default: return b;
    }
}
