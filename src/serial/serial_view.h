#pragma once

#include "platform/dialog_service.h"

#include <QString>

#include <optional>

// What the serial link needs of the main window. The transfer thread calls
// it; the main window's implementation hands each call to the GUI thread
// (boxes and the selection dialog block the caller until answered). Tests use
// a recording fake.
class SerialView
{
public:
    virtual ~SerialView() = default;

    // DSR lamp LabeledEdit1: blue while DSR is on, red while off.
    virtual void setDsrLamp(bool on) = 0;
    // CTS lamp LabeledEdit2: " ●" while CTS is on, " ○" while off.
    virtual void setCtsLamp(bool on) = 0;

    // A message box (BoxRequest::Kind::ShowMessage for the plain messages of
    // the port set-up, MessageDialog for the error box of the selection);
    // returns the button pressed.
    virtual int showBox(const BoxRequest& request) = 0;

    // Shows TAutoForm modally, centred on the main window as it stands now.
    // The confirmed selection number, or nothing when cancelled.
    virtual std::optional<QString> askSelectionNumber() = 0;
};
