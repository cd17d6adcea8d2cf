#include "serial/tape_code.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct EncodeCase
{
    const char* name;
    ConversionMode mode;
    uint8_t c;
    std::optional<uint8_t> expected;
};

const EncodeCase kEncodeCases[] = {
    {"iso G has even parity already", ConversionMode::Iso, 'G', 0x47},
    {"iso percent gets bit 7", ConversionMode::Iso, '%', 0xA5},
    {"iso line feed stays", ConversionMode::Iso, 0x0A, 0x0A},
    {"iso DC3 goes out as 0x93", ConversionMode::Iso, 0x13, 0x93},
    {"iso DC1 goes out as 0x11", ConversionMode::Iso, 0x11, 0x11},
    {"iso DC4 goes out as 0x14", ConversionMode::Iso, 0x14, 0x14},
    {"iso space gets bit 7", ConversionMode::Iso, ' ', 0xA0},
    {"iso 0x93 passes unchanged", ConversionMode::Iso, 0x93, 0x93},
    {"iso odd byte with bit 7 passes unchanged", ConversionMode::Iso, 0x83, 0x83},
    {"iso NUL stays", ConversionMode::Iso, 0x00, 0x00},
    {"eia O", ConversionMode::Eia, 'O', 0x46},
    {"eia colon shares O", ConversionMode::Eia, ':', 0x46},
    {"eia line feed", ConversionMode::Eia, 0x0A, 0x80},
    {"eia space", ConversionMode::Eia, ' ', 0x10},
    {"eia percent", ConversionMode::Eia, '%', 0x0B},
    {"eia DC1 as itself", ConversionMode::Eia, 0x11, 0x11},
    {"eia DC2 as itself", ConversionMode::Eia, 0x12, 0x12},
    {"eia DC3 as itself", ConversionMode::Eia, 0x13, 0x13},
    {"eia DC4 as itself", ConversionMode::Eia, 0x14, 0x14},
    {"eia lower case not sent", ConversionMode::Eia, 'a', std::nullopt},
    {"eia hash not sent", ConversionMode::Eia, '#', std::nullopt},
    {"eia equals not sent", ConversionMode::Eia, '=', std::nullopt},
    {"eia semicolon not sent", ConversionMode::Eia, ';', std::nullopt},
    {"eia CR not sent", ConversionMode::Eia, 0x0D, std::nullopt},
    {"eia TAB not sent", ConversionMode::Eia, 0x09, std::nullopt},
    {"eia pause 0x93 not sent", ConversionMode::Eia, 0x93, std::nullopt},
    {"eia CAN not sent", ConversionMode::Eia, 0x18, std::nullopt},
    {"plain passes lower case", ConversionMode::Plain, 'a', 'a'},
    {"plain passes 0x93", ConversionMode::Plain, 0x93, 0x93},
    {"undetermined passes DC3", ConversionMode::Undetermined, 0x13, 0x13},
};

TEST(TapeCode, EncodesEachModeAsTabled)
{
    for (const EncodeCase& c : kEncodeCases)
        EXPECT_EQ(EncodeForLine(c.c, c.mode), c.expected) << c.name;
}

TEST(TapeCode, EiaTableIsOddParityAndRoundTrips)
{
    const char* characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ%()+-/.&, \n";
    int count = 0;
    for (const char* p = characters; *p; ++p, ++count) {
        const std::optional<uint8_t> b = EncodeForLine(uint8_t(*p), ConversionMode::Eia);
        ASSERT_TRUE(b.has_value()) << *p;
        EXPECT_TRUE(hasOddParity(*b)) << *p;
        ConversionMode mode = ConversionMode::Eia;
        EXPECT_EQ(DecodeFromLine(*b, mode, 0x93), uint8_t(*p)) << *p;
    }
    EXPECT_EQ(count, 47);
}

struct DecodeCase
{
    const char* name;
    ConversionMode mode;
    uint8_t pause;
    uint8_t b;
    uint8_t expected;
    ConversionMode modeAfter;
};

