#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstdint>

// The state of the transfer in progress, owned by the main window and shared
// with the transfer thread. Flags the GUI thread sets while a transfer runs
// (abort, step) and the counters the remaining-time estimate reads are atomics.
struct TransferState
{
    int TransferDirection = 0; // 1 send or DNC, 2 reception
    int TransferKind = 0;      // 0 send, 1 DNC
    QString TransferFileName;
    int ErrorNumber = 0;
    std::atomic<bool> AbortRequested{false};
    bool LastCharAborted = false;
    bool TransferSucceeded = false;
    bool TransferActive = false;
    bool SendPrepared = false;
    bool ExitAfterTransfer = false;
    bool ReceivedDataPending = false;
    bool RepeatSend = false;
    int RepeatCount = 0;
    bool StepSendEnabled = false;
    bool HiddenInTray = false;
    QString LogText;
    QDateTime StartStamp;

    std::atomic<int32_t> TotalBytes{0};
    std::atomic<int32_t> SentBytes{0};
    std::atomic<int32_t> RateBaseBytes{0};
    std::atomic<int32_t> RemainingSeconds{0};

    // Appends a log line (date, time, message) to LogText.
    void log(const QString& message);
};
