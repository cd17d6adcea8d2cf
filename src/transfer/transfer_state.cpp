#include "transfer/transfer_state.h"

#include "transfer/transfer_log.h"

void TransferState::log(const QString& message)
{
    LogText += LogLine(message);
}

void TransferState::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
    }
    m_wakeCondition.notify_all();
}

void TransferState::waitForWake(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wakeCondition.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_woken; });
    m_woken = false;
}
