#include "app/options.h"
#include "platform/memory_serial_port.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "serial/port_discovery.h"
#include "support/pty_pair.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Discovery : public ::testing::Test
{
protected:
    Discovery()
    {
        line->devices = {"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB4"};
        discovery.setPortFactory([this] { return std::make_unique<MemorySerialPort>(line); });
    }
    std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>();
    PortMap ports;
    Options options;
    PortDiscovery discovery{ports, options};
};

TEST_F(Discovery, ExcludedAndBusyPortsAreNotOffered)
{
    options.ModemePort1 = "com3"; // compared after upper-casing
    line->busy.insert("/dev/ttyUSB4");
    EXPECT_EQ(discovery.UsablePorts(), QStringList("COM1"));

    PortChoices receive, send;
    discovery.FillPortList("COM1", "COM5", &receive, &send);
    EXPECT_EQ(receive.entries, QStringList({"COM1", "設定ﾎﾟｰﾄ無し"}));
    EXPECT_EQ(receive.selected(), "COM1");
    EXPECT_EQ(send.entries, receive.entries);
    EXPECT_EQ(send.selected(), "設定ﾎﾟｰﾄ無し"); // COM5 is in use elsewhere
}

TEST_F(Discovery, NoUsablePortOffersOnlyTheNoPortEntry)
{
    line->devices.clear();
    PortChoices receive, send;
    discovery.FillPortList("COM1", "COM1", &receive, &send);
    EXPECT_EQ(receive.entries, QStringList("有効ﾎﾟｰﾄ無し"));
    EXPECT_EQ(receive.selectedIndex, 0);
    EXPECT_EQ(send.selected(), "有効ﾎﾟｰﾄ無し");
}

TEST_F(Discovery, ProbeTestsTheExclusionAfterOpeningButTheSweepSkipsExcludedPorts)
{
    options.ModemePort2 = "COM3";
    EXPECT_FALSE(discovery.ProbePort(3));
    EXPECT_EQ(line->events, QStringList({"open /dev/ttyUSB2", "close"}));

    line->events.clear();
    discovery.SweepPorts();
    EXPECT_FALSE(line->events.contains("open /dev/ttyUSB2"));
    EXPECT_EQ(line->events.filter("open ").size(), 29);
    EXPECT_TRUE(line->events.contains("open /dev/ttyS13"));
}

TEST(DiscoveryPty, APortHeldByATransferIsNotOffered)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PortMap ports;
    ports.setDevicePath(2, pty.slavePath());
    for (int n = 1; n <= PortMap::kPortCount; ++n)
        if (n != 2)
            ports.setDevicePath(n, "/nonexistent/tty" + QString::number(n));
    Options options;
    QTemporaryDir locks;
    PortDiscovery discovery(ports, options);
    discovery.setPortFactory([&] {
        auto port = std::make_unique<PosixSerialPort>();
        port->setLockFolder(locks.path());
        return port;
    });
    EXPECT_EQ(discovery.UsablePorts(), QStringList("COM2"));

    PosixSerialPort held;
    held.setLockFolder(locks.path());
    ASSERT_TRUE(held.open(pty.slavePath()));
    EXPECT_TRUE(discovery.UsablePorts().isEmpty());
}

} // namespace
