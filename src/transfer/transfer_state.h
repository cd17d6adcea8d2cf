#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

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

    std::atomic<bool> StepRequested{false}; // the step key or button was pressed

    // Appends a log line (date, time, message) to LogText.
    void log(const QString& message);

    // The GUI thread calls wake() after setting AbortRequested or
    // StepRequested; a transfer thread waiting for either sleeps in
    // waitForWake() instead of polling.
    void wake();
    void waitForWake(int timeoutMs);

private:
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCondition;
    bool m_woken = false;
};
