#pragma once

#include "serial/serial_view.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// SerialView for the main window: every call is carried out on the GUI
// thread. Lamps are posted (the transfer goes on); boxes and the selection
// dialog block the transfer thread until the operator answers.
class GuiSerialView : public SerialView
{
public:
    using Lamp = std::function<void(bool on)>;

    // `window`: the main window (owner of the boxes, centre of TAutoForm);
    // `dsrLamp`, `ctsLamp`: set LabeledEdit1's colour and LabeledEdit2's text.
    GuiSerialView(QWidget* window, DialogService& dialogs, Lamp dsrLamp, Lamp ctsLamp);

    void setDsrLamp(bool on) override;
    void setCtsLamp(bool on) override;
    int showBox(const BoxRequest& request) override;
    std::optional<QString> askSelectionNumber() override;

private:
    template <typename F> void onGuiThread(F&& f, bool wait);

    QPointer<QWidget> m_window;
    DialogService& m_dialogs;
    Lamp m_dsrLamp;
    Lamp m_ctsLamp;
};
