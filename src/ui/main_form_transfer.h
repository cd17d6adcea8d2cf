#pragma once

// Pieces of the main window that belong to a running send; included by the
// main window's sources only.
#include "editor/nc_editor.h"
#include "platform/desktop_services.h"
#include "serial/gui_serial_view.h"
#include "transfer/queued_send_view.h"
#include "transfer/send_stream.h"
#include "transfer/send_view.h"
#include "transfer/transfer_link.h"
#include "ui/main_form.h"
#include "ui/status_panel_bar.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QToolButton>

// What the send shows, carried out on the GUI thread.
class TMainForm::SendViewImpl : public SendView
{
public:
    explicit SendViewImpl(TMainForm& form) : m_form(form) {}

    void setTransferStatus(int panel, const QString& text) override
    {
        m_form.SetTransferStatus(panel, text);
    }
    void setEditorStatus(int panel, const QString& text) override
    {
        m_form.SetEditorStatus(panel, text);
    }
    void showTransferBar() override { m_form.ShowTransferBar(); }
    void setProgramLabel(const QString& text) override { m_form.Label2->setText(text); }
    void setProgress(int maximum, int position) override
    {
        if (auto* bar = m_form.StatusBar2->findChild<QProgressBar*>(QStringLiteral("TransferProgress"))) {
            bar->setMaximum(qMax(maximum, 1));
            bar->setValue(qBound(0, position, qMax(maximum, 1)));
        }
    }
    void highlightLine(int line) override
    {
        NcEditor* editor = m_form.RichEdit1;
        if (line < 1 || line > editor->lineCount())
            return;
        const qsizetype start = editor->lineStart(line - 1);
        editor->setCaretPosition(start);
        m_form.ScrollCaretLine(start, editor->lineText(line - 1).toUtf8().size());
    }
    void addProgramIndexEntry(int line, const QString& programLine) override
    {
        ProgramIndexEntry entry;
        entry.line = line;
        entry.separator = QLatin1Char(':');
        entry.text = programLine;
        m_form.addProgramIndexEntry(entry);
    }
    void setStepButtonEnabled(bool enabled) override
    {
        m_form.speedButton(14)->setEnabled(enabled);
    }
    void setScreenSaverActive(bool active) override
    {
        m_form.desktop().setScreenSaverActive(active);
    }
    void markDocumentSent() override
    {
        m_form.setModifiedOff();
        m_form.setTitle(1);
        m_form.SetEditorStatus(4, QString());
    }
    int ask(const BoxRequest& box) override { return m_form.m_dialogs->showBox(box); }
    void transferEnded(bool succeeded) override { m_form.finishSend(succeeded); }

private:
    TMainForm& m_form;
};

// One send in progress: its snapshot, line, view relay and thread.
struct TMainForm::RunningSend
{
    SendJob job;
    std::unique_ptr<TransferLink> link;
    std::unique_ptr<QueuedSendView> view;
    std::unique_ptr<SendStream> stream;
    QThread* thread = nullptr;
};

