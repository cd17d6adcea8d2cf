#pragma once

#include "transfer/send_view.h"
#include "transfer/transfer_link.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>

// A line in memory: records what is sent (before any tape-code conversion),
// hands out scripted input, and can be told to stop at a given character.
class MemoryLink : public TransferLink
{
public:
    bool OpenPort(int direction) override
    {
        opened.append(direction);
        open = openSucceeds;
        return open;
    }
    bool isOpen() const override { return open; }
    void ClosePort() override
    {
        open = false;
        ++closes;
    }
    void useSendCode(int code) override { sendCode = code; }
    bool SendChar(char c) override
    {
        if (!open)
            return true;
        if (onSend && onSend(sent.size(), c))
            return true;
        sent += c;
        return false;
    }
    int BytesWaiting() override { return int(input.size()); }
    bool waitForInput(int) override
    {
        if (input.isEmpty() && onIdle)
            onIdle();
        return !input.isEmpty();
    }
    bool failed() const override { return deviceFailed; }
    char ReadChar() override
    {
        if (input.isEmpty())
            return 0;
        const char c = input.front();
        input.remove(0, 1);
        return c;
    }
    void refreshLamps() override { ++lampRefreshes; }

    bool openSucceeds = true;
    bool deviceFailed = false;
    bool open = false;
    QList<int> opened;
    int closes = 0;
    int sendCode = -1;
    QByteArray sent;
    QByteArray input;
    int lampRefreshes = 0;
    // Return true to stop the send at this character (index into `sent`).
    std::function<bool(qsizetype, char)> onSend;
    // Called while the transfer waits for input and none is there.
    std::function<void()> onIdle;
};

// Records what a send shows; answers boxes from a list.
class RecordingView : public SendView
{
public:
    void setTransferStatus(int panel, const QString& text) override
    {
        transferPanels[panel] = text;
        statusHistory.append(QString::number(panel) + ":" + text);
    }
    void setEditorStatus(int panel, const QString& text) override { editorPanels[panel] = text; }
    void showTransferBar() override { ++transferBarShown; }
    void setProgramLabel(const QString& text) override { programLabel = text; }
    void setProgress(int maximum, int position) override { progress = {maximum, position}; }
    void highlightLine(int line) override { highlighted.append(line); }
    void addProgramIndexEntry(int line, const QString& text) override
    {
        indexEntries.append(QString::number(line) + ":" + text);
    }
    void setStepButtonEnabled(bool enabled) override { stepButton = enabled; }
    void setScreenSaverActive(bool active) override { screenSaver.append(active); }
    void markDocumentSent() override { ++documentMarkedSent; }
    int ask(const BoxRequest& box) override
    {
        asked.append(box.text);
        return answers.isEmpty() ? int(BoxButton::Yes) : answers.takeFirst();
    }
    void transferEnded(bool succeeded) override { ended.append(succeeded); }

    QString transferPanels[7];
    QString editorPanels[7];
    QStringList statusHistory;
    QString programLabel;
    int transferBarShown = 0;
    QPair<int, int> progress;
    QList<int> highlighted;
    QStringList indexEntries;
    bool stepButton = false;
    QList<bool> screenSaver;
    int documentMarkedSent = 0;
    QStringList asked;
    QList<int> answers;
    QList<bool> ended;
};
