#include "platform/dialog_service.h"

QString captionForIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning: return QStringLiteral("警告");
    case BoxIcon::Error: return QStringLiteral("エラー");
    case BoxIcon::Information: return QStringLiteral("情報");
    case BoxIcon::Confirmation: return QStringLiteral("確認");
    case BoxIcon::None: break;
    }
    return QString();
}

int DialogService::messageDialog(const QString& text, BoxIcon icon, int buttons,
                                 bool atOwnerOffset)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::MessageDialog;
    request.caption = captionForIcon(icon);
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    request.atOwnerOffset = atOwnerOffset;
    return showBox(request);
}

int DialogService::systemBox(const QString& text, const QString& caption, BoxIcon icon,
                             int buttons)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::SystemBox;
    request.caption = caption;
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    return showBox(request);
}

void DialogService::showMessage(const QString& text)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::ShowMessage;
    request.caption = QStringLiteral("Kelvra");
    request.text = text;
    request.buttons = BoxButton::Ok;
    request.atOwnerOffset = false;
    showBox(request);
}

int ScriptedDialogService::showBox(const BoxRequest& request)
{
    m_shown.append(request);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    if (m_defaultAnswer != 0)
        return m_defaultAnswer;
    for (int button : {BoxButton::Yes, BoxButton::Ok, BoxButton::No, BoxButton::Cancel}) {
        if (request.buttons & button)
            return button;
    }
    return BoxButton::Ok;
}

QStringList ScriptedDialogService::shownTexts() const
{
    QStringList texts;
    for (const BoxRequest& r : m_shown)
        texts.append(r.text);
    return texts;
}

FileDialogAnswer ScriptedDialogService::fileDialog(const FileDialogRequest& request)
{
    m_fileRequests.append(request);
    if (m_files.isEmpty())
        return {};
    return m_files.takeFirst();
}

bool ScriptedDialogService::fontDialog(FontChoice& font)
{
    if (m_fonts.isEmpty())
        return false;
    font = m_fonts.takeFirst();
    return true;
}

bool ScriptedDialogService::colorDialog(int& color)
{
    if (m_colors.isEmpty())
        return false;
    color = m_colors.takeFirst();
    return true;
}
