#include "platform/qt_dialog_service.h"

#include "platform/color_value.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
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

namespace {

// "desc|*.NC;*.NC1|desc2|*.TXT|" -> Qt name filters. Patterns are offered in
// both letter cases, since file names here are case-sensitive.
QStringList toNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p.toLower() << p.toUpper();
        }
        patterns.removeDuplicates();
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << parts.at(i).trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

} // namespace

FileDialogAnswer QtDialogService::fileDialog(const FileDialogRequest& request)
{
    QFileDialog dialog(m_owner ? m_owner->window() : nullptr, request.title, request.folder);
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = toNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (!request.defaultSuffix.isEmpty() && !request.defaultSuffix.contains(QLatin1Char('*')))
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    answer.accepted = true;
    answer.path = dialog.selectedFiles().first();
    answer.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex <= 0)
        answer.filterIndex = request.filterIndex;
    return answer;
}

bool QtDialogService::fontDialog(FontChoice& font)
{
    QFont initial(font.family);
    initial.setPointSize(font.pointSize > 0 ? font.pointSize : 12);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, m_owner ? m_owner->window() : nullptr);
    if (!ok)
        return false;
    font.family = chosen.family();
    font.pointSize = chosen.pointSize();
    return true;
}

bool QtDialogService::colorDialog(int& color)
{
    const QColor chosen = QColorDialog::getColor(colorFromValue(color), m_owner ? m_owner->window() : nullptr);
    if (!chosen.isValid())
        return false;
    color = valueFromColor(chosen);
    return true;
}

void QtDialogService::beep()
{
    QApplication::beep();
}