const DecodeCase kDecodeCases[] = {
    {"iso clears parity bit", ConversionMode::Iso, 0x93, 0xC1, 'A', ConversionMode::Iso},
    {"iso accepts wrong parity", ConversionMode::Iso, 0x93, 0x41, 'A', ConversionMode::Iso},
    {"iso 0x93 with pause 0x13 becomes DC3", ConversionMode::Iso, 0x13, 0x93, 0x13,
     ConversionMode::Iso},
    {"eia 0x46 is O", ConversionMode::Eia, 0x93, 0x46, 'O', ConversionMode::Eia},
    {"eia end of block is line feed", ConversionMode::Eia, 0x93, 0x80, '\n', ConversionMode::Eia},
    {"eia 0x13 is pause when pause is 0x13", ConversionMode::Eia, 0x13, 0x13, 0x13,
     ConversionMode::Eia},
    {"eia 0x13 is digit 3 when pause is 0x93", ConversionMode::Eia, 0x93, 0x13, '3',
     ConversionMode::Eia},
    {"eia unknown byte is nothing", ConversionMode::Eia, 0x93, 0x7F, 0, ConversionMode::Eia},
    {"plain passes", ConversionMode::Plain, 0x93, 0xE9, 0xE9, ConversionMode::Plain},
    {"DC1 passes in iso", ConversionMode::Iso, 0x93, 0x11, 0x11, ConversionMode::Iso},
    {"ENQ passes in eia", ConversionMode::Eia, 0x93, 0x05, 0x05, ConversionMode::Eia},
    {"DC2 passes in eia", ConversionMode::Eia, 0x93, 0x12, 0x12, ConversionMode::Eia},
    {"DC4 passes in eia", ConversionMode::Eia, 0x93, 0x14, 0x14, ConversionMode::Eia},
    {"CAN passes in eia", ConversionMode::Eia, 0x93, 0x18, 0x18, ConversionMode::Eia},
    {"NUL passes in iso", ConversionMode::Iso, 0x93, 0x00, 0x00, ConversionMode::Iso},
    {"pause 0x93 passes in eia", ConversionMode::Eia, 0x93, 0x93, 0x93, ConversionMode::Eia},
    // Detection on the first data byte.
    {"detect iso percent", ConversionMode::Undetermined, 0x93, 0xA5, '%', ConversionMode::Iso},
    {"detect iso line feed", ConversionMode::Undetermined, 0x93, 0x0A, '\n', ConversionMode::Iso},
    {"detect eia percent", ConversionMode::Undetermined, 0x93, 0x0B, '%', ConversionMode::Eia},
    {"detect eia end of block", ConversionMode::Undetermined, 0x93, 0x80, '\n',
     ConversionMode::Eia},
    {"DC1 decides nothing", ConversionMode::Undetermined, 0x93, 0x11, 0x11,
     ConversionMode::Undetermined},
    {"pause decides nothing", ConversionMode::Undetermined, 0x13, 0x13, 0x13,
     ConversionMode::Undetermined},
    {"0x13 decides eia when pause is 0x93", ConversionMode::Undetermined, 0x93, 0x13, '3',
     ConversionMode::Eia},
    {"NUL decides nothing", ConversionMode::Undetermined, 0x93, 0x00, 0x00,
     ConversionMode::Undetermined},
};

TEST(TapeCode, DecodesAndDetectsAsTabled)
{
    for (const DecodeCase& c : kDecodeCases) {
        ConversionMode mode = c.mode;
        EXPECT_EQ(DecodeFromLine(c.b, mode, c.pause), c.expected) << c.name;
        EXPECT_EQ(mode, c.modeAfter) << c.name;
    }
}

TEST(TapeCode, DetectionHoldsForTheRestOfTheTransfer)
{
    ConversionMode mode = ConversionMode::Undetermined;
    EXPECT_EQ(DecodeFromLine(0x11, mode, 0x93), 0x11); // DC1 first changes nothing
    EXPECT_EQ(DecodeFromLine(0xA5, mode, 0x93), '%');
    EXPECT_EQ(mode, ConversionMode::Iso);
    // An odd byte later is an ISO byte with a parity error, not an EIA switch.
    EXPECT_EQ(DecodeFromLine(0x46, mode, 0x93), 'F');
    EXPECT_EQ(mode, ConversionMode::Iso);
}

TEST(TapeCode, PlainPassesEveryByteBothWays)
{
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(EncodeForLine(uint8_t(v), ConversionMode::Plain), uint8_t(v));
        ConversionMode mode = ConversionMode::Plain;
        EXPECT_EQ(DecodeFromLine(uint8_t(v), mode, 0x93), uint8_t(v));
    }
}

TEST(TapeCode, IsoEncodingAlwaysGivesEvenParity)
{
    for (int v = 0; v < 128; ++v) {
        const uint8_t b = *EncodeForLine(uint8_t(v), ConversionMode::Iso);
        EXPECT_FALSE(hasOddParity(b)) << v;
        EXPECT_EQ(b & 0x7F, v);
    }
}

TEST(TapeCode, ModesFollowTheProfileCodes)
{
    EXPECT_EQ(SendConversionMode(0), ConversionMode::Iso);
    EXPECT_EQ(SendConversionMode(1), ConversionMode::Eia);
    EXPECT_EQ(SendConversionMode(2), ConversionMode::Plain);
    EXPECT_EQ(SendConversionMode(3), ConversionMode::Plain);
    EXPECT_EQ(ReceiveConversionMode(0), ConversionMode::Undetermined);
    EXPECT_EQ(ReceiveConversionMode(1), ConversionMode::Plain);
    EXPECT_EQ(ReceiveConversionMode(2), ConversionMode::Eia);
    EXPECT_EQ(ReceiveConversionMode(3), ConversionMode::Iso);
    EXPECT_TRUE(isoFlag(ConversionMode::Plain) && eiaFlag(ConversionMode::Plain));
    EXPECT_FALSE(isoFlag(ConversionMode::Eia) || eiaFlag(ConversionMode::Iso));
}

} // namespace
