#pragma once

#include <cstdint>
#include <optional>

// The paper-tape codes on the line. ISO and EIA travel as 8-bit bytes whose
// parity the program itself makes (ISO: even parity in bit 7; EIA: the
// RS-244 table, odd parity); ASCII passes through and the port does its
// 7-bit even parity.
enum class ConversionMode { Undetermined, Iso, Eia, Plain };

namespace TapeCode {
inline constexpr uint8_t NUL = 0x00;
inline constexpr uint8_t ENQ = 0x05;
inline constexpr uint8_t LF = 0x0A;
inline constexpr uint8_t DC1 = 0x11;
inline constexpr uint8_t DC2 = 0x12;
inline constexpr uint8_t DC3 = 0x13;
inline constexpr uint8_t DC4 = 0x14;
inline constexpr uint8_t CAN = 0x18;
inline constexpr uint8_t DC3_0x93 = 0x93;
} // namespace TapeCode

// The two flags the mode is held as elsewhere (ISO flag, EIA flag).
inline bool isoFlag(ConversionMode m) { return m == ConversionMode::Iso || m == ConversionMode::Plain; }
inline bool eiaFlag(ConversionMode m) { return m == ConversionMode::Eia || m == ConversionMode::Plain; }

// The mode a send starts with for its profile Code (0 ISO, 1 EIA, 2 ASCII,
// 3 any code), and a reception for its Code (0 detect, 1 ASCII, 2 EIA, 3 ISO).
ConversionMode SendConversionMode(int code);
ConversionMode ReceiveConversionMode(int code);

// True when the 8-bit value has an odd number of 1-bits.
bool hasOddParity(uint8_t value);

// The byte to write for character c; nothing when EIA has no code for it.
std::optional<uint8_t> EncodeForLine(uint8_t c, ConversionMode mode);

// The character for received byte b, 0 for none. The control characters come
// back as they are; otherwise an undetermined mode is decided by the byte's
// parity (even: ISO, odd: EIA). `pauseChar` is 0x13 or 0x93.
uint8_t DecodeFromLine(uint8_t b, ConversionMode& mode, uint8_t pauseChar);

// The EIA byte of a character and back; nothing / 0 outside the table.
std::optional<uint8_t> EiaByte(uint8_t c);
uint8_t EiaChar(uint8_t b);
