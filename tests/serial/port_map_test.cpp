#include "platform/ini_file.h"
#include "platform/port_map.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace {

TEST(PortMap, DefaultsCoverUsbAcmAndOnboardPorts)
{
    const PortMap map;
    EXPECT_EQ(map.devicePath("COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath("COM8"), "/dev/ttyUSB7");
    EXPECT_EQ(map.devicePath("COM9"), "/dev/ttyACM0");
    EXPECT_EQ(map.devicePath("COM16"), "/dev/ttyACM7");
    EXPECT_EQ(map.devicePath("COM17"), "/dev/ttyS0");
    EXPECT_EQ(map.devicePath("COM30"), "/dev/ttyS13");
}

TEST(PortMap, OnlyPortNamesOneToThirtyMap)
{
    const PortMap map;
    EXPECT_EQ(map.devicePath("com15"), "/dev/ttyACM6");
    EXPECT_EQ(map.devicePath(" COM3 "), "/dev/ttyUSB2");
    for (const char* name : {"", "COM", "COM0", "COM31", "COM03", "COM1x", "LPT1",
                             "設定ﾎﾟｰﾄ無し", "有効ﾎﾟｰﾄ無し"})
        EXPECT_TRUE(map.devicePath(QString::fromUtf8(name)).isEmpty()) << name;
}

TEST(PortMap, SectionPortsOverridesSingleKeys)
{
    TempHome home;
    IniFile ini(home.file("kelvra.INI"));
    ini.writeString("Ports", "COM1", "/dev/serial/by-id/usb-FTDI-if00");
    ini.writeString("ports", "com20", " /dev/ttyUSB5 ");
    ini.writeString("Ports", "COM2", "");
    ASSERT_TRUE(ini.save());

    const PortMap map = PortMap::load();
    EXPECT_EQ(map.devicePath("COM1"), "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(map.devicePath("COM20"), "/dev/ttyUSB5");
    EXPECT_EQ(map.devicePath("COM2"), "/dev/ttyUSB1"); // empty keeps the default
}

} // namespace
