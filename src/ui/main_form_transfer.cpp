// The main window's side of a send: the command, the window while the send
// runs on its own thread, and the completion afterwards.
#include "ui/main_form.h"
#include "ui/main_form_transfer.h"

#include "editor/nc_editor.h"
#include "platform/cp932.h"
#include "platform/dialog_service.h"
#include "platform/system_desktop_services.h"
#include "transfer/queued_send_view.h"
#include "transfer/send_command.h"
#include "transfer/send_stream.h"
#include "transfer/send_view.h"
#include "transfer/transfer_link.h"
#include "ui/status_panel_bar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

QString passText(int count)
{
    return QStringLiteral("送信:%1").arg(count, 3, 10, QLatin1Char('0'));
}

} // namespace

DesktopServices& TMainForm::desktop()
{
    if (!m_desktop) {
        const QString mail = m_config.MailCommand.isEmpty()
                                 ? SystemDesktopServices::defaultMailCommand()
                                 : m_config.MailCommand;
        const QString powerOff = m_config.PowerOffCommand.isEmpty()
                                     ? SystemDesktopServices::defaultPowerOffCommand()
                                     : m_config.PowerOffCommand;
        m_ownDesktop = std::make_unique<SystemDesktopServices>(mail, powerOff);
        m_desktop = m_ownDesktop.get();
    }
    return *m_desktop;
}

bool TMainForm::transferRunning() const
{
    return m_running && m_running->thread && !m_running->thread->isFinished();
}

void TMainForm::waitForTransferThread()
{
    if (!m_running || !m_running->thread)
        return;
    // The window keeps answering while the transfer ends: the transfer may be
    // waiting for a box to be answered on this thread.
    while (!m_running->thread->wait(20))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void TMainForm::requestAbort()
{
    m_transfer.AbortRequested = true;
    m_transfer.wake();
}

// The send command: "送信" (Tag 1) and "ﾘﾋﾟｰﾄ" (any other Tag).
void TMainForm::SpeedButton10Click()
{
    const QObject* button = sender();
    const int tag = button ? button->property("Tag").toInt() : 1;
    if (tag == 1) {
        SetTransferStatus(6, QString());
        m_transfer.RepeatCount = 0;
        m_transfer.RepeatSend = false;
    } else {
        m_transfer.RepeatCount = 1;
        SetTransferStatus(6, passText(m_transfer.RepeatCount));
        m_transfer.RepeatSend = true;
    }
    if (m_logViewActive || transferRunning())
        return;
    if (RichEdit1->isEmptyText()) {
        IndexScanDone = false;
        FileOpenClick();
        if (RichEdit1->isEmptyText()) {
            m_dialogs->messageDialog(QStringLiteral("送信ﾃﾞｰﾀが有りません｡"), BoxIcon::Error,
                                     BoxButton::Ok);
            return;
        }
    }
    SetTransferMode(true);
    RichEdit1->setReadOnly(true);
    RichEdit1->setPopupEnabled(false); // no context menu while the text goes out
    m_transfer.ReceivedDataPending = false;
    if (desktop().shiftHeld())
        m_transfer.ExitAfterTransfer = true;

    const SendMode mode = ChooseSendMode(m_config.options.op1, m_activeProfile.send.DNC_Send);
    if (mode != SendMode::WholeData) {
        // DNC runs and the selection of programs come with their own dialogs;
        // until then the window is released again instead of sending
        // something the operator did not ask for.
        m_dialogs->messageDialog(mode == SendMode::Dnc
                                     ? QStringLiteral("DNC運転はこの版では使えません｡")
                                     : QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ番号選択送信はこの版では使えません｡"),
                                 BoxIcon::Information, BoxButton::Ok);
        RichEdit1->setPopupEnabled(true);
        SetTransferMode(false);
        return;
    }
    m_transfer.LogText.clear();
    m_transfer.log(QStringLiteral("  送信\n"));
    m_transfer.log(QStringLiteral("  全ﾃﾞｰﾀを送信\n"));
    m_transfer.log(QStringLiteral("  送信ﾌｧｲﾙ名は") + m_dialogFileName + QStringLiteral("\n"));
    startSendStream();
}

void TMainForm::startSendStream()
{
    if (m_running && m_running->thread) {
        m_running->thread->wait();
        delete m_running->thread;
    }
    m_running = std::make_unique<RunningSend>();
    SendJob& job = m_running->job;
    // The send works on a snapshot: the editor is read-only meanwhile.
    const QByteArrayView utf8 = RichEdit1->utf8View();
    if (Cp932::isAscii(utf8.data(), utf8.size()))
        job.setCp932Text(utf8.toByteArray());
    else
        job.setText(QString::fromUtf8(utf8));
    job.documentName = m_dialogFileName;
    job.buildIndexWhileSending = m_programIndex.isEmpty();
    job.profile = m_activeProfile;
    job.SetNo = m_config.SetNo;
    job.options = m_config.options;
    m_transfer.StepSendEnabled = m_config.options.op11;

    if (!m_sendView)
        m_sendView = std::make_unique<SendViewImpl>(*this);
    m_running->view = std::make_unique<QueuedSendView>(*m_sendView);
    m_running->link = m_linkFactory(m_transfer, job);
    m_running->stream = std::make_unique<SendStream>(*m_running->link, m_transfer,
                                                     *m_running->view, job);
    SendStream* stream = m_running->stream.get();
    m_running->thread = QThread::create([stream] { stream->run(); });
    m_running->thread->start();
}

// The send ended; what follows a successful one, then the completion 2 s later.
void TMainForm::finishSend(bool succeeded)
{
    m_transfer.TransferSucceeded = succeeded;
    if (succeeded && m_transfer.ExitAfterTransfer) {
        waitForTransferThread();
        close();
        if (Options::isYes(m_config.options.Power_Off))
            desktop().powerOff();
    }
    Timer1->start();
}

// Completion, 2000 ms after every transfer.
void TMainForm::Timer1Timer()
{
    SetTransferStatus(6, QString());
    SetTransferStatus(2, QString());
    Timer1->stop();
    waitForTransferThread();
    SetTransferMode(false);
    EditMenuClick();
    desktop().setScreenSaverActive(true);
    ShowProgramNumberBar();
    if (const auto mail = CompletionMail(m_activeProfile.send, m_transfer.SendPrepared,
                                         m_transfer.StartStamp, QDateTime::currentDateTime(),
                                         m_transfer.TransferSucceeded)) {
        // The send itself is over and logged; a mail command that cannot be
        // started is only worth a line on the console.
        if (!desktop().sendMail(mail->address, mail->subject, mail->body))
            qWarning("kelvra: the notification mail command could not be started");
    }
    speedButton(14)->setEnabled(false);
    m_transfer.TransferActive = false;
    RichEdit1->setPopupEnabled(true);
    if (auto* bar = StatusBar2->findChild<QProgressBar*>(QStringLiteral("TransferProgress")))
        delete bar;
    if (m_running && m_running->thread) {
        delete m_running->thread;
        m_running.reset();
    }
}

void TMainForm::SpeedButton13Click()
{
    requestAbort();
    m_abortPending = true;
    desktop().setScreenSaverActive(true);
    if (waitingForIndexScan && !IndexScanDone)
        CancelIndexScan();
}

// The step key of a step send: the send goes on by one line.
void TMainForm::SpeedButton14Click()
{
    m_transfer.StepRequested = true;
    m_transfer.wake();
}

void TMainForm::SendClick()
{
    emptyEditor();
    speedButton(10)->click();
}
