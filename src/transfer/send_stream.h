#pragma once

#include "app/options.h"
#include "profiles/profile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>

#include <functional>

class SendView;
class TransferLink;
struct TransferState;

// What a send works on: a snapshot of the editor taken when it starts, and
// the settings in force at that moment.
struct SendJob
{
    QByteArray text;              // the editor text as CP932 bytes
    QList<qsizetype> lineStarts;  // where each line of `text` starts
    int textLength = 0;           // bytes of the editor text, CR LF between lines
    QString documentName;             // the document's file name
    QStringList excludedProgramLines; // selective send: program lines not to send
    bool buildIndexWhileSending = false; // the program-number index was empty
    ActiveProfile profile;
    int SetNo = 1;
    Options options;
    bool hiddenInTray = false;

    // Takes an editor text (any line ends) as the text of the job.
    void setText(const QString& text);
    // Takes the editor's CP932 bytes as they are (lines end in LF or CR LF).
    void setCp932Text(QByteArray bytes);

    int lineCount() const { return int(lineStarts.size()); }
    // Line `index` (0-based) without its line end.
    QByteArray line(int index) const;
};

// Start, start and end characters, abort: the framing every send and DNC run
// shares. Kind 0 is a plain send, kind 1 a DNC run (error numbers + 2000).
// The operations returning int give 0 to go on and 100 to stop.
class TransferFraming
{
public:
    TransferFraming(TransferLink& link, TransferState& state, SendView& view, const SendJob& job);
    virtual ~TransferFraming() = default;

    int PrepareTransfer(int kind);
    int WaitForStart(int kind);
    int SendStartCharacters(int kind);
    int SendEndCharacters(int kind);
    void AbortTransfer(int kind);
    void AbortOnError(int kind);

    void SendLineEnd();
    void SendFeed();

    // Fixed waits (4 s before the port closes, InvTime, ...); tests replace it.
    void setSleep(std::function<void(int)> sleep) { m_sleep = std::move(sleep); }

protected:
    bool send(char c); // stores the result in LastCharAborted
    void sleep(int milliseconds);
    static int base(int kind) { return 2000 * kind; }
    void endTransfer(bool succeeded);
    // Writes LogText to the log of `kind`; tells the operator when it cannot.
    void writeLog(int kind);

    TransferLink& m_link;
    TransferState& m_state;
    SendView& m_view;
    const SendJob& m_job;
    const SendSettings& m_send;
    const Options& m_options;

private:
    std::function<void(int)> m_sleep;
};

// Sends the text to the control line by line, with its filters, repeat passes,
// step send and selective send; runs on the transfer thread.
class SendStream : public TransferFraming
{
public:
    SendStream(TransferLink& link, TransferState& state, SendView& view, const SendJob& job);

    // Runs the send until it completes or stops; reports through the view.
    void run();

    // The OSP header's file name: the document name with an OSP extension
    // kept (.MIN, .SUB, .SDF, .RBT, .SSB, .RPD) or replaced by .MIN, in upper case.
    static QString OspFileName(const QString& documentName);

private:
    enum class PassResult { Completed, Stopped };
    PassResult runPass();
    void BeginSendPass();
    bool sendOspHeader();
    bool waitForStep(); // false when stopped
    void showRemaining();
    void estimateIfDue();

    bool m_skipProgram = false;
    QElapsedTimer m_estimateClock;
};
