#include "platform/qt_dialog_service.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

QMessageBox::Icon toQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Confirmation: return QMessageBox::Question;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int QtDialogService::showBox(const BoxRequest& request)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    box.setIcon(toQtIcon(request.icon));

    struct ButtonText
    {
        int button;
        const char* text;
        QMessageBox::ButtonRole role;
    };
    static const ButtonText buttons[] = {
        {BoxButton::Yes, "はい(&Y)", QMessageBox::YesRole},
        {BoxButton::No, "いいえ(&N)", QMessageBox::NoRole},
        {BoxButton::Ok, "OK", QMessageBox::AcceptRole},
        {BoxButton::Cancel, "キャンセル", QMessageBox::RejectRole},
    };
    QList<QPair<QAbstractButton*, int>> made;
    for (const ButtonText& b : buttons) {
        if (request.buttons & b.button)
            made.append({box.addButton(QString::fromUtf8(b.text), b.role), b.button});
    }
    if (!made.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(made.first().first));
    if (request.buttons & BoxButton::Cancel)
        box.setEscapeButton(made.last().first);

    if (request.atOwnerOffset && m_owner) {
        const QWidget* window = m_owner->window();
        box.move(window->frameGeometry().topLeft() + QPoint(50, 50));
    }
    box.exec();
    for (const auto& [button, value] : made) {
        if (box.clickedButton() == button)
            return value;
    }
    return (request.buttons & BoxButton::Cancel) ? int(BoxButton::Cancel) : int(BoxButton::None);
}
