#include "transfer/send_stream.h"

#include "platform/app_paths.h"
#include "platform/cp932.h"
#include "profiles/profile_numbers.h"
#include "transfer/send_filter.h"
#include "transfer/send_progress.h"
#include "transfer/send_view.h"
#include "transfer/transfer_link.h"
#include "transfer/transfer_log.h"
#include "transfer/transfer_state.h"

#include <QFileInfo>

#include <chrono>
#include <optional>
#include <thread>

namespace {

constexpr char DC1 = 0x11;
constexpr char DC3 = 0x13;
constexpr char DC4 = 0x14;
constexpr char CAN = 0x18;
constexpr char ENQ = 0x05;
constexpr char LF = 0x0A;
constexpr char CR = 0x0D;

// A program-start line: first character "O", ":" or "L".
bool isProgramStart(const QByteArray& line)
{
    return !line.isEmpty() && (line[0] == 'O' || line[0] == ':' || line[0] == 'L');
}

bool containsProgramEnd(const QByteArray& line)
{
    return line.contains("M99") || line.contains("M02") || line.contains("M2") ||
           line.contains("M30");
}

} // namespace

void SendJob::setText(const QString& text)
{
    setCp932Text(Cp932::encode(text));
}

void SendJob::setCp932Text(QByteArray bytes)
{
    text = std::move(bytes);
    lineStarts.clear();
    lineStarts.append(0);
    for (qsizetype i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1))
        lineStarts.append(i + 1);
    // The editor counts CR LF between lines, whatever the text holds.
    qint64 length = 0;
    for (int i = 0; i < lineCount(); ++i)
        length += line(i).size() + (i + 1 < lineCount() ? 2 : 0);
    textLength = int(qMin<qint64>(length, INT32_MAX));
}

QByteArray SendJob::line(int index) const
{
    const qsizetype start = lineStarts[index];
    qsizetype end = index + 1 < lineCount() ? lineStarts[index + 1] - 1 : text.size();
    if (end > start && text[end - 1] == '\r')
        --end;
    return text.mid(start, end - start);
}

// ---------------------------------------------------------------- framing

