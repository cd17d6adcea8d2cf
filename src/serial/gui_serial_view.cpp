#include "serial/gui_serial_view.h"

#include "serial/auto_form.h"

#include <QMetaObject>
#include <QThread>

GuiSerialView::GuiSerialView(QWidget* window, DialogService& dialogs, Lamp dsrLamp, Lamp ctsLamp)
    : m_window(window), m_dialogs(dialogs), m_dsrLamp(std::move(dsrLamp)),
      m_ctsLamp(std::move(ctsLamp))
{
}

template <typename F> void GuiSerialView::onGuiThread(F&& f, bool wait)
{
    if (!m_window || QThread::currentThread() == m_window->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(m_window, std::forward<F>(f),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void GuiSerialView::setDsrLamp(bool on)
{
    onGuiThread([lamp = m_dsrLamp, on] { lamp(on); }, false);
}

void GuiSerialView::setCtsLamp(bool on)
{
    onGuiThread([lamp = m_ctsLamp, on] { lamp(on); }, false);
}

int GuiSerialView::showBox(const BoxRequest& request)
{
    int answer = 0;
    onGuiThread([&] { answer = m_dialogs.showBox(request); }, true);
    return answer;
}

std::optional<QString> GuiSerialView::askSelectionNumber()
{
    std::optional<QString> number;
    onGuiThread(
        [&] {
            const QRect geometry = m_window ? m_window->geometry() : QRect();
            number = RunAutoForm(m_window, geometry, m_dialogs);
        },
        true);
    return number;
}
