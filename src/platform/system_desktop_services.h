#pragma once

#include "platform/desktop_services.h"

#include <QString>

// The real desktop: keyboard state from the window system, the freedesktop
// screen-saver inhibit interface where a session bus offers it, mail through
// a sendmail-compatible command and power-off through a system command.
// Commands run without a shell.
class SystemDesktopServices : public DesktopServices
{
public:
    SystemDesktopServices(QString mailCommand, QString powerOffCommand);
    ~SystemDesktopServices() override;

    bool shiftHeld() const override;
    void setScreenSaverActive(bool active) override;
    bool sendMail(const QString& address, const QString& subject, const QString& body) override;
    bool powerOff() override;

    static QString defaultMailCommand() { return QStringLiteral("/usr/sbin/sendmail -t"); }
    static QString defaultPowerOffCommand() { return QStringLiteral("systemctl poweroff"); }

private:
    QString m_mailCommand;
    QString m_powerOffCommand;
    uint m_inhibitCookie = 0;
};
