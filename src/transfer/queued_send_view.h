#pragma once

#include "transfer/send_view.h"

#include <QObject>

#include <atomic>
#include <mutex>

// Lets a send on the transfer thread talk to a view that lives on the GUI
// thread. Every call is posted to the GUI thread; questions wait there for the
// answer. Updates that come with every line (highlighted line, progress,
// remaining amount) are coalesced: only the newest waiting value is shown, so
// a fast line never floods the window. Other calls keep their order; the end
// of the transfer and a question first show the newest coalesced values.
class QueuedSendView : public QObject, public SendView
{
    Q_OBJECT
public:
    // `target` lives on the thread of this object (the GUI thread).
    explicit QueuedSendView(SendView& target, QObject* parent = nullptr);

    void setTransferStatus(int panel, const QString& text) override;
    void setEditorStatus(int panel, const QString& text) override;
    void showTransferBar() override;
    void setProgramLabel(const QString& text) override;
    void setProgress(int maximum, int position) override;
    void highlightLine(int line) override;
    void addProgramIndexEntry(int line, const QString& programLine) override;
    void setStepButtonEnabled(bool enabled) override;
    void setScreenSaverActive(bool active) override;
    void markDocumentSent() override;
    int ask(const BoxRequest& box) override;
    void transferEnded(bool succeeded) override;

private:
    void post(std::function<void()> call);
    void flushCoalesced();

    SendView& m_target;
    std::mutex m_mutex;
    bool m_flushPosted = false;
    int m_line = 0;
    bool m_hasProgress = false;
    int m_progressMaximum = 0;
    int m_progressPosition = 0;
    bool m_hasRemaining = false;
    QString m_remaining; // panel 1 of the transfer status bar
};
