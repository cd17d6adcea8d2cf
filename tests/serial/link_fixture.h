#pragma once

#include "app/options.h"
#include "platform/memory_serial_port.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "profiles/profile.h"
#include "serial/serial_fakes.h"
#include "serial/serial_link.h"
#include "support/pty_pair.h"
#include "transfer/transfer_state.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A serial link on COM5 with a recording view and no real sleeps; the port
// is an in-memory line or a pseudo-terminal.
class LinkFixture : public ::testing::Test
{
protected:
    LinkFixture()
    {
        profile.send.Port = "COM5";
        profile.receive.Port = "COM5";
    }

    std::shared_ptr<MemoryLine> useMemoryLine(const QString& device = "/dev/ttyUSB4")
    {
        auto line = std::make_shared<MemoryLine>();
        line->devices.insert(device);
        ports.setDevicePath(5, PortMap::defaultDevice(5));
        link.setPortFactory([line] { return std::make_unique<MemorySerialPort>(line); });
        return line;
    }

    void usePty(const PtyPair& pty, int port = 5)
    {
        ports.setDevicePath(port, pty.slavePath());
        const QString lockFolder = locks.path();
        link.setPortFactory([lockFolder] {
            auto port = std::make_unique<PosixSerialPort>();
            port->setLockFolder(lockFolder);
            return port;
        });
    }

    // The log's messages without their date and time.
    QStringList logMessages() const
    {
        QStringList messages;
        for (const QString& line : state.LogText.split('\n', Qt::SkipEmptyParts))
            messages.append(line.mid(19));
        return messages;
    }

    TransferState state;
    Options options;
    ActiveProfile profile;
    PortMap ports;
    RecordingSerialView view;
    RecordingSleeper sleeper;
    QTemporaryDir locks;
    SerialLink link{state, options, profile, ports, view, sleeper};
};
