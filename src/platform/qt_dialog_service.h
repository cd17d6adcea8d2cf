#pragma once

#include "platform/dialog_service.h"

#include <QPointer>

class QWidget;

// Message boxes as real windows, owned by (and placed relative to) the main
// window.
class QtDialogService : public DialogService
{
public:
    explicit QtDialogService(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    int showBox(const BoxRequest& request) override;
    FileDialogAnswer fileDialog(const FileDialogRequest& request) override;
    bool fontDialog(FontChoice& font) override;
    bool colorDialog(int& color) override;
    void beep() override;

private:
    QPointer<QWidget> m_owner;
};
