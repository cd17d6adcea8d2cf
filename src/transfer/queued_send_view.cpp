#include "transfer/queued_send_view.h"

#include <QThread>

QueuedSendView::QueuedSendView(SendView& target, QObject* parent) : QObject(parent), m_target(target)
{
}

void QueuedSendView::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QueuedSendView::flushCoalesced()
{
    int line = 0;
    bool hasProgress = false, hasRemaining = false;
    int maximum = 0, position = 0;
    QString remaining;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_flushPosted = false;
        std::swap(line, m_line);
        std::swap(hasProgress, m_hasProgress);
        std::swap(hasRemaining, m_hasRemaining);
        maximum = m_progressMaximum;
        position = m_progressPosition;
        remaining = m_remaining;
    }
    if (line > 0)
        m_target.highlightLine(line);
    if (hasProgress)
        m_target.setProgress(maximum, position);
    if (hasRemaining)
        m_target.setTransferStatus(1, remaining);
}

void QueuedSendView::setTransferStatus(int panel, const QString& text)
{
    if (panel == 1) {
        bool postFlush = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_hasRemaining = true;
            m_remaining = text;
            postFlush = !std::exchange(m_flushPosted, true);
        }
        if (postFlush)
            post([this] { flushCoalesced(); });
        return;
    }
    post([this, panel, text] { m_target.setTransferStatus(panel, text); });
}

void QueuedSendView::highlightLine(int line)
{
    bool postFlush = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_line = line;
        postFlush = !std::exchange(m_flushPosted, true);
    }
    if (postFlush)
        post([this] { flushCoalesced(); });
}

void QueuedSendView::setProgress(int maximum, int position)
{
    bool postFlush = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hasProgress = true;
        m_progressMaximum = maximum;
        m_progressPosition = position;
        postFlush = !std::exchange(m_flushPosted, true);
    }
    if (postFlush)
        post([this] { flushCoalesced(); });
}

void QueuedSendView::setEditorStatus(int panel, const QString& text)
{
    post([this, panel, text] { m_target.setEditorStatus(panel, text); });
}

void QueuedSendView::showTransferBar()
{
    post([this] { m_target.showTransferBar(); });
}

void QueuedSendView::setProgramLabel(const QString& text)
{
    post([this, text] { m_target.setProgramLabel(text); });
}

void QueuedSendView::addProgramIndexEntry(int line, const QString& programLine)
{
    post([this, line, programLine] { m_target.addProgramIndexEntry(line, programLine); });
}

void QueuedSendView::setStepButtonEnabled(bool enabled)
{
    post([this, enabled] { m_target.setStepButtonEnabled(enabled); });
}

void QueuedSendView::setScreenSaverActive(bool active)
{
    post([this, active] { m_target.setScreenSaverActive(active); });
}

void QueuedSendView::markDocumentSent()
{
    post([this] { m_target.markDocumentSent(); });
}

int QueuedSendView::ask(const BoxRequest& box)
{
    if (QThread::currentThread() == thread())
        return m_target.ask(box);
    int answer = BoxButton::Cancel;
    QMetaObject::invokeMethod(
        this,
        [this, &answer, box] {
            flushCoalesced();
            answer = m_target.ask(box);
        },
        Qt::BlockingQueuedConnection);
    return answer;
}

void QueuedSendView::transferEnded(bool succeeded)
{
    post([this, succeeded] {
        flushCoalesced();
        m_target.transferEnded(succeeded);
    });
}
