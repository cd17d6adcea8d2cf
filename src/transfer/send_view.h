#pragma once

#include "platform/dialog_service.h"

#include <QString>

// What a send shows while it runs on its own thread. The main window posts
// these to its widgets (coalescing the frequent ones); tests record them.
class SendView
{
public:
    virtual ~SendView() = default;

    virtual void setTransferStatus(int panel, const QString& text) = 0;
    virtual void setEditorStatus(int panel, const QString& text) = 0;
    // The program-number bar shows the transfer face (Label2 and the lamps).
    virtual void showTransferBar() = 0;
    virtual void setProgramLabel(const QString& text) = 0; // Label2
    virtual void setProgress(int maximum, int position) = 0;
    // Highlights editor line `line` (1-based) as the one being sent.
    virtual void highlightLine(int line) = 0;
    virtual void addProgramIndexEntry(int line, const QString& programLine) = 0;
    virtual void setStepButtonEnabled(bool enabled) = 0;
    virtual void setScreenSaverActive(bool active) = 0;
    // The send is over with the editor text sent unchanged: clear the
    // modified mark and show the document title again.
    virtual void markDocumentSent() = 0;
    // Shows a box and waits for the answer.
    virtual int ask(const BoxRequest& box) = 0;
    // The transfer ended (completed or stopped); the completion runs later.
    virtual void transferEnded(bool succeeded) = 0;
};
