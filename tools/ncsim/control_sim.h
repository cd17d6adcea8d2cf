#pragma once

#include "serial/tape_code.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>

// A machine control at the far end of the line, for tests, benchmarks and
// trying a profile without a machine. It owns one descriptor: the master of a
// pseudo-terminal (the program opens the slave) or a serial device.
struct SimConfig
{
    enum class Mode { Read, Punch, Dnc };
    enum class Start { Dc1, Percent, Enq, None };

    Mode mode = Mode::Read;
    ConversionMode code = ConversionMode::Undetermined; // Plain for ASCII
    uint8_t pauseChar = 0x93;                           // what we send; both are understood

    // Read and DNC.
    Start start = Start::Dc1;
    int startDelayMs = 300;
    int startRepeatMs = 2000;
    int bufferSize = 0;  // bytes the control holds; 0: unlimited
    double rate = 0;     // characters per second the control consumes; 0: at once
    int highWater = -1;  // DC3 when this many bytes are held (default 3/4 of the buffer)
    int lowWater = -1;   // DC1 when no more than this are held (default 1/4)
    long cancelAfter = -1; // CAN once this many data bytes came
    int idleMs = 5000;   // a transfer that went silent ends
    QString outFile;     // decoded program
    QString rawFile;     // bytes as they came off the line
    QString statsFile;   // key=value figures of the transfer

    // Punch.
    QString inFile;
    int leader = 20;
    int trailer = 20;
    bool sendDc4 = true;

    bool once = false;
    bool verbose = false;
};

class ControlSim
{
public:
    // `fd`: non-blocking descriptor of the line. `pty`: it is a pseudo-terminal
    // master, so the program's open and close can be seen as hang-up changes.
    ControlSim(const SimConfig& config, int fd, bool pty);

    // Serves transfers until told to stop (or one with `once`). Returns the
    // process exit code.
    int run(const volatile bool& stop);

private:
    using Clock = std::chrono::steady_clock;

    bool waitForPeerOpen(const volatile bool& stop);
    void waitForPeerClose(const volatile bool& stop);
    void sendByte(uint8_t b);
    bool receiveTransfer(const volatile bool& stop);
    bool punchTransfer(const volatile bool& stop);
    void writeFile(const QString& path, const QByteArray& bytes);
    void log(const QString& text);

    SimConfig m_config;
    int m_fd;
    bool m_pty;
};