TransferFraming::TransferFraming(TransferLink& link, TransferState& state, SendView& view,
                                 const SendJob& job)
    : m_link(link), m_state(state), m_view(view), m_job(job), m_send(job.profile.send),
      m_options(job.options)
{
    m_sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

bool TransferFraming::send(char c)
{
    m_state.LastCharAborted = m_link.SendChar(c);
    return m_state.LastCharAborted;
}

void TransferFraming::sleep(int milliseconds)
{
    if (milliseconds > 0)
        m_sleep(milliseconds);
}

void TransferFraming::SendLineEnd()
{
    switch (m_send.CRLF_Type) {
    case 0: send(LF); break;
    case 1: send(CR); send(LF); break;
    case 2: send(CR); send(LF); send(LF); break;
    case 3: send(CR); break;
    default: break;
    }
}

void TransferFraming::SendFeed()
{
    // 20 blanks per 50 mm of tape (a character is a tenth of an inch).
    for (int i = 0; i < m_send.Feed * 20; ++i)
        send(' ');
}

int TransferFraming::PrepareTransfer(int kind)
{
    m_state.SendPrepared = true;
    m_state.TransferFileName = m_job.documentName;
    m_state.TransferActive = true;
    m_state.ErrorNumber = 0;
    // A stop left over from the last transfer must not stop this one before
    // its first character (start characters "無し" test it unsent).
    m_state.LastCharAborted = false;
    m_state.RemainingSeconds = 0;
    m_view.setTransferStatus(2, QStringLiteral("送信待機中"));
    if (kind == 0)
        m_view.setTransferStatus(0, QString());
    // The DNC start dialog of kind 1 is run by the DNC stream before it gets here.

    m_link.useSendCode(m_send.Code);
    static const char* const codeLogs[] = {"  送信ｺｰﾄﾞはISOｺｰﾄﾞ\n", "  送信ｺｰﾄﾞはEIAｺｰﾄﾞ\n",
                                           "  送信ｺｰﾄﾞはASCIIｺｰﾄﾞ\n", "  送信ｺｰﾄﾞは任意ｺｰﾄﾞ\n"};
    if (m_send.Code >= 0 && m_send.Code <= 3)
        m_state.log(QString::fromUtf8(codeLogs[m_send.Code]));
    m_view.setTransferStatus(3, SendCodeText(m_send.Code) + SpeedText(m_send.Speed) +
                                    StopBitsText(m_send.STbit));
    m_view.setTransferStatus(4, m_send.Port);
    m_view.setTransferStatus(5, m_send.Signal == 0 ? QStringLiteral("Y") : QStringLiteral("N"));
    return 0;
}

int TransferFraming::WaitForStart(int kind)
{
    const int b = base(kind);
    const QString started = kind == 0 ? QStringLiteral("  送信開始\n") : QStringLiteral("  DNC送信開始\n");
    if (m_send.Signal != 0) {
        m_link.refreshLamps();
        m_state.log(started);
        BoxRequest box;
        box.kind = BoxRequest::Kind::MessageDialog;
        box.icon = BoxIcon::Warning;
        box.caption = captionForIcon(BoxIcon::Warning);
        box.text = QStringLiteral("NC装置側の準備を行ってください｡\n準備が出来ましたら「はい(Y)」を\n"
                                  "押すと送信が開始します｡");
        box.buttons = BoxButton::Yes | BoxButton::No;
        m_state.ErrorNumber = b + 1004;
        if (m_view.ask(box) != BoxButton::Yes)
            return 100;
        m_view.setTransferStatus(2, QStringLiteral("＜＜ 送信中 ＞＞"));
        return 0;
    }

    m_view.setTransferStatus(2, QStringLiteral("送信待機中"));
    m_state.log(QStringLiteral("  NC機からの開始信号待ち\n"));
    const char pause = char(m_options.dc3());
    for (;;) {
        while (m_link.BytesWaiting() == 0) {
            if (m_state.AbortRequested) {
                m_state.log(QStringLiteral("  送信待機中に手動操作にて中止\n"));
                m_state.ErrorNumber = b + 1033;
                return 100;
            }
            // A device that fails while the control is silent ends the wait
            // (the link has reported and logged why) instead of waiting forever.
            if (m_link.failed()) {
                m_state.ErrorNumber = b + 1020;
                return 100;
            }
            m_link.waitForInput(100);
        }
        const char c = m_link.ReadChar();
        if (c == DC1 || c == '%' || c == ENQ) {
            m_view.setTransferStatus(2, QStringLiteral("＜＜ 送信中 ＞＞"));
            m_state.log(QStringLiteral("  NC機より送信開始信号を受信\n"));
            m_state.log(started);
            return 0;
        }
        if (m_options.op9 == QLatin1String("N")) {
            m_state.ErrorNumber = b + 1003;
            if (c == DC3 || c == pause || c == DC4 || c == CAN)
                return 100;
        }
        m_link.refreshLamps();
    }
}

int TransferFraming::SendStartCharacters(int kind)
{
    const int b = base(kind);
    if (m_send.Code != 1 && m_options.op17 == QLatin1String("N")) {
        m_state.ErrorNumber = b + 1009;
        if (send(LF))
            return 100;
    }
    const auto blanks = [this](int count) {
        for (int i = 0; i < count; ++i)
            send(' ');
    };
    switch (m_send.StartChar) {
    case 1: send('%'); break;
    case 2: send('%'); send('%'); break;
    case 3: send('%'); send(' '); send('*'); break;
    case 4: blanks(200); break;
    case 5: sleep(1000); break;
    case 6: blanks(200); send('%'); break;
    case 7: sleep(1000); send('%'); break;
    default: break;
    }
    m_state.ErrorNumber = b + 1010;
    if (m_state.LastCharAborted)
        return 100;
    if (m_send.StartChar == 4 || m_send.StartChar == 5) {
        SendLineEnd();
        m_state.ErrorNumber = b + 1012;
        if (m_state.LastCharAborted)
            return 100;
    }
    return 0;
}

int TransferFraming::SendEndCharacters(int kind)
{
    const int b = base(kind);
    // Each group is followed by its check of the last character's result.
    const auto group = [this, b](int errorNumber, const std::function<void()>& sendGroup) {
        m_state.ErrorNumber = b + errorNumber;
        sendGroup();
        return m_state.LastCharAborted;
    };
    const auto lineEnd = [this] { SendLineEnd(); };
    const auto percent = [this] { send('%'); };
    const auto twoPercent = [this] { send('%'); send('%'); };
    bool stop = false;
    switch (m_send.EndChar) {
    case 0: stop = group(1013, lineEnd) || group(1015, percent); break;
    case 1:
        if (m_send.Speed == 5)
            stop = group(1017, lineEnd) || group(1021, percent);
        else
            stop = group(1022, [this] { send(DC4); });
        break;
    case 2: stop = group(1023, lineEnd) || group(1024, twoPercent); break;
    case 3: stop = group(1015, percent); break;
    case 4: stop = group(1024, twoPercent); break;
    default: break;
    }
    return stop ? 100 : 0;
}

void TransferFraming::writeLog(int kind)
{
    if (m_state.LogText.isEmpty())
        return;
    QString error;
    if (WriteTransferLog(m_state.LogText, kind, &error))
        return;
    // The operator must know the log is missing, not find an old one later.
    BoxRequest box;
    box.kind = BoxRequest::Kind::MessageDialog;
    box.icon = BoxIcon::Error;
    box.caption = captionForIcon(BoxIcon::Error);
    box.text = QFileInfo(AppPaths::logFile(kind)).fileName() + QStringLiteral(" に書き込めません");
    box.buttons = BoxButton::Ok;
    m_view.ask(box);
}

void TransferFraming::endTransfer(bool succeeded)
{
    m_state.TransferSucceeded = succeeded;
    m_view.transferEnded(succeeded);
}

void TransferFraming::AbortTransfer(int kind)
{
    // With the line check on, the control is told to stop. The step number
    // changes only when the DC4 can really go out, so a port that never
    // opened or a device that failed keeps its own number in the log.
    if (m_options.op13 != QLatin1String("Y") && !m_state.LastCharAborted && m_link.isOpen() &&
        !m_link.failed()) {
        m_state.ErrorNumber = base(kind) + 1025;
        m_state.LastCharAborted = m_link.SendChar(DC4);
    }
    m_state.log(QStringLiteral("  送信中止　ｴﾗｰ番号 %1\n").arg(m_state.ErrorNumber));
    writeLog(kind == 0 ? 1 : 3);
    if (kind == 0)
        m_view.setProgress(m_state.TotalBytes, 0);
    m_view.markDocumentSent();
    m_link.ClosePort();
    m_view.setTransferStatus(2, QStringLiteral("送信中止"));
    m_view.setTransferStatus(1, QString());
    endTransfer(false);
}

void TransferFraming::AbortOnError(int kind)
{
    m_view.markDocumentSent();
    m_view.setEditorStatus(1, QString());
    m_state.log(kind == 0 ? QStringLiteral("  送信中にｴﾗｰが発生した為中止\n")
                          : QStringLiteral("  DNC送信中にｴﾗｰが発生した為中止\n"));
    writeLog(kind == 0 ? 1 : 3);
    m_link.ClosePort();
    m_view.setTransferStatus(2, QStringLiteral("送信中止"));
    m_view.setTransferStatus(1, QString());
    endTransfer(false);
}

// ---------------------------------------------------------------- stream

SendStream::SendStream(TransferLink& link, TransferState& state, SendView& view, const SendJob& job)
    : TransferFraming(link, state, view, job)
{
}

QString SendStream::OspFileName(const QString& documentName)
{
    static const QStringList kept = {".MIN", ".SUB", ".SDF", ".RBT", ".SSB", ".RPD"};
    const QFileInfo info(documentName);
    QString name = info.fileName();
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix().toUpper();
    if (!kept.contains(suffix)) {
        if (!info.suffix().isEmpty())
            name.chop(info.suffix().size() + 1);
        name += QStringLiteral(".MIN");
    }
    return name.toUpper();
}

void SendStream::run()
{
    try {
        while (runPass() == PassResult::Completed && m_state.RepeatSend) {
            m_view.highlightLine(1);
            m_view.setEditorStatus(5, QString());
            m_state.log(QStringLiteral("  ﾘﾋﾟｰﾄ送信準備完了\n"));
            sleep(3000);
            m_state.RepeatCount += 1;
            m_view.setTransferStatus(6, QStringLiteral("送信:%1").arg(m_state.RepeatCount, 3, 10,
                                                                     QLatin1Char('0')));
        }
    } catch (...) {
        AbortOnError(0);
    }
}

void SendStream::BeginSendPass()
{
    m_view.setScreenSaverActive(false);
    m_view.showTransferBar();
    m_state.AbortRequested = false;
    m_state.StepRequested = false; // a press left over from an earlier pass
    m_view.setStepButtonEnabled(m_state.StepSendEnabled);
    m_skipProgram = false;
}

void SendStream::showRemaining()
{
    const bool metres = Options::isYes(m_options.op3);
    const int left = m_state.TotalBytes - m_state.SentBytes + 1;
    m_view.setTransferStatus(1, QStringLiteral("残り ") + FormatRemainingAmount(left, metres) +
                                    FormatRemainingTime(m_state.RemainingSeconds));
}

void SendStream::estimateIfDue()
{
    if (m_estimateClock.isValid() && m_estimateClock.elapsed() >= 10000) {
        EstimateRemainingTime(m_state);
        m_estimateClock.restart();
    }
}

bool SendStream::waitForStep()
{
    if (!m_state.StepSendEnabled || m_job.hiddenInTray)
        return true;
    for (;;) {
        if (m_state.StepRequested.exchange(false))
            return true;
        m_state.ErrorNumber = 1032;
        if (m_state.AbortRequested)
            return false;
        m_state.waitForWake(200);
    }
}

bool SendStream::sendOspHeader()
{
    const QString name = OspFileName(m_job.documentName);
    m_state.log(QStringLiteral("  NC機にﾌｧｲﾙ名送信 ﾌｧｲﾙ名=") + name + QStringLiteral("\n"));
    m_state.ErrorNumber = 1006;
    if (send('$'))
        return false;
    m_view.setProgramLabel(QStringLiteral("NC機にﾌｧｲﾙ名送信 ﾌｧｲﾙ名 => ") + name);
    m_state.ErrorNumber = 1007;
    for (char c : Cp932::encode(name)) {
        if (send(c))
            return false;
        sleep(m_send.InvTime);
    }
    SendLineEnd();
    m_state.ErrorNumber = 1008;
    if (m_state.LastCharAborted)
        return false;
    sleep(5);
    return true;
}

SendStream::PassResult SendStream::runPass()
{
    BeginSendPass();
    m_state.TransferDirection = 1;
    if (!m_link.OpenPort(1)) {
        m_state.ErrorNumber = 1020;
        m_state.log(QStringLiteral("  通信設定不可で中止\n"));
        AbortTransfer(0);
        return PassResult::Stopped;
    }
    if (PrepareTransfer(0) == 100) {
        AbortTransfer(0);
        return PassResult::Stopped;
    }
    m_state.TotalBytes = m_job.textLength - 1;
    const bool metres = Options::isYes(m_options.op3);
    m_view.setTransferStatus(1, QStringLiteral("残り ") +
                                    FormatRemainingAmount(m_state.TotalBytes, metres));
    m_state.RateBaseBytes = 0;
    if (WaitForStart(0) == 100) {
        AbortTransfer(0);
        return PassResult::Stopped;
    }
    const bool punch = m_send.Speed == 5;
    if (punch && m_send.Feed != 0) {
        m_state.ErrorNumber = 1005;
        SendFeed();
        if (m_state.LastCharAborted) {
            AbortTransfer(0);
            return PassResult::Stopped;
        }
        m_state.log(QStringLiteral("  ﾌｨｰﾄﾞ出力\n"));
    }
    m_state.SentBytes = 0;
    m_view.setProgress(m_state.TotalBytes, 0);
    m_estimateClock.start();

    const bool osp = ProfileNumbers::isOsp(m_job.SetNo);
    if (osp ? !sendOspHeader() : SendStartCharacters(0) == 100) {
        AbortTransfer(0);
        return PassResult::Stopped;
    }
    m_view.highlightLine(1);
    m_state.StartStamp = QDateTime::currentDateTime();

    SendFilterSettings filter;
    filter.SendMsg = Cp932::encode(m_send.SendMsg);
    filter.commentsEndLine = m_options.op7 == QLatin1String("N");
    filter.dropSequenceNumbers = m_send.N_non == QLatin1String("Y");
    filter.dropFeedPoint = m_send.F_non == QLatin1String("Y");
    const bool selective = Options::isYes(m_options.op1);
    std::optional<bool> skippingShown;

    // The counts come from the text; the loop also ends after the last line.
    for (int i = 1; i <= m_job.lineCount() && m_state.SentBytes < m_state.TotalBytes; ++i) {
        const QByteArray line = m_job.line(i - 1);
        m_view.highlightLine(i);
        if (isProgramStart(line)) {
            if (punch && m_send.Feed != 0) {
                SendFeed();
                m_state.ErrorNumber = 1011;
                if (m_state.LastCharAborted) {
                    AbortTransfer(0);
                    return PassResult::Stopped;
                }
            }
            const QString text = Cp932::decode(line);
            m_view.setProgramLabel(QStringLiteral("送信中のﾌﾟﾛｸﾞﾗﾑ番号 => ") + text);
            if (m_job.buildIndexWhileSending)
                m_view.addProgramIndexEntry(i, text);
        }
        if (selective) {
            if (isProgramStart(line))
                m_skipProgram = m_job.excludedProgramLines.contains(Cp932::decode(line));
        } else {
            m_skipProgram = false;
        }

        bool lineSkipped = false;
        // The state panel changes only between programs; shown once per change.
        if (m_skipProgram != skippingShown) {
            skippingShown = m_skipProgram;
            m_view.setTransferStatus(2, m_skipProgram ? QStringLiteral("＜＜ ｽﾙｰ ＞＞")
                                                      : QStringLiteral("＜＜ 送信中 ＞＞"));
        }
        if (!m_skipProgram) {
            const FilteredLine out = FilterSendLine(line, filter);
            lineSkipped = out.skipLine;
            if (!lineSkipped) {
                for (char c : out.bytes) {
                    m_state.ErrorNumber = 1014;
                    m_state.LastCharAborted = m_link.SendChar(c);
                    if (m_state.AbortRequested || m_state.LastCharAborted) {
                        AbortTransfer(0);
                        return PassResult::Stopped;
                    }
                    sleep(m_send.InvTime);
                    estimateIfDue();
                }
                SendLineEnd();
                m_state.ErrorNumber = 1016;
                if (m_state.LastCharAborted) {
                    AbortTransfer(0);
                    return PassResult::Stopped;
                }
            }
        }
        if (!lineSkipped && !waitForStep()) {
            AbortTransfer(0);
            return PassResult::Stopped;
        }
        m_state.SentBytes += line.size() + 2;
        if (containsProgramEnd(line))
            sleep(5);
        estimateIfDue();
        showRemaining();
        m_view.setProgress(m_state.TotalBytes, m_state.SentBytes);
    }

    m_view.setTransferStatus(1, QStringLiteral("残り ") + FormatRemainingAmount(0, metres));
    if (SendEndCharacters(0) == 100) {
        AbortTransfer(0);
        return PassResult::Stopped;
    }
    if (punch && m_send.Feed != 0) {
        SendFeed();
        m_state.ErrorNumber = 1018;
        if (m_state.LastCharAborted) {
            AbortTransfer(0);
            return PassResult::Stopped;
        }
    }
    if (punch && Options::isYes(m_options.op12)) {
        sleep(4000);
        m_state.ErrorNumber = 1019;
        if (send(DC4)) {
            AbortTransfer(0);
            return PassResult::Stopped;
        }
    }
    m_view.markDocumentSent();
    sleep(4000);
    m_link.ClosePort();
    m_view.setTransferStatus(2, QStringLiteral("送信完了"));
    m_view.setTransferStatus(1, QString());
    m_view.setProgress(m_state.TotalBytes, 0);
    m_state.log(QStringLiteral("  送信完了\n"));
    if (m_state.RepeatSend)
        return PassResult::Completed;

    writeLog(1);
    endTransfer(true);
    return PassResult::Completed;
}
